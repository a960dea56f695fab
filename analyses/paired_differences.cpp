#include "analyses/paired_differences.h"

#include <algorithm>
#include <cmath>

#include "analyses/column_statistics.h"

namespace ombrix::analyses {

namespace {

// Values typed as decimals are not exact in binary, so pairs whose decimal
// differences are all equal (1.3 − 1.2 and 2.4 − 2.3) give differences that
// disagree in the last bits, about 1e-19 of the operands. A spread of the
// differences below this fraction of the largest operand is that rounding,
// not data: values shown with 14 digits cannot differ by less than 1e-14.
constexpr Real PairedDifferenceRounding = 1e-16L;

}  // namespace

PairedDifferences pairedDifferences(const core::DataTable& table, int first, int second)
{
    PairedDifferences result;
    result.rows = table.lastUsedRow() + 1;
    Real largest = 0;
    for (int row = 0; row < result.rows; ++row) {
        const Real a = table.GetAnalysisValue(row, first);
        const Real b = table.GetAnalysisValue(row, second);
        if (isMissing(a) || isMissing(b))
            continue;
        result.values.push_back(a - b);
        largest = std::max({largest, std::fabs(a), std::fabs(b)});
    }
    core::ColumnRecord& summary = result.summary;
    summary = statisticsOfValues(result.values);
    summary.title = "Difference";
    if (summary.n >= 2 && summary.sd <= PairedDifferenceRounding * largest) {
        summary.sd = summary.sem = 0;
        summary.lower95 = summary.upper95 = summary.mean;
    }
    return result;
}

}  // namespace ombrix::analyses
