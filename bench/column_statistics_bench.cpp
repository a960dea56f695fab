// Recomputing the statistics of a completely filled table: 52 columns of
// 10001 values, every column changed. The statistics step does this each
// time the user leaves the data table.
#include <benchmark/benchmark.h>

#include <memory>

#include "analyses/column_statistics.h"

namespace {

void BM_UpdateColumnStatisticsFullTable(benchmark::State& state)
{
    auto table = std::make_unique<ombrix::core::DataTable>();
    for (int column = 0; column < ombrix::core::TableColumns; ++column)
        for (int row = 0; row < ombrix::core::TableRows; ++row)
            table->setValue(row, column, (row * 7919 + column * 104729) % 10007 / 100.0L);
    for (auto _ : state) {
        table->setAllColumnsChanged(true);
        ombrix::analyses::UpdateColumnStatistics(*table);
        benchmark::DoNotOptimize(table->column(51).normalityP);
    }
}
BENCHMARK(BM_UpdateColumnStatisticsFullTable)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
