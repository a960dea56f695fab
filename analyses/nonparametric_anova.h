#pragma once

#include <cstdint>
#include <vector>

#include "analyses/analysis_inputs.h"
#include "analyses/column_tables.h"
#include "analyses/progress_reporter.h"
#include "analyses/rank_tests.h"
#include "analyses/results_buffer.h"

// The nonparametric one-way ANOVAs: the Kruskal-Wallis test of independent
// columns and the Friedman test of matched columns (rows are subjects or
// blocks), with Dunn's multiple comparisons after either and the comparisons
// with a control column after the Friedman test.
//
// Values are ranked with average ranks for ties; the P value is exact
// (extreme arrangements / all arrangements) without ties and when there are
// at most 2,000,000,000 arrangements (Kruskal-Wallis) or k <= 6 columns and
// (k!)^b <= 1,000,000,000 (Friedman), otherwise the chi-square approximation
// with k - 1 df.
namespace ombrix::analyses {

struct KruskalWallisResult {
    int errorCode = 0;         // 11: fewer than two columns with values; 14: every value the same
    bool interrupted = false;  // the user stopped the ranking; nothing else is set
    // Per column with values, in data-set order: its logical column, N and rank sum.
    std::vector<int> columns;
    std::vector<int> counts;
    std::vector<Real> rankSums;
    int n = 0;
    Real tieTerm = 0;  // sum of t^3 - t over groups of t equal values
    Real kw = 0;       // corrected for ties
    Real approximateP = 0;
    Real p = 0;
    RankExactness exactness = RankExactness::TiedRanks;
    std::int64_t arrangements = 0;  // N! / prod Nj!, when the exact P was attempted
};

// Ranks the analysed columns (the table's column map) and computes the exact
// or approximate P. Progress: the ranking under its own message (cancel stops
// everything), then the exact count under the approximate P (cancel or "too
// long" keep the approximation).
KruskalWallisResult computeKruskalWallis(const DataTable& table, ProgressReporter& progress);

struct FriedmanResult {
    int errorCode = 0;  // 15: a value missing in the data block; 11: fewer than two rows or columns;
                        // 14: every row's values all equal
    bool interrupted = false;
    std::vector<int> columns;  // logical columns of the data block
    std::vector<Real> rankSums;
    int rows = 0;
    Real s3 = 0;  // sum of t^3 over groups of equal values within rows, groups of one included
    Real fr = 0;
    Real approximateP = 0;
    Real p = 0;
    RankExactness exactness = RankExactness::TiedRanks;
    Real arrangements = 0;  // (k!)^b, or the first power of k! beyond 1,000,000,000
};

FriedmanResult computeFriedman(const DataTable& table, ProgressReporter& progress);

// The reports from the results, with the chosen post test. columns are the
// summaries of the analysed columns (for the summary table and the titles).
// Return the analysis error code: 10 when a post test's buffer cannot be had.
int WriteKruskalWallisText(const KruskalWallisResult& result, const std::vector<ColumnSummary>& columns,
                           const MultiColumnTestInput& input, ResultsBuffer& out);
int WriteFriedmanText(const FriedmanResult& result, const std::vector<ColumnSummary>& columns,
                      const MultiColumnTestInput& input, ResultsBuffer& out);

// Computation and report; the ANOVA dispatch calls this for raw data. An
// interrupted ranking writes "Interrupted" and returns 0.
int NonparametricAnova(const DataTable& table, const std::vector<ColumnSummary>& columns,
                       const MultiColumnTestInput& input, ResultsBuffer& out, ProgressReporter& progress);

}  // namespace ombrix::analyses
