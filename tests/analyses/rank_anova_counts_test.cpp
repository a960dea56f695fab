#include "analyses/rank_anova_counts.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <numeric>
#include <vector>

namespace ombrix::analyses {
namespace {

const CountProgress goOn = [](Real) { return ProgressContinue; };

// Every arrangement visited, the plain way: each rank in turn goes to every
// group that still has room. The statistic is kept as sum R_j^2 (P / n_j),
// P the product of the sizes, so that it is an exact integer.
struct Enumerated {
    // statistic -> (arrangements with it, the rank sums of one of them)
    std::map<std::int64_t, std::pair<std::int64_t, std::vector<std::int64_t>>> byStatistic;
    std::int64_t total = 0;
};

void assign(const std::vector<int>& sizes, std::vector<int>& left, std::vector<std::int64_t>& sums, int rank, int n,
            Enumerated& out)
{
    if (rank > n) {
        std::int64_t product = 1;
        for (const int size : sizes)
            product *= size;
        std::int64_t statistic = 0;
        for (std::size_t j = 0; j < sizes.size(); ++j)
            statistic += sums[j] * sums[j] * (product / sizes[j]);
        auto& entry = out.byStatistic[statistic];
        ++entry.first;
        entry.second = sums;
        ++out.total;
        return;
    }
    for (std::size_t j = 0; j < sizes.size(); ++j) {
        if (left[j] == 0)
            continue;
        --left[j];
        sums[j] += rank;
        assign(sizes, left, sums, rank + 1, n, out);
        sums[j] -= rank;
        ++left[j];
    }
}

Enumerated enumerateKruskalWallis(const std::vector<int>& sizes)
{
    Enumerated out;
    std::vector<int> left = sizes;
    std::vector<std::int64_t> sums(sizes.size(), 0);
    assign(sizes, left, sums, 1, std::accumulate(sizes.begin(), sizes.end(), 0), out);
    return out;
}

// Every attainable statistic of three and four small groups (and a few
// others, among them groups of one, two groups, and a large group beside
// small ones) as the observed one:
// each way of counting must give the enumeration's count at every threshold.
TEST(KruskalWallisCount, MatchesEnumerationAtEveryThreshold)
{
    const std::vector<std::vector<int>> cases = {
        {2, 2},
        {1, 5},
        {3, 4},
        {2, 2, 2},
        {3, 2, 2},
        {2, 3, 2},
        {3, 3, 2},
        {4, 3, 2},
        {3, 3, 3},
        {4, 1, 1},
        {5, 1, 2},
        {2, 2, 2, 2},
        {3, 2, 2, 1},
        {2, 2, 1, 1},
        {3, 3, 2, 2},
        {1, 1, 1, 1, 1},
        {2, 1, 2, 1, 2},
        {4, 4, 2},
        // A large group and small ones: more than 16 ranks left when a small group lacks its last one.
        {1, 20},
        {20, 1, 1},
        {2, 1, 18},
        {2, 14, 2}};
    const KruskalWallisCounting countings[] = {KruskalWallisCounting::Automatic, KruskalWallisCounting::RankSumTables,
                                               KruskalWallisCounting::RankSumTablesSettling,
                                               KruskalWallisCounting::GroupStates, KruskalWallisCounting::SplitHalves};
    for (const std::vector<int>& sizes : cases) {
        const Enumerated all = enumerateKruskalWallis(sizes);
        std::int64_t atLeast = 0;
        std::vector<std::pair<std::int64_t, std::vector<std::int64_t>>> thresholds;
        for (auto it = all.byStatistic.rbegin(); it != all.byStatistic.rend(); ++it) {
            atLeast += it->second.first;
            thresholds.push_back({atLeast, it->second.second});
        }
        ASSERT_EQ(atLeast, all.total);
        for (const KruskalWallisCounting counting : countings) {
            for (const auto& [expected, rankSums] : thresholds) {
                const ArrangementCount count = countKruskalWallisAtLeast(sizes, rankSums, goOn, counting);
                ASSERT_EQ(count.total, all.total) << ::testing::PrintToString(sizes);
                ASSERT_EQ(count.extreme, expected)
                    << ::testing::PrintToString(sizes) << " at " << ::testing::PrintToString(rankSums) << " counting "
                    << static_cast<int>(counting);
            }
        }
    }
}

TEST(KruskalWallisCount, RefusesWhatItCannotCount)
{
    const std::vector<std::int64_t> sums3 = {1, 2, 3};
    EXPECT_EQ(countKruskalWallisAtLeast(std::vector<int>{1, 1}, sums3, goOn).total, -1);  // sizes and sums differ
    EXPECT_EQ(countKruskalWallisAtLeast(std::vector<int>{3}, std::vector<std::int64_t>{6}, goOn).total, -1);
    EXPECT_EQ(countKruskalWallisAtLeast(std::vector<int>{0, 1, 2}, sums3, goOn).total, -1);
    // 21 groups of one: 21! arrangements.
    EXPECT_EQ(countKruskalWallisAtLeast(std::vector<int>(21, 1), std::vector<std::int64_t>(21, 11), goOn).total, -1);
}

TEST(MultinomialCapped, ProductOfBinomialsWithCap)
{
    EXPECT_EQ(multinomialCapped(std::vector<int>{8, 7, 7}, 2'000'000'001), 1'097'450'640);  // 22!/(8! 7! 7!)
    EXPECT_EQ(multinomialCapped(std::vector<int>{5, 5, 4, 4}, 2'000'000'001), 771'891'120);
    EXPECT_EQ(multinomialCapped(std::vector<int>{8, 8, 7}, 2'000'000'001), 2'000'000'001);  // 4.9e9
    EXPECT_EQ(multinomialCapped(std::vector<int>{2, 2}, 5), 5);                             // 6, capped
}

// Every combination of row permutations visited.
void permuteRows(const std::vector<std::vector<int>>& permutations, std::vector<int>& sums, int rowsLeft,
                 std::map<std::int64_t, std::int64_t>& bySquares)
{
    if (rowsLeft == 0) {
        std::int64_t squares = 0;
        for (const int s : sums)
            squares += static_cast<std::int64_t>(s) * s;
        ++bySquares[squares];
        return;
    }
    for (const std::vector<int>& p : permutations) {
        for (std::size_t i = 0; i < sums.size(); ++i)
            sums[i] += p[i];
        permuteRows(permutations, sums, rowsLeft - 1, bySquares);
        for (std::size_t i = 0; i < sums.size(); ++i)
            sums[i] -= p[i];
    }
}

TEST(FriedmanCount, MatchesEnumerationAtEveryThreshold)
{
    const std::pair<int, int> cases[] = {{1, 2}, {4, 2}, {9, 2}, {2, 3}, {3, 3}, {5, 3},
                                         {1, 4}, {2, 4}, {3, 4}, {2, 5}, {1, 6}, {2, 6}};
    for (const auto& [rows, columns] : cases) {
        std::vector<int> p(static_cast<std::size_t>(columns));
        std::iota(p.begin(), p.end(), 1);
        std::vector<std::vector<int>> permutations;
        do
            permutations.push_back(p);
        while (std::next_permutation(p.begin(), p.end()));
        std::vector<int> sums(static_cast<std::size_t>(columns), 0);
        std::map<std::int64_t, std::int64_t> bySquares;
        permuteRows(permutations, sums, rows, bySquares);

        std::int64_t atLeast = 0;
        for (auto it = bySquares.rbegin(); it != bySquares.rend(); ++it) {
            atLeast += it->second;
            const ArrangementCount count = countFriedmanAtLeast(rows, columns, it->first, goOn);
            EXPECT_EQ(count.extreme, atLeast) << rows << " x " << columns << " at " << it->first;
            // Between attainable values the next one up decides.
            EXPECT_EQ(countFriedmanAtLeast(rows, columns, it->first + 1, goOn).extreme, atLeast - it->second);
        }
        EXPECT_EQ(countFriedmanAtLeast(rows, columns, 0, goOn).total, atLeast);
    }
    EXPECT_EQ(countFriedmanAtLeast(3, 7, 0, goOn).total, -1);
    EXPECT_EQ(countFriedmanAtLeast(0, 3, 0, goOn).total, -1);
}

// The count asks at every rank (row) whether to go on and stops at the first
// answer that is not "continue", keeping that answer.
TEST(ExactCounts, StopWhenTold)
{
    for (const int stopAnswer : {ProgressStop, ProgressTooLong}) {
        int calls = 0;
        const CountProgress stopThird = [&](Real) { return ++calls == 3 ? stopAnswer : ProgressContinue; };
        for (const KruskalWallisCounting counting :
             {KruskalWallisCounting::RankSumTables, KruskalWallisCounting::GroupStates,
              KruskalWallisCounting::SplitHalves}) {
            calls = 0;
            const ArrangementCount kw = countKruskalWallisAtLeast(
                std::vector<int>{3, 3, 3}, std::vector<std::int64_t>{6, 15, 24}, stopThird, counting);
            EXPECT_EQ(kw.progress, stopAnswer);
            EXPECT_EQ(calls, 3);
        }
        calls = 0;
        EXPECT_EQ(countFriedmanAtLeast(5, 3, 0, stopThird).progress, stopAnswer);
        EXPECT_EQ(calls, 3);
    }
}

}  // namespace
}  // namespace ombrix::analyses
