// The exact P values of the Kruskal-Wallis and Friedman tests at the largest
// sizes they are attempted for, beside the plain enumeration of every
// arrangement that the counts replace, and the whole tests over the largest
// tables.
//
// Largest exact cases: Kruskal-Wallis with groups of 8, 7 and 7 values
// (1,097,450,640 rank assignments) and 5, 5, 4 and 4 (771,891,120); seven
// groups of two (681,080,400) and groups of 3, 3, 3, 2, 2, 1 and 1
// (1,513,512,000) for many small groups; Friedman with 11 rows of 3 columns
// (6^11 = 362,797,056 row permutations), 6 rows of 4 (24^6 = 191,102,976) and
// 3 rows of 6 (720^3 = 373,248,000). The plain enumerations run at smaller
// sizes with a progress call every 256 arrangements, as the enumeration they
// replace made; their time per arrangement (the items_per_second column)
// times the arrangements of the largest case is the time they would take.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <numeric>
#include <vector>

#include "analyses/column_statistics.h"
#include "analyses/nonparametric_anova.h"
#include "analyses/rank_anova_counts.h"

namespace {

using ombrix::Real;
using namespace ombrix::analyses;

const CountProgress clockReading = [](Real) {
    benchmark::DoNotOptimize(std::chrono::steady_clock::now());
    return ProgressContinue;
};

class ClockReadingProgress final : public ProgressReporter {
public:
    void ShowCalcStatus(std::string_view, Real) override {}
    void HideCalcStatus() override {}
    int CalcProgress(Real percent) override { return clockReading(percent); }
};

// Observed rank sums of groups that take the ranks in turn, one each: a P
// value near the middle of the distribution, where no shortcut applies.
std::vector<std::int64_t> interleavedRankSums(const std::vector<int>& sizes)
{
    std::vector<std::int64_t> sums(sizes.size(), 0);
    std::vector<int> left = sizes;
    const int n = std::accumulate(sizes.begin(), sizes.end(), 0);
    for (int rank = 1, j = 0; rank <= n; j = (j + 1) % static_cast<int>(sizes.size())) {
        if (left[static_cast<std::size_t>(j)] > 0) {
            --left[static_cast<std::size_t>(j)];
            sums[static_cast<std::size_t>(j)] += rank++;
        }
    }
    return sums;
}

const std::vector<std::vector<int>> KruskalWallisSizes = {
    {8, 7, 7}, {5, 5, 4, 4}, {2, 2, 2, 2, 2, 2, 2}, {3, 3, 3, 2, 2, 1, 1}};

void BM_KruskalWallisCount(benchmark::State& state)
{
    const std::vector<int>& sizes = KruskalWallisSizes[static_cast<std::size_t>(state.range(0))];
    const std::vector<std::int64_t> observed = interleavedRankSums(sizes);
    for (auto _ : state)
        benchmark::DoNotOptimize(countKruskalWallisAtLeast(sizes, observed, clockReading).extreme);
}
BENCHMARK(BM_KruskalWallisCount)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// Every arrangement visited: each rank in turn to every group with room.
class ArrangementWalk {
public:
    ArrangementWalk(const std::vector<int>& sizes, Real observed, ProgressReporter& progress)
        : m_sizes(sizes)
        , m_left(sizes)
        , m_sums(sizes.size(), 0)
        , m_n(std::accumulate(sizes.begin(), sizes.end(), 0))
        , m_observed(observed)
        , m_progress(progress)
    {
        walk(1);
    }
    std::int64_t extreme() const { return m_extreme; }
    std::int64_t visited() const { return m_visited; }

private:
    void walk(int rank)
    {
        if (rank > m_n) {
            Real statistic = 0;
            for (std::size_t j = 0; j < m_sums.size(); ++j)
                statistic += m_sums[j] * m_sums[j] / m_sizes[j];
            ++m_visited;
            if (statistic - m_observed > -1e-8L)
                ++m_extreme;
            if ((m_visited & 0xFF) == 0xFF)
                m_state = m_progress.CalcProgress(0);
            return;
        }
        for (std::size_t j = 0; j < m_left.size() && m_state == ProgressContinue; ++j) {
            if (m_left[j] == 0)
                continue;
            --m_left[j];
            m_sums[j] += rank;
            walk(rank + 1);
            m_sums[j] -= rank;
            ++m_left[j];
        }
    }

