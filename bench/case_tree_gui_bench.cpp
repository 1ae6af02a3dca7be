// Building the case tree from 100,000 stored cases (显示全部命例): the whole rebuild, and the
// part of it that only reads the records, on the offscreen platform.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/casestore/case_store.h"
#include "core/text/ini.h"
#include "gui/CaseTree.h"

using namespace hj::casestore;
namespace fs = std::filesystem;

namespace {

constexpr int kCases = 100000;

// A store written straight to its files; notes as long as real ones are.
fs::path makeStore(int count) {
    const fs::path root = fs::temp_directory_path() / ("hj_bench_tree_" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "dat");
    fs::create_directories(root / "bazi_f");
    StoreHeader h;
    h.count = count;
    h.fileCount = static_cast<std::int16_t>(filesForCount(count));
    const HeaderBytes hb = encodeHeader(h);
    const char* names[] = {"王五", "小王", "李四", "张三丰", "赵六"};
    std::ofstream out;
    std::string note = "备注:";
    while (note.size() < 300) note += "命主性格开朗，事业有成。";
    for (int i = 0; i < count; ++i) {
        if (i % kRecordsPerFile == 0) {
            out.close();
            out.open(root / "dat" / ("bazi" + std::to_string(i / kRecordsPerFile) + ".dat"), std::ios::binary);
            if (i == 0) out.write(hb.data(), hb.size());
        }
        CaseRecord r;
        r.index = i;
        r.name = names[i % 5];
        r.className = "类别" + std::to_string(i % 40);
        r.year = static_cast<std::int16_t>(1900 + i % 150);
        r.male = static_cast<std::uint8_t>(i % 2);
        r.lunar = static_cast<std::uint8_t>(i % 3 == 0);
        r.note = note;
        RecordBytes b{};
        encodeRecord(r, b, nullptr);
        out.write(b.data(), b.size());
    }
    return root;
}

struct Fixture {
    fs::path root = makeStore(kCases);
    CaseStore store;
    hj::text::IniFile ini{(root / "dat" / "bzinit.ini").string()};
    std::vector<int> all;
    Fixture() {
        store.openStore(root.string());
        store.searchRecords(SearchCriteria{}, all);
    }
    ~Fixture() { fs::remove_all(root); }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void BM_TreeRebuild100k(benchmark::State& state) {
    Fixture& f = fixture();
    hj::gui::CaseTree ct(f.store, f.ini);
    ct.resize(240, 600);
    ct.show();
    for (auto _ : state) {
        ct.rebuild(f.all);
        QCoreApplication::processEvents();  // the view lays the new nodes out
    }
    state.counters["nodes"] = static_cast<double>(ct.root() ? ct.root()->childCount() : 0);
}
BENCHMARK(BM_TreeRebuild100k)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(7)->ReportAggregatesOnly(true);

void BM_ShowAll100k(benchmark::State& state) {
    Fixture& f = fixture();
    hj::gui::CaseTree ct(f.store, f.ini);
    ct.resize(240, 600);
    ct.show();
    for (auto _ : state) {
        std::vector<int> found;
        f.store.searchRecords(SearchCriteria{}, found);
        ct.rebuild(found);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_ShowAll100k)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(7)->ReportAggregatesOnly(true);

void BM_ReadRecords100k(benchmark::State& state) {
    Fixture& f = fixture();
    std::vector<CaseRecord> out;
    for (auto _ : state) {
        f.store.readRecords(f.all, out);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_ReadRecords100k)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(7)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
