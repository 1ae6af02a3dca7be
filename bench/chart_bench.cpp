// Speed of the chart engine: one whole report, and the pillars alone.
#include <benchmark/benchmark.h>

#include "core/chart/chart_record.h"

namespace {

hj::ChartRequest request(int i) {
    hj::ChartRequest q;
    q.name = "某人";
    q.year = static_cast<std::int16_t>(1950 + i % 100);
    q.month = static_cast<std::int16_t>(1 + i % 12);
    q.day = static_cast<std::int16_t>(1 + i % 28);
    q.hour = static_cast<std::int16_t>(i % 24);
    q.minute = static_cast<std::int16_t>((i * 7) % 60);
    q.male = i % 2 == 0;
    return q;
}

// The same chart again and again: the cost of one report once the solar terms are at hand.
void BM_BuildReportSameChart(benchmark::State& state) {
    hj::ChartRecord r;
    const hj::ChartRequest q = request(0);
    for (auto _ : state) {
        bool ok = r.buildReport(q);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(r.report.data());
    }
}
BENCHMARK(BM_BuildReportSameChart)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Different births: every chart computes its own solar terms and lunar year.
void BM_BuildReportVaried(benchmark::State& state) {
    hj::ChartRecord r;
    int i = 0;
    for (auto _ : state) {
        bool ok = r.buildReport(request(i++));
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(BM_BuildReportVaried)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_Pillars(benchmark::State& state) {
    hj::ChartRecord r;
    int i = 0;
    for (auto _ : state) {
        r.request = request(i++);
        bool ok = r.computePillars();
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(BM_Pillars)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
