// The case tree's rules without windows: node texts, class names and the [classes] list, and
// what the main window's copy of the open case does when the tree changes the same case.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/text/strings.h"
#include "core/presentation/case_session.h"
#include "core/presentation/case_tree.h"
#include "core/text/ini.h"

using hj::casestore::CaseRecord;
namespace presentation = hj::presentation;
namespace fs = std::filesystem;

namespace {

CaseRecord record(const char* name, int year, int month, int day, int index, bool lunar = false, bool leap = false,
                  bool male = true) {
    CaseRecord r;
    r.name = name;
    r.year = static_cast<std::int16_t>(year);
    r.month = static_cast<std::int16_t>(month);
    r.day = static_cast<std::int16_t>(day);
    r.index = index;
    r.lunar = lunar;
    r.leap = leap;
    r.male = male;
    return r;
}

struct TempIni {
    fs::path dir = fs::temp_directory_path() / ("hj_case_tree_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                                "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    TempIni() { fs::create_directories(dir); }
    ~TempIni() { fs::remove_all(dir); }
    std::string path() const { return (dir / "bzinit.ini").string(); }
};

}  // namespace

TEST(CaseTreeText, NodeTexts) {
    struct Row {
        CaseRecord r;
        const char* text;
    };
    const Row rows[] = {
        {record("李四", 1990, 5, 12, 7), "李四  公1990-5-12|7"},
        {record("王五", 1984, 4, 3, 0, true, true), "王五  农闰1984-4-3|0"},
        {record("王五", 1984, 4, 3, 12, true, false), "王五  农1984-4-3|12"},
        {record("赵", 2000, 1, 1, 3, false, true), "赵  公2000-1-1|3"},  // leap counts only with lunar
        {record("古人", -99, 2, 9, 50000), "古人  公-100-2-9|50000"},
        {record("元年", 0, 1, 1, 1), "元年  公-1-1-1|1"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(presentation::caseNodeText(row.r), row.text);
        EXPECT_EQ(presentation::caseIndexOfNodeText(row.text), row.r.index) << row.text;
    }
    EXPECT_EQ(presentation::caseNodeImage(record("a", 1, 1, 1, 0, false, false, true)), presentation::kImageMale);
    EXPECT_EQ(presentation::caseNodeImage(record("a", 1, 1, 1, 0, false, false, false)), presentation::kImageFemale);
}

TEST(CaseTreeText, IndexAndNameOfText) {
    EXPECT_EQ(presentation::caseIndexOfNodeText("a|b|42"), 42);  // the last bar counts
    EXPECT_EQ(presentation::caseIndexOfNodeText("no bar"), -1);
    EXPECT_EQ(presentation::caseIndexOfNodeText("x|"), -1);
    EXPECT_EQ(presentation::caseIndexOfNodeText("x|12a"), -1);
    EXPECT_EQ(presentation::caseIndexOfNodeText("x|-3"), -1);
    EXPECT_EQ(presentation::caseNameOfNodeText("李四  公1990-5-12|7"), "李四");
    EXPECT_EQ(presentation::caseNameOfNodeText("nobody"), "nobody");
}

TEST(CaseTreeClasses, NamesAndLimits) {
    EXPECT_TRUE(presentation::sameClassName("ABC", "abc"));
    EXPECT_TRUE(presentation::sameClassName("客户A", "客户a"));
    EXPECT_FALSE(presentation::sameClassName("客户", "客人"));
    EXPECT_EQ(hj::text::trimmed("  新类别 \t"), "新类别");
    EXPECT_TRUE(presentation::classNameAcceptable("六个汉字类别"));   // 12 bytes
    EXPECT_FALSE(presentation::classNameAcceptable("七个汉字的类别"));  // 14 bytes
    EXPECT_TRUE(presentation::classNameAcceptable("abcdefghijkl"));
    EXPECT_FALSE(presentation::classNameAcceptable("abcdefghijklm"));
    EXPECT_FALSE(presentation::classNameAcceptable(""));
    EXPECT_FALSE(presentation::classNameAcceptable("😀"));  // no GBK form
    EXPECT_EQ(presentation::firstBadClassLine({"朋友", " 客户 ", "同事"}), 0);
    EXPECT_EQ(presentation::firstBadClassLine({"朋友", "   ", "同事"}), 2);
    EXPECT_EQ(presentation::firstBadClassLine({"朋友", "同事", "七个汉字的类别"}), 3);
}

TEST(CaseTreeClasses, ListInSettings) {
    TempIni t;
    hj::text::IniFile ini(t.path());
    EXPECT_TRUE(presentation::readClassList(ini, presentation::kDefaultClass).empty());
    ASSERT_TRUE(presentation::addToClassList(ini, "朋友"));
    ASSERT_TRUE(presentation::addToClassList(ini, "Abc"));
    ASSERT_TRUE(presentation::addToClassList(ini, "ABC"));  // already there, whatever the case
    EXPECT_EQ(presentation::readClassList(ini, ""), (std::vector<std::string>{"朋友", "Abc"}));
    ASSERT_TRUE(presentation::renameInClassList(ini, "abc", "客户"));
    ASSERT_TRUE(presentation::renameInClassList(ini, "没有", "别的"));  // no match: unchanged
    hj::text::IniFile again(t.path());
    again.reload();
    EXPECT_EQ(presentation::readClassList(again, ""), (std::vector<std::string>{"朋友", "客户"}));
    // A missing key reads as the given default; a shorter list leaves the old keys unread.
    ASSERT_TRUE(again.writeInt("classes", "count", 3));
    EXPECT_EQ(presentation::readClassList(again, presentation::kDefaultClass), (std::vector<std::string>{"朋友", "客户", "临时保存"}));
    ASSERT_TRUE(presentation::writeClassList(again, {"甲"}));
    EXPECT_EQ(presentation::readClassList(again, ""), (std::vector<std::string>{"甲"}));
    EXPECT_EQ(again.readString("classes", "2", ""), "客户");
    // A damaged count cannot make the list endless.
    ASSERT_TRUE(again.writeInt("classes", "count", 2000000000));
    EXPECT_EQ(presentation::readClassList(again, "").size(), static_cast<std::size_t>(presentation::kClassListMax));
}

// Two windows (or a window and a command-line run) each holding the file as read at start:
// every change to the list reads it as it is on disk, so none is lost.
TEST(CaseTreeClasses, TwoCopiesKeepEachOthersClasses) {
    struct Step {
        int who;  // 0 or 1
        enum { Add, Rename, WriteAll } op;
        const char* a;
        const char* b;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"both add", {{0, Step::Add, "朋友", ""}, {1, Step::Add, "同事", ""}}, {"朋友", "同事"}},
        {"the same class from both", {{0, Step::Add, "朋友", ""}, {1, Step::Add, "朋友", ""}}, {"朋友"}},
        {"rename of a class the other added",
         {{0, Step::Add, "朋友", ""}, {1, Step::Add, "同事", ""}, {0, Step::Rename, "同事", "客户"}},
         {"朋友", "客户"}},
        {"add after the other wrote the whole list",
         {{0, Step::Add, "朋友", ""}, {1, Step::WriteAll, "甲", ""}, {0, Step::Add, "乙", ""}},
         {"甲", "乙"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempIni t;
        hj::text::IniFile copies[2] = {hj::text::IniFile(t.path()), hj::text::IniFile(t.path())};
        for (const Step& s : c.steps) {
            hj::text::IniFile& ini = copies[s.who];
            const bool ok = s.op == Step::Add      ? presentation::addToClassList(ini, s.a)
                            : s.op == Step::Rename ? presentation::renameInClassList(ini, s.a, s.b)
                                                   : presentation::writeClassList(ini, {s.a});
            ASSERT_TRUE(ok) << ini.lastError();
        }
        hj::text::IniFile disk(t.path());
        EXPECT_EQ(presentation::readClassList(disk, ""), c.expected);
        EXPECT_EQ(presentation::readClassList(copies[c.steps.back().who], ""), c.expected);
    }
    // A list that cannot be stored as a whole leaves the file as it was.
    TempIni t;
    hj::text::IniFile ini(t.path());
    ASSERT_TRUE(presentation::writeClassList(ini, {"甲", "乙"}));
    EXPECT_FALSE(presentation::writeClassList(ini, {"丙", "😀", "丁"}));
    EXPECT_EQ(presentation::readClassList(hj::text::IniFile(t.path()), ""), (std::vector<std::string>{"甲", "乙"}));
}

TEST(CaseEditState, RequestKeepsClassNoteAndIndex) {
    presentation::CaseEditState s;
    CaseRecord stored = record("李四", 1990, 5, 12, 7);
    stored.className = "朋友";
    stored.note = "备注:老友";
    s.open(7, stored, "/x/bazi_f/7.rtf");
    hj::ChartRequest req;
    req.name = "王五";
    req.year = 1984;
    req.lunar = true;
    req.male = false;
    req.place = "北京市-北京市";
    s.takeRequest(req);
    EXPECT_EQ(s.record().name, "王五");
    EXPECT_EQ(s.record().year, 1984);
    EXPECT_EQ(s.record().lunar, 1);
    EXPECT_EQ(s.record().male, 0);
    EXPECT_EQ(s.record().place, "北京市-北京市");
    EXPECT_EQ(s.record().className, "朋友");
    EXPECT_EQ(s.record().note, "备注:老友");
    EXPECT_EQ(s.record().index, 7);
    EXPECT_EQ(s.openCaseId(), 7);
}

TEST(CaseEditState, ChangesThroughTheTreeAreKept) {
    CaseRecord stored = record("李四", 1990, 5, 12, 7);
    stored.className = "朋友";
    stored.note = "备注:一";
    struct Row {
        const char* what;
        void (*change)(CaseRecord&);
    };
    const Row rows[] = {
        {"move", [](CaseRecord& r) { r.className = "客户"; }},
        {"edit note and date", [](CaseRecord& r) {
             r.note = "备注:二";
             r.year = 1991;
         }},
        {"edit name and sex", [](CaseRecord& r) {
             r.name = "李四四";
             r.male = 0;
         }},
    };
    for (const Row& row : rows) {
        presentation::CaseEditState s;
        s.open(7, stored, "p");
        // The chart was recomputed in the window meanwhile: its hour must survive.
        s.record().hour = 23;
        CaseRecord after = stored;
        row.change(after);
        EXPECT_TRUE(s.applyStoredChange(stored, after)) << row.what;
        CaseRecord expected = after;
        expected.hour = 23;
        EXPECT_EQ(s.record(), expected) << row.what;
    }
    // Another case's change leaves the copy alone.
    presentation::CaseEditState s;
    s.open(7, stored, "p");
    CaseRecord other = stored;
    other.index = 8;
    CaseRecord otherAfter = other;
    otherAfter.className = "客户";
    EXPECT_FALSE(s.applyStoredChange(other, otherAfter));
    EXPECT_EQ(s.record().className, "朋友");
}

// The store as another window left it: the same case changed stays open (its changes taken, the
// revision read kept); another case or none in the slot ends editing. A record that had no
// stored identity and got one with a change elsewhere is still the same case.
TEST(CaseEditState, FollowsTheStore) {
    CaseRecord plain = record("李四", 1990, 5, 12, 7);
    plain.caseId = std::uint64_t{1} << 63 | 42;  // a fingerprint: no stored identity
    plain.revision = plain.caseId;
    struct Case {
        const char* what;
        bool present;
        void (*change)(CaseRecord&);
        bool ends;
    };
    const Case cases[] = {
        {"moved, identity given", true, [](CaseRecord& r) { r.className = "客户"; r.caseId = 77; r.revision = 1; }, false},
        {"renamed, identity given", true, [](CaseRecord& r) { r.name = "王五"; r.caseId = 77; r.revision = 1; }, true},
        {"another fingerprint", true, [](CaseRecord& r) { r.note = "x"; r.caseId = std::uint64_t{1} << 63 | 43; }, true},
        {"removed", false, [](CaseRecord&) {}, true},
    };
    for (const Case& c : cases) {
        presentation::CaseEditState s;
        s.open(7, plain, "p");
        CaseRecord now = plain;
        c.change(now);
        EXPECT_EQ(s.followStore(c.present ? &now : nullptr), c.ends) << c.what;
        EXPECT_EQ(s.editingCase(), !c.ends) << c.what;
        if (!c.ends) {
            EXPECT_EQ(s.record().className, "客户") << c.what;
            EXPECT_EQ(s.openCase().id, 77u) << c.what;
            EXPECT_EQ(s.openCase().revision, plain.revision) << c.what;  // a save from here is refused
        }
    }
}

TEST(CaseEditState, DeletionEndsEditing) {
    presentation::CaseEditState s;
    s.open(7, record("李四", 1990, 5, 12, 7), "p");
    EXPECT_FALSE(s.forgetDeleted(8));
    EXPECT_TRUE(s.editingCase());
    EXPECT_TRUE(s.forgetDeleted(7));
    EXPECT_FALSE(s.editingCase());
    EXPECT_EQ(s.openCaseId(), -1);
    EXPECT_TRUE(s.openReportPath().empty());
    // Not editing: a later change of that slot does not reach the copy.
    CaseRecord before = record("李四", 1990, 5, 12, 7);
    CaseRecord after = before;
    after.className = "x";
    EXPECT_FALSE(s.applyStoredChange(before, after));
}

// Opening a stored case shows its birth data in the inputs again: what a save wrote comes back,
// the zone and fold of a birth abroad (or of a repeated hour at home) included.
TEST(CaseEditState, RecordGivesBackTheRequestItWasMadeFrom) {
    struct Case {
        const char* what;
        hj::ChartRequest req;
    };
    const auto request = [](const char* name, int year, bool lunar, bool leap, bool male, int province, int city,
                            const char* place, const char* zone, int fold) {
        hj::ChartRequest q;
        q.name = name;
        q.year = static_cast<std::int16_t>(year);
        q.month = 4;
        q.day = 23;
        q.hour = 1;
        q.minute = 30;
        q.lunar = lunar;
        q.leap = leap;
        q.male = male;
        q.province = static_cast<std::int16_t>(province);
        q.city = static_cast<std::int16_t>(city);
        q.longitude = 116.4f;
        q.latitude = -39.9f;
        q.place = place;
        q.zone = zone;
        q.fold = fold;
        return q;
    };
    const Case cases[] = {
        {"solar, male, a Chinese place", request("张三", 1990, false, false, true, 1, 0, "北京市-北京市", "", 1)},
        {"lunar leap month, female, BC", request("李四", -120, true, true, false, 3, 5, "某省-某市", "", 1)},
        {"abroad, second of a repeated hour", request("王五", 2021, false, false, true, 34, 0, "美国-纽约", "America/New_York", 2)},
        {"at home, second of a repeated hour", request("赵六", 1988, false, false, false, 1, 2, "北京市-北京市", "", 2)},
    };
    for (const Case& c : cases) {
        CaseRecord r;
        r.className = "朋友";
        presentation::copyRequestInto(c.req, r);
        const hj::ChartRequest back = presentation::requestFromRecord(r);
        EXPECT_EQ(back.name, c.req.name) << c.what;
        EXPECT_EQ(back.entered(), c.req.entered()) << c.what;
        EXPECT_EQ(back.lunar, c.req.lunar) << c.what;
        EXPECT_EQ(back.leap, c.req.leap) << c.what;
        EXPECT_EQ(back.male, c.req.male) << c.what;
        EXPECT_EQ(back.province, c.req.province) << c.what;
        EXPECT_EQ(back.city, c.req.city) << c.what;
        EXPECT_EQ(back.longitude, c.req.longitude) << c.what;
        EXPECT_EQ(back.latitude, c.req.latitude) << c.what;
        EXPECT_EQ(back.place, c.req.place) << c.what;
        EXPECT_EQ(back.zone, c.req.zone) << c.what;
        EXPECT_EQ(back.fold, c.req.fold) << c.what;
        EXPECT_TRUE(back.yearly) << c.what;
    }
    // Pad bytes that do not hold a zone (their check does not fit) give a Chinese birth.
    CaseRecord odd = record("甲", 1990, 5, 12, 0);
    odd.pad50 = 0x8001;
    odd.pad45 = 0;
    const hj::ChartRequest q = presentation::requestFromRecord(odd);
    EXPECT_TRUE(q.zone.empty());
    EXPECT_EQ(q.fold, 1);
}
