// The case store under kills and under several processes at once.
#include <gtest/gtest.h>
#ifdef _WIN32
TEST(StoreCrash, AKillAtAnyStepLeavesTheStoreAsBeforeOrAfter) {
    GTEST_SKIP() << "needs fork() and signals: a child killed at each step of a store change";
}
#else
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/casestore/case_store.h"
#include "core/casestore/store_file.h"

using namespace hj::casestore;
namespace fs = std::filesystem;

namespace {

CaseRecord person(const std::string& name, const std::string& note = "备注") {
    CaseRecord r;
    r.name = name;
    r.className = "客户";
    r.note = note;
    return r;
}
// Every report names the record it was written for.
std::string reportFor(const CaseRecord& r) { return "R:" + r.name + ":" + r.note; }

fs::path scratch(const std::string& what) {
    const fs::path p = fs::temp_directory_path() / ("hj_storecrash_" + std::to_string(::getpid()) + "_" + what);
    fs::remove_all(p);
    return p;
}

// What the store shows, one line per live case, after a recovering open; problems (a report
// that is not its record's own, a wrong hole count, an open that fails) show as lines too.
std::vector<std::string> view(const fs::path& dir) {
    CaseStore s;
    if (!s.openStore(dir.string())) return {"open failed: " + s.lastError()};
    std::vector<CaseRecord> all;
    if (!s.readAllRecords(all)) return {"list failed: " + s.lastError()};
    std::vector<std::string> rows;
    for (const CaseRecord& r : all) {
        CaseRecord again;
        std::string report;
        bool has = false;
        if (!s.readCase(r.index, again, &report, &has)) return {"show failed: " + s.lastError()};
        if (has && report != reportFor(again)) rows.push_back("FOREIGN REPORT at " + std::to_string(r.index) + ": " + report);
        // The revision too: a change is seen whole, its record, report and revision together.
        rows.push_back(std::to_string(r.index) + "|" + r.name + "|" + r.className + "|" + r.note + "|" +
                       std::to_string(r.revision) + "|" + (has ? "R" : "-"));
    }
    StoreHeader h;
    s.readHeader(h);
    int holes = 0;
    for (int i = 0; i < h.count; ++i) {
        CaseRecord r;
        if (!s.readRecord(i, r) && s.lastError().empty()) ++holes;
    }
    if (holes != h.deletedCount)
        rows.push_back("holes " + std::to_string(holes) + " counted " + std::to_string(h.deletedCount));
    for (const char* left : {"dat/.staged", "bazi_f/.staged", "bazi_f/.pending", "dat/bazi.journal"})
        if (fs::exists(dir / left)) rows.push_back(std::string("left behind: ") + left);
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir / "dat" / "backups", ec))
        if (e.path().filename().string()[0] == '.') rows.push_back("left behind: backups/" + e.path().filename().string());
    return rows;
}

std::string joined(const std::vector<std::string>& rows) {
    std::string s;
    for (const std::string& r : rows) s += r + "\n";
    return s;
}

long killAt = 0;
void killHere(long step) {
    if (step == killAt) ::raise(SIGKILL);
}

}  // namespace

class StoreCrash : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        hj::casestore::detail::setFlushing(false);  // a kill loses no written data; power is not cut
        base = scratch("base");
        source = scratch("source");
        // Five cases with their reports; slot 1 a hole keeping a stale report; reuse on, so the
        // next add fills the hole.
        CaseStore s;
        ASSERT_TRUE(s.openStore(base.string()));
        for (const char* n : {"甲", "乙", "丙", "丁", "戊"}) {
            const CaseRecord r = person(n);
            const std::string rep = reportFor(r);
            ASSERT_GE(s.addRecord(r, &rep), 0);
        }
        ASSERT_TRUE(s.removeRecord(1, false));
        std::fstream f(base / "dat" / "bazi0.dat", std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(12);
        f.put('\1');
        f.close();
        // Another history to import.
        CaseStore o;
        ASSERT_TRUE(o.openStore((source / "app").string()));
        for (const char* n : {"外甲", "外乙", "外丙"}) {
            const CaseRecord r = person(n, "导入");
            const std::string rep = reportFor(r);
            ASSERT_GE(o.addRecord(r, &rep), 0);
        }
        ASSERT_TRUE(o.exportTo((source / "export").string()));
    }
    static void TearDownTestSuite() {
        fs::remove_all(base);
        fs::remove_all(source);
    }
    static fs::path base, source;
};
fs::path StoreCrash::base, StoreCrash::source;

