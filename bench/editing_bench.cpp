// The editing commands on a completely filled table, 10000 rows of 52
// columns, and Undo of each: a transform of the whole table, the insertion
// of an entire column, and taking either back. Each stays well under 0.2 s.
#include <benchmark/benchmark.h>

#include "core/edit_history.h"
#include "core/editing.h"

namespace {

using namespace ombrix::core;

constexpr int Rows = 10000;
const CellBlock WholeTable = {0, 0, Rows - 1, TableColumns - 1};

const DataSet& fullDataSet()
{
    static const DataSet full = [] {
        DataSet dataSet;
        for (int row = 0; row < Rows; ++row)
            for (int column = 0; column < TableColumns; ++column)
                dataSet.table.setValue(row, column, ((row * 7919L + column * 104729L) % 100003) / 8.0L);
        return dataSet;
    }();
    return full;
}

bool yes(const std::string&)
{
    return true;
}

void transform(DataSet& dataSet)
{
    transformCells(dataSet, WholeTable, TransformKind::Ln, 0, yes);
}

void insertColumn(DataSet& dataSet)
{
    insertCells(dataSet, {0, 0, 0, 0}, ShiftKind::EntireColumns, yes);
}

// The command on a fresh copy of the table each time; the copy shares the
// cell blocks, so the command pays for every block it writes, as the undo
// history makes it do in the program.
void BM_Command(benchmark::State& state, void (*command)(DataSet&))
{
    for (auto _ : state) {
        DataSet dataSet = fullDataSet();
        command(dataSet);
        benchmark::DoNotOptimize(dataSet.table.value(Rows - 1, TableColumns - 1));
    }
}

// Undo of the command recorded in a history, then Redo (not timed) to undo again.
void BM_Undo(benchmark::State& state, void (*command)(DataSet&))
{
    DataSet dataSet = fullDataSet();
    EditHistory history(dataSet);
    command(dataSet);
    history.record(dataSet, "command");
    for (auto _ : state) {
        history.undo(dataSet);
        benchmark::DoNotOptimize(dataSet.table.value(0, 0));
        state.PauseTiming();
        history.redo(dataSet);
        state.ResumeTiming();
    }
}

BENCHMARK_CAPTURE(BM_Command, TransformWholeTable, transform)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Command, InsertEntireColumn, insertColumn)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Undo, TransformWholeTable, transform)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Undo, InsertEntireColumn, insertColumn)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
