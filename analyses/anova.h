#pragma once

#include <span>

#include "analyses/analysis_inputs.h"
#include "analyses/anova_tables.h"
#include "core/data_table.h"
#include "core/real.h"

// Ordinary one-way analysis of variance from column summaries, Bartlett's
// test of equal SDs, and the report of the one-way ANOVA.
namespace ombrix::analyses {

struct OneWayAnovaResult {
    AnovaSums sums;
    Real msTreatment = 0;
    Real f = 0;
    Real p = 0;  // stays 0 when MS residual is 0
    int k = 0;   // columns with at least two values
    int largestN = 0;
    int errorCode = 0;  // 11: fewer than two such columns; 12: a column with one value
};

// From each column's N, mean and SD (columns with N = 0 are left out).
// Every sum of squares is taken about the means, SS treatment as
// sum Nj (mj - grand mean)^2 and SS residual as sum (Nj - 1) sj^2, so data
// with a large mean relative to their spread keep their digits; the
// textbook sum Tj^2/Nj - G^2/N cancels them away.
OneWayAnovaResult oneWayAnova(std::span<const core::ColumnRecord> columns);

struct BartlettResult {
    Real statistic = MissingValue;  // both missing when a column's SD is 0
    Real p = MissingValue;
    int errorCode = 0;  // 12: a column with one value
};

// Bartlett's corrected statistic over the columns with two or more values,
// referred to chi-square with (columns - 1) df (Snedecor and Cochran,
// Statistical Methods, 8th ed., section 13.10).
BartlettResult bartlettTest(std::span<const core::ColumnRecord> columns);

}  // namespace ombrix::analyses
