// The history as a whole: exports that fail or race, folders that are links, leftovers of
// interrupted changes, and the backups kept by clearing and importing.
#include <gtest/gtest.h>
#include <sys/stat.h>
#ifndef _WIN32
#include <sys/wait.h>
#endif
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core/casestore/case_store.h"
#include "core/casestore/store_file.h"
#include "test_files.h"

using namespace hj::casestore;
namespace fs = std::filesystem;
using hjtest::readFile;
using hjtest::writeFile;

namespace {


CaseRecord person(const std::string& name) {
    CaseRecord r;
    r.name = name;
    r.className = "客户";
    return r;
}
std::string reportFor(const std::string& name) { return "{\\rtf1 " + name + "}"; }

// Adds cases with reports naming them.
void fill(CaseStore& s, const std::vector<std::string>& names) {
    for (const std::string& n : names) {
        const std::string rep = reportFor(n);
        ASSERT_GE(s.addRecord(person(n), &rep), 0) << s.lastError();
    }
}

// "name:report" of every live case, or a line saying what failed.
std::vector<std::string> contents(CaseStore& s) {
    std::vector<CaseRecord> all;
    if (!s.readAllRecords(all)) return {"list failed: " + s.lastError()};
    std::vector<std::string> rows;
    for (const CaseRecord& r : all) {
        CaseRecord again;
        std::string report;
        bool has = false;
        if (!s.readCase(r.index, again, &report, &has)) return {"show failed: " + s.lastError()};
        rows.push_back(r.name + ":" + (has ? report : "-"));
    }
    return rows;
}

// Entries of a folder whose names start with `prefix`.
std::vector<std::string> entriesStartingWith(const fs::path& folder, const std::string& prefix) {
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec))
        if (e.path().filename().string().rfind(prefix, 0) == 0) out.push_back(e.path().filename().string());
    return out;
}

class HistoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        static int serial = 0;
        root = fs::temp_directory_path() / ("hj_history_" + std::to_string(::getpid()) + "_" + std::to_string(serial++));
        detail::setFlushing(false);  // no power is cut here
        fs::remove_all(root);
        ASSERT_TRUE(store.openStore((root / "app").string())) << store.lastError();
    }
    void TearDown() override { fs::remove_all(root); }
    fs::path app() const { return root / "app"; }
    fs::path root;
    CaseStore store;
};

}  // namespace

TEST_F(HistoryTest, AnExportWithAFailedCopyLeavesNoRecordFileZero) {
#ifdef _WIN32
    GTEST_SKIP() << "FIFOs and symbolic links have no Windows form for a user without privileges (wine has neither)";
#else
    ::alarm(60);  // a blocking open of a FIFO would hang here
    fill(store, {"甲", "乙"});
    writeFile(root / "private.txt", "secret");
    const fs::path earlier = root / "earlier";
    ASSERT_TRUE(store.exportTo(earlier.string())) << store.lastError();
    const std::string earlierImage = readFile(earlier / "bazi0.dat");
    fill(store, {"丙"});
    struct Case {
        const char* what;
        std::function<void()> spoil, mend;
    };
    const fs::path reports = app() / "bazi_f";
    const Case cases[] = {
        {"a report is a FIFO", [&] { ::mkfifo((reports / "9.rtf").c_str(), 0644); }, [&] { fs::remove(reports / "9.rtf"); }},
        {"a report is a link", [&] { fs::create_symlink(root / "private.txt", reports / "9.rtf"); },
         [&] { fs::remove(reports / "9.rtf"); }},
        {"a report is too large", [&] { writeFile(reports / "9.rtf", "x"); fs::resize_file(reports / "9.rtf", 17u << 20); },
         [&] { fs::remove(reports / "9.rtf"); }},
    };
    for (const Case& c : cases) {
        c.spoil();
        const fs::path fresh = root / "fresh";
        EXPECT_FALSE(store.exportTo(fresh.string())) << c.what;
        EXPECT_FALSE(store.lastError().empty()) << c.what;
        EXPECT_FALSE(fs::exists(fresh / "bazi0.dat")) << c.what;
        EXPECT_TRUE(entriesStartingWith(fresh, ".").empty()) << c.what;
        // Into the folder of an earlier export: that export stays whole, never half replaced.
        EXPECT_FALSE(store.exportTo(earlier.string())) << c.what;
        EXPECT_TRUE(readFile(earlier / "bazi0.dat") == earlierImage) << c.what;
        EXPECT_FALSE(fs::exists(earlier / "bazi_f" / "2.rtf")) << c.what;
        EXPECT_EQ(readFile(earlier / "bazi_f" / "1.rtf"), reportFor("乙")) << c.what;
        EXPECT_TRUE(entriesStartingWith(earlier, ".").empty()) << c.what;
        fs::remove_all(fresh);
        c.mend();
    }
    // Mended, the export replaces the earlier one; a stale report of a larger export goes.
    writeFile(earlier / "bazi_f" / "7.rtf", "stale");
    ASSERT_TRUE(store.exportTo(earlier.string())) << store.lastError();
    CaseStore other;
    ASSERT_TRUE(other.openStore((root / "other").string()));
    ASSERT_TRUE(other.importFrom((earlier / "bazi0.dat").string())) << other.lastError();
    EXPECT_EQ(contents(other), (std::vector<std::string>{"甲:" + reportFor("甲"), "乙:" + reportFor("乙"), "丙:" + reportFor("丙")}));
    EXPECT_FALSE(fs::exists(earlier / "bazi_f" / "7.rtf"));
    // A target the user reaches through a link is the folder it names.
    fs::create_directories(root / "real");
    fs::create_directory_symlink(root / "real", root / "linked");
    ASSERT_TRUE(store.exportTo((root / "linked").string())) << store.lastError();
    EXPECT_TRUE(fs::is_regular_file(root / "real" / "bazi0.dat"));
    ASSERT_TRUE(other.importFrom((root / "linked" / "bazi0.dat").string())) << other.lastError();
    ::alarm(0);
#endif
}

