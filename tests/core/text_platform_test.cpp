// The platform layer does the same on POSIX and on Windows (these run under wine too): replacing
// an existing file, a lock against a second holder, bytes read as they are, Chinese paths.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "core/platform/platform.h"
#include "core/text/file_io.h"
#include "core/text/folder_lock.h"

namespace hj::platform {
namespace {

namespace fs = std::filesystem;

class PlatformTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = utf8Of(fs::temp_directory_path()) + "/hj_platform_" + std::to_string(processId()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(pathOf(root));
        ASSERT_TRUE(makeFolder(root));
    }
    void TearDown() override { fs::remove_all(pathOf(root)); }

    bool put(const std::string& path, const std::string& bytes) {
        const Handle h = openFile(path, Open::WriteTruncate);
        return h != kNoHandle && writeAll(h, bytes) && syncFile(h) && closeFile(h);
    }
    std::string get(const std::string& path) {
        std::string bytes, error;
        EXPECT_TRUE(text::readRegularFile(path, 1 << 20, bytes, &error)) << error;
        return bytes;
    }
    std::string root;
};

TEST_F(PlatformTest, ReplacingAnExistingFileAgainAndAgain) {
    const std::string target = root + "/bzinit.ini", tmp = root + "/bzinit.ini.new";
    ASSERT_TRUE(put(target, "old"));
    for (const char* next : {"second", "third"}) {
        ASSERT_TRUE(put(tmp, next));
        ASSERT_TRUE(replaceFile(tmp, target)) << next;
        EXPECT_EQ(get(target), next);
        EXPECT_EQ(kindOf(tmp), Kind::Missing);
    }
    std::string error;
    for (const char* next : {"fourth", "fifth"}) {
        ASSERT_TRUE(text::writeFileAtomically(target, next, &error)) << error;
        EXPECT_EQ(get(target), next);
    }
    // Only the target is left: no temporary beside it.
    std::vector<std::string> names;
    ASSERT_TRUE(listFolder(root, names));
    EXPECT_EQ(names, std::vector<std::string>{"bzinit.ini"});
    // A name that exists is never taken over by renameNoReplace.
    ASSERT_TRUE(put(tmp, "new"));
    EXPECT_FALSE(renameNoReplace(tmp, target));
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(get(target), "fifth");
}

TEST_F(PlatformTest, ALockIsHeldAgainstASecondHolder) {
    FolderLockHandle a, b;
    ASSERT_TRUE(a.open(root, false));
    ASSERT_TRUE(b.open(root, false));
    ASSERT_TRUE(a.tryLock(true));
    EXPECT_FALSE(b.tryLock(false));
    EXPECT_EQ(errno, EWOULDBLOCK);
    EXPECT_FALSE(b.tryLock(true));
    a.release();
    ASSERT_TRUE(b.tryLock(false));
    ASSERT_TRUE(a.open(root, false));
    EXPECT_TRUE(a.tryLock(false));  // readers share
    a.release();
    b.release();
    // Through the folder lock every change takes: a second taker waits, then gives up.
    text::FolderLock first, second;
    std::string error;
    ASSERT_TRUE(first.take(root, true, 0, &error)) << error;
    bool missing = false, busy = false;
    EXPECT_FALSE(second.take(root, false, 20, &error, &missing, &busy));
    EXPECT_TRUE(busy);
    EXPECT_FALSE(missing);
    first.release();
    EXPECT_TRUE(second.take(root, false, 0, &error)) << error;
    EXPECT_FALSE(text::FolderLock().take(root + "/gone", true, 0, &error, &missing));
    EXPECT_TRUE(missing);
}

TEST_F(PlatformTest, BytesAreReadAsTheyAre) {
    // 0x1A ends a text-mode read on Windows; CRLF would become LF; NUL and high bytes stay.
    const std::string bytes = std::string("a\x1A\r\nb\r\n\0z", 9) + "\xB4\xA8\x1A\xFF";
    const std::string path = root + "/hzlen.dat";
    ASSERT_TRUE(put(path, bytes));
    EXPECT_EQ(get(path), bytes);
    const Handle h = openFile(path, Open::Read);
    ASSERT_NE(h, kNoHandle);
    EXPECT_EQ(fileSize(h), static_cast<std::int64_t>(bytes.size()));
    char buf[4] = {};
    EXPECT_EQ(readAt(h, 1, buf, 3), 3);
    EXPECT_EQ(std::string(buf, 3), "\x1A\r\n");
    EXPECT_EQ(readAt(h, 11, buf, 4), 2);  // short at the end
    closeFile(h);
    // Writes at an offset leave the rest.
    const Handle w = openFile(path, Open::ReadWrite);
    ASSERT_NE(w, kNoHandle);
    ASSERT_TRUE(writeAt(w, 2, "\r\r", 2));
    ASSERT_TRUE(truncateFile(w, 5));
    closeFile(w);
    EXPECT_EQ(get(path), "a\x1A\r\rb");
}

TEST_F(PlatformTest, ChinesePathsAndKindsOfEntries) {
    const std::string folder = root + "/数据 张三";
    const std::string file = folder + "/命例.dat";
    ASSERT_TRUE(makeFolder(folder));
    EXPECT_FALSE(makeFolder(folder));
    EXPECT_EQ(errno, EEXIST);
    const Handle h = openFile(file, Open::WriteNew);
    ASSERT_NE(h, kNoHandle);
    ASSERT_TRUE(writeAll(h, "甲子"));
    ASSERT_TRUE(closeFile(h));
    EXPECT_EQ(openFile(file, Open::WriteNew), kNoHandle);
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(get(file), "甲子");
    EXPECT_EQ(kindOf(file), Kind::File);
    EXPECT_EQ(kindOf(folder), Kind::Folder);
    EXPECT_EQ(kindOf(folder + "/无"), Kind::Missing);
    EXPECT_TRUE(fs::is_regular_file(pathOf(file)));
    EXPECT_EQ(utf8Of(pathOf(file).filename()), "命例.dat");
    std::vector<std::string> names;
    ASSERT_TRUE(listFolder(folder, names));
    EXPECT_EQ(names, std::vector<std::string>{"命例.dat"});
    EntryInfo info;
    ASSERT_TRUE(entryInfo(file, info));
    EXPECT_EQ(info.kind, Kind::File);
    EXPECT_EQ(info.size, 6);
    EXPECT_FALSE(info.identity.empty());

    bool notRegular = false;
    EXPECT_EQ(openFile(folder, Open::Read, &notRegular), kNoHandle);
    EXPECT_TRUE(notRegular);
    EXPECT_EQ(openFile(folder + "/无.dat", Open::Read, &notRegular), kNoHandle);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_FALSE(notRegular);
    EXPECT_EQ(parentFolder(file), folder);

    // A tree goes as a whole, and a missing one is no error.
    ASSERT_TRUE(makeFolder(folder + "/子"));
    ASSERT_TRUE(put(folder + "/子/0.rtf", "x"));
    std::string failedAt;
    bool tooDeep = false;
    ASSERT_TRUE(removeTree(folder, 4, failedAt, tooDeep)) << failedAt;
    EXPECT_EQ(kindOf(folder), Kind::Missing);
    EXPECT_TRUE(removeTree(folder, 4, failedAt, tooDeep));
}

TEST(Platform, CivilTimesBeforeAndAfter1970) {
    struct Case {
        std::int64_t seconds;
        CivilTime want;
    };
    const Case cases[] = {{0, {1970, 1, 1, 0, 0, 0}},
                          {-1, {1969, 12, 31, 23, 59, 59}},
                          {-2208988800, {1900, 1, 1, 0, 0, 0}},
                          {951782400, {2000, 2, 29, 0, 0, 0}},
                          {4102444799, {2099, 12, 31, 23, 59, 59}}};
    for (const Case& c : cases) {
        CivilTime t;
        ASSERT_TRUE(utcTime(c.seconds, t)) << c.seconds;
        EXPECT_EQ(std::vector<int>({t.year, t.month, t.day, t.hour, t.minute, t.second}),
                  std::vector<int>({c.want.year, c.want.month, c.want.day, c.want.hour, c.want.minute, c.want.second}))
            << c.seconds;
    }
    EXPECT_FALSE(programFolder().empty());
}

}  // namespace
}  // namespace hj::platform