TEST_F(StoreCrash, AKillAtAnyStepLeavesTheStoreAsBeforeOrAfter) {
    struct Op {
        const char* what;
        std::function<bool(CaseStore&, const fs::path&)> run;
    };
    const std::vector<Op> ops = {
        {"add into a hole", [](CaseStore& s, const fs::path&) {
             const CaseRecord r = person("新");
             const std::string rep = reportFor(r);
             return s.addRecord(r, &rep) == 1;
         }},
        {"add without a report", [](CaseStore& s, const fs::path&) { return s.addRecord(person("无稿")) == 1; }},
        {"edit", [](CaseStore& s, const fs::path&) {
             CaseRecord r = person("丙", "改过");
             const std::string rep = reportFor(r);
             return s.writeRecord(2, r, &rep);
         }},
        {"report alone", [](CaseStore& s, const fs::path&) { return s.saveReport(CaseRef{2, 0}, reportFor(person("丙"))); }},
        {"remove", [](CaseStore& s, const fs::path&) { return s.removeRecord(3, true); }},
        {"move two cases", [](CaseStore& s, const fs::path&) {
             return s.modifyRecords({0, 4}, [](CaseRecord& r) { r.className = "朋友"; });
         }},
        {"clear", [](CaseStore& s, const fs::path&) { return s.clearAll(); }},
        {"import", [](CaseStore& s, const fs::path&) { return s.importFrom((source / "export" / "bazi0.dat").string()); }},
        {"export", [](CaseStore& s, const fs::path& dir) { return s.exportTo((dir / "out").string()); }},
    };
    const fs::path work = scratch("work");
    const std::vector<std::string> before = view(base);
    ASSERT_EQ(before.size(), 4u) << joined(before);
    std::ostringstream figures;
    for (const Op& op : ops) {
        // The state a finished operation leaves.
        fs::remove_all(work);
        fs::copy(base, work, fs::copy_options::recursive);
        {
            CaseStore s;
            ASSERT_TRUE(s.openStore(work.string()) && op.run(s, work)) << op.what << ": " << s.lastError();
        }
        const std::vector<std::string> after = view(work);
        int kills = 0;
        for (long n = 1; n < 400; ++n) {
            fs::remove_all(work);
            fs::copy(base, work, fs::copy_options::recursive);
            const pid_t pid = ::fork();
            ASSERT_GE(pid, 0);
            if (pid == 0) {
                killAt = n;
                hj::casestore::detail::setStepHook(killHere);
                CaseStore s;
                _exit(s.openStore(work.string()) && op.run(s, work) ? 0 : 3);
            }
            int status = 0;
            ::waitpid(pid, &status, 0);
            const std::vector<std::string> now = view(work);
            if (WIFEXITED(status)) {
                ASSERT_EQ(WEXITSTATUS(status), 0) << op.what << " failed when not killed";
                EXPECT_EQ(joined(now), joined(after)) << op.what;
                break;
            }
            ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << op.what;
            ++kills;
            EXPECT_TRUE(now == before || now == after)
                << op.what << " killed at step " << n << ":\n" << joined(now) << "before:\n" << joined(before)
                << "after:\n" << joined(after);
            if (op.what == std::string("export") && fs::exists(work / "out" / "bazi0.dat")) {
                // A broken-off export is never a history that imports as something else.
                const fs::path again = scratch("again");
                CaseStore s;
                ASSERT_TRUE(s.openStore(again.string()));
                if (s.importFrom((work / "out" / "bazi0.dat").string())) {
                    EXPECT_EQ(joined(view(again)), joined(before)) << "export killed at step " << n;
                }
                fs::remove_all(again);
            }
        }
        EXPECT_GT(kills, 3) << op.what;
        figures << op.what << ": " << kills << " kill points; ";
    }
    std::cout << "[ figures  ] " << figures.str() << "\n";
    fs::remove_all(work);
}

