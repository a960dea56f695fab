#pragma once

#include <cstdint>

#include "core/real.h"

// Exact null distributions of the rank statistics, counted without visiting
// every arrangement.
//
// The exact P values of the signed rank and rank sum tests are fractions
// count / total, where the count is the number of sign patterns (or rank
// subsets) at least as extreme as the data. A plain walk over all of them
// takes minutes at the largest sizes the tests allow (2^29 sign patterns,
// nearly 2,000,000,000 rank subsets). The counts below are the same integers,
// obtained from the distribution of the attainable rank sums instead, so the
// P values, and every report line that depends on them, are unchanged.
namespace ombrix::analyses {

// Largest n for which countSignedRankAtLeast answers (2^62 patterns still fit).
inline constexpr int MaxSignedRankN = 62;

// Of the 2^n ways to give the ranks 1..n a sign, the number whose sum of
// positive ranks is at least threshold. Only integer ranks are summed, so a
// threshold of 34.5 counts the sums from 35 up. A threshold at or below 0
// gives 2^n, one above n(n+1)/2 (or NaN) gives 0. n outside 0..62 gives -1.
//
// The sums follow the recurrence N_j(s) = N_{j-1}(s) + N_{j-1}(s - j) over
// the ranks j = 1..n: O(n^3) additions.
std::int64_t countSignedRankAtLeast(int n, Real threshold);

// Largest total of both groups for which countRankSumAtMost answers.
inline constexpr int MaxRankSumTotal = 1000000;

// Of the C(m + k, k) ways to choose k distinct ranks out of 1..m+k, the number
// whose rank sum, less its least possible value k(k+1)/2, is at most u: the
// lower tail of the Mann-Whitney U of a group of k against one of m. Only
// integer ranks are summed; u below 0 gives 0 and a fractional u counts up to
// its integer part. m, k >= 0 with m + k <= MaxRankSumTotal and C(m + k, k)
// below 2^62; otherwise -1.
//
// The generating function of that shifted sum is the Gaussian binomial
// coefficient prod_{j=1..m} (1 - q^(k+j)) / (1 - q^j); it is built factor by
// factor, keeping the coefficients up to degree u only, since neither the
// multiplication by 1 - q^(k+j) nor the division by 1 - q^j (a running sum
// with stride j) reads a higher one. O(m u) additions, u <= m k / 2 for the
// lower tail. Every intermediate polynomial is, apart from the one
// multiplication, a Gaussian binomial with non-negative coefficients summing
// to at most C(m + k, k), so 64-bit counts are exact.
std::int64_t countRankSumAtMost(int m, int k, Real u);

// C(n, k) when it is below cap, otherwise cap; 0 for k < 0 or k > n (and for
// n < 0). cap must be positive. Exact: each step multiplies by (n - i) and
// divides by (i + 1) after cancelling their common factors, which keeps every
// intermediate a binomial coefficient.
std::int64_t binomialCapped(int n, int k, std::int64_t cap);

}  // namespace ombrix::analyses
