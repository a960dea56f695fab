#include "analyses/correlation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

namespace ombrix::analyses {
namespace {

// What the status panel is told, and its answers, are the panel report
// cases' business; here only the counts.
// The plain count, one ordering at a time: position k takes
// every unused rank v in turn and adds (v - k)^2.
void enumerate(int n, int position, std::vector<bool>& used, int sum, std::vector<std::uint64_t>& counts)
{
    if (position > n) {
        ++counts[static_cast<std::size_t>(sum)];
        return;
    }
    for (int v = 1; v <= n; ++v) {
        if (used[static_cast<std::size_t>(v)])
            continue;
        used[static_cast<std::size_t>(v)] = true;
        enumerate(n, position + 1, used, sum + (v - position) * (v - position), counts);
        used[static_cast<std::size_t>(v)] = false;
    }
}

std::vector<std::uint64_t> enumeratedCounts(int n)
{
    std::vector<std::uint64_t> counts(static_cast<std::size_t>((n * n * n - n) / 3 + 1), 0);
    std::vector<bool> used(static_cast<std::size_t>(n) + 1, false);
    enumerate(n, 1, used, 0, counts);
    return counts;
}

std::uint64_t factorial(int n)
{
    std::uint64_t product = 1;
    for (int i = 2; i <= n; ++i)
        product *= static_cast<std::uint64_t>(i);
    return product;
}

TEST(SquaredRankDifferenceCounts, SameAsEnumeratingEveryOrderingUpToTen)
{
    for (int n = 0; n <= 10; ++n) {
        const RankDifferenceCounts fast = squaredRankDifferenceCounts(n);
        EXPECT_EQ(fast.exactness, SpearmanExactness::Exact) << "n = " << n;
        EXPECT_EQ(fast.counts, enumeratedCounts(n)) << "n = " << n;
    }
    for (int n : {-1, 13}) {
        EXPECT_EQ(squaredRankDifferenceCounts(n).exactness, SpearmanExactness::TooLong);
        EXPECT_TRUE(squaredRankDifferenceCounts(n).counts.empty());
    }
}

// Beyond enumeration in a unit test, the null distribution still has to
// have the known shape: n! orderings, only even sums, symmetry about S
// (reversing one ranking maps the sum s to 2S - s), one identity and one
// reversal, n - 1 adjacent swaps with sum 2, mean S and variance
// S^2 / (n - 1) = n^2 (n + 1)^2 (n - 1) / 36 (since var rs = 1 / (n - 1)).
TEST(SquaredRankDifferenceCounts, ElevenAndTwelveHaveTheKnownShape)
{
    for (int n : {11, 12}) {
        SCOPED_TRACE("n = " + std::to_string(n));
        const std::vector<std::uint64_t> counts = squaredRankDifferenceCounts(n).counts;
        const std::uint64_t s = static_cast<std::uint64_t>(n * n * n - n) / 6;
        ASSERT_EQ(counts.size(), 2 * s + 1);
        std::uint64_t total = 0;
        std::uint64_t sum = 0;
        std::uint64_t squaredDeviations = 0;
        for (std::uint64_t value = 0; value < counts.size(); ++value) {
            const std::uint64_t count = counts[value];
            if (value % 2 == 1) {
                EXPECT_EQ(count, 0u) << "sum " << value;
            }
            EXPECT_EQ(count, counts[2 * s - value]) << "sum " << value;
            total += count;
            sum += count * value;
            const std::uint64_t deviation = value > s ? value - s : s - value;
            squaredDeviations += count * deviation * deviation;
        }
        const auto un = static_cast<std::uint64_t>(n);
        EXPECT_EQ(total, factorial(n));
        EXPECT_EQ(counts[0], 1u);
        EXPECT_EQ(counts[2 * s], 1u);
        EXPECT_EQ(counts[2], un - 1);
        EXPECT_EQ(sum, s * factorial(n));
        EXPECT_EQ(squaredDeviations, factorial(n) * un * un * (un + 1) * (un + 1) * (un - 1) / 36);
    }
}

// Every possible ranking of 7 untied pairs: the exact P from the fast count
// equals the enumeration's, with the mirror sum taken in integers (2S - D
// for rs >= 0, D itself for rs < 0).
TEST(ComputeSpearman, EveryRankingOfSevenMatchesEnumeration)
{
    constexpr int n = 7;
    constexpr int s = (n * n * n - n) / 6;
    const std::vector<std::uint64_t> counts = enumeratedCounts(n);
    std::vector<int> ranks(n);
    std::iota(ranks.begin(), ranks.end(), 1);
    DataTable table(n, 2);
    for (int row = 0; row < n; ++row)
        table.setValue(row, 0, row + 1);
    do {
        int d = 0;
        for (int row = 0; row < n; ++row) {
            table.setValue(row, 1, ranks[static_cast<std::size_t>(row)]);
            d += (ranks[static_cast<std::size_t>(row)] - row - 1) * (ranks[static_cast<std::size_t>(row)] - row - 1);
        }
        const int threshold = d <= s ? 2 * s - d : d;
        std::uint64_t extreme = 0;
        for (std::size_t sum = static_cast<std::size_t>(threshold); sum < counts.size(); ++sum)
            extreme += counts[sum];
        const Real expected = std::min(Real(1), Real(2 * extreme) / 5040);
        SilentProgress progress;
        const SpearmanResult result = ComputeSpearman(table, 0, 1, progress);
        ASSERT_EQ(result.p, expected) << "sum of squared differences " << d;
    } while (std::next_permutation(ranks.begin(), ranks.end()));
}

}  // namespace
}  // namespace ombrix::analyses
