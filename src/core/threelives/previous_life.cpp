// The eight sections of the three-lives resource (MOREDUAN), then the child passes and the
// yearly block.
#include "core/calendar/datetime.h"
#include "core/chart/chart.h"
#include "core/resources.h"
#include "core/text/gbk.h"
#include "core/threelives/three_lives.h"
#include "core/text/strings.h"

namespace hj {
namespace {

int mod12(int x) { return cycleMod(x, 12); }

}  // namespace

std::vector<std::string> splitResourceLines(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

bool readTextSection(const std::vector<std::string>& resourceLines, std::string_view key,
                     std::vector<std::string>& lines) {
    lines.clear();
    bool found = false;
    for (const std::string& raw : resourceLines) {
        std::string_view line = text::trimmedControls(raw);
        if (line.empty()) continue;
        if (!found) {
            found = text::equalsNoCase(line, key);
            continue;
        }
        if (text::equalsNoCase(line, "[end]")) break;
        lines.emplace_back(line);
    }
    return found && !lines.empty();
}

const std::vector<std::string>& builtinThreeLivesLines() {
    // The embedded copy is kept in UTF-8 (not GBK like the program's files on disk).
    static const std::vector<std::string> lines = splitResourceLines(embeddedResource("texts/moreduan.txt"));
    return lines;
}

std::string previousLifeSections(const Chart& chart, int threeLivesMonth,
                                 const std::vector<std::string>& resourceLines, const TextTable& texts,
                                 int fromYear) {
    const int M = threeLivesMonth;
    const int year = cycleMod(chart.pillars[0], 60);
    const int Y0 = year % 12;
    const int Y = Y0 == 0 ? 12 : Y0;
    const int H0 = cycleMod(chart.pillars[3], 60) % 12;
    const int E = chart.nayinElements[0] % 5;
    std::string out;
    std::vector<std::string> lines;
    // A section whose key is missing, or whose chosen line does not exist, is left out.
    auto section = [&](std::string_view key, std::string_view heading, int index) {
        if (!readTextSection(resourceLines, key, lines) || index < 0 || index >= static_cast<int>(lines.size())) return;
        out += heading;
        out += lines[index];
        out += "\r\n\r\n";
    };

    section("[Qian_FuLu]", "※前世福禄：", mod12(M - Y));
    section("[Qian_ShouYi]", "※前世手艺：", mod12(Y - M));
    {
        const int h = mod12(M - Y);
        if (h <= 3) section("[Qian_ShouMing]", "※前世寿命：", h);
        else if (h >= 8) section("[Qian_ShouMing]", "※前世寿命：", h - 4);
    }
    section("[TuoHua]", "※前世托化：", Y % 12);
    if (readTextSection(resourceLines, "[XianShi_TuoHua]", lines) && static_cast<int>(lines.size()) >= 7 * Y) {
        out += "※现世属相：";
        for (int i = 0; i < 7; ++i) {
            if (i > 0) out += "　　";
            out += lines[7 * (Y - 1) + i];
            out += "\r\n";
        }
        out += "\r\n";
    }
    section("[TuoHuaDi]", "※现世何地托化：", mod12(M - Y));
    section("[LiuQinZhu]", "※六亲助力：", mod12(H0 - Y + 2));
    {
        static constexpr int kMale[5] = {1, 7, 10, 4, 1};
        static constexpr int kFemale[5] = {1, 10, 7, 7, 4};
        section("[DuQiao]", "※幼童开度桥：", mod12(M - (chart.request.male ? kMale[E] : kFemale[E])));
    }
    if (!chart.settings.wenhe) {
        out += "※小儿关煞：\r\n";
        // The passes are read for every chart, adults' too: say whom they concern before listing them.
        const std::string passes = listChildPasses(chart);
        if (!passes.empty()) {
            out += kChildPassesNote;
            out += "\r\n";
        }
        out += passes;
        out += "\r\n";
    }
    if (chart.request.yearly) {
        out += "流年神煞和九星：\r\n";
        out += listYearlyFortune(chart, texts, fromYear);
    }
    return out;
}

}  // namespace hj
