// Perpetual calendar and reverse search speed: a month page when flipping months within a
// year (the year's terms kept), a page of a year not shown before (its terms and lunar year
// computed afresh), and reverse searches: found, not found, and the slowest from -850.
#include <benchmark/benchmark.h>

#include "core/presentation/month_page.h"
#include "core/calendar/reverse_search.h"

using namespace hj;

// 下一月 within one year: the year's terms are cached, the lunar years mostly built.
static void MonthPageFlip(benchmark::State& state) {
    MonthPageBuilder b;
    MonthPage p;
    int year = 2024, month = 1;
    for (auto _ : state) {
        nextMonth(year, month);
        if (year > 2024) year = 2024;
        benchmark::DoNotOptimize(b.build(year, month, 1, 12, 0, p));
    }
}
BENCHMARK(MonthPageFlip)->Unit(benchmark::kMicrosecond);

// A new year every time (year up-down, a far jump): terms of the year and its lunar years
// computed from nothing by a fresh builder.
static void MonthPageColdYear(benchmark::State& state) {
    int year = 1000;
    for (auto _ : state) {
        MonthPageBuilder b;
        MonthPage p;
        benchmark::DoNotOptimize(b.build(year, 6, 15, 12, 0, p));
        year = year >= 3000 ? 1000 : year + 7;
    }
}
BENCHMARK(MonthPageColdYear)->Unit(benchmark::kMicrosecond);

// From -850 every valid set of pillars is found by -609 at the latest; this one takes longest
// (five candidate years, all from the formula).
static void ReverseSearchSlowestFromEarliest(benchmark::State& state) {
    fantui::SearchQuery q;
    q.pillars = {fantui::choiceOf(47), fantui::choiceOf(26), fantui::choiceOf(17), fantui::choiceOf(16)};
    q.startYear = -850;
    for (auto _ : state) benchmark::DoNotOptimize(fantui::runSearch(q));
}
BENCHMARK(ReverseSearchSlowestFromEarliest)->Unit(benchmark::kMicrosecond);

// Nothing found from 1950: 1984 and 2044 are tried from the table.
static void ReverseSearchNotFound(benchmark::State& state) {
    fantui::SearchQuery q;
    q.pillars = {fantui::choiceOf(1), fantui::choiceOf(3), fantui::choiceOf(1), fantui::choiceOf(1)};
    q.startYear = 1950;
    for (auto _ : state) benchmark::DoNotOptimize(fantui::runSearch(q));
}
BENCHMARK(ReverseSearchNotFound)->Unit(benchmark::kMicrosecond);

static void ReverseSearchFound(benchmark::State& state) {
    fantui::SearchQuery q;
    q.pillars = {fantui::choiceOf(1), fantui::choiceOf(3), fantui::choiceOf(6), fantui::choiceOf(1)};
    q.startYear = 1950;
    for (auto _ : state) benchmark::DoNotOptimize(fantui::runSearch(q));
}
BENCHMARK(ReverseSearchFound)->Unit(benchmark::kMicrosecond);
