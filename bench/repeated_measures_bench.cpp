// Repeated-measures ANOVA with its report over 10 columns of 10000 subjects,
// no post test: the block check, the sums and the report's tables.
#include <benchmark/benchmark.h>

#include <cmath>

#include "analyses/column_statistics.h"
#include "analyses/repeated_measures.h"

namespace {

using ombrix::Real;
using namespace ombrix::analyses;

void BM_RepeatedMeasures(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    const int columns = 10;
    DataTable table;
    for (int c = 0; c < columns; ++c)
        for (int r = 0; r < rows; ++r)
            table.setValue(r, c, 100 + r % 37 + 0.5L * c + std::sin(static_cast<Real>(r * columns + c)));
    UpdateColumnStatistics(table);
    table.selectAllColumnsWithData();
    table.setAnalysisMode(true);
    table.buildColumnMap();
    MultiColumnTestInput input;
    input.ordinary = false;
    input.postTestState = ombrix::core::PostTestState::None;
    ResultsBuffer out;
    for (auto _ : state) {
        out.Reset();
        if (RepeatedMeasuresAnova(table, input, out) != 0) {
            state.SkipWithError("the data gave no report");
            break;
        }
    }
    state.counters["report_lines"] = out.lineCount();
    state.SetItemsProcessed(state.iterations() * rows * columns);
}
BENCHMARK(BM_RepeatedMeasures)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