TEST_F(HistoryTest, ExportsOfTwoStoresIntoOneFolderNeverMix) {
#ifdef _WIN32
    GTEST_SKIP() << "needs fork(): several processes exporting into one folder";
#else
    // Two stores with different cases export into one folder again and again while a third
    // process imports from it: every import is one whole store, records with their reports.
    const std::vector<std::string> names[2] = {{"东一", "东二", "东三"}, {"西一", "西二"}};
    for (int k = 0; k < 2; ++k) {
        CaseStore s;
        ASSERT_TRUE(s.openStore((root / ("s" + std::to_string(k))).string()));
        fill(s, names[k]);
    }
    const fs::path target = root / "shared";
    std::vector<pid_t> kids;
    for (int k = 0; k < 2; ++k) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            CaseStore s;
            bool ok = s.openStore((root / ("s" + std::to_string(k))).string());
            for (int n = 0; ok && n < 15; ++n) ok = s.exportTo(target.string());
            _exit(ok ? 0 : 1);
        }
        kids.push_back(pid);
    }
    std::vector<std::string> expected[2];
    for (int k = 0; k < 2; ++k)
        for (const std::string& name : names[k]) expected[k].push_back(name + ":" + reportFor(name));
    auto whole = [&](const std::vector<std::string>& rows) {
        std::string joined;
        for (const std::string& r : rows) joined += r + " ";
        return (rows == expected[0] || rows == expected[1]) ? std::string() : joined;
    };
    // Imports while the exports run, then once more after both ended.
    int imports = 0, running = 2;
    for (int n = 0; running > 0 || n == 0; ++n) {
        for (pid_t& k : kids) {
            int status = 0;
            if (k > 0 && ::waitpid(k, &status, WNOHANG) == k) {
                EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
                k = 0;
                --running;
            }
        }
        CaseStore reader;
        ASSERT_TRUE(reader.openStore((root / "reader").string()));
        if (!reader.importFrom((target / "bazi0.dat").string())) continue;  // not exported yet, or being replaced
        ++imports;
        EXPECT_EQ(whole(contents(reader)), "") << "import " << n;
    }
    EXPECT_GT(imports, 0);
    CaseStore last;
    ASSERT_TRUE(last.openStore((root / "last").string()));
    ASSERT_TRUE(last.importFrom((target / "bazi0.dat").string())) << last.lastError();
    const std::vector<std::string> rows = contents(last);
    EXPECT_EQ(whole(rows), "");
    // No report of the other store's export stays behind.
    EXPECT_EQ(static_cast<std::size_t>(std::distance(fs::directory_iterator(target / "bazi_f"), {})), rows.size());
    EXPECT_TRUE(entriesStartingWith(target, ".").empty());
