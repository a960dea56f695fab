// The exact Spearman P value: the subset count against a plain enumeration
// of the n! orderings, up to the largest exact case, 12 pairs.
//
//   ombrix_bench_correlation --benchmark_filter=Spearman

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "analyses/correlation.h"

namespace {

using namespace ombrix;
using namespace ombrix::analyses;

void BM_SpearmanSubsetCount(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        RankDifferenceCounts counts = squaredRankDifferenceCounts(n);
        benchmark::DoNotOptimize(counts.counts.data());
    }
    const auto width = static_cast<double>((n * n * n - n) / 3 + 1);
    state.counters["table_MiB"] = static_cast<double>(std::uint64_t{1} << n) * width * 4 / (1024.0 * 1024.0);
}
BENCHMARK(BM_SpearmanSubsetCount)->DenseRange(8, 12)->Unit(benchmark::kMillisecond);

// The plain enumeration the subset count replaces: every ordering
// visited depth first, position k taking each unused rank v and adding
// (v - k)^2; extreme when the full sum reaches the threshold.
void enumerate(int n, int position, std::vector<char>& used, int sum, int threshold, std::uint64_t& extreme)
{
    if (position > n) {
        extreme += sum >= threshold ? 1 : 0;
        return;
    }
    for (int v = 1; v <= n; ++v) {
        if (used[static_cast<std::size_t>(v)] != 0)
            continue;
        used[static_cast<std::size_t>(v)] = 1;
        enumerate(n, position + 1, used, sum + (v - position) * (v - position), threshold, extreme);
        used[static_cast<std::size_t>(v)] = 0;
    }
}

void BM_SpearmanPlainEnumeration(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    // The mirror of rs = 0.5; the threshold does not change the work.
    const int threshold = (n * n * n - n) / 4;
    for (auto _ : state) {
        std::vector<char> used(static_cast<std::size_t>(n) + 1, 0);
        std::uint64_t extreme = 0;
        enumerate(n, 1, used, 0, threshold, extreme);
        benchmark::DoNotOptimize(extreme);
    }
}
BENCHMARK(BM_SpearmanPlainEnumeration)->DenseRange(8, 11)->Unit(benchmark::kMillisecond);
// 12! = 479,001,600 orderings: one pass is enough to see the scale.
BENCHMARK(BM_SpearmanPlainEnumeration)->Arg(12)->Iterations(1)->Unit(benchmark::kMillisecond);

// The whole computation a user waits for with 12 pairs: reading the table,
// ranks, rs, the exact P value.
void BM_ComputeSpearmanTwelvePairs(benchmark::State& state)
{
    DataTable table;
    const Real x[] = {5.2, 3.3, 8.1, 6.0, 2.4, 7.7, 9.9, 1.5, 4.6, 10.8, 6.6, 3.9};
    const Real y[] = {14, 11, 19, 12, 9, 21, 20, 8, 15, 23, 13, 16};
    for (int row = 0; row < 12; ++row) {
        table.setValue(row, 0, x[row]);
        table.setValue(row, 1, y[row]);
    }
    SilentProgress progress;
    for (auto _ : state) {
        SpearmanResult result = ComputeSpearman(table, 0, 1, progress);
        benchmark::DoNotOptimize(result.p);
    }
}
BENCHMARK(BM_ComputeSpearmanTwelvePairs)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