namespace {

long long nowNs() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

// Runs `body` in a child process; its exit code is 0 when it returned true.
pid_t spawn(const std::function<bool()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) _exit(body() ? 0 : 1);
    return pid;
}

bool allOwnReports(CaseStore& s, std::string* why) {
    std::vector<CaseRecord> all;
    if (!s.readAllRecords(all)) return *why = s.lastError(), false;
    for (const CaseRecord& r : all) {
        CaseRecord again;
        std::string report;
        bool has = false;
        if (!s.readCase(r.index, again, &report, &has)) continue;  // removed meanwhile
        if (has && report != reportFor(again)) return *why = "foreign report at " + std::to_string(r.index), false;
    }
    return true;
}

}  // namespace

TEST_F(StoreCrash, ProcessesAddingRemovingAndListingTogetherLoseNothing) {
    const fs::path dir = scratch("together");  // no store yet: the first writers race to create it
    const fs::path results = scratch("results");
    fs::create_directories(results);
    constexpr int kWriters = 4, kAdds = 12;
    std::vector<pid_t> kids;
    for (int w = 0; w < kWriters; ++w)
        kids.push_back(spawn([&, w] {
            std::ofstream kept(results / std::to_string(w));
            int previous = -1;
            std::string previousName;
            for (int n = 0; n < kAdds; ++n) {
                CaseStore s;
                const CaseRecord r = person("w" + std::to_string(w) + "n" + std::to_string(n));
                const std::string rep = reportFor(r);
                const int idx = s.openStore(dir.string()) ? s.addRecord(r, &rep) : -1;
                CaseRecord got;
                std::string report;
                bool has = false;
                if (idx < 0 || !s.readCase(idx, got, &report, &has) || got.name != r.name || report != rep) return false;
                if (n % 4 == 3) {  // remove the one before
                    if (!s.removeRecord(previous, true)) return false;
                } else if (previous >= 0) {
                    kept << previousName << "\n";
                }
                previous = idx;
                previousName = r.name;
            }
            kept << previousName << "\n";
            return true;
        }));
    for (int reader = 0; reader < 2; ++reader)
        kids.push_back(spawn([&] {
            for (int n = 0; n < 30; ++n) {
                CaseStore s;
                std::string why;
                if (!s.openExisting(dir.string()) || !allOwnReports(s, &why)) return false;
            }
            return true;
        }));
    for (pid_t k : kids) {
        int status = 0;
        ::waitpid(k, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "process " << k;
    }
    std::multiset<std::string> expected;
    for (int w = 0; w < kWriters; ++w) {
        std::ifstream in(results / std::to_string(w));
        for (std::string line; std::getline(in, line);) expected.insert(line);
    }
    EXPECT_EQ(expected.size(), static_cast<std::size_t>(kWriters * (kAdds - kAdds / 4)));
    std::multiset<std::string> present;
    for (const std::string& row : view(dir)) {
        ASSERT_EQ(row.find("|R"), row.size() - 2) << row;  // every case with its own report
        present.insert(row.substr(row.find('|') + 1, row.find('|', row.find('|') + 1) - row.find('|') - 1));
    }
    EXPECT_EQ(present, expected);
    fs::remove_all(dir);
    fs::remove_all(results);
}

// Processes editing one case as windows do (read it, change it, save naming the revision read,
// read again when refused): no save undoes another, so the count in the note is every save.
TEST_F(StoreCrash, ProcessesEditingOneCaseLoseNoEdit) {
    const fs::path dir = scratch("oneCase");
    const fs::path results = scratch("oneCaseResults");
    fs::create_directories(results);
    {
        CaseStore s;
        ASSERT_TRUE(s.openStore(dir.string()));
        const CaseRecord r = person("甲", "0");
        const std::string rep = reportFor(r);
        ASSERT_EQ(s.addRecord(r, &rep), 0);
    }
    constexpr int kEditors = 4, kSaves = 15;
    std::vector<pid_t> kids;
    for (int w = 0; w < kEditors; ++w)
        kids.push_back(spawn([&, w] {
            int saved = 0, refused = 0;
            while (saved < kSaves) {
                CaseStore s;
                CaseRecord r;
                if (!s.openStore(dir.string()) || !s.readRecord(0, r)) return false;
                const CaseRef read = refOf(r);
                r.note = std::to_string(std::stoi(r.note) + 1);
                const std::string rep = reportFor(r);
                if (s.writeRecord(read, r, &rep)) {
                    ++saved;
                } else if (s.lastError() == kStaleCase) {
                    ++refused;
                } else {
                    return false;
                }
            }
            std::ofstream(results / std::to_string(w)) << refused << "\n";
            return true;
        }));
    for (pid_t k : kids) {
        int status = 0;
        ::waitpid(k, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "process " << k;
    }
    CaseStore s;
    ASSERT_TRUE(s.openExisting(dir.string()));
    CaseRecord r;
    ASSERT_TRUE(s.readRecord(0, r));
    EXPECT_EQ(r.note, std::to_string(kEditors * kSaves));
    EXPECT_EQ(r.revision, static_cast<std::uint64_t>(1 + kEditors * kSaves));
    const std::vector<std::string> rows = view(dir);
    ASSERT_EQ(rows.size(), 1u) << joined(rows);
    EXPECT_EQ(rows[0].substr(rows[0].size() - 2), "|R") << rows[0];
    fs::remove_all(dir);
    fs::remove_all(results);
}

TEST_F(StoreCrash, AddsRacingClearsAndImportsKeepEveryCaseWhole) {
    const fs::path dir = scratch("racing");
    const fs::path results = scratch("raceresults");
    fs::create_directories(results);
    CaseStore first;
    ASSERT_TRUE(first.openStore(dir.string()));
    std::vector<pid_t> kids;
    for (int w = 0; w < 3; ++w)
        kids.push_back(spawn([&, w] {
            std::ofstream log(results / ("add" + std::to_string(w)));
            for (int n = 0; n < 10; ++n) {
                CaseStore s;
                const CaseRecord r = person("a" + std::to_string(w) + "n" + std::to_string(n));
                const std::string rep = reportFor(r);
                const long long start = nowNs();
                if (!s.openStore(dir.string()) || s.addRecord(r, &rep) < 0) return false;
                log << r.name << " " << start << " " << nowNs() << "\n";
            }
            return true;
        }));
    kids.push_back(spawn([&] {
        std::ofstream log(results / "history");
        for (int n = 0; n < 4; ++n) {
            ::usleep(3000);
            CaseStore s;
            const long long start = nowNs();
            const bool import = n % 2 == 1;
            if (!s.openStore(dir.string()) ||
                !(import ? s.importFrom((source / "export" / "bazi0.dat").string()) : s.clearAll()))
                return false;
            log << (import ? "import" : "clear") << " " << start << " " << nowNs() << "\n";
        }
        return true;
    }));
    for (pid_t k : kids) {
        int status = 0;
        ::waitpid(k, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "process " << k;
    }
    long long lastStart = 0, lastEnd = 0;
    std::string last;
    {
        std::ifstream in(results / "history");
        std::string what;
        long long a, b;
        while (in >> what >> a >> b) last = what, lastStart = a, lastEnd = b;
    }
    std::set<std::string> mustBe, mustNot;
    for (int w = 0; w < 3; ++w) {
        std::ifstream in(results / ("add" + std::to_string(w)));
        std::string name;
        long long a, b;
        while (in >> name >> a >> b) {
            if (a > lastEnd) mustBe.insert(name);
            if (b < lastStart) mustNot.insert(name);
        }
    }
    if (last == "import") mustBe.insert({"外甲", "外乙", "外丙"});
    std::set<std::string> present;
    for (const std::string& row : view(dir)) {
        ASSERT_NE(row.find('|'), std::string::npos) << row;
        const std::string name = row.substr(row.find('|') + 1, row.find('|', row.find('|') + 1) - row.find('|') - 1);
        EXPECT_TRUE(present.insert(name).second) << "twice: " << name;
        EXPECT_EQ(row.substr(row.size() - 2), "|R") << row;
    }
    for (const std::string& n : mustBe) EXPECT_TRUE(present.count(n)) << "lost: " << n;
    for (const std::string& n : mustNot) EXPECT_FALSE(present.count(n)) << "survived the " << last << ": " << n;
    fs::remove_all(dir);
    fs::remove_all(results);
}

#endif  // _WIN32
