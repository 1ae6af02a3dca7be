#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/wait.h>
#endif
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "core/text/strings.h"
#include "core/text/fields.h"
#include "core/text/folder_lock.h"
#include "core/text/gbk.h"
#include "core/text/ini.h"

using namespace hj::text;
namespace fs = std::filesystem;

TEST(Gbk, RoundTripAndLengths) {
    std::string gbk;
    ASSERT_TRUE(utf8ToGbk("甲子a", gbk));
    EXPECT_EQ(gbk, "\xBC\xD7\xD7\xD3" "a");
    EXPECT_EQ(gbkToUtf8(gbk), "甲子a");

    struct Case { const char* text; std::size_t gbkLen; };
    for (const Case& c : {Case{"", 0}, Case{"abc", 3}, Case{"命稿", 4}, Case{"乾造 甲子", 9}, Case{"　", 2}})
        EXPECT_EQ(gbkLength(c.text), c.gbkLen) << c.text;
}

TEST(Gbk, InvalidBytesNeverCrash) {
    // A lone lead byte at the end, an invalid trail byte, and 0xFF.
    EXPECT_EQ(gbkToUtf8("\xBC"), "\xEF\xBF\xBD");
    EXPECT_EQ(gbkToUtf8("a\xFF" "b"), "a\xEF\xBF\xBD" "b");
    std::string out = gbkToUtf8("\x81\x20z");
    EXPECT_NE(out.find('z'), std::string::npos);
    // Characters GBK cannot hold are refused, naming the character.
    std::string gbk, bad;
    EXPECT_FALSE(utf8ToGbk("甲😀乙", gbk, &bad));
    EXPECT_EQ(bad, "😀");
    EXPECT_FALSE(utf8ToGbk("a\xC3", gbk, &bad));
    EXPECT_EQ(utf8ToGbkLossy("甲😀"), "\xBC\xD7?");
}

TEST(Gbk, UserDefinedCharactersAreOneCharacterEach) {
    // The first and last code of each user-defined area, followed by 甲 (BCD7): the trail byte
    // must never pair with the next lead byte.
    struct Case { const char* gbk; const char* utf8; };
    const Case cases[] = {
        {"\xAA\xA1", "\uE000"}, {"\xAF\xFE", "\uE233"}, {"\xF8\xA1", "\uE234"},
        {"\xFE\xFE", "\uE4C5"}, {"\xA1\x40", "\uE4C6"}, {"\xA1\x80", "\uE505"},
        {"\xA7\xA0", "\uE765"},
    };
    for (const Case& c : cases) {
        const std::string in = std::string(c.gbk) + "\xBC\xD7";
        EXPECT_EQ(gbkToUtf8(in), std::string(c.utf8) + "甲") << c.utf8;
        std::string back;
        ASSERT_TRUE(utf8ToGbk(std::string(c.utf8) + "甲", back)) << c.utf8;
        EXPECT_EQ(back, in) << c.utf8;
        EXPECT_EQ(gbkLength(c.utf8), 2u);
    }
    // Outside the areas: A1 7F is no pair; the Private Use character after the last has no GBK form.
    EXPECT_EQ(gbkToUtf8("\xA1\x7F" "a"), "\xEF\xBF\xBD\x7F" "a");
    std::string gbk;
    EXPECT_FALSE(utf8ToGbk("\uE766", gbk));
}

TEST(Fields, ControlCharactersAndBlankNames) {
    struct Case { const char* text; bool needsText; bool ok; };
    const Case cases[] = {
        {"张三", true, true},         {"张 三", true, true},       {"", false, true},
        {"", true, false},            {"   ", true, false},        {"　", true, false},
        {" \u3000\u00A0\u2003", true, false}, {"　", false, true},  {"张\t三", true, false},
        {"张\n", true, false},        {"\r", false, false},        {"\x1b[31m", true, false},
        {"响\a", false, false},       {"\x7f", true, false},       {"\u0085", true, false},
        {"a\u2028b", true, false},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_EQ(checkFieldText(c.text, "类别名", c.needsText, &error), c.ok) << c.text;
        if (!c.ok) {
            EXPECT_EQ(error.rfind("类别名", 0), 0u) << c.text;
        }
    }
}

