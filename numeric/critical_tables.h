#pragma once

// Critical values of the studentized range (Tukey-Kramer and
// Student-Newman-Keuls post tests) and of Dunnett's many-to-one statistic,
// looked up in tables compiled into the program and interpolated linearly in
// degrees of freedom and in the number of means. They are never computed from
// a distribution at run time; tools/ holds the program that computed them.

#include <array>
#include <cstdint>

#include "core/real.h"

namespace ombrix::numeric {

enum class Sides { One, Two };

// Upper alpha point of the studentized range for k means (2 to 100) and df >= 1
// degrees of freedom, alpha one of 0.05L, 0.01L, 0.001L (compared exactly);
// any other alpha gives 0. Between tabulated df the value is linear in df
// itself, the infinity row counting as 500 df, and beyond 500 df it is the
// infinity row. Between tabulated k it is linear in k (and beyond 100 the line
// through the last two columns continues). df or k below the table take its
// first row or column.
Real QCritical(int df, int k, Real alpha);

// Critical value of Dunnett's statistic for k groups including the control
// (2 to 21) and df >= 5, one- or two-sided, alpha 0.05L (compared exactly) or
// else 0.01. Interpolated like QCritical. Beyond the tables, which stop at 21
// groups two-sided and 10 one-sided: the two-sided value continues the
// straight line through its last two columns (as DunnettCriticalInfinite
// does), which lies above the true, concave curve; the one-sided value rises
// from its last column as the two-sided value does from the same column.
Real DunnettCritical(int df, int k, Sides sides, Real alpha);

// Critical value of Dunnett's statistic at infinite df for p >= 1 comparisons
// with the control, alpha 0.05L (compared exactly) or else 0.01: tabulated for
// p = 1 to 12, 15 and 20, linear between 12, 15 and 20, and the line through
// 15 and 20 continued beyond 20.
Real DunnettCriticalInfinite(int p, Sides sides, Real alpha);

namespace detail {

// The tables as stored, shared with the generator that writes them.

// Studentized range: one table per level, rows by df (the last, infinity, keyed
// 500), columns by the number of means. Entry times rangeScale() is q.
inline constexpr int kRangeLevels = 3;
inline constexpr std::array<Real, kRangeLevels> kRangeAlpha = {0.05L, 0.01L, 0.001L};
inline constexpr std::array<int, 26> kRangeDf = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12,  13,
                                                 14, 15, 16, 17, 18, 19, 20, 24, 30, 40, 60, 120, 500};
inline constexpr std::array<int, 35> kRangeMeans = {2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,
                                                    14, 15, 16, 17, 18, 19, 20, 22, 24, 26, 28, 30,
                                                    32, 34, 36, 38, 40, 50, 60, 70, 80, 90, 100};
using RangeTable = std::array<std::array<std::uint16_t, kRangeMeans.size()>, kRangeDf.size()>;
extern const std::array<RangeTable, kRangeLevels> kStudentizedRange;

// Decimals kept at each level and row: three, but fewer in the first rows
// where q runs into the hundreds and thousands and 16 bits would not hold it.
int rangeDecimals(int level, int row);
Real rangeScale(int level, int row);

// Dunnett: one table per sidedness and level, rows by df (the last, infinity,
// keyed 500), columns by the number of comparisons p (the number of groups is
// p + 1): p = 1 to 9 one-sided, p = 1 to 12, 15, 20 two-sided. One byte per
// entry: (entry + dunnettBase()) / 100 is the value, two decimals.
enum class DunnettLevel { P05, P01 };
inline constexpr std::array<int, 22> kDunnettDf = {5,  6,  7,  8,  9,  10, 11, 12, 13, 14,  15,
                                                   16, 17, 18, 19, 20, 24, 30, 40, 60, 120, 500};
inline constexpr std::array<int, 14> kDunnettComparisons = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 15, 20};
inline constexpr int kDunnettOneSidedColumns = 9;
using DunnettOneSidedTable = std::array<std::array<std::uint8_t, kDunnettOneSidedColumns>, kDunnettDf.size()>;
using DunnettTwoSidedTable = std::array<std::array<std::uint8_t, kDunnettComparisons.size()>, kDunnettDf.size()>;
// Indexed by DunnettLevel.
extern const std::array<DunnettOneSidedTable, 2> kDunnettOneSided;
extern const std::array<DunnettTwoSidedTable, 2> kDunnettTwoSided;

int dunnettColumns(Sides sides);
int dunnettBase(Sides sides, DunnettLevel level, int row);
int dunnettEntry(Sides sides, DunnettLevel level, int row, int column);

// Infinite-df values for p = kDunnettComparisons, indexed by DunnettLevel, then
// by Sides.
using DunnettInfiniteRow = std::array<Real, kDunnettComparisons.size()>;
extern const std::array<std::array<DunnettInfiniteRow, 2>, 2> kDunnettInfinite;

}  // namespace detail

}  // namespace ombrix::numeric
