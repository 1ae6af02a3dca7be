// Speed of the judgement: one chart judged, and one luck pillar read with its ten years.
#include <benchmark/benchmark.h>

#include <array>

#include "core/judgement/judgement.h"

namespace {

// Four pillars spread over the cycle: every call judges another chart.
std::array<int, 4> pillarsOf(int i) { return {(i * 7) % 60, (i * 13 + 5) % 60, (i * 31 + 11) % 60, (i * 17 + 29) % 60}; }

void BM_JudgeChart(benchmark::State& state) {
    int i = 0;
    for (auto _ : state) {
        const hj::judgement::Judgement j = hj::judgement::judge(pillarsOf(i++));
        benchmark::DoNotOptimize(j.strength.score);
    }
}
BENCHMARK(BM_JudgeChart)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// A luck pillar and its ten years against a chart already judged.
void BM_LuckPillarWithTenYears(benchmark::State& state) {
    const hj::judgement::Judgement j = hj::judgement::judge(pillarsOf(3));
    int i = 0;
    for (auto _ : state) {
        const int luck = (i * 11) % 60;
        hj::judgement::PillarReading r = hj::judgement::readLuck(j, luck);
        benchmark::DoNotOptimize(r.notes.data());
        for (int y = 0; y < 10; ++y) {
            hj::judgement::PillarReading year = hj::judgement::readYear(j, 2000 + i % 50 + y, luck);
            benchmark::DoNotOptimize(year.notes.data());
        }
        ++i;
    }
}
BENCHMARK(BM_LuckPillarWithTenYears)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
