// Speed of the chart engine: one whole report, and the pillars alone.
#include <benchmark/benchmark.h>

#include "core/chart/chart.h"
#include "core/report/report.h"

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
    hj::ChartCaster caster;
    const hj::ChartRequest q = request(0);
    const hj::ChartSettings settings;
    std::string error;
    for (auto _ : state) {
        const auto chart = caster.cast(q, settings, error);
        const hj::Report report = hj::buildReport(*chart, {});
        benchmark::DoNotOptimize(report.text.data());
    }
}
BENCHMARK(BM_BuildReportSameChart)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Different births: every chart computes its own solar terms and lunar year.
void BM_BuildReportVaried(benchmark::State& state) {
    hj::ChartCaster caster;
    const hj::ChartSettings settings;
    std::string error;
    int i = 0;
    for (auto _ : state) {
        const auto chart = caster.cast(request(i++), settings, error);
        const hj::Report report = hj::buildReport(*chart, {});
        benchmark::DoNotOptimize(report.text.data());
    }
}
BENCHMARK(BM_BuildReportVaried)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// castChart alone, as a window casts one chart: nothing kept from the chart before.
void BM_CastChartAlone(benchmark::State& state) {
    const hj::ChartSettings settings;
    std::string error;
    int i = 0;
    for (auto _ : state) {
        const auto chart = hj::castChart(request(i++), settings, error);
        benchmark::DoNotOptimize(chart->pillars.data());
    }
}
BENCHMARK(BM_CastChartAlone)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_Pillars(benchmark::State& state) {
    hj::ChartCaster caster;
    const hj::ChartSettings settings;
    std::string error;
    int i = 0;
    for (auto _ : state) {
        const auto pillars = caster.castPillars(request(i++), settings, error);
        benchmark::DoNotOptimize(pillars->pillars.data());
    }
}
BENCHMARK(BM_Pillars)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
