// Damaged and hostile files through the program's own reading paths: each gives its default or
// a clear message, never a crash, a hang or an unbounded allocation.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "chart_test_support.h"
#include "core/presentation/case_tree.h"
#include "core/presentation/commentary.h"
#include "core/places/places.h"
#include "core/casestore/case_store.h"
#include "core/chart/chart_settings.h"
#include "core/divination/stroke_dictionary.h"
#include "core/rtf/rtf.h"
#include "core/text/file_io.h"
#include "core/text/gbk.h"
#include "core/text/ini.h"

namespace fs = std::filesystem;
using namespace hj;

namespace {

class HostileFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("hj_hostile_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "dat");
    }
    void TearDown() override { fs::remove_all(dir); }
    void put(const std::string& rel, const std::string& bytes) {
        std::ofstream(dir / rel, std::ios::binary | std::ios::trunc) << bytes;
    }
    fs::path dir;
};

std::string header(std::int32_t count, std::int32_t deleted, std::int16_t files, std::uint8_t kind = 0) {
    casestore::StoreHeader h;
    h.kind = kind;
    h.count = count;
    h.deletedCount = deleted;
    h.fileCount = files;
    auto b = casestore::encodeHeader(h);
    return std::string(b.data(), b.size());
}

}  // namespace

TEST_F(HostileFiles, ReportFilesThatAreNotRtfDeepOrTruncated) {
    struct Case { const char* what; std::string bytes; bool readable; };
    const Case cases[] = {
        {"garbage", std::string("\x00\xff\x13garbage\x80\x81", 12), false},
        {"empty", "", false},
        {"deep nesting", "{\\rtf1 " + std::string(200000, '{') + "x" + std::string(200000, '}') + "}", true},
        {"unclosed nesting", "{\\rtf1 " + std::string(300000, '{') + "tail", true},
        {"truncated escape", "{\\rtf1\\ansi abc\\'c", true},
        {"truncated control word", "{\\rtf1\\ansi abc\\fs99999999999999999999", true},
        {"huge unicode", "{\\rtf1 \\u99999999999? \\u-70000? x}", true},
        {"binary run", "{\\rtf1 \\bin2147483647 abc}", true},
    };
    for (const Case& c : cases) {
        rtf::Document doc;
        std::string error;
        bool ok = rtf::readRtf(c.bytes, doc, &error);
        EXPECT_EQ(ok, c.readable) << c.what;
        if (!ok) {
            EXPECT_FALSE(error.empty()) << c.what;
        }
    }
    // Too large a file is refused before it is parsed.
    rtf::Document doc;
    std::string error;
    EXPECT_FALSE(rtf::readRtf("{\\rtf1 " + std::string(rtf::kMaxInputBytes, 'a') + "}", doc, &error));
    EXPECT_FALSE(error.empty());
}

TEST_F(HostileFiles, PlaceFileWithBrokenValues) {
    put("dat/dili.ini", text::utf8ToGbkLossy("[北京]\r\n北京=abc*def\r\n海淀=116:xx*39:54\r\n朝阳=116:28\r\n东城=116:28*39:54\r\n"));
    text::IniFile dili((dir / "dat/dili.ini").string());
    struct Case { const char* place; bool ok; };
    for (const Case& c : {Case{"北京", false}, Case{"海淀", false}, Case{"朝阳", false}, Case{"东城", true}, Case{"没有", true}}) {
        PlaceCoordinates p;
        std::string error;
        EXPECT_EQ(placeCoordinates(dili, "北京", c.place, p, &error), c.ok) << c.place;
        if (!c.ok) {
            EXPECT_FALSE(error.empty()) << c.place;
        }
    }
    EXPECT_EQ(placesOf(dili, "北京").size(), 4u);
}

TEST_F(HostileFiles, SettingsWithNonsenseValuesReadAsDefaults) {
    put("dat/bzinit.ini",
        "[set]\r\nzishi=abc\r\nmgong=-1\r\npai=99999999999\r\nidate=3\r\nleftpos=-40\r\nzhong=abc\r\nyue=2\r\n"
        "endinfo=\r\nsave=0x\r\n");
    ChartSettings s = loadChartSettings(dir.string());
    ChartSettings d;
    EXPECT_EQ(s.zishi, d.zishi);
    EXPECT_EQ(s.mgong, d.mgong);
    EXPECT_EQ(s.pai, d.pai);
    EXPECT_EQ(s.idate, d.idate);
    EXPECT_EQ(s.leftpos, d.leftpos);
    EXPECT_EQ(s.zhong, d.zhong);
    EXPECT_EQ(s.yue, d.yue);
    EXPECT_EQ(s.endinfo, d.endinfo);
    EXPECT_EQ(s.save, d.save);
    put("dat/bzinit.ini", "[set]\r\nleftpos=100000\r\n");
    EXPECT_LE(loadChartSettings(dir.string()).leftpos, 500);
}

