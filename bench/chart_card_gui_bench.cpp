// The chart as a picture: the whole PNG at 2× (card, layout, painting into an image, PNG
// encoding) as 保存命盘图片 and chart --png make it, and its parts; on the offscreen platform.
#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QGuiApplication>

#include "core/card/card_layout.h"
#include "core/card/chart_card.h"
#include "core/chart/chart.h"
#include "paint/paint_drawing.h"

using namespace hj;

namespace {

Chart benchChart() {
    ChartRequest q;
    q.name = "张三";
    q.year = 1990;
    q.month = 5;
    q.day = 17;
    q.hour = 8;
    q.minute = 30;
    std::string error;
    return *castChart(q, ChartSettings{}, error);
}

}  // namespace

static void BM_CardPng2x(benchmark::State& state) {
    const Chart chart = benchChart();
    const bool traditional = state.range(0) != 0;
    for (auto _ : state) {
        QByteArray png;
        const card::Drawing d = card::layoutChartCard(card::buildChartCard(chart, {2024, 0, traditional}));
        benchmark::DoNotOptimize(paint::drawingPng(d, 2, png));
    }
}
BENCHMARK(BM_CardPng2x)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

static void BM_CardLayout(benchmark::State& state) {
    const Chart chart = benchChart();
    for (auto _ : state) benchmark::DoNotOptimize(card::layoutChartCard(card::buildChartCard(chart, {2024, 0, false})));
}
BENCHMARK(BM_CardLayout)->Unit(benchmark::kMicrosecond);

static void BM_CardPaint2x(benchmark::State& state) {
    const card::Drawing d = card::layoutChartCard(card::buildChartCard(benchChart(), {2024, 0, false}));
    for (auto _ : state) benchmark::DoNotOptimize(paint::drawingImage(d, 2));
}
BENCHMARK(BM_CardPaint2x)->Unit(benchmark::kMillisecond);

static void BM_CardSvg(benchmark::State& state) {
    const card::Drawing d = card::layoutChartCard(card::buildChartCard(benchChart(), {2024, 0, false}));
    for (auto _ : state) benchmark::DoNotOptimize(card::writeSvg(d, 2));
}
BENCHMARK(BM_CardSvg)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
