#pragma once

// The number type of the whole program and the blank marker shared by the
// data table, the column statistics and the reports.

namespace ombrix {

// 80-bit extended on x86-64: every statistic is computed in it.
using Real = long double;

// A blank cell, an unavailable statistic, and in reports an unknown or (with
// either sign) an infinite quantity. No other value means "empty".
inline constexpr Real MissingValue = 1.7e38L;

inline constexpr bool isMissing(Real x)
{
    return x == MissingValue;
}

}  // namespace ombrix
