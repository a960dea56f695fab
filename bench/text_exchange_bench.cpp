// Text exchange with a completely filled table, 10000 rows of 52 columns:
// importing it as a CSV file of about 5 MB, building the clipboard text of
// the whole table, and pasting that text back.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "core/clipboard_text.h"
#include "core/text_export.h"
#include "core/text_import.h"

namespace {

using namespace ombrix::core;

constexpr int Rows = 10000;

std::unique_ptr<DataSet> fullDataSet()
{
    auto dataSet = std::make_unique<DataSet>();
    DataTable& table = dataSet->table;
    for (int column = 0; column < TableColumns; ++column) {
        table.setColumnTitle(column, "Column " + columnName(column));
        table.setAutoDecimals(column, 3);
    }
    for (int row = 0; row < Rows; ++row)
        for (int column = 0; column < TableColumns; ++column)
            table.setValue(row, column, ((row * 7919L + column * 104729L) % 100003) / 8.0L);
    return dataSet;
}

std::string csvText(const DataTable& table)
{
    ExportOptions options;
    options.separator = ',';
    return exportDataText(table, options);
}

void BM_ImportCsv(benchmark::State& state)
{
    const std::string text = csvText(fullDataSet()->table);
    state.counters["bytes"] = static_cast<double>(text.size());
    for (auto _ : state) {
        TextTable table = readTextTable(text, '.');
        benchmark::DoNotOptimize(&table);
    }
}
BENCHMARK(BM_ImportCsv)->Unit(benchmark::kMillisecond);

void BM_ImportCsvIntoDocument(benchmark::State& state)
{
    const std::string text = csvText(fullDataSet()->table);
    for (auto _ : state) {
        const TextTable table = readTextTable(text, '.');
        DataSet dataSet;
        copyIntoDataSet(table, defaultImportOptions(table), dataSet);
        benchmark::DoNotOptimize(&dataSet);
    }
}
BENCHMARK(BM_ImportCsvIntoDocument)->Unit(benchmark::kMillisecond);

void BM_CopyFullTable(benchmark::State& state)
{
    const auto dataSet = fullDataSet();
    const CopyOptions options{{0, 0, TableRows - 1, TableColumns - 1}, true, true, ','};
    for (auto _ : state) {
        std::string text = copyCellsText(dataSet->table, options);
        benchmark::DoNotOptimize(text.data());
    }
}
BENCHMARK(BM_CopyFullTable)->Unit(benchmark::kMillisecond);

void BM_PasteFullTable(benchmark::State& state)
{
    const std::string text =
        copyCellsText(fullDataSet()->table, {{0, 0, TableRows - 1, TableColumns - 1}, false, false, ','});
    state.counters["bytes"] = static_cast<double>(text.size());
    for (auto _ : state) {
        DataSet dataSet;
        const PasteResult result = pasteCellsText(dataSet, text, {{0, 0}, false, ','});
        benchmark::DoNotOptimize(result.cellsPasted);
    }
}
BENCHMARK(BM_PasteFullTable)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
