// The exact P values of the rank tests at the largest sizes they are
// attempted for, beside the plain enumeration of every arrangement that the
// counts replace.
//
// Largest exact cases: the signed rank test with 29 non-zero differences
// (2^29 = 536,870,912 sign patterns) and the Mann-Whitney test with groups
// of 3 and 2287 values (C(2290, 3) = 1,998,876,880 rank subsets, the most
// below the limit of 2,000,000,000; 16 and 17 values, C(33, 16) =
// 1,166,803,110, is the largest balanced pair). The plain enumerations run
// at smaller sizes; their time per arrangement (the items_per_second
// column) times the arrangements of the largest case is the time they
// would take there. The subset walk chooses the larger group's ranks, so
// its time per subset grows with that group's size (compare 3/200 with
// 3/400) and is extrapolated along that line to 2287.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "analyses/rank_distributions.h"
#include "analyses/rank_tests.h"

namespace {

using ombrix::Real;
using namespace ombrix::analyses;

// The least a real progress call costs: it reads the clock (and lets the
// window process its events, not counted here).
class ClockReadingProgress final : public ProgressReporter {
public:
    void ShowCalcStatus(std::string_view, Real) override {}
    void HideCalcStatus() override {}
    int CalcProgress(Real) override
    {
        benchmark::DoNotOptimize(std::chrono::steady_clock::now());
        return ProgressContinue;
    }
};

std::unique_ptr<DataTable> tableWith(const std::vector<std::vector<Real>>& columns)
{
    auto table = std::make_unique<DataTable>();
    for (size_t c = 0; c < columns.size(); ++c)
        for (size_t row = 0; row < columns[c].size(); ++row)
            table->setValue(static_cast<int>(row), static_cast<int>(c), columns[c][row]);
    return table;
}

// Differences 1..29 with five of them negative: T+ = 360.
std::vector<Real> twentyNineDifferences()
{
    std::vector<Real> x;
    for (int k = 1; k <= 29; ++k)
        x.push_back(k == 3 || k == 8 || k == 15 || k == 22 || k == 27 ? -k : k);
    return x;
}

void BM_SignedRankCount29(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(countSignedRankAtLeast(29, 360));
}
BENCHMARK(BM_SignedRankCount29)->Unit(benchmark::kMicrosecond);

// The whole computation: reading, ranking with a progress call per level,
// the approximation and the exact count.
void BM_WilcoxonLargestExact(benchmark::State& state)
{
    const auto table = tableWith({twentyNineDifferences()});
    ClockReadingProgress progress;
    for (auto _ : state)
        benchmark::DoNotOptimize(ComputeWilcoxon(*table, 0, 0, Tails::Two, progress).p);
}
BENCHMARK(BM_WilcoxonLargestExact)->Unit(benchmark::kMicrosecond);

void BM_RankSumCount(benchmark::State& state)
{
    const auto m = static_cast<int>(state.range(0));
    const auto k = static_cast<int>(state.range(1));
    for (auto _ : state)
        benchmark::DoNotOptimize(countRankSumAtMost(m, k, static_cast<Real>(m) * k / 2));
}
BENCHMARK(BM_RankSumCount)->Args({3, 2287})->Args({16, 17})->Args({2, 10001})->Unit(benchmark::kMicrosecond);

// The whole computation for 3 and 2287 values: pairwise counting with a
// progress call per value, then the exact count.
void BM_MannWhitneyLargestExact(benchmark::State& state)
{
    std::vector<Real> many;
    for (int i = 1; i <= 2287; ++i)
        many.push_back(i);
    const auto table = tableWith({{500.5L, 1200.5L, 2000.5L}, many});
    ClockReadingProgress progress;
    for (auto _ : state)
        benchmark::DoNotOptimize(ComputeMannWhitney(*table, 0, 1, Tails::Two, progress).p);
}
BENCHMARK(BM_MannWhitneyLargestExact)->Unit(benchmark::kMillisecond);

// Two full columns of 10001 values with ties: the counting of U and the tie
// term at the table's size (the exact P is not attempted).
void BM_MannWhitneyFullColumns(benchmark::State& state)
{
    std::vector<Real> first, second;
    for (int i = 0; i < 10001; ++i) {
        first.push_back(i % 50);
        second.push_back(i % 51);
    }
    const auto table = tableWith({first, second});
    ClockReadingProgress progress;
    for (auto _ : state)
        benchmark::DoNotOptimize(ComputeMannWhitney(*table, 0, 1, Tails::Two, progress).p);
}
BENCHMARK(BM_MannWhitneyFullColumns)->Unit(benchmark::kMillisecond);

// The plain walk over all 2^n sign patterns, a progress call at every leaf.
class SignPatternWalk {
public:
    SignPatternWalk(int n, Real threshold, ProgressReporter& progress)
        : m_threshold(threshold)
        , m_total(static_cast<Real>(std::uint64_t{1} << n))
        , m_progress(progress)
    {
        walk(n);
    }
    Real extreme() const { return m_extreme; }

private:
    void walk(int k)
    {
        if (m_state != ProgressContinue)
            return;
        if (k == 0) {
            ++m_visited;
            if (m_sum >= m_threshold)
                ++m_extreme;
            m_state = m_progress.CalcProgress(m_visited * 100 / m_total);
            return;
        }
        m_sum += k;
        walk(k - 1);
        m_sum -= k;
        walk(k - 1);
    }

