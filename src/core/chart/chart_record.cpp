#include "core/chart/chart_record.h"

#include "core/analysis/chart_analysis.h"
#include "core/chart/report.h"
#include "core/chart/text_table.h"
#include "core/resources.h"
#include "core/script/display.h"
#include "core/script/script.h"
#include "core/text/fields.h"
#include "core/text/file_io.h"
#include "core/text/gbk.h"
#include "core/text/ini.h"
#include "core/threelives/three_lives.h"

namespace hj {

ChartRecord::ChartRecord(std::string dataDir, ReportPane* pane)
    : reportPane(pane), dataDir_(std::move(dataDir)), texts_(&TextTable::builtin()) {
    // The embedded copy is kept in UTF-8 (not GBK like the program's files on disk).
    std::string_view moreduan = embeddedResource("texts/moreduan.txt");
    if (moreduan.substr(0, 3) == "\xEF\xBB\xBF") moreduan.remove_prefix(3);
    loadThreeLivesText(moreduan);
}

void ChartRecord::setTextTable(const TextTable* table) { texts_ = table ? table : &TextTable::builtin(); }

void ChartRecord::loadThreeLivesText(std::string_view utf8) { threeLivesLines = splitResourceLines(utf8); }

bool ChartRecord::setSettingOverride(std::string_view key, std::string_view value) {
    ChartSettings probe;
    if (!applyChartSetting(probe, key, value, &lastError)) return false;
    overrides_.emplace_back(std::string(key), std::string(value));
    return true;
}

void ChartRecord::applyOverrides() {
    for (const auto& [key, value] : overrides_) applyChartSetting(settings, key, value);
}

void ChartRecord::clearOutputs() {
    pillars = {};
    nayinElements = {};
    starSign = 0;
    lifePalace = 0;
    conceptionPillar = 0;
    luckStartAge = 0;
    threeLivesMonth = 0;
    monthBranch = 0;
    luck = LuckInfo{};
    stars = {};
    chartMarks.clear();
    styleSpans.clear();
    report.clear();
}

bool ChartRecord::buildReport(const ChartRequest& req) {
    // Texts that go into the report and the case record: no control characters, no name of
    // spaces only (an empty name is the front end's own rule).
    lastError.clear();
    if (!text::checkFieldText(req.name, "姓名", !req.name.empty(), &lastError) ||
        !text::checkFieldText(req.place, "出生地", false, &lastError))
        return false;
    request = req;
    // The fixed fields of the request hold 12 and 31 bytes of text.
    request.name = text::truncateGbk(request.name, 12);
    request.place = text::truncateGbk(request.place, 31);
    // One read of the profile gives the chart's options and the script of the display.
    settings = ChartSettings{};
    bool traditional = false;
    if (!dataDir_.empty()) {
        text::IniFile profile(text::dataFilePath(dataDir_, "bzinit.ini"));
        if (profile.reload()) {
            settings = loadChartSettings(profile);
            traditional = script::traditionalDisplay(profile);
        }
    }
    applyOverrides();
    clearOutputs();
    if (!computeChart()) return false;

    report += "※推年月日时：\r\n";
    report += appendBirthVerses(*this);
    report += "\r\n\r\n";
    report += "※八字称骨：";
    report += boneWeightText(*this);
    report += "\r\n\r\n";
    appendThreeLivesReading(*this);
    appendPreviousLifeSections(*this);
    if (settings.fenxi) report += analysis::analysisReportSection(*this);
    report += "※软件开发商:墨衡周易软件(";
    report += kMakerAddress;
    report += ")※\r\n";
    report += "☆以上批语仅供参考，须知人生命运妙在阴阳五行的无穷变化☆";
    if (settings.endinfo && !dataDir_.empty()) {
        std::string bytes, error;
        bool missing = false;
        if (text::readRegularFile(text::dataFilePath(dataDir_, "EndInfo.txt"), text::kMaxTextFileBytes, bytes, &error,
                                  &missing)) {
            std::string footer = text::decodeFileText(bytes);
            for (const std::string& line : splitResourceLines(footer)) {
                report += line;
                report += "\r\n";
            }
        } else if (!missing) {
            // Asked for and present but unreadable: a report without it would pass for complete.
            lastError = error;
            return false;
        }
    }
    // With the display in Traditional characters the report is made so; the name and place
    // keep the characters they were typed with.
    if (traditional) report = script::toTraditional(report, {request.name, request.place});
    showReport();
    return true;
}

void ChartRecord::showReport() {
    styleSpans = reportStyleSpans(report);
    if (reportOutput && reportPane) reportPane->showReport(paneText(report), styleSpans, settings.leftpos);
}

bool ChartRecord::computePillars() {
    lastError.clear();
    auto p = caster_.castPillars(request, settings, lastError);
    if (!p) return false;
    static_cast<BirthPillars&>(*this) = std::move(*p);
    request.leap = birthLunarLeap;
    return true;
}

bool ChartRecord::computeChart() {
    lastError.clear();
    auto c = caster_.cast(request, settings, lastError);
    if (!c) return false;
    static_cast<Chart&>(*this) = std::move(*c);
    request.leap = birthLunarLeap;
    luckStartAge = static_cast<std::int16_t>(luck.startAge);
    writeChartSections();
    return true;
}

}  // namespace hj