TEST(Gbk, TruncateAndPadCountGbkBytes) {
    struct Case { const char* text; std::size_t limit; const char* expect; };
    for (const Case& c : {Case{"甲乙丙", 5, "甲乙"}, Case{"甲乙丙", 6, "甲乙丙"}, Case{"a甲", 2, "a"},
                          Case{"abc", 0, ""}, Case{"甲a", 3, "甲a"}})
        EXPECT_EQ(truncateGbk(c.text, c.limit), c.expect) << c.text << " " << c.limit;
    EXPECT_EQ(padRight("甲", 6), "甲    ");
    EXPECT_EQ(padLeft("甲a", 5), "  甲a");
    EXPECT_EQ(padRight("甲乙丙", 4), "甲乙丙");
}

TEST(Gbk, FileTextDecoding) {
    EXPECT_EQ(decodeFileText("\xEF\xBB\xBF命"), "命");
    // Without the mark the bytes are GBK, even where they also read as UTF-8: 同学录.
    EXPECT_EQ(decodeFileText("\xCD\xAC\xD1\xA7\xC2\xBC"), "同学录");
    EXPECT_EQ(decodeFileText("\xC3\xFC"), "命");  // GBK bytes
    char field[6] = {'a', 'b', 0, 'x', 'y', 'z'};
    EXPECT_EQ(gbkField(field, 6), "ab");
    char full[3] = {'a', 'b', 'c'};
    EXPECT_EQ(gbkField(full, 3), "abc");
}

class IniTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("hj_ini_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        path = (dir / "bzinit.ini").string();
    }
    void TearDown() override { fs::remove_all(dir); }
    void put(const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
    std::string get() {
        std::string s;
        readWholeFile(path, s);
        return s;
    }
    fs::path dir;
    std::string path;
};

TEST_F(IniTest, ReadsWithDefaultsCaseInsensitiveFirstWins) {
    put("; comment\r\n[Set]\r\nZishi=1\r\nzishi=0\r\nleft = 12 \r\nbad=12x\r\nflag=true\r\n[winpos]\r\nw=$10\r\n");
    IniFile ini(path);
    EXPECT_EQ(ini.readInt("set", "ZISHI", 7), 1);
    EXPECT_EQ(ini.readInt("SET", "left", 0), 12);
    EXPECT_EQ(ini.readInt("set", "bad", 5), 5);
    EXPECT_EQ(ini.readInt("set", "missing", -3), -3);
    EXPECT_EQ(ini.readInt("winpos", "w", 0), 16);
    EXPECT_TRUE(ini.readBool("set", "flag", false));
    EXPECT_TRUE(ini.readBool("set", "zishi", false));
    EXPECT_EQ(ini.readString("nosuch", "k", "dflt"), "dflt");
    EXPECT_EQ(ini.sectionKeys("set"), (std::vector<std::string>{"Zishi", "left", "bad", "flag"}));
    EXPECT_EQ(ini.sections(), (std::vector<std::string>{"Set", "winpos"}));
}

TEST_F(IniTest, IntegerOverflowReadsAsDefault) {
    put("[a]\nbig=99999999999\nneg=-2147483648\n");
    IniFile ini(path);
    EXPECT_EQ(ini.readInt("a", "big", 4), 4);
    EXPECT_EQ(ini.readInt("a", "neg", 4), -2147483647 - 1);
}

TEST_F(IniTest, MissingFileIsEmptyAndCreatedOnWrite) {
    IniFile ini(path);
    EXPECT_TRUE(ini.sections().empty());
    EXPECT_FALSE(fs::exists(path));
    ASSERT_TRUE(ini.writeString("classes", "c1", "亲友"));
    EXPECT_EQ(get(), "[classes]\r\nc1=\xC7\xD7\xD3\xD1\r\n");  // GBK on disk
    IniFile again(path);
    EXPECT_EQ(again.readString("classes", "c1", ""), "亲友");
}

TEST_F(IniTest, WritesKeepCommentsOrderAndLineEnds) {
    put("; keep me\r\n[set]\r\nzishi=0\r\n\r\n[winpos]\r\nleft=1\r\n");
    IniFile ini(path);
    ASSERT_TRUE(ini.writeInt("SET", "ZiShi", 1));
    ASSERT_TRUE(ini.writeInt("set", "new", 5));
    ASSERT_TRUE(ini.writeBool("other", "b", true));
    EXPECT_EQ(get(), "; keep me\r\n[set]\r\nzishi=1\r\nnew=5\r\n\r\n[winpos]\r\nleft=1\r\n\r\n[other]\r\nb=1\r\n");
    ASSERT_TRUE(ini.deleteKey("set", "new"));
    ASSERT_TRUE(ini.deleteKey("set", "absent"));
    EXPECT_EQ(IniFile(path).sectionKeys("set"), std::vector<std::string>{"zishi"});
    ASSERT_TRUE(ini.eraseSection("other"));
    EXPECT_TRUE(IniFile(path).sectionKeys("other").empty());
}

