#include "analyses/rank_distributions.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <vector>

namespace ombrix::analyses {
namespace {

// The plain enumeration the fast counts replace: every sign pattern (bit i
// set: rank i + 1 is positive), tallied by its sum of positive ranks.
std::vector<std::int64_t> signedRankSumsByEnumeration(int n)
{
    std::vector<std::int64_t> ways(static_cast<size_t>(n * (n + 1) / 2) + 1, 0);
    for (std::uint32_t pattern = 0; pattern < (1u << n); ++pattern) {
        int sum = 0;
        for (int i = 0; i < n; ++i)
            if (pattern & (1u << i))
                sum += i + 1;
        ++ways[sum];
    }
    return ways;
}

TEST(SignedRankCount, MatchesEnumerationForEveryThresholdUpToSixteen)
{
    for (int n = 0; n <= 16; ++n) {
        const std::vector<std::int64_t> ways = signedRankSumsByEnumeration(n);
        const int largest = n * (n + 1) / 2;
        std::int64_t atLeast = 0;
        for (int s = largest + 1; s >= -1; --s) {
            if (s >= 0 && s <= largest)
                atLeast += ways[s];
            EXPECT_EQ(countSignedRankAtLeast(n, s), atLeast) << "n = " << n << ", threshold " << s;
            // Tied data give half-integer thresholds; only the integer sums above them count.
            const std::int64_t aboveHalf = atLeast - (s >= 0 && s <= largest ? ways[s] : 0);
            EXPECT_EQ(countSignedRankAtLeast(n, s + 0.5L), aboveHalf) << "n = " << n << ", threshold " << s << ".5";
        }
    }
}

// Counts from R: sum(dsignrank(q:(n*(n+1)/2), n)) * 2^n, rounded to the integer.
TEST(SignedRankCount, LargestExactSizeAgreesWithRAndTheDomainHolds)
{
    const struct {
        int n;
        Real threshold;
        std::int64_t count;
    } cases[] = {
        {29, 0, 536870912},    {29, 1, 536870911}, {29, 218, 268435456}, {29, 217.5L, 268435456},
        {29, 300, 20398106},   {29, 400, 4282},    {29, 435, 1},         {29, 435.5L, 0},
        {16, 10, 65503},       {16, 20, 65235},
        // Outside the domain: -1; no threshold (NaN, blank) or any: none or all.
        {-1, 0, -1}, {MaxSignedRankN + 1, 0, -1}, {MaxSignedRankN, 0, std::int64_t{1} << MaxSignedRankN},
        {5, std::numeric_limits<Real>::quiet_NaN(), 0}, {5, MissingValue, 0}, {5, -MissingValue, 32},
    };
    for (const auto& c : cases)
        EXPECT_EQ(countSignedRankAtLeast(c.n, c.threshold), c.count) << c.n << " " << static_cast<double>(c.threshold);
}

// All C(N, k) subsets of the ranks 1..N, by bit patterns.
TEST(RankSumCount, MatchesEnumerationForEveryThresholdUpToSixteen)
{
    for (int total = 0; total <= 16; ++total) {
        for (int k = 0; k <= total; ++k) {
            const int m = total - k;
            std::vector<std::int64_t> ways(static_cast<size_t>(m * k) + 1, 0);
            for (std::uint32_t subset = 0; subset < (1u << total); ++subset) {
                if (std::popcount(subset) != k)
                    continue;
                int sum = 0;
                for (int i = 0; i < total; ++i)
                    if (subset & (1u << i))
                        sum += i + 1;
                ++ways[sum - k * (k + 1) / 2];
            }
            std::int64_t atMost = 0;
            for (int u = -1; u <= m * k + 1; ++u) {
                if (u >= 0 && u <= m * k)
                    atMost += ways[u];
                EXPECT_EQ(countRankSumAtMost(m, k, u), atMost) << "m = " << m << ", k = " << k << ", u = " << u;
                EXPECT_EQ(countRankSumAtMost(m, k, u + 0.5L), atMost) << "m = " << m << ", k = " << k;
            }
        }
    }
}

// Counts from R: pwilcox(u, m, k) * choose(m + k, m), rounded to the integer.
// (3, 2287) is the pair with the most rank subsets below 2,000,000,000.
TEST(RankSumCount, LargestExactSizesAgreeWithRAndTheDomainHolds)
{
    const struct {
        int m, k;
        Real u;
        std::int64_t count;
    } cases[] = {
        {16, 17, 0, 1},           {16, 17, 50, 826169},       {16, 17, 136, 591669132},
        {17, 16, 136, 591669132}, {3, 2287, 1000, 28070362},  {2287, 3, 1000, 28070362},
        {3, 2287, 3430, 999438440}, {2, 10001, 5000, 6255001}, {10, 20, 70, 2974026},
        {3, 2287, 6861, 1998876880},
        // Outside the domain (C(70, 35) is beyond 64-bit counts): -1.
        {-1, 3, 0, -1}, {3, MaxRankSumTotal, 0, -1}, {35, 35, 0, -1},
        {4, 5, -0.5L, 0}, {4, 5, std::numeric_limits<Real>::quiet_NaN(), 0}, {4, 5, MissingValue, 126}, {0, 0, 0, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(countRankSumAtMost(c.m, c.k, c.u), c.count) << c.m << " " << c.k;
}

TEST(BinomialCapped, ExactBelowTheCapAndCappedAbove)
{
    constexpr std::int64_t limit = 2'000'000'000;
    const struct {
        int n, k;
        std::int64_t expected;
    } cases[] = {
        {6, 3, 20},  {33, 16, 1166803110}, {33, 17, 1166803110}, {2290, 3, 1998876880}, {2291, 3, limit},
        {10003, 2, 50025003}, {40, 20, limit}, {20002, 10001, limit}, {5, 0, 1}, {5, 5, 1}, {0, 0, 1},
        {5, 6, 0}, {5, -1, 0}, {-1, 0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(binomialCapped(c.n, c.k, limit), c.expected) << "C(" << c.n << ", " << c.k << ")";
    // 62 choose 31 is about 4.65e17: exact in 64 bits.
    EXPECT_EQ(binomialCapped(62, 31, std::numeric_limits<std::int64_t>::max()), 465428353255261088);
}

}  // namespace
}  // namespace ombrix::analyses