    Real m_threshold;
    Real m_total;
    ProgressReporter& m_progress;
    Real m_sum = 0;
    Real m_visited = 0;
    Real m_extreme = 0;
    int m_state = ProgressContinue;
};

void BM_PlainSignPatternWalk(benchmark::State& state)
{
    const auto n = static_cast<int>(state.range(0));
    ClockReadingProgress progress;
    for (auto _ : state)
        benchmark::DoNotOptimize(SignPatternWalk(n, n * (n + 1) / 3.0L, progress).extreme());
    state.SetItemsProcessed(state.iterations() * (std::int64_t{1} << n));
}
BENCHMARK(BM_PlainSignPatternWalk)->Arg(20)->Arg(24)->Unit(benchmark::kMillisecond);

// The plain enumeration of all C(m + k, k) increasing choices of k ranks,
// a progress call every 256 choices.
class RankSubsetWalk {
public:
    RankSubsetWalk(int m, int k, std::int64_t threshold, ProgressReporter& progress)
        : m_size(m + k)
        , m_choose(k)
        , m_threshold(threshold)
        , m_total(static_cast<Real>(binomialCapped(m + k, k, std::numeric_limits<std::int64_t>::max())))
        , m_progress(progress)
    {
        walk(0, 0, 0);
    }
    std::int64_t extreme() const { return m_extreme; }
    std::int64_t visited() const { return m_visited; }

private:
    void walk(int chosen, int previous, std::int64_t sum)
    {
        if (chosen == m_choose) {
            ++m_visited;
            if (sum <= m_threshold)
                ++m_extreme;
            if ((m_visited & 0xFF) == 0xFF)
                m_state = m_progress.CalcProgress(static_cast<Real>(m_visited) * 100 / m_total);
            return;
        }
        for (int rank = previous + 1; rank <= m_size - (m_choose - chosen - 1) && m_state == ProgressContinue; ++rank)
            walk(chosen + 1, rank, sum + rank);
    }

    int m_size;
    int m_choose;
    std::int64_t m_threshold;
    Real m_total;
    ProgressReporter& m_progress;
    std::int64_t m_visited = 0;
    std::int64_t m_extreme = 0;
    int m_state = ProgressContinue;
};

void BM_PlainRankSubsetWalk(benchmark::State& state)
{
    const auto m = static_cast<int>(state.range(0));
    const auto k = static_cast<int>(state.range(1));
    ClockReadingProgress progress;
    std::int64_t visited = 0;
    for (auto _ : state) {
        const RankSubsetWalk walk(m, k, static_cast<std::int64_t>(m) * k / 2 + k * (k + 1) / 2, progress);
        benchmark::DoNotOptimize(walk.extreme());
        visited = walk.visited();
    }
    state.SetItemsProcessed(state.iterations() * visited);
}
BENCHMARK(BM_PlainRankSubsetWalk)->Args({13, 13})->Args({3, 200})->Args({3, 400})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
