// The one-way ANOVA report over the largest table: 52 columns of 10000
// values, Tukey's post test chosen to run. The report reads every cell once
// for the column statistics and once more for each normality test.
#include <benchmark/benchmark.h>

#include <memory>
#include <string_view>

#include "analyses/analyses.h"
#include "analyses/column_statistics.h"

namespace {

using ombrix::Real;
using namespace ombrix::analyses;

void BM_OneWayAnovaFullTable(benchmark::State& state)
{
    auto table = std::make_unique<DataTable>();
    for (int column = 0; column < ombrix::core::TableColumns; ++column)
        for (int row = 0; row < 10000; ++row)
            table->setValue(row, column, (row * 7919 + column * 104729) % 10007 / 100.0L + column);
    UpdateColumnStatistics(*table);
    table->selectAllColumnsWithData();
    table->setAnalysisMode(true);
    table->buildColumnMap();
    MultiColumnTestInput input;
    input.postTestState = ombrix::core::PostTestState::Perform;
    SilentProgress progress;
    for (auto _ : state) {
        ResultsBuffer out;
        benchmark::DoNotOptimize(MultiColumnTest(*table, input, out, progress));
    }
}
BENCHMARK(BM_OneWayAnovaFullTable)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