    std::vector<int> m_sizes;
    std::vector<int> m_left;
    std::vector<Real> m_sums;
    int m_n;
    Real m_observed;
    ProgressReporter& m_progress;
    std::int64_t m_visited = 0;
    std::int64_t m_extreme = 0;
    int m_state = ProgressContinue;
};

void BM_KruskalWallisPlainWalk(benchmark::State& state)
{
    const std::vector<int> sizes = {5, 4, 4};  // 90,090 arrangements
    ClockReadingProgress progress;
    std::int64_t visited = 0;
    for (auto _ : state) {
        const ArrangementWalk walk(sizes, 1000, progress);
        benchmark::DoNotOptimize(walk.extreme());
        visited += walk.visited();
    }
    state.SetItemsProcessed(visited);
}
BENCHMARK(BM_KruskalWallisPlainWalk)->Unit(benchmark::kMillisecond);

void BM_FriedmanCount(benchmark::State& state)
{
    const auto rows = static_cast<int>(state.range(0));
    const auto columns = static_cast<int>(state.range(1));
    // The mean of sum R^2 under the null hypothesis: a P value near the middle.
    const auto observed =
        static_cast<std::int64_t>(rows * columns * (columns + 1) * (3 * rows * (columns + 1) + 2) / 12);
    for (auto _ : state)
        benchmark::DoNotOptimize(countFriedmanAtLeast(rows, columns, observed, clockReading).extreme);
}
BENCHMARK(BM_FriedmanCount)->Args({11, 3})->Args({6, 4})->Args({3, 6})->Unit(benchmark::kMillisecond);

// Every combination of one permutation per row.
void BM_FriedmanPlainWalk(benchmark::State& state)
{
    constexpr int Rows = 6;
    constexpr int Columns = 3;  // 6^6 = 46,656 combinations
    std::vector<std::vector<int>> permutations;
    std::vector<int> p(Columns);
    std::iota(p.begin(), p.end(), 1);
    do
        permutations.push_back(p);
    while (std::next_permutation(p.begin(), p.end()));
    ClockReadingProgress progress;
    std::int64_t visited = 0;
    for (auto _ : state) {
        std::vector<int> choice(Rows, 0);
        std::int64_t extreme = 0;
        for (bool more = true; more;) {
            std::vector<int> sums(Columns, 0);
            for (int r = 0; r < Rows; ++r)
                for (int c = 0; c < Columns; ++c)
                    sums[static_cast<std::size_t>(c)] +=
                        permutations[static_cast<std::size_t>(choice[static_cast<std::size_t>(r)])]
                                    [static_cast<std::size_t>(c)];
            std::int64_t squares = 0;
            for (const int s : sums)
                squares += s * s;
            extreme += squares >= 600 ? 1 : 0;
            if ((++visited & 0xFF) == 0xFF)
                progress.CalcProgress(0);
            more = false;
            for (int r = 0; r < Rows && !more; ++r) {
                auto& at = choice[static_cast<std::size_t>(r)];
                at = (at + 1) % static_cast<int>(permutations.size());
                more = at != 0;
            }
        }
        benchmark::DoNotOptimize(extreme);
    }
    state.SetItemsProcessed(visited);
}
BENCHMARK(BM_FriedmanPlainWalk)->Unit(benchmark::kMillisecond);

std::unique_ptr<DataTable> fullTable(int rows, int columns)
{
    auto table = std::make_unique<DataTable>();
    std::uint32_t x = 12345;
    for (int c = 0; c < columns; ++c) {
        for (int r = 0; r < rows; ++r) {
            x = x * 1664525u + 1013904223u;  // a fixed pseudo-random sequence, ties included
            table->setValue(r, c, static_cast<Real>(x >> 12) / 64 + c);
        }
    }
    UpdateColumnStatistics(*table);
    table->selectAllColumnsWithData();
    table->setAnalysisMode(true);
    table->buildColumnMap();
    return table;
}

// The whole tests: ranking 52 columns of 10,000 values, and 10,000 rows of
// 10 columns, with their progress calls.
void BM_KruskalWallisFullTable(benchmark::State& state)
{
    const auto table = fullTable(10000, 52);
    ClockReadingProgress progress;
    for (auto _ : state)
        benchmark::DoNotOptimize(computeKruskalWallis(*table, progress).kw);
}
BENCHMARK(BM_KruskalWallisFullTable)->Unit(benchmark::kMillisecond);

void BM_FriedmanFullTable(benchmark::State& state)
{
    const auto table = fullTable(10000, 10);
    ClockReadingProgress progress;
    for (auto _ : state)
        benchmark::DoNotOptimize(computeFriedman(*table, progress).fr);
}
BENCHMARK(BM_FriedmanFullTable)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