TEST_F(IniTest, Utf8FilesReadAndUnixLineEndsKept) {
    put("\xEF\xBB\xBF[北京]\n北京=116度28分,39度54分\n");
    IniFile ini(path);
    EXPECT_EQ(ini.readString("北京", "北京", ""), "116度28分,39度54分");
    ASSERT_TRUE(ini.writeString("北京", "密云", "116度50分,40度22分"));
    std::string bytes = get();
    EXPECT_EQ(bytes.find('\r'), std::string::npos);
    EXPECT_EQ(IniFile(path).sectionKeys("北京"), (std::vector<std::string>{"北京", "密云"}));
}

TEST_F(IniTest, RefusedWritesChangeNothing) {
    put("[a]\r\nk=1\r\n");
    IniFile ini(path);
    EXPECT_FALSE(ini.writeString("a", "k", "😀"));
    EXPECT_NE(ini.lastError().find("😀"), std::string::npos);
    EXPECT_FALSE(ini.writeString("a", "k", "x\r\ny=2"));
    EXPECT_FALSE(ini.writeString("a", "", "x"));
    EXPECT_EQ(get(), "[a]\r\nk=1\r\n");
    EXPECT_EQ(ini.readInt("a", "k", 0), 1);
    // A folder that does not exist cannot take the file: reported, not ignored.
    IniFile nowhere((dir / "no" / "such.ini").string());
    EXPECT_FALSE(nowhere.writeInt("a", "k", 1));
    EXPECT_FALSE(nowhere.lastError().empty());
}