#endif
}

TEST_F(HistoryTest, ChangesRefuseFoldersThatAreLinksOrFiles) {
#ifdef _WIN32
    GTEST_SKIP() << "FIFOs and symbolic links have no Windows form for a user without privileges (wine has neither)";
#else
    fill(store, {"甲", "乙"});
    const std::vector<std::string> before = contents(store);
    const std::string image = readFile(app() / "dat" / "bazi0.dat");
    const fs::path outside = root / "outside";
    fs::create_directories(outside);
    writeFile(outside / "0.rtf", "not the store's");
    writeFile(outside / "1.rtf", "not the store's");
    struct Case {
        const char* what;
        fs::path path;   // the folder replaced
        bool asLink;     // by a link to `outside`, else by a file
    };
    const Case cases[] = {
        {"report folder a link", app() / "bazi_f", true},
        {"pending folder a link", app() / "bazi_f" / ".pending", true},
        {"staged records a file", app() / "dat" / ".staged", false},
        {"staged reports a link", app() / "bazi_f" / ".staged", true},
        {"backup folder a link", app() / "dat" / "backups", true},
    };
    for (const Case& c : cases) {
        const fs::path aside = root / "aside";
        const bool existed = fs::exists(c.path);
        if (existed) fs::rename(c.path, aside);
        if (c.asLink) fs::create_directory_symlink(outside, c.path);
        else writeFile(c.path, "in the way");
        const std::string rep = reportFor("丙");
        EXPECT_FALSE(store.removeRecord(0, true)) << c.what;
        EXPECT_NE(store.lastError().find(c.path.string()), std::string::npos) << c.what << ": " << store.lastError();
        EXPECT_EQ(store.addRecord(person("丙"), &rep), -1) << c.what;
        EXPECT_FALSE(store.clearAll()) << c.what;
        EXPECT_TRUE(store.historyKept()) << c.what;
        EXPECT_FALSE(store.importFrom((root / "nowhere" / "bazi0.dat").string())) << c.what;
        EXPECT_EQ(readFile(outside / "0.rtf"), "not the store's") << c.what;
        EXPECT_EQ(readFile(outside / "1.rtf"), "not the store's") << c.what;
        EXPECT_TRUE(readFile(app() / "dat" / "bazi0.dat") == image) << c.what;
        fs::remove(c.path);
        if (existed) fs::rename(aside, c.path);
        EXPECT_EQ(contents(store), before) << c.what;
    }
    // dat/ itself a link: refused too, and the folder it names keeps its files.
    fs::rename(app() / "dat", root / "dat-real");
    fs::create_directory_symlink(root / "dat-real", app() / "dat");
    EXPECT_FALSE(store.removeRecord(0, true));
    EXPECT_NE(store.lastError().find((app() / "dat").string()), std::string::npos) << store.lastError();
    EXPECT_FALSE(store.clearAll());
    EXPECT_TRUE(readFile(root / "dat-real" / "bazi0.dat") == image);
    fs::remove(app() / "dat");
    fs::rename(root / "dat-real", app() / "dat");
    EXPECT_TRUE(store.removeRecord(0, true)) << store.lastError();
#endif
}

TEST_F(HistoryTest, LeftoversOfAnInterruptedChangeGoAtTheNextOperation) {
    fill(store, {"甲"});
    const fs::path leftovers[] = {app() / "dat" / ".staged", app() / "bazi_f" / ".staged", app() / "bazi_f" / ".pending",
                                  app() / "dat" / "backups" / ".new-1-1-1", app() / "dat" / "backups" / ".old-1-1-1"};
    for (const fs::path& p : leftovers) {
        fs::create_directories(p);
        writeFile(p / "bazi0.dat", "half");
    }
    std::vector<CaseRecord> all;
    ASSERT_TRUE(store.readAllRecords(all)) << store.lastError();  // a reader, not only the next change
    for (const fs::path& p : leftovers) EXPECT_FALSE(fs::exists(p)) << p;
}

