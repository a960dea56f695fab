// Writing and reading a data file with a completely filled table: 10000 rows
// of 52 columns, values of every magnitude.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "core/oxd_file.h"

namespace {

std::unique_ptr<ombrix::core::DataSet> fullDataSet()
{
    auto dataSet = std::make_unique<ombrix::core::DataSet>();
    for (int row = 0; row < ombrix::core::MaxFileRows; ++row)
        for (int column = 0; column < ombrix::core::TableColumns; ++column) {
            const long double base = ((row * 7919L + column * 104729L) % 100003) / 7.0L;
            dataSet->table.setValue(row, column, column % 4 == 3 ? base * 1e9L : base);
        }
    return dataSet;
}

void BM_WriteFullFile(benchmark::State& state)
{
    auto dataSet = fullDataSet();
    for (auto _ : state) {
        std::string text = ombrix::core::writeDataSetText(*dataSet);
        benchmark::DoNotOptimize(text.data());
    }
}
BENCHMARK(BM_WriteFullFile)->Unit(benchmark::kMillisecond);

void BM_ReadFullFile(benchmark::State& state)
{
    auto dataSet = fullDataSet();
    const std::string text = ombrix::core::writeDataSetText(*dataSet);
    state.counters["bytes"] = static_cast<double>(text.size());
    for (auto _ : state) {
        auto result = ombrix::core::readDataSetText(text);
        benchmark::DoNotOptimize(result.dataSet.get());
    }
}
BENCHMARK(BM_ReadFullFile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
