// The main window's rules that need no window: chart-parameter text, input checks, the data
// folder, and the commentary text.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/text/gbk.h"
#include "core/presentation/chart_inputs.h"
#include "core/presentation/chart_params.h"
#include "core/presentation/commentary.h"
#include "core/text/data_folder.h"
#include "core/text/ini.h"

using namespace hj::presentation;
using hj::text::chooseDataFolder;
using hj::text::DataFolderInputs;
using hj::text::defaultDataFolder;
using hj::text::prepareDataFolder;
using hj::text::folderIsWritable;
namespace fs = std::filesystem;

namespace {
fs::path freshDir(const std::string& name) {
    fs::path p = fs::temp_directory_path() / ("hj_app_test_" + std::to_string(::getpid())) / name;
    fs::remove_all(p);
    fs::create_directories(p);
    return p;
}
void writeFile(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}
std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
}  // namespace

TEST(ChartParams, FormatsEachCalendarKind) {
    ChartParameters p;
    p.year = 1990; p.month = 5; p.day = 12; p.hour = 8; p.minute = 30;
    p.kind = calendarKind(false, false);
    p.male = true; p.name = "某人"; p.province = 0; p.city = 0;
    EXPECT_EQ(formatChartParameters(p), "mohang_mingli_data#1990 5 12 8 30 1#1#某人#0 0");
    p.kind = calendarKind(true, true);
    p.male = false; p.year = -120; p.province = 34; p.city = 2;
    EXPECT_EQ(formatChartParameters(p), "mohang_mingli_data#-120 5 12 8 30 3#0#某人#34 2");
    EXPECT_EQ(calendarKind(true, false), 2);
    EXPECT_EQ(calendarKind(false, true), 1);
}

TEST(ChartParams, ParsesWhatItFormats) {
    ChartParameters p;
    p.year = -850; p.month = 12; p.day = 31; p.hour = 23; p.minute = 59; p.kind = 3;
    p.male = false; p.name = "张三丰"; p.province = 30; p.city = 17;
    ChartParameters q;
    ASSERT_TRUE(parseChartParameters("  " + formatChartParameters(p) + "\r\n", q));
    EXPECT_EQ(q.year, p.year);
    EXPECT_EQ(q.month, 12);
    EXPECT_EQ(q.day, 31);
    EXPECT_EQ(q.hour, 23);
    EXPECT_EQ(q.minute, 59);
    EXPECT_EQ(q.kind, 3);
    EXPECT_FALSE(q.male);
    EXPECT_EQ(q.name, "张三丰");
    EXPECT_EQ(q.province, 30);
    EXPECT_EQ(q.city, 17);
}

TEST(ChartParams, ShortDateAndLooseNumbers) {
    ChartParameters q;
    // No calendar kind: the minute is the rest and the date is solar.
    ASSERT_TRUE(parseChartParameters("mohang_mingli_data#2000 2 3 4 5#0#某人#1 0", q));
    EXPECT_EQ(q.year, 2000);
    EXPECT_EQ(q.minute, 5);
    EXPECT_EQ(q.kind, 1);
    EXPECT_FALSE(q.male);
    EXPECT_EQ(q.province, 1);
    EXPECT_EQ(q.city, 0);
    // The sex is male when its first character is 1; unparsable place numbers count as 0.
    ASSERT_TRUE(parseChartParameters("mohang_mingli_data#2000 2 3 4 5 2#1x#某人#ab cd", q));
    EXPECT_TRUE(q.male);
    EXPECT_EQ(q.kind, 2);
    EXPECT_EQ(q.province, 0);
    EXPECT_EQ(q.city, 0);
    // Province 99 parses; the window maps it to 0.
    ASSERT_TRUE(parseChartParameters("mohang_mingli_data#2000 2 3 4 5 1#1#某人#99 0", q));
    EXPECT_EQ(q.province, 99);
    ASSERT_TRUE(parseChartParameters("mohang_mingli_data#-4713 1 1 0 0 1#1#a#0 0", q));
    ASSERT_TRUE(parseChartParameters("mohang_mingli_data#9999 1 1 0 0 1#1#a#0 0", q));
}

TEST(ChartParams, RefusesBrokenTexts) {
    const char* bad[] = {
        "",
        "MOHANG_MINGLI_DATA#2000 2 3 4 5 1#1#某人#1 0",  // tag case differs
        "#2000 2 3 4 5 1#1#某人#1 0",
        "mohang_mingli_data 2000 2 3 4 5 1#1#某人#1 0",
        "mohang_mingli_data#2000 13 3 4 5 1#1#某人#1 0",  // month 13
        "mohang_mingli_data#0 2 3 4 5 1#1#某人#1 0",      // year 0
        "mohang_mingli_data#10000 2 3 4 5 1#1#某人#1 0",
        "mohang_mingli_data#-4714 2 3 4 5 1#1#某人#1 0",
        "mohang_mingli_data#abc 2 3 4 5 1#1#某人#1 0",
        "mohang_mingli_data#2000 2 32 4 5 1#1#某人#1 0",
        "mohang_mingli_data#2000 2 0 4 5 1#1#某人#1 0",
        "mohang_mingli_data#2000 2 3 24 5 1#1#某人#1 0",
        "mohang_mingli_data#2000 2 3 x 5 1#1#某人#1 0",
        "mohang_mingli_data#2000 2 3 4 60 1#1#某人#1 0",
        "mohang_mingli_data#2000 2 3 4 5 4#1#某人#1 0",   // kind 4
        "mohang_mingli_data#2000 2 3 4 5 0#1#某人#1 0",
        "mohang_mingli_data#2000 2 3 4#1#某人#1 0",       // too few fields
        "mohang_mingli_data#2000 2 3 4 5 1##某人#1 0",     // empty sex
        "mohang_mingli_data#2000 2 3 4 5 1#1##1 0",        // empty name
        "mohang_mingli_data#2000 2 3 4 5 1#1#某\t人#1 0",   // control characters in the name
        "mohang_mingli_data#2000 2 3 4 5 1#1#\x1b[2J#1 0",
        "mohang_mingli_data#2000 2 3 4 5 1#1#　#1 0",       // only an ideographic space
        "mohang_mingli_data#2000 2 3 4 5 1#1#某人#1 ",      // trimmed to "1": too short
        "mohang_mingli_data#2000 2 3 4 5 1#1#某人",         // no place part
        "mohang_mingli_data#2000 2 3 4 5 1#1#某人#",
    };
    for (const char* t : bad) {
        ChartParameters q;
        q.name = "unchanged";
        EXPECT_FALSE(parseChartParameters(t, q)) << t;
        EXPECT_EQ(q.name, "unchanged") << t;
    }
}

