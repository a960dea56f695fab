// The larger contingency table over 1000 rows of all 52 columns, and over the
// full 10001 rows: the table is read once, every expected value computed, and
// the report written with one line a row in the row totals.
#include <benchmark/benchmark.h>

#include <memory>

#include "analyses/analyses.h"

namespace {

using ombrix::Real;
using namespace ombrix::analyses;

void BM_LargerTable(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    auto table = std::make_unique<DataTable>();
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < ombrix::core::TableColumns; ++column)
            table->setValue(row, column, static_cast<Real>(1 + (row * 31 + column * 17) % 97));
    ResultsBuffer out;
    for (auto _ : state) {
        out.Reset();
        benchmark::DoNotOptimize(LargerTableAnalysis(*table, out));
    }
}
BENCHMARK(BM_LargerTable)->Arg(1000)->Arg(ombrix::core::TableRows)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
