// The case store on the command line: cases add | list | show | remove | search | export |
// import | clear | backups | restore.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "cli/case_names.h"
#include "cli/commands.h"
#include "cli/traditional_output.h"
#include "cli/output.h"
#include "cli/this_year.h"
#include "cli/place_options.h"
#include "core/presentation/case_session.h"
#include "core/presentation/case_tree.h"
#include "core/presentation/chart_inputs.h"
#include "core/calendar/date_text.h"
#include "core/places/places.h"
#include "core/zones/case_zone.h"
#include "core/zones/world_places.h"
#include "core/casestore/case_identity.h"
#include "core/casestore/case_store.h"
#include "core/platform/platform.h"
#include "core/chart/chart.h"
#include "core/chart/chart_settings.h"
#include "core/places/province_table.h"
#include "core/report/report.h"
#include "core/report/report_rtf.h"
#include "core/report/report_settings.h"
#include "core/rtf/rtf.h"
#include "core/text/gbk.h"
#include "core/text/ini.h"
#include "core/text/strings.h"

namespace hj::cli {
namespace {

using casestore::CaseRecord;
using casestore::CaseStore;

std::string dataFolder(const Context& ctx) { return dataFolderOf(ctx); }

// Opens the store; clearing and importing also work on a store whose header is damaged.
bool openStore(const Context& ctx, CaseStore& store, bool repairing = false) {
    if (store.openStore(dataFolder(ctx))) return true;
    if (repairing && store.isOpen()) return true;
    fail(store.lastError());
    return false;
}

// Opens the store for reading only: nothing is created, a folder without a store is empty.
bool openForReading(const Context& ctx, CaseStore& store) {
    if (store.openExisting(dataFolder(ctx))) return true;
    fail(store.lastError());
    return false;
}

void print(const std::string& line) {
    writeOut(line);
    writeOut("\n");
}

std::string dateTimeOf(const CaseRecord& r) {
    return formatDateTime(DateTime{r.year, r.month, r.day, r.hour, r.minute});
}

// ---- add ----

// How messages name a stored case: its number and, when known, its identity.
std::string storedCaseName(int index, std::uint64_t id = 0) {
    return "第" + std::to_string(index) + "号" + (id != 0 ? "（标识 " + casestore::identityText(id) + "）" : std::string());
}

struct AddOptions {
    std::string name, date, time, className, note;
    bool lunar = false, leap = false, female = false;
    int province = ProvinceTable::kUnknown, city = 0;
    double lon = 120.0, lat = 30.0;
    std::string place;
    bool haveCoordinates = false;
    AbroadOptions abroad;
};

bool parseClock(const std::string& text, std::int16_t& hour, std::int16_t& minute) {
    int h = -1, m = -1;
    char extra = 0;
    if (std::sscanf(text.c_str(), "%d:%d%c", &h, &m, &extra) != 2 || h < 0 || h > 23 || m < 0 || m > 59) return false;
    hour = static_cast<std::int16_t>(h);
    minute = static_cast<std::int16_t>(m);
    return true;
}


std::string trimmed(const std::string& s) { return std::string(text::trimmed(s, text::kSpaceTab)); }

int runAdd(const AddOptions& o, const Context& ctx) {
    const std::string dataDir = dataFolder(ctx);
    ChartRequest q;
    q.name = o.name;
    if (o.name.empty()) return fail("--name must not be empty");
    if (text::gbkLength(o.name) > static_cast<std::size_t>(presentation::kNameMaxBytes))
        return fail("--name holds at most " + std::to_string(presentation::kNameMaxBytes) + " GBK bytes (5 Chinese characters)");
    const std::string cls = trimmed(o.className);
    if (cls.empty() || text::gbkLength(cls) > 12) return fail("类别名不能为空，并且最多可以有6个汉字！");
    if (text::gbkLength(o.note) > casestore::kNoteMaxBytes)
        return fail("--note holds at most " + std::to_string(casestore::kNoteMaxBytes) + " GBK bytes");
    q.male = !o.female;
    q.lunar = o.lunar;
    q.leap = o.leap;
    std::string error;
    DateTime d;
    if (!parseDate(o.date, d, error)) return fail(error);
    q.year = d.year;
    q.month = d.month;
    q.day = d.day;
    if (!parseClock(o.time, q.hour, q.minute)) return fail("--time takes HH:MM (00:00..23:59), not " + o.time);
    if (!fillListedPlace(o.province, o.city, dataDir, q, error)) return fail(error);
    if (o.abroad.any()) {
        if (o.province != ProvinceTable::kUnknown) return fail("--province/--city and --tz/--world-place exclude each other");
        q.longitude = static_cast<float>(o.lon);
        q.latitude = static_cast<float>(o.lat);
        if (!fillAbroadPlace(o.abroad, o.haveCoordinates, dataDir, q, error)) return fail(error);
        if (!o.place.empty()) q.place = o.place;
        if (zones::zoneCode(q.zone) == 0) return fail("the zone " + q.zone + " cannot be kept in a case: choose a zone of places --world");
    } else if (o.haveCoordinates || !o.place.empty()) {
        return fail("--lon/--lat/--place go with --tz or --world-place");
    }

    const ReportSettings settings = loadReportSettings(dataDir);
    const std::optional<Chart> chart = castChart(q, settings.chart, error);
    if (!chart) return fail(error);
    ReportSources sources;
    sources.traditional = settings.traditional;
    sources.thisYear = thisYear();
    if (chart->settings.endinfo && !readFooter(dataDir, sources.footer, error)) return fail(error);
    const Report built = buildReport(*chart, sources);

    CaseRecord rec;
    presentation::copyRequestInto(q, rec);
    rec.className = cls;
    rec.place = text::truncateGbk(q.place, casestore::kPlaceMaxBytes);
    rec.note = o.note;
    if (std::string why; !presentation::checkCaseFields(rec, &why)) return fail(why);

    CaseStore store;
    if (!openStore(ctx, store)) return 1;
    // The record and its report are stored together, or neither is.
    const std::string report = rtf::writeRtf(reportDocument(built, settings.font, chart->settings.leftpos));
    casestore::CaseRef added;
    const int index = store.addRecord(rec, &report, &added);
    const std::uint64_t id = added.id;
    if (index < 0) return fail(store.lastError());
    print(std::to_string(index));
    // The case is stored whatever becomes of the output: a lost number is told on stderr.
    if (std::string reason; !flushOutputNow(reason))
        return fail("命例已保存为" + storedCaseName(index, id) + "，但无法写出结果：" + reason);
    return 0;
}

// ---- list, show, remove ----

int runList(const Context& ctx) {
    CaseStore store;
    if (!openForReading(ctx, store)) return 1;
    std::vector<CaseRecord> all;
    std::int32_t missing = 0;
    if (!store.readAllRecords(all, &missing)) return fail(store.lastError());
    std::string out;
    for (const CaseRecord& r : all) {
        keepAsTyped(r.name);  // names and classes as typed under --traditional
        keepAsTyped(r.className);
        out += std::to_string(r.index) + '\t' + r.name + '\t' + r.className + '\t' + dateTimeOf(r) + '\t' +
               (r.lunar == 1 ? "农" : "公") + '\t' + (r.male == 1 ? "男" : "女") + '\t' +
               casestore::identityText(r.caseId) + '\n';
    }
    writeOut(out);
    // What could be read is listed; the rest is not passed over in silence.
    if (missing > 0)
        return fail("记录文件不完整：文件头记有" + std::to_string(store.header().count) + "个位置，其中" +
                    std::to_string(missing) + "个不在记录文件中，上面没有列出它们（" + store.recordFilePath(0) + "）");
    return 0;
}

int runShow(const std::string& caseText, bool report, const Context& ctx) {
    CaseStore store;
    if (!openForReading(ctx, store)) return 1;
    const int index = caseNamed(store, caseText, {}).slot;
    if (index < 0) return 1;
    CaseRecord r;
    std::string bytes;
    bool hasReport = false;
    // Record and report in one read, so a case removed and refilled meanwhile never lends
    // its report to another.
    if (!store.readCase(index, r, report ? &bytes : nullptr, &hasReport))
        return fail(store.lastError().empty() ? "没有第" + std::to_string(index) + "号命例" : store.lastError());
    for (const std::string* typed : {&r.name, &r.className, &r.place, &r.note}) keepAsTyped(*typed);
    if (report) {
        if (!hasReport) return fail("命稿文件不存在：" + store.reportPath(index));
        rtf::Document doc;
        std::string error;
        if (!rtf::readRtf(bytes, doc, &error)) return fail(store.reportPath(index) + ": " + error);
        print(rtf::plainText(doc, "\n"));
        return 0;
    }
    const std::string calendar = r.lunar == 1 ? (r.leap == 1 ? "农闰" : "农") : "公";
    char coords[64];
    std::snprintf(coords, sizeof coords, "%.4f\t%.4f", static_cast<double>(r.longitude), static_cast<double>(r.latitude));
    print("index\t" + std::to_string(r.index));
    print("identity\t" + casestore::identityText(r.caseId));
    print("name\t" + r.name);
    print("class\t" + r.className);
    print("date\t" + dateTimeOf(r));
    print("calendar\t" + calendar);
    print(std::string("sex\t") + (r.male == 1 ? "男" : "女"));
    print("province\t" + std::to_string(r.province) + '\t' + std::string(ProvinceTable::name(r.province)));
    print("city\t" + std::to_string(r.city));
    print(std::string("coordinates\t") + coords);
    print("place\t" + r.place);
    std::string zone;
    int fold = 1;
    if (zones::storedZone(r, zone, fold)) print("zone\t" + zone + (fold == 2 ? "\tfold 2" : ""));
    print("note\t" + r.note);
    print(std::string("report\t") + (hasReport ? store.reportPath(index) : "(none)"));
    return 0;
}

int runRemove(const std::string& caseText, const std::string& idText, const Context& ctx) {
    CaseStore store;
    if (!openStore(ctx, store)) return 1;
    const casestore::CaseRef ref = caseNamed(store, caseText, idText);
    if (ref.slot < 0) return 1;
    // The record and its report go in one change, refused when the slot no longer holds the case.
    if (!store.removeRecord(ref, true)) return fail(store.lastError());
    return 0;
}

// ---- search ----

struct SearchOptions {
    std::string name, className, sex;
    bool nameExact = false, classExact = false;
    std::vector<int> years;
    int province = -1;
};

int runSearch(const SearchOptions& o, const Context& ctx) {
    casestore::SearchCriteria c;
    if (!o.name.empty()) {
        c.name = o.name;
        c.nameMode = o.nameExact ? casestore::kMatchEquals : casestore::kMatchContains;
    }
    if (!trimmed(o.className).empty()) {
        c.className = trimmed(o.className);
        c.classMode = o.classExact ? casestore::kMatchEquals : casestore::kMatchContains;
    }
    if (!o.sex.empty()) {
        if (o.sex != "男" && o.sex != "女") return fail("--sex takes 男 or 女");
        c.sexOn = 1;
        c.sexValue = o.sex == "男" ? 1 : 0;
    }
    if (!o.years.empty()) {
        if (o.years.size() != 2) return fail("--years takes two years A B");
        if (o.years[1] < o.years[0]) return fail("结束年必须大于或等于起始年");
        if (o.years[0] < -32768 || o.years[1] > 32767) return fail("--years lie in -32768..32767");
        c.yearOn = 1;
        c.yearFrom = static_cast<std::int16_t>(o.years[0]);
        c.yearTo = static_cast<std::int16_t>(o.years[1]);
    }
    c.province = static_cast<std::int16_t>(o.province);
    CaseStore store;
    if (!openForReading(ctx, store)) return 1;
    std::vector<int> found;
    if (!store.searchRecords(c, found)) return fail(store.lastError());
    std::string out;
    for (int i : found) out += std::to_string(i) + '\n';
    writeOut(out);
    return 0;
}

// ---- history ----

int runExport(const std::string& dir, const Context& ctx) {
    CaseStore store;
    if (!openForReading(ctx, store)) return 1;
    if (!store.exportTo(dir)) return fail(store.lastError());
    return 0;
}

// After a clear, import or restore: names the backup of the replaced history. When that
// cannot be written, stderr says what was done all the same.
int tellReplaced(const std::string& done, const CaseStore& store) {
    const std::string kept = store.lastBackup().empty() ? std::string() : "原有的历史记录已备份为 " + store.lastBackup();
    if (!kept.empty()) print(kept);
    if (std::string reason; !flushOutputNow(reason))
        return fail(done + (kept.empty() ? "" : "，" + kept) + "，但无法写出结果：" + reason);
    return 0;
}

int runImport(const std::string& file, const Context& ctx) {
    CaseStore store;
    if (!openStore(ctx, store, true)) return 1;
    // A history without its report folder imports, but its cases then have no reports: said.
    const std::filesystem::path reports = platform::pathOf(file).parent_path() / "bazi_f";
    std::error_code ec;
    const bool withReports = std::filesystem::is_directory(reports, ec);
    if (!store.importFrom(file)) return fail(store.lastError());
    if (!withReports)
        std::fprintf(stderr, "hengjian-cli: 注意：所选文件夹中没有命稿文件夹 %s，导入的命例都没有命稿\n",
                     platform::utf8Of(reports).c_str());
    return tellReplaced("已导入", store);
}

int runClear(const Context& ctx) {
    CaseStore store;
    if (!openStore(ctx, store, true)) return 1;
    if (!store.clearAll()) return fail(store.lastError());
    return tellReplaced("已清除", store);
}

int runBackups(const Context& ctx) {
    CaseStore store;
    if (!openForReading(ctx, store)) return 1;
    std::vector<casestore::BackupInfo> all;
    if (!store.listBackups(all)) return fail(store.lastError());
    std::string out;
    for (const casestore::BackupInfo& b : all)
        out += b.name + '\t' + (b.cases < 0 ? std::string("?") : std::to_string(b.cases)) + '\t' + std::to_string(b.bytes) + '\n';
    writeOut(out);
    return 0;
}

int runRestore(const std::string& name, const Context& ctx) {
    CaseStore store;
    if (!openStore(ctx, store, true)) return 1;
    if (!store.restoreBackup(name)) return fail(store.lastError());
    return tellReplaced("已恢复备份 " + name, store);
}

void setup(CLI::App& app, Context& ctx) {
    auto* cases = app.add_subcommand("cases", "The case store: stored cases and their reports");
    cases->require_subcommand(1);

    static AddOptions ao;
    auto* add = cases->add_subcommand("add", "Chart a birth, store it as a case with its report; prints the index");
    add->add_option("--name", ao.name, "Name (at most 10 GBK bytes)")->required();
    add->add_option("--date", ao.date, "Birth date YYYY-MM-DD (astronomical years; lunar with --lunar)")->required();
    add->add_option("--time", ao.time, "Birth time HH:MM, the clock time (Beijing time; the zone's with --tz)")->required();
    add->add_flag("--lunar", ao.lunar, "The date is a lunar date");
    add->add_flag("--leap", ao.leap, "The lunar month is the leap month");
    add->add_flag("--female", ao.female, "Female (default male)");
    auto* prov = add->add_option("--province", ao.province, "Province index 0..34 (34 未知地, the default)");
    add->add_option("--city", ao.city, "City index in the province's section of dat/dili.ini")->needs(prov);
    auto* lon = add->add_option("--lon", ao.lon, "Longitude of a birth abroad, degrees east")->check(CLI::Range(-180.0, 180.0));
    auto* lat = add->add_option("--lat", ao.lat, "Latitude of a birth abroad, degrees north")->check(CLI::Range(-90.0, 90.0));
    add->add_option("--place", ao.place, "Place text of a birth abroad");
    addAbroadOptions(*add, ao.abroad);
    add->add_option("--class", ao.className, "Class of the case (at most 12 GBK bytes)")->required();
    add->add_option("--note", ao.note, "Note (附加信息, at most 1000 GBK bytes)");
    add->callback([&ctx, lon, lat] {
        ao.haveCoordinates = lon->count() > 0 || lat->count() > 0;
        ctx.exitCode = runAdd(ao, ctx);
    });

    cases->add_subcommand("list", "Every live case: index, name, class, date and time, 公/农, 男/女, identity")
        ->callback([&ctx] { ctx.exitCode = runList(ctx); });

    static std::string showIndex;
    static bool showReport = false;
    auto* show = cases->add_subcommand("show", "The fields of a case, or its stored report as text");
    show->add_option("CASE", showIndex, "Record index or identity, as cases list prints them")->required();
    show->add_flag("--report", showReport, "Print the stored report (bazi_f/INDEX.rtf) as text");
    show->callback([&ctx] { ctx.exitCode = runShow(showIndex, showReport, ctx); });

    static std::string removeIndex, removeId;
    auto* remove = cases->add_subcommand("remove", "Delete a case and its report file");
    remove->add_option("CASE", removeIndex, "Record index or identity, as cases list prints them")->required();
    remove->add_option("--id", removeId, "Refuse unless the index still holds the case of this identity");
    remove->callback([&ctx] { ctx.exitCode = runRemove(removeIndex, removeId, ctx); });

    static SearchOptions so;
    auto* search = cases->add_subcommand("search", "Indices of the live cases matching every criterion given");
    search->add_option("--name", so.name, "Name contains the text");
    search->add_flag("--name-exact", so.nameExact, "Name equals the text");
    search->add_option("--class", so.className, "Class contains the text");
    search->add_flag("--class-exact", so.classExact, "Class equals the text");
    search->add_option("--sex", so.sex, "男 or 女");
    search->add_option("--years", so.years, "Birth years A B, inclusive (astronomical)")->expected(2);
    search->add_option("--province", so.province, "Province index 0..34")->check(CLI::Range(0, ProvinceTable::kCount - 1));
    search->callback([&ctx] { ctx.exitCode = runSearch(so, ctx); });

    static std::string exportDir;
    auto* exp = cases->add_subcommand("export", "Copy the whole history (record and report files) into DIR");
    exp->add_option("DIR", exportDir, "Target folder (created when missing)")->required();
    exp->callback([&ctx] { ctx.exitCode = runExport(exportDir, ctx); });

    static std::string importFile;
    auto* imp = cases->add_subcommand(
        "import", "Replace the whole history with an exported one; prints the backup kept of the old one");
    imp->add_option("FILE", importFile, "The exported record file 0 (DIR/bazi0.dat)")->required();
    imp->callback([&ctx] { ctx.exitCode = runImport(importFile, ctx); });

    cases->add_subcommand("clear", "Delete every case and report; prints the backup kept of them")
        ->callback([&ctx] { ctx.exitCode = runClear(ctx); });

    cases->add_subcommand("backups",
                          "Backups kept by clear, import and restore (dat/backups, the newest 5), oldest first: "
                          "name, cases (? when unreadable), bytes")
        ->callback([&ctx] { ctx.exitCode = runBackups(ctx); });

    static std::string restoreName;
    auto* restore = cases->add_subcommand(
        "restore", "Replace the whole history with a backup (the current one is backed up first)");
    restore->add_option("NAME", restoreName, "Backup name, as cases backups prints it")->required();
    restore->callback([&ctx] { ctx.exitCode = runRestore(restoreName, ctx); });
}

const CommandRegistrar registrar(40, &setup);

}  // namespace
}  // namespace hj::cli
