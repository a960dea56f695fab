#include "analyses/rank_distributions.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
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

// The largest sizes counted and the ends of each domain, against R; one call
// a line in tests/data/rank_counts.txt.
TEST(RankCounts, LargestExactSizesAgreeWithRAndTheDomainHolds)
{
    std::ifstream in(std::string(OMBRIX_TEST_DATA_DIR) + "/data/rank_counts.txt");
    int checked = 0;
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string name;
        std::vector<std::string> tokens;
        if (!(fields >> name) || name[0] == '#')
            continue;
        for (std::string token; fields >> token;)
            tokens.push_back(token);
        ASSERT_GE(tokens.size(), 3u) << line;
        const auto number = [&](std::size_t i) { return std::stold(tokens[i]); };
        const auto integer = [&](std::size_t i) { return std::stoi(tokens[i]); };
        std::int64_t count = 0;
        if (name == "countSignedRankAtLeast")
            count = countSignedRankAtLeast(integer(0), number(1));
        else if (name == "countRankSumAtMost")
            count = countRankSumAtMost(integer(0), integer(1), number(2));
        else
            count = binomialCapped(integer(0), integer(1), std::stoll(tokens[2]));
        EXPECT_EQ(count, std::stoll(tokens.back())) << line;
        ++checked;
    }
    EXPECT_GT(checked, 40);  // the whole file was read
    // No threshold at all: no count.
    EXPECT_EQ(countSignedRankAtLeast(5, std::numeric_limits<Real>::quiet_NaN()), 0);
    EXPECT_EQ(countRankSumAtMost(4, 5, std::numeric_limits<Real>::quiet_NaN()), 0);
}

}  // namespace
}  // namespace ombrix::analyses