// Two objects on one file (two windows, two programs) and hand edits: a write changes only its
// own keys in the file as it is on disk, and the writer then holds that file.
TEST_F(IniTest, WritesChangeOnlyTheirKeysInTheFileAsItIsNow) {
    struct Case {
        const char* name;
        const char* start;
        std::function<IniFile&(IniFile& a, IniFile& b)> steps;  // returns the last writer
        const char* expected;
    };
    const Case cases[] = {
        {"each writes other keys", "[set]\r\nleftpos=500\r\npai=1\r\n",
         [](IniFile& a, IniFile& b) -> IniFile& {
             EXPECT_TRUE(a.writeInt("set", "leftpos", 0));
             EXPECT_TRUE(b.writeInt("winpos", "left", 5));
             return b;
         },
         "[set]\r\nleftpos=0\r\npai=1\r\n\r\n[winpos]\r\nleft=5\r\n"},
        {"hand edit between load and write", "[set]\r\npai=1\r\n",
         [this](IniFile& a, IniFile&) -> IniFile& {
             put("; by hand\r\n[set]\r\npai=0\r\nsave=1\r\n");
             EXPECT_TRUE(a.writeInt("winpos", "left", 5));
             return a;
         },
         "; by hand\r\n[set]\r\npai=0\r\nsave=1\r\n\r\n[winpos]\r\nleft=5\r\n"},
        {"one update beside a single write", "[set]\r\nleftpos=500\r\npai=1\r\nsave=1\r\n",
         [](IniFile& a, IniFile& b) -> IniFile& {
             EXPECT_TRUE(b.writeInt("winpos", "top", 7));
             EXPECT_TRUE(a.update([](IniEditor& e) {
                 return e.writeInt("set", "leftpos", 0) && e.writeInt("set", "pai", 0) && e.writeBool("set", "save", false);
             }));
             return a;
         },
         "[set]\r\nleftpos=0\r\npai=0\r\nsave=0\r\n\r\n[winpos]\r\ntop=7\r\n"},
        {"update reads what another wrote", "[classes]\r\ncount=1\r\n1=甲\r\n",
         [](IniFile& a, IniFile& b) -> IniFile& {
             EXPECT_TRUE(b.writeInt("classes", "count", 2) && b.writeString("classes", "2", "乙"));
             EXPECT_TRUE(a.update([](IniEditor& e) {
                 const int n = e.readInt("classes", "count", 0);
                 return e.writeInt("classes", "count", n + 1) && e.writeString("classes", std::to_string(n + 1), "丙");
             }));
             return a;
         },
         "[classes]\r\ncount=3\r\n1=甲\r\n2=乙\r\n3=丙\r\n"},
        {"delete and erase keep keys added meanwhile", "[a]\r\nx=1\r\ny=2\r\n[b]\r\nz=3\r\n",
         [](IniFile& a, IniFile& b) -> IniFile& {
             EXPECT_TRUE(b.writeInt("a", "w", 4));
             EXPECT_TRUE(b.writeInt("c", "v", 5));
             EXPECT_TRUE(a.deleteKey("a", "x"));
             EXPECT_TRUE(a.eraseSection("b"));
             return a;
         },
         "[a]\r\ny=2\r\nw=4\r\n[c]\r\nv=5\r\n"},  // the blank line went with [b]
        {"delete of a key written after the load", "[a]\r\nx=1\r\n",
         [](IniFile& a, IniFile& b) -> IniFile& {
             EXPECT_TRUE(b.writeInt("a", "y", 2));
             EXPECT_TRUE(a.deleteKey("a", "y"));
             return a;
         },
         "[a]\r\nx=1\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string start;
        ASSERT_TRUE(utf8ToGbk(c.start, start));
        put(start);
        IniFile a(path), b(path);
        IniFile& last = c.steps(a, b);
        std::string expected, image;
        ASSERT_TRUE(utf8ToGbk(c.expected, expected));
        EXPECT_EQ(get(), expected);
        ASSERT_TRUE(last.serialize(image));
        EXPECT_EQ(image, expected);  // the writer holds the file as written
    }
}

// A batch is the same bytes as the same writes one by one, on every kind of file.
TEST_F(IniTest, OneUpdateWritesWhatSingleWritesWrote) {
    const char* starts[] = {
        nullptr,  // no file yet
        "; comment\r\n[set]\r\npai=1\r\n\r\n[winpos]\r\nleft=1\r\n",
        "[set]\npai=1\n[set]\nsave=1\n",  // LF, a repeated section
        "[set]\r\npai=1",                  // no final line end
        "\xEF\xBB\xBF[set]\npai=1\n",      // UTF-8
    };
    const auto singles = [](IniFile& f) {
        return f.writeInt("set", "leftpos", 0) && f.writeInt("SET", "Pai", 0) && f.writeBool("set", "save", false) &&
               f.writeString("minggao", "fname", "宋体") && f.deleteKey("set", "pai") && f.writeInt("set", "pai", 1) &&
               f.eraseSection("winpos") && f.writeInt("winpos", "top", 3);
    };
    const auto batch = [](IniEditor& e) {
        return e.writeInt("set", "leftpos", 0) && e.writeInt("SET", "Pai", 0) && e.writeBool("set", "save", false) &&
               e.writeString("minggao", "fname", "宋体") && e.deleteKey("set", "pai") && e.writeInt("set", "pai", 1) &&
               e.eraseSection("winpos") && e.writeInt("winpos", "top", 3);
    };
    const std::string other = (dir / "other.ini").string();
    for (const char* start : starts) {
        SCOPED_TRACE(start ? start : "(missing)");
        fs::remove(path);
        fs::remove(other);
        if (start) {
            put(start);
            std::ofstream(other, std::ios::binary) << start;
        }
        IniFile one(path), many(other);
        ASSERT_TRUE(singles(one));
        ASSERT_TRUE(many.update(batch));
        std::string a, b;
        ASSERT_TRUE(readWholeFile(path, a));
        ASSERT_TRUE(readWholeFile(other, b));
        EXPECT_EQ(a, b);
    }
}

// A batch that cannot be written as a whole writes nothing, and the object keeps what it held.
TEST_F(IniTest, FailedUpdateChangesNothing) {
    struct Case {
        const char* name;
        std::function<bool(IniEditor&)> change;
        bool saysWhy;
    };
    const Case cases[] = {
        {"invalid key after a good one", [](IniEditor& e) { return e.writeInt("a", "k", 2) && e.writeInt("a", "x=y", 1); },
         true},
        {"value not in GBK", [](IniEditor& e) { return e.writeInt("a", "k", 2) && e.writeString("a", "m", "😀"); }, true},
        {"change gives up", [](IniEditor& e) { return e.writeInt("a", "k", 2) && false; }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        put("[a]\r\nk=1\r\n");
        IniFile ini(path);
        put("[a]\r\nk=1\r\nhand=1\r\n");  // changed after the load: the object keeps its image
        EXPECT_FALSE(ini.update(c.change));
        EXPECT_EQ(!ini.lastError().empty(), c.saysWhy);
        EXPECT_EQ(get(), "[a]\r\nk=1\r\nhand=1\r\n");
        EXPECT_EQ(ini.readInt("a", "k", 0), 1);
        EXPECT_FALSE(ini.hasKey("a", "hand"));
    }
}

// A write waits for whoever holds the data folder (the case store during a change, another
// settings write) and gives up with a message rather than writing beside it.
TEST_F(IniTest, WritesTakeTheFolderLock) {
    put("[a]\r\nk=1\r\n");
    for (const bool exclusive : {true, false}) {
        SCOPED_TRACE(exclusive ? "exclusive holder" : "shared holder");
        IniFile ini(path);
        ini.setLockWait(30);
        FolderLock holder;
        std::string error;
        ASSERT_TRUE(holder.take(dir.string(), exclusive, 0, &error)) << error;
        EXPECT_FALSE(ini.writeInt("a", "k", 2));
        EXPECT_NE(ini.lastError().find("另一个程序"), std::string::npos) << ini.lastError();
        EXPECT_EQ(get(), "[a]\r\nk=1\r\n");
        holder.release();
        ASSERT_TRUE(ini.writeInt("a", "k", 2)) << ini.lastError();
        ASSERT_TRUE(ini.writeInt("a", "k", 1)) << ini.lastError();
    }
}

// Programs writing at the same moment lose none of each other's keys.
TEST_F(IniTest, ConcurrentWritersLoseNothing) {
#ifdef _WIN32
    GTEST_SKIP() << "needs fork(): several processes writing one settings file";
#else
    constexpr int kWriters = 3, kKeys = 30;
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            IniFile ini(path);  // loaded before the others wrote: a stale image
            bool ok = true;
            for (int k = 0; k < kKeys; ++k)
                ok = ok && ini.writeInt("w" + std::to_string(w), "k" + std::to_string(k), k);
            ::_exit(ok ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    IniFile ini(path);
    for (int w = 0; w < kWriters; ++w)
        EXPECT_EQ(ini.sectionKeys("w" + std::to_string(w)).size(), static_cast<std::size_t>(kKeys)) << w;
#endif
}

// A window about to show settings rereads a file changed since it was read; one that cannot be
// read now leaves what was read before.
TEST_F(IniTest, RefreshFollowsChangesOnDisk) {
    put("[set]\r\npai=1\r\n");
    IniFile shown(path), other(path);
    ASSERT_TRUE(shown.refresh());
    EXPECT_EQ(shown.readInt("set", "pai", -1), 1);
    ASSERT_TRUE(other.writeInt("set", "pai", 0));  // same size, another file
    ASSERT_TRUE(shown.refresh());
    EXPECT_EQ(shown.readInt("set", "pai", -1), 0);
    put("[set]\r\npai=0\r\nsave=1\r\n");  // by hand, in place
    ASSERT_TRUE(shown.refresh());
    EXPECT_TRUE(shown.readBool("set", "save", false));
    fs::remove(path);
    ASSERT_TRUE(fs::create_directory(path));  // not a file any more
    EXPECT_FALSE(shown.refresh());
    EXPECT_FALSE(shown.lastError().empty());
    EXPECT_TRUE(shown.readBool("set", "save", false));
    EXPECT_FALSE(shown.writeInt("set", "pai", 1));  // never replaced
    EXPECT_TRUE(fs::is_directory(path));
}

TEST(Strings, TrimAndCompareAsEachCallerNeeds) {
    struct Row {
        std::string_view in, blanks, want;
    };
    for (const Row& r : {Row{"  a b \t", hj::text::kWhitespace, "a b"}, Row{"\r\n\f\vx\v", hj::text::kWhitespace, "x"},
                         Row{" \tkey \r", hj::text::kSpaceTab, "key \r"}, Row{" \t ", hj::text::kSpaceTab, ""},
                         Row{"", hj::text::kWhitespace, ""}})
        EXPECT_EQ(hj::text::trimmed(r.in, r.blanks), r.want) << r.in;
    EXPECT_EQ(hj::text::trimmedControls(std::string_view("\x01 \x1f名\x7f\x02", 7)), "名\x7f");
    EXPECT_TRUE(hj::text::equalsNoCase("[End]", "[eNd]"));
    EXPECT_FALSE(hj::text::equalsNoCase("END", "ENDS"));
    EXPECT_FALSE(hj::text::equalsNoCase("\xC1\xD2", "\xE1\xF2"));  // only ASCII letters fold
}