TEST_F(HistoryTest, ClearAndImportKeepTheReplacedHistoryAsABackup) {
    fill(store, {"甲", "乙", "丙"});
    ASSERT_TRUE(store.removeRecord(1, true));
    const std::vector<std::string> before = contents(store);
    std::vector<BackupInfo> list;
    ASSERT_TRUE(store.listBackups(list));
    EXPECT_TRUE(list.empty());

    ASSERT_TRUE(store.clearAll()) << store.lastError();
    const std::string first = store.lastBackup();
    ASSERT_TRUE(store.listBackups(list)) << store.lastError();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].name, first);
    EXPECT_EQ(list[0].cases, 2);
    EXPECT_EQ(list[0].bytes, static_cast<std::int64_t>(20 + 3 * 1184 + reportFor("甲").size() + reportFor("丙").size()));
    EXPECT_LE(std::abs(list[0].time - static_cast<std::int64_t>(std::time(nullptr))), 5);
    // Clearing an empty history keeps nothing: it would only push real backups out.
    ASSERT_TRUE(store.clearAll());
    EXPECT_TRUE(store.lastBackup().empty());

    ASSERT_TRUE(store.restoreBackup(first)) << store.lastError();
    EXPECT_EQ(contents(store), before);
    EXPECT_FALSE(store.restoreBackup("../../etc"));
    EXPECT_FALSE(store.restoreBackup("20991231-235959"));
    EXPECT_FALSE(store.lastError().empty());

    // Each clear of a history with cases adds one; the newest five stay, oldest first.
    std::vector<std::string> made{first};
    for (int n = 0; n < 6; ++n) {
        fill(store, {"新" + std::to_string(n)});
        ASSERT_TRUE(store.clearAll()) << store.lastError();
        made.push_back(store.lastBackup());
    }
    ASSERT_TRUE(store.listBackups(list));
    std::vector<std::string> names;
    for (const BackupInfo& b : list) names.push_back(b.name);
    EXPECT_EQ(names, std::vector<std::string>(made.end() - kBackupsKept, made.end()));
    EXPECT_EQ(list.back().cases, 1);
    EXPECT_TRUE(entriesStartingWith(app() / "dat" / "backups", ".").empty());

    // An import keeps the history it replaces too, and restoring undoes the import.
    fill(store, {"留"});
    const std::vector<std::string> kept = contents(store);
    CaseStore src;
    ASSERT_TRUE(src.openStore((root / "src").string()));
    fill(src, {"外"});
    ASSERT_TRUE(src.exportTo((root / "out").string()));
    ASSERT_TRUE(store.importFrom((root / "out" / "bazi0.dat").string())) << store.lastError();
    const std::string beforeImport = store.lastBackup();
    ASSERT_FALSE(beforeImport.empty());
    ASSERT_TRUE(store.restoreBackup(beforeImport)) << store.lastError();
    EXPECT_EQ(contents(store), kept);
    ASSERT_FALSE(store.lastBackup().empty());  // the imported history, kept in its turn
}

TEST_F(HistoryTest, ABackupThatCannotBeMadeStopsTheClear) {
#ifdef _WIN32
    GTEST_SKIP() << "FIFOs and symbolic links have no Windows form for a user without privileges (wine has neither)";
#else
    ::alarm(60);
    fill(store, {"甲"});
    const std::string image = readFile(app() / "dat" / "bazi0.dat");
    ::mkfifo((app() / "bazi_f" / "5.rtf").c_str(), 0644);
    EXPECT_FALSE(store.clearAll());
    EXPECT_NE(store.lastError().find("备份"), std::string::npos) << store.lastError();
    EXPECT_TRUE(store.historyKept());
    EXPECT_TRUE(readFile(app() / "dat" / "bazi0.dat") == image);
    EXPECT_TRUE(fs::exists(app() / "bazi_f" / "0.rtf"));
    std::vector<BackupInfo> list;
    ASSERT_TRUE(store.listBackups(list));
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(entriesStartingWith(app() / "dat" / "backups", ".").empty());
    // With backups turned off the clear goes ahead and keeps nothing.
    writeFile(app() / "dat" / "bzinit.ini", "[history]\r\nbackup=0\r\n");
    EXPECT_FALSE(store.backupsEnabled());
    ASSERT_TRUE(store.clearAll()) << store.lastError();
    EXPECT_TRUE(store.lastBackup().empty());
    EXPECT_EQ(store.recordCount(), 0);
    ::alarm(0);
#endif
}
