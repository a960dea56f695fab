#include "numeric/critical_tables.h"

#include <algorithm>
#include <span>

namespace ombrix::numeric {

namespace detail {

int rangeDecimals(int level, int row)
{
    if (level == 2) {
        return row == 0 ? 1 : row == 1 ? 2 : 3;
    }
    return row == 0 ? 2 : 3;
}

Real rangeScale(int level, int row)
{
    switch (rangeDecimals(level, row)) {
    case 1: return 0.1L;
    case 2: return 0.01L;
    default: return 0.001L;
    }
}

int dunnettColumns(Sides sides)
{
    return sides == Sides::One ? kDunnettOneSidedColumns : int(kDunnettComparisons.size());
}

int dunnettBase(Sides sides, DunnettLevel level, int row)
{
    const int df = kDunnettDf[row];
    if (level == DunnettLevel::P05) {
        return sides == Sides::One ? 100 : 196;
    }
    if (sides == Sides::One) {
        return df < 10 ? 280 : 200;
    }
    switch (df) {
    case 5: return 400;
    case 6: return 370;
    case 7: return 300;
    default: return 258;
    }
}

int dunnettEntry(Sides sides, DunnettLevel level, int row, int column)
{
    const int index = int(level);
    return sides == Sides::One ? kDunnettOneSided[index][row][column] : kDunnettTwoSided[index][row][column];
}

}  // namespace detail

namespace {

using namespace detail;

// Number of groups (control included) of each Dunnett column.
constexpr std::array<int, kDunnettComparisons.size()> kDunnettGroups = [] {
    std::array<int, kDunnettComparisons.size()> groups{};
    for (std::size_t i = 0; i < groups.size(); ++i) {
        groups[i] = kDunnettComparisons[i] + 1;
    }
    return groups;
}();

// Table lookup with linear interpolation in the row key (df) and the column
// key (k). The search stops at the last row and the last column: a df beyond
// the last key takes the last row as it is, while a k beyond the last key
// continues the line through the last two columns. A df or k below the first
// key takes the first row or column.
template <class Value>
Real interpolate(std::span<const int> rowKeys, std::span<const int> columnKeys, int df, int k, Value value)
{
    const int lastRow = int(rowKeys.size()) - 1;
    const int lastColumn = int(columnKeys.size()) - 1;
    int r = 0;
    while (r < lastRow && rowKeys[r] < df) {
        ++r;
    }
    int c = 0;
    while (c < lastColumn && columnKeys[c] < k) {
        ++c;
    }
    const bool exactRow = df == rowKeys[r] || r == 0 || (r == lastRow && df > rowKeys[r]);
    const bool exactColumn = k == columnKeys[c] || c == 0;

    auto inDf = [&](int column) -> Real {
        if (exactRow) {
            return value(r, column);
        }
        const Real f = Real(df - rowKeys[r - 1]) / Real(rowKeys[r] - rowKeys[r - 1]);
        const Real below = value(r - 1, column);
        return below + f * (value(r, column) - below);
    };
    if (exactColumn) {
        return inDf(c);
    }
    const Real g = Real(k - columnKeys[c - 1]) / Real(columnKeys[c] - columnKeys[c - 1]);
    const Real left = inDf(c - 1);
    return left + g * (inDf(c) - left);
}

DunnettLevel dunnettLevel(Real alpha)
{
    return alpha == 0.05L ? DunnettLevel::P05 : DunnettLevel::P01;
}

}  // namespace

Real QCritical(int df, int k, Real alpha)
{
    const auto found = std::find(kRangeAlpha.begin(), kRangeAlpha.end(), alpha);
    if (found == kRangeAlpha.end()) {
        return 0;
    }
    const int level = int(found - kRangeAlpha.begin());
    const RangeTable& table = kStudentizedRange[level];
    return interpolate(kRangeDf, kRangeMeans, df, k,
                       [&](int row, int column) { return table[row][column] * rangeScale(level, row); });
}

Real DunnettCritical(int df, int k, Sides sides, Real alpha)
{
    const DunnettLevel level = dunnettLevel(alpha);
    auto lookUp = [&](int groups, Sides tableSides) {
        const std::span<const int> keys(kDunnettGroups.data(), dunnettColumns(tableSides));
        return interpolate(kDunnettDf, keys, df, groups, [&](int row, int column) {
            return Real(dunnettEntry(tableSides, level, row, column) + dunnettBase(tableSides, level, row)) / 100;
        });
    };
    // Past its last column the one-sided value rises as the two-sided value
    // at the same df and level does: the two curves run parallel in the
    // number of groups (at infinite df both published rows give 2.64 for
    // p = 20 at 0.05, 2.42 + 2.91 - 2.69), and where they part the two-sided
    // one rises faster, so the estimate errs on the conservative side.
    const int lastOneSided = kDunnettGroups[kDunnettOneSidedColumns - 1];
    if (sides == Sides::One && k > lastOneSided) {
        return lookUp(lastOneSided, Sides::One) + lookUp(k, Sides::Two) - lookUp(lastOneSided, Sides::Two);
    }
    return lookUp(k, sides);
}

Real DunnettCriticalInfinite(int p, Sides sides, Real alpha)
{
    const DunnettInfiniteRow& row = kDunnettInfinite[int(dunnettLevel(alpha))][int(sides)];
    const Real at12 = row[11];
    const Real at15 = row[12];
    const Real at20 = row[13];
    if (p <= 12) {
        return row[std::max(p, 1) - 1];
    }
    if (p <= 15) {
        return at12 + Real(p - 12) / 3 * (at15 - at12);
    }
    return at15 + Real(p - 15) / 5 * (at20 - at15);
}

}  // namespace ombrix::numeric