TEST_F(HostileFiles, StrokeDictionaryMissingOrShort) {
    StrokeDictionary missing((dir / "dat/hzlen.dat").string());
    EXPECT_EQ(missing.strokesOf("张"), 0);
    EXPECT_FALSE(missing.errorText().empty());
    NameGrids g;
    EXPECT_FALSE(missing.computeGrids("张三", true, g));
    std::string listing;
    EXPECT_FALSE(missing.listCharactersOfElement(1, listing));

    put("dat/hzlen.dat", std::string(10, '\x01'));
    StrokeDictionary shortFile((dir / "dat/hzlen.dat").string());
    EXPECT_EQ(shortFile.strokesOf("张"), 0);
    EXPECT_FALSE(shortFile.errorText().empty());
    EXPECT_FALSE(shortFile.computeGrids("张三", true, g));
}

TEST_F(HostileFiles, CommentaryWithAbsurdCount) {
    put("dat/bzpingyu.dat", text::utf8ToGbkLossy("[性格]\r\ntol=2147483647\r\n1=甲\r\n[职业]\r\ntol=-5\r\n[财运]\r\ntol=x\r\n"));
    text::IniFile f((dir / "dat/bzpingyu.dat").string());
    std::string huge = presentation::commentaryText(f, "性格");
    EXPECT_EQ(huge.rfind("1:甲\n", 0), 0u);
    EXPECT_LT(huge.size(), 1u << 20);  // bounded, not two billion lines
    EXPECT_EQ(presentation::commentaryText(f, "职业"), "");
    EXPECT_EQ(presentation::commentaryText(f, "财运"), "");
}

TEST_F(HostileFiles, RecordFilesWithAbsurdHeadersOrTruncated) {
    struct Case { const char* what; std::string bytes; bool opens; };
    const Case cases[] = {
        {"negative count", header(-5, 0, 1), false},
        {"count beyond the files", header(2000000000, 0, 1), false},
        {"deleted above count", header(3, 9, 1) + std::string(3 * casestore::kRecordSize, '\0'), false},
        {"negative file count", header(1, 0, -3) + std::string(casestore::kRecordSize, '\0'), false},
        {"more record files listed than needed", header(1, 0, 32767) + std::string(casestore::kRecordSize, '\0'), true},
        {"other kind", header(0, 0, 1, 3), false},
        {"short header", std::string(7, '\0'), false},
    };
    for (const Case& c : cases) {
        put("dat/bazi0.dat", c.bytes);
        casestore::CaseStore store;
        EXPECT_EQ(store.openStore(dir.string()), c.opens) << c.what;
        if (!c.opens) {
            EXPECT_FALSE(store.lastError().empty()) << c.what;
        }
    }
    // A record file cut short: the records it still holds read, the lost ones fail cleanly.
    put("dat/bazi0.dat", header(5, 0, 1) + std::string(2 * casestore::kRecordSize + 100, '\0'));
    casestore::CaseStore store;
    if (store.openStore(dir.string())) {
        casestore::CaseRecord r;
        EXPECT_FALSE(store.readRecord(4, r));
        EXPECT_FALSE(store.readRecord(-1, r));
        EXPECT_FALSE(store.readRecord(1 << 30, r));
    } else {
        EXPECT_FALSE(store.lastError().empty());
    }
}

TEST_F(HostileFiles, ChartWithBrokenTextResourcesStillReports) {
    // A footer file of binary junk and an enormous line: the report ends, bounded.
    put("dat/bzinit.ini", "[set]\r\nendinfo=1\r\n");
    put("dat/EndInfo.txt", std::string("\xff\xfe\x00junk\r\n", 9) + std::string(100000, 'x') + "\r\n");
    ChartRequest req;
    req.name = "某人";
    req.year = 2000;
    const fixtures::Built chart = fixtures::buildChart(req, dir.string());
    ASSERT_TRUE(chart.ok) << chart.error;
    EXPECT_FALSE(chart.report.text.empty());
}

