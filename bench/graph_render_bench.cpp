// Drawing the largest graph a data set can give: 5000 XY points with the
// fitted line and a curved confidence band, as a PNG at twice the size and
// as SVG. The target: a PNG in well under 0.2 s.
#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cmath>

#include "graphs/chart_renderer.h"

namespace {

using namespace ombrix;

graphs::Chart largestXYChart()
{
    core::DataSet dataSet;
    dataSet.chooseFormat(core::DataFormat::XY);
    dataSet.table.setTitle("Five thousand points");
    for (int row = 0; row < graphs::MostXYPoints; ++row) {
        const Real x = row % 500;
        dataSet.table.setValue(row, 0, x);
        dataSet.table.setValue(row, 1, 3 * x + 20 * std::sin(Real(row)));
    }
    // A fit near the data's own line; only its shape matters for drawing.
    const analyses::RegressionLine fit{3, 2.98L, 3.02L, 0, 14.2L, 0.99L, 249.5L, graphs::MostXYPoints, 1.04e8L};
    return graphs::buildChart(dataSet, {}, fit);
}

void BM_XYGraphToPng(benchmark::State& state)
{
    const graphs::Chart chart = largestXYChart();
    for (auto _ : state)
        benchmark::DoNotOptimize(
            graphs::chartPng(chart, QSize(graphs::PictureWidth, graphs::PictureHeight), 2, {}).size());
}
BENCHMARK(BM_XYGraphToPng)->Unit(benchmark::kMillisecond);

void BM_XYGraphToSvg(benchmark::State& state)
{
    const graphs::Chart chart = largestXYChart();
    for (auto _ : state)
        benchmark::DoNotOptimize(
            graphs::chartSvg(chart, QSize(graphs::PictureWidth, graphs::PictureHeight), {}).size());
}
BENCHMARK(BM_XYGraphToSvg)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
