// Multiple regression and the correlation matrix at the table's size: 20 X
// variables on 10000 rows, and the matrix of all 52 columns over 10000 rows,
// computation and report together. Both should stay well under 0.1 s.
//
//   ombrix_bench_multiple_regression

#include <benchmark/benchmark.h>

#include <cstdint>

#include "analyses/analyses.h"
#include "analyses/results_buffer.h"
#include "core/data_table.h"

namespace {

using namespace ombrix;
using namespace ombrix::analyses;

constexpr int Rows = 10000;

// Columns of pseudo-random values with some shared part, so the X variables
// are correlated as real ones are; Y (column 0) depends on all of them.
core::DataTable makeTable(int columns)
{
    core::DataTable table;
    std::uint64_t state = 12345;
    auto next = [&state] {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<Real>(state >> 11) / static_cast<Real>(std::uint64_t{1} << 53);
    };
    for (int row = 0; row < Rows; ++row) {
        const Real shared = next();
        Real y = 0;
        for (int c = 1; c < columns; ++c) {
            const Real x = 10 * next() + 3 * shared;
            table.setValue(row, c, x);
            y += c * x;
        }
        table.setValue(row, 0, y + 50 * next());
    }
    for (int c = 0; c < columns; ++c)
        table.column(c).n = Rows;
    return table;
}

void BM_MultipleRegression20X(benchmark::State& state)
{
    const core::DataTable table = makeTable(21);
    MultipleRegressionInput input;
    input.dependentColumn = 0;
    for (int c = 1; c <= 20; ++c)
        input.independentColumns[c] = true;
    ResultsBuffer out;
    for (auto _ : state) {
        out.Reset();
        benchmark::DoNotOptimize(MultipleRegressionAnalysis(table, input, out));
    }
}
BENCHMARK(BM_MultipleRegression20X)->Unit(benchmark::kMillisecond);

void BM_CorrelationMatrix52Columns(benchmark::State& state)
{
    const core::DataTable table = makeTable(core::TableColumns);
    MultipleRegressionInput input;
    input.multipleRegression = false;
    input.independentColumns.fill(true);
    ResultsBuffer out;
    for (auto _ : state) {
        out.Reset();
        benchmark::DoNotOptimize(MultipleRegressionAnalysis(table, input, out));
    }
}
BENCHMARK(BM_CorrelationMatrix52Columns)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
