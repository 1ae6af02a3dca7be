// Almanac speed: a year of days, each built from nothing (a fresh builder computes the year's
// terms and Moon phases), and the same year again with them kept (a calendar window flipping days).
#include <benchmark/benchmark.h>

#include "core/almanac/almanac.h"

using namespace hj;

static void AlmanacYearCold(benchmark::State& state) {
    int year = 1990;
    for (auto _ : state) {
        almanac::AlmanacBuilder b;
        almanac::AlmanacDay d;
        const int first = almanac::dayNumberOf({static_cast<std::int16_t>(year), 1, 1, 0, 0});
        const int last = almanac::dayNumberOf({static_cast<std::int16_t>(year + 1), 1, 1, 0, 0});
        for (int n = first; n < last; ++n) benchmark::DoNotOptimize(b.build(almanac::dateOfDayNumber(n), d));
        year = year >= 2060 ? 1990 : year + 1;
    }
}
BENCHMARK(AlmanacYearCold)->Unit(benchmark::kMillisecond);

static void AlmanacYearWarm(benchmark::State& state) {
    almanac::AlmanacBuilder b;
    almanac::AlmanacDay d;
    const int first = almanac::dayNumberOf({2024, 1, 1, 0, 0}), last = almanac::dayNumberOf({2025, 1, 1, 0, 0});
    for (auto _ : state)
        for (int n = first; n < last; ++n) benchmark::DoNotOptimize(b.build(almanac::dateOfDayNumber(n), d));
}
BENCHMARK(AlmanacYearWarm)->Unit(benchmark::kMillisecond);