TEST_F(HostileFiles, SpecialFilesInPlaceOfDataFiles) {
#ifdef _WIN32
    GTEST_SKIP() << "FIFOs and symbolic links have no Windows form for a user without privileges (wine has neither)";
#else
    ::alarm(60);  // a reader that waits on a FIFO fails the test instead of hanging the suite
    put("private.txt", text::utf8ToGbkLossy("[set]\r\nendinfo=1\r\n[性格]\r\ntol=1\r\n1=秘密\r\n"));
    const fs::path target = dir / "private.txt";
    const std::string privateBytes = text::utf8ToGbkLossy("[set]\r\nendinfo=1\r\n[性格]\r\ntol=1\r\n1=秘密\r\n");
    enum Kind { Fifo, Link, Oversized };
    struct Case { const char* file; Kind kind; };
    const Case cases[] = {
        {"bzinit.ini", Fifo}, {"bzinit.ini", Link}, {"bzinit.ini", Oversized},
        {"dili.ini", Fifo},   {"dili.ini", Link},   {"bzpingyu.dat", Oversized},
        {"EndInfo.txt", Fifo}, {"EndInfo.txt", Link}, {"EndInfo.txt", Oversized},
        {"hzlen.dat", Fifo},  {"hzlen.dat", Link},
    };
    for (const Case& c : cases) {
        const fs::path path = dir / "dat" / c.file;
        const std::string what = std::string(c.file) + " kind " + std::to_string(c.kind);
        fs::remove(path);
        if (c.kind == Fifo) {
            ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0) << what;
        }
        if (c.kind == Link) fs::create_symlink(target, path);
        if (c.kind == Oversized) {
            put(std::string("dat/") + c.file, "[set]\r\nendinfo=1\r\n");
            fs::resize_file(path, text::kMaxProfileBytes + 1);  // sparse: costs no disk
        }
        const std::string file = c.file;
        if (file == "EndInfo.txt") {
            put("dat/bzinit.ini", "[set]\r\nendinfo=1\r\n");
            ChartRequest req;
            req.name = "某人";
            const fixtures::Built chart = fixtures::buildChart(req, dir.string());
            EXPECT_FALSE(chart.ok) << what;
            EXPECT_NE(chart.error.find("EndInfo.txt"), std::string::npos) << what << ": " << chart.error;
            fs::remove(dir / "dat/bzinit.ini");
        } else if (file == "hzlen.dat") {
            StrokeDictionary d(path.string());
            EXPECT_EQ(d.strokesOf("张"), 0) << what;
            std::string listing;
            EXPECT_FALSE(d.listCharactersOfElement(1, listing)) << what;
        } else {
            text::IniFile ini(path.string());
            EXPECT_FALSE(ini.reload()) << what;
            EXPECT_NE(ini.lastError().find(c.file), std::string::npos) << what;
            EXPECT_TRUE(ini.sections().empty()) << what;  // nothing read through the link
            // Never replaced by the little this object holds.
            EXPECT_FALSE(ini.writeInt("set", "zishi", 1)) << what;
            if (file == "bzinit.ini") {
                EXPECT_EQ(loadChartSettings(dir.string()).endinfo, ChartSettings{}.endinfo) << what;
            }
        }
        // The special file is still what it was, and a link's target is untouched.
        if (c.kind == Fifo) {
            EXPECT_TRUE(fs::is_fifo(fs::symlink_status(path))) << what;
        }
        if (c.kind == Link) {
            EXPECT_TRUE(fs::is_symlink(fs::symlink_status(path))) << what;
        }
        if (c.kind == Oversized) {
            EXPECT_EQ(fs::file_size(path), text::kMaxProfileBytes + 1) << what;
        }
        fs::remove(path);
    }
    std::ifstream in(target, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), privateBytes);
    ::alarm(0);
#endif
}

TEST_F(HostileFiles, GbkTextsThatAlsoReadAsUtf8) {
    // 同学, 卢陆 and 同学录 in GBK are also well-formed UTF-8 ("ͬѧ", "¬½", "ͬѧ¼").
    put("dat/bzinit.ini", text::utf8ToGbkLossy("[classes]\r\ncount=2\r\n1=同学\r\n2=卢陆\r\n[set]\r\nendinfo=1\r\n"));
    put("dat/EndInfo.txt", text::utf8ToGbkLossy("同学录\r\n"));
    text::IniFile ini((dir / "dat/bzinit.ini").string());
    EXPECT_EQ(presentation::readClassList(ini, ""), (std::vector<std::string>{"同学", "卢陆"}));
    ASSERT_TRUE(ini.writeInt("set", "zishi", 1)) << ini.lastError();
    std::ifstream in(dir / "dat/bzinit.ini", std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    EXPECT_NE(bytes.find(text::utf8ToGbkLossy("2=卢陆\r\n")), std::string::npos);
    ChartRequest req;
    req.name = "某人";
    const fixtures::Built chart = fixtures::buildChart(req, dir.string());
    ASSERT_TRUE(chart.ok) << chart.error;
    EXPECT_EQ(chart.report.text.substr(chart.report.text.size() - 11), "同学录\r\n");
}
