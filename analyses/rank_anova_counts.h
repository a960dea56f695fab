#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "analyses/progress_reporter.h"
#include "core/real.h"

// Exact null distributions of the Kruskal-Wallis and Friedman statistics,
// counted without visiting every arrangement.
//
// Without ties the exact P value is extreme / total, where total counts the
// equally likely arrangements of the ranks and extreme those whose statistic
// is at least the observed one. A walk over every arrangement takes minutes at
// the largest sizes the tests allow (about 2e9 rank assignments, 1e9 row
// permutations). The counts below are the same integers, obtained from the
// distribution of the rank sums instead.
//
// The observed statistic is given as integer rank sums and compared exactly:
// an arrangement is extreme when its sum of R^2/n over the groups (of R^2 for
// Friedman) is at least the observed one in exact arithmetic. The values are
// rationals with small denominators, so this is what a floating-point
// comparison with a small tolerance intends; here rounding can never drop the
// observed arrangement itself or a tie with it.
namespace ombrix::analyses {

// Told the share done (0 to 100) now and then; the count goes on only while
// it answers ProgressContinue.
using CountProgress = std::function<int(Real percentDone)>;

struct ArrangementCount {
    std::int64_t extreme = 0;
    std::int64_t total = 0;  // -1: sizes outside the domain, nothing counted
    // The last answer of the progress function. Anything but
    // ProgressContinue stopped the count; extreme and total are then partial.
    int progress = ProgressContinue;
};

// The multinomial coefficient N! / prod(n_j!), N = sum n_j, when it is below
// cap, otherwise cap. Sizes must be >= 0; cap positive.
std::int64_t multinomialCapped(std::span<const int> sizes, std::int64_t cap);

// Which way countKruskalWallisAtLeast counts. Automatic picks the faster for
// the sizes; the others exist so that tests can check each against a plain
// enumeration.
enum class KruskalWallisCounting { Automatic, RankSumTables, RankSumTablesSettling, GroupStates, SplitHalves };

// Largest number of arrangements countKruskalWallisAtLeast accepts.
inline constexpr std::int64_t MaxKruskalWallisArrangements = 0xFFFFFFFFLL;

// Of the N! / prod(n_j!) ways to give the ranks 1..N to groups of the given
// sizes, the number whose sum over the groups of R_j^2 / n_j is at least that
// of observedRankSums (R_j of each group, in the same order). At least two
// groups, every size >= 1, and at most MaxKruskalWallisArrangements
// arrangements; otherwise total is -1.
//
// The first three ways give the ranks out one by one, 1 to N, keeping for
// every reachable state the number of ways to reach it; the largest group is
// left out of the state, since its count and rank sum follow from the
// others', and a state in which it alone is still open is final and counted
// at once.
// RankSumTables keeps, for every count vector of the other groups, a dense
// table over their rank sums: fastest for three or four groups.
// RankSumTablesSettling does not keep the tables one rank short of full: an
// entry reaching one is settled at once with every rank that can complete
// it, which saves reading them at every step when the left-out group is
// large and many ranks remain.
// GroupStates keeps a hash table of the states with groups of equal size
// put in order, since exchanging them changes no statistic: far fewer states
// when there are many small groups of equal size. SplitHalves (at most 62
// ranks) meets in the middle: for every choice of the ranks that one set of
// groups takes, the statistic's part from those groups is matched against
// the part from the others, which suits many small groups of mixed sizes.
// Automatic takes the one with the least work expected.
ArrangementCount countKruskalWallisAtLeast(std::span<const int> sizes, std::span<const std::int64_t> observedRankSums,
                                           const CountProgress& progress,
                                           KruskalWallisCounting counting = KruskalWallisCounting::Automatic);

// Largest (k!)^b countFriedmanAtLeast accepts.
inline constexpr std::int64_t MaxFriedmanArrangements = std::int64_t{1} << 62;

// Of the (k!)^b ways to rank the values of each of b rows 1..k, the number
// whose sum of squared column rank sums is at least observedSumOfSquares.
// b >= 1, 2 <= k <= 6 and (k!)^b at most MaxFriedmanArrangements; otherwise
// total is -1.
//
// The vector of column rank sums is the sum of b independent uniformly random
// permutations of 1..k; its distribution is built row by row. Since it does
// not change when columns are exchanged, only sorted vectors are kept: the
// count of a sorted vector stands for all its orderings, and adding every
// permutation to one ordering reaches the same sorted vectors, with the same
// multiplicities, as adding them to any other.
ArrangementCount countFriedmanAtLeast(int rows, int columns, std::int64_t observedSumOfSquares,
                                      const CountProgress& progress);

}  // namespace ombrix::analyses
