// Calendar speed: one solar→lunar conversion (warm and with its year built afresh), a lunar→solar
// search, a year's solar terms and the pillars' term lookup.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "core/calendar/calendar.h"

using namespace hj;

namespace {
std::vector<DateTime> randomDays(int n) {
    Calendar cal;
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> pick(0, 199 * 365);
    double start = cal.julianDay(1901, 1, 1.5);
    std::vector<DateTime> out;
    for (int i = 0; i < n; ++i) out.push_back(cal.dateTimeOf(start + pick(rng)));
    return out;
}
}  // namespace

static void SolarToLunarWarm(benchmark::State& state) {
    Calendar cal;
    auto days = randomDays(4096);
    for (const DateTime& d : days) {  // every year built once
        bool leap;
        cal.solarToLunar(d, leap);
    }
    std::size_t i = 0;
    for (auto _ : state) {
        bool leap;
        benchmark::DoNotOptimize(cal.solarToLunar(days[i++ & 4095], leap));
    }
}
BENCHMARK(SolarToLunarWarm);

static void SolarToLunarColdYear(benchmark::State& state) {
    auto days = randomDays(4096);
    std::size_t i = 0;
    for (auto _ : state) {
        Calendar cal;  // empty cache: the lunar year is built for this conversion
        bool leap;
        benchmark::DoNotOptimize(cal.solarToLunar(days[i++ & 4095], leap));
    }
}
BENCHMARK(SolarToLunarColdYear);

static void LunarToSolar(benchmark::State& state) {
    Calendar cal;
    DateTime out;
    for (auto _ : state) benchmark::DoNotOptimize(cal.lunarToSolar(DateTime{2023, 2, 15, 12, 0}, true, out));
}
BENCHMARK(LunarToSolar);

static void TermsOfYear(benchmark::State& state) {
    Calendar cal;
    for (auto _ : state) benchmark::DoNotOptimize(cal.termsOfYear(2024));
}
BENCHMARK(TermsOfYear);

static void TermsAround(benchmark::State& state) {
    Calendar cal;
    DateTime jie, mid, next;
    for (auto _ : state) benchmark::DoNotOptimize(cal.termsAround(DateTime{2024, 2, 4, 16, 28}, jie, mid, next));
}
BENCHMARK(TermsAround);
