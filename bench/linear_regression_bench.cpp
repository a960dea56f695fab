// Simple linear regression with the runs test and the test of linearity
// over 10,000 rows of two replicates, the largest XY table's worth of points.
#include <benchmark/benchmark.h>

#include <cmath>

#include "analyses/analyses.h"
#include "analyses/linear_regression.h"

namespace {

using ombrix::Real;
using namespace ombrix::analyses;

void BM_LinearRegressionRunsTest(benchmark::State& state)
{
    DataTable table;
    for (int row = 0; row < 10000; ++row) {
        const Real x = row % 997 + 0.5L * (row % 3);
        table.setValue(row, 0, x);
        table.setValue(row, 1, 3 + 2 * x + std::sin(static_cast<Real>(row)));
        table.setValue(row, 2, 3 + 2 * x + std::cos(static_cast<Real>(row)));
    }
    LinearRegressionInput input;
    input.runsTest = true;
    for (auto _ : state) {
        ResultsBuffer out;
        RegressionForGraph line;
        benchmark::DoNotOptimize(LinearRegression(table, input, line, out));
    }
}
BENCHMARK(BM_LinearRegressionRunsTest)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
