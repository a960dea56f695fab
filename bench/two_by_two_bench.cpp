// Fisher's exact test at the largest total it is attempted for (N = 2000),
// with unbalanced margins so that both tails are long, and the whole
// two-by-two analysis with every section on.
#include <benchmark/benchmark.h>

#include "analyses/analyses.h"
#include "analyses/two_by_two.h"

namespace {

using namespace ombrix::analyses;

void BM_FisherLargestTable(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(fisherExactTest(1500, 400, 60, 40).twoSided);
}
BENCHMARK(BM_FisherLargestTable)->Unit(benchmark::kMicrosecond);

void BM_TwoByTwoEverySection(benchmark::State& state)
{
    TwoByTwoInput input;
    input.counts = {1500, 400, 60, 40};
    input.titles = {"Exposed", "Not exposed", "Cases", "Controls"};
    input.oddsRatio = input.sensitivity = true;
    for (auto _ : state) {
        ResultsBuffer out;
        benchmark::DoNotOptimize(TwoByTwoAnalysis(input, out));
    }
}
BENCHMARK(BM_TwoByTwoEverySection)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