TEST(ChartInputs, HourItemsAndYearField) {
    EXPECT_EQ(hourItemText(0), "0时子");
    EXPECT_EQ(hourItemText(1), "1时丑");
    EXPECT_EQ(hourItemText(2), "2时丑");
    EXPECT_EQ(hourItemText(11), "11时午");
    EXPECT_EQ(hourItemText(12), "12时午");
    EXPECT_EQ(hourItemText(22), "22时亥");
    EXPECT_EQ(hourItemText(23), "23时子");

    struct Case { const char* text; int value; bool accepted; };
    for (const Case& c : {Case{"0", 0, false}, Case{"-851", -851, false}, Case{"2101", 2101, false},
                          Case{"abc", -1000, false}, Case{"", -1000, false}, Case{"12a", -1000, false},
                          Case{"-850", -850, true}, Case{"2100", 2100, true}, Case{"-1", -1, true},
                          Case{"+5", 5, true}}) {
        EXPECT_EQ(yearFromField(c.text), c.value) << c.text;
        EXPECT_EQ(yearIsAccepted(yearFromField(c.text)), c.accepted) << c.text;
    }
    EXPECT_EQ(intFromField("x", -300), -300);
    EXPECT_EQ(intFromField("-179", 0), -179);
}

TEST(DataFolder, ChoiceOrder) {
    const fs::path base = freshDir("choice");
    DataFolderInputs in;
    in.programDir = (base / "prog").string();
    in.home = (base / "home").string();
    fs::create_directories(in.programDir);
    EXPECT_EQ(chooseDataFolder(in), in.programDir);
    in.envHome = (base / "env/").string();
    EXPECT_EQ(chooseDataFolder(in), (base / "env").string());
    in.explicitDir = (base / "explicit").string();
    EXPECT_EQ(chooseDataFolder(in), in.explicitDir);

#ifndef _WIN32  // Windows folders have no mode bits that stop writing
    if (::geteuid() != 0) {  // root may write anywhere
        in.explicitDir.clear();
        in.envHome.clear();
        ::chmod(in.programDir.c_str(), 0555);
        EXPECT_EQ(chooseDataFolder(in), (base / "home/.local/share/hengjian").string());
        in.xdgDataHome = (base / "xdg").string();
        EXPECT_EQ(chooseDataFolder(in), (base / "xdg/hengjian").string());
        ::chmod(in.programDir.c_str(), 0755);
    }
#endif
}

TEST(DataFolder, SeedsMissingFilesOnly) {
    const fs::path base = freshDir("seed");
    const fs::path defaults = base / "prog" / "dat-default";
    fs::create_directories(defaults);
    writeFile(defaults / "dili.ini", "[a]\r\nb=1:0*2:0\r\n");
    writeFile(defaults / "EndInfo.txt", "default footer\r\n");
    EXPECT_EQ(defaultDataFolder((base / "prog").string()), fs::weakly_canonical(defaults).string());
    EXPECT_EQ(defaultDataFolder((base / "nowhere").string()), "");

    const fs::path root = base / "data";
    fs::create_directories(root / "dat");
    writeFile(root / "dat" / "EndInfo.txt", "mine");
    std::string error;
    ASSERT_TRUE(prepareDataFolder(root.string(), defaults.string(), &error)) << error;
    EXPECT_TRUE(fs::is_directory(root / "bazi_f"));
    EXPECT_EQ(readFile(root / "dat" / "dili.ini"), "[a]\r\nb=1:0*2:0\r\n");
    EXPECT_EQ(readFile(root / "dat" / "EndInfo.txt"), "mine");  // never replaced
    int entries = 0;  // no temporary copy is left behind
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(root / "dat")) ++entries;
    EXPECT_EQ(entries, 2);

    // A root that cannot be created is reported.
    writeFile(base / "plainfile", "x");
    EXPECT_FALSE(prepareDataFolder((base / "plainfile" / "sub").string(), "", &error));
    EXPECT_FALSE(error.empty());
}

TEST(Commentary, EntriesWithGapsAndMissingTopics) {
    hj::text::IniFile f;
    f.loadFromBytes(hj::text::utf8ToGbkLossy("[性格]\r\ntol=3\r\n1=one\r\n3=three\r\n[职业]\r\ntol=0\r\n1=never\r\n"));
    EXPECT_EQ(commentaryText(f, "性格"), "1:one\n2: \n3:three\n");
    EXPECT_EQ(commentaryText(f, "职业"), "");
    EXPECT_EQ(commentaryText(f, "财运"), "");
    f.loadFromBytes(hj::text::utf8ToGbkLossy("[性格]\r\ntol=2000000000\r\n"));
    const std::string many = commentaryText(f, "性格");
    EXPECT_EQ(std::count(many.begin(), many.end(), '\n'), 10000);
}
