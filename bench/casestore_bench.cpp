// Case store and report file speed: a search over 100,000 records, adding a record to a small
// and to a large store (constant time), and writing and reading a report-sized RTF file.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/casestore/case_store.h"
#include "core/rtf/rtf.h"

using namespace hj::casestore;
namespace fs = std::filesystem;

namespace {

// A store of `count` records written straight to its files (adding them one by one would
// measure the disk's flushes, not the store).
fs::path makeStore(int count) {
    const fs::path root = fs::temp_directory_path() / ("hj_bench_store_" + std::to_string(::getpid()) + "_" + std::to_string(count));
    fs::remove_all(root);
    fs::create_directories(root / "dat");
    fs::create_directories(root / "bazi_f");
    StoreHeader h;
    h.count = count;
    h.fileCount = static_cast<std::int16_t>(filesForCount(count));
    const HeaderBytes hb = encodeHeader(h);
    const char* names[] = {"王五", "小王", "李四", "张三丰", "赵六"};
    const char* classes[] = {"朋友", "客户", "名人", "临时保存"};
    std::ofstream out;
    for (int i = 0; i < count; ++i) {
        if (i % kRecordsPerFile == 0) {
            out.close();
            out.open(root / "dat" / ("bazi" + std::to_string(i / kRecordsPerFile) + ".dat"), std::ios::binary);
            if (i == 0) out.write(hb.data(), hb.size());
        }
        CaseRecord r;
        r.index = i;
        r.name = names[i % 5];
        r.className = classes[i % 4];
        r.year = static_cast<std::int16_t>(1900 + i % 150);
        r.male = static_cast<std::uint8_t>(i % 2);
        r.province = static_cast<std::int16_t>(i % 35);
        r.note = "案例备注";
        RecordBytes b{};
        encodeRecord(r, b, nullptr);
        out.write(b.data(), b.size());
    }
    return root;
}

void BM_Search100k(benchmark::State& state) {
    const fs::path root = makeStore(100000);
    CaseStore store;
    store.openStore(root.string());
    SearchCriteria c;
    c.nameMode = kMatchContains;
    c.name = "王";
    c.yearOn = 1;
    c.yearFrom = 1950;
    c.yearTo = 2000;
    std::vector<int> found;
    for (auto _ : state) {
        store.searchRecords(c, found);
        benchmark::DoNotOptimize(found.data());
    }
    state.counters["found"] = static_cast<double>(found.size());
    fs::remove_all(root);
}
BENCHMARK(BM_Search100k)->Unit(benchmark::kMillisecond);

void BM_ReadAll100k(benchmark::State& state) {
    const fs::path root = makeStore(100000);
    CaseStore store;
    store.openStore(root.string());
    std::vector<CaseRecord> all;
    for (auto _ : state) {
        store.readAllRecords(all);
        benchmark::DoNotOptimize(all.data());
    }
    fs::remove_all(root);
}
BENCHMARK(BM_ReadAll100k)->Unit(benchmark::kMillisecond);

// Appending: the same cost whether the store holds a thousand records or a hundred thousand.
// Each add flushes the record and then the header to the disk; that dominates.
void BM_AddRecord(benchmark::State& state) {
    const fs::path root = makeStore(static_cast<int>(state.range(0)));
    CaseStore store;
    store.openStore(root.string());
    CaseRecord r;
    r.name = "新人";
    r.className = "朋友";
    for (auto _ : state) benchmark::DoNotOptimize(store.addRecord(r));
    fs::remove_all(root);
}
BENCHMARK(BM_AddRecord)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

hj::rtf::Document reportSizedDocument() {
    hj::rtf::Document doc;
    hj::rtf::CharFormat plain, red;
    red.color = 0xFF0000;
    red.bold = true;
    for (int i = 0; i < 400; ++i) {
        hj::rtf::Paragraph p;
        hj::rtf::appendText(p, "※推年月日时：", red);
        hj::rtf::appendText(p, "庚午年生:堂里之马，路旁土命。马系堂中，不受奔驰之苦，主安闲享福，衣食自有。", plain);
        doc.paragraphs.push_back(p);
    }
    return doc;
}

void BM_RtfWrite(benchmark::State& state) {
    const auto doc = reportSizedDocument();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string rtf = hj::rtf::writeRtf(doc);
        bytes = rtf.size();
        benchmark::DoNotOptimize(rtf.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_RtfWrite)->Unit(benchmark::kMillisecond);

void BM_RtfRead(benchmark::State& state) {
    const std::string rtf = hj::rtf::writeRtf(reportSizedDocument());
    hj::rtf::Document doc;
    for (auto _ : state) {
        hj::rtf::readRtf(rtf, doc);
        benchmark::DoNotOptimize(doc.paragraphs.data());
    }
    state.counters["bytes"] = static_cast<double>(rtf.size());
}
BENCHMARK(BM_RtfRead)->Unit(benchmark::kMillisecond);

}  // namespace
