#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "analyses/analysis_inputs.h"
#include "analyses/correlation.h"
#include "analyses/progress_reporter.h"
#include "analyses/results_buffer.h"
#include "core/data_table.h"
#include "core/real.h"

// The Wilcoxon signed rank test of one column, the Wilcoxon matched pairs
// test and the Mann-Whitney test, called by the one- and two-column
// dispatch of the t tests. They read raw columns only and return an analysis
// error code for data that do not allow the test.
//
// Statistics come from average ranks for ties. The P value is exact when the
// data allow it: with fewer than 30 non-zero differences (signed rank), or
// without ties and with fewer than 2,000,000,000 rank subsets (Mann-Whitney).
// Otherwise it is the normal approximation with continuity and tie
// corrections, the normal deviate read as t with 5000 degrees of freedom like
// every normal probability of the program. The exact counts use the integer
// ranks 1..n even when the signed rank data have ties.
namespace ombrix::analyses {

using core::DataTable;

// Why a P value is or is not exact. The values are those of the progress
// codes that can end an exact computation, plus one of its own.
enum class RankExactness {
    Cancelled = 0,  // the user took the approximate value
    Exact = 1,
    TooLong = 2,    // too many arrangements to count, or the user was told it would take too long
    TiedRanks = 4,  // Mann-Whitney only: with ties the count would not be exact
};

struct WilcoxonResult {
    int errorCode = 0;  // not 0: the data do not allow the test, nothing else is set
    // One-tailed; negative when the user interrupted the ranking (then
    // nothing else is filled in).
    Real p = -1;
    Real approximateP = MissingValue;  // one-tailed
    Real w = 0;
    Real tPlus = 0;
    Real tMinus = 0;  // the sum of negative ranks, kept and shown as a negative number
    int n = 0;        // non-zero differences, the ones ranked
    int zeros = 0;    // differences of exactly zero, left out
    bool ties = false;
    Real tieTerm = 0;  // sum of t^3 - t over groups of t tied absolute differences
    RankExactness exactness = RankExactness::TooLong;
    Real signPatterns = 0;  // 2^n when the count was made
};

// The signed rank statistics of the differences between the column's values
// and the hypothetical median, and their P value. tails only decides which
// approximate P the status panel offers. Rows 0 to the last used row are read
// with GetAnalysisValue. With no non-zero difference (or no value) n is 0
// and the exact P is 1.
WilcoxonResult ComputeWilcoxon(const DataTable& table, int column, Real hypotheticalMedian, Tails tails,
                               ProgressReporter& progress);
// The same for values already read; rowsRead scales the progress shown.
WilcoxonResult signedRankTest(const std::vector<Real>& values, int rowsRead, Real hypotheticalMedian, Tails tails,
                              ProgressReporter& progress);

struct ExactMannWhitneyResult {
    Real p = MissingValue;  // one-tailed, exact or approximate
    Real approximateP = MissingValue;
    RankExactness exactness = RankExactness::TooLong;
    std::int64_t subsets = 0;  // C(m + k, k) when it was needed, capped at 2,000,000,000
};

// The lower-tail P of U for groups of m <= k values (m, k >= 1) with tie term
// tieTerm: exact unless there are ties or 2,000,000,000 rank subsets or more.
ExactMannWhitneyResult ExactMannWhitneyP(int m, int k, Real tieTerm, Real u, Tails tails, ProgressReporter& progress);

struct MannWhitneyResult {
    int errorCode = 0;  // not 0: the data do not allow the test, nothing else is set
    // One-tailed; negative when the user interrupted the counting (then
    // nothing else is filled in).
    Real p = -1;
    Real approximateP = MissingValue;
    Real u = 0;  // the smaller of U and U'
    Real uPrime = 0;
    Real rankSumFirst = 0;
    Real rankSumSecond = 0;
    Real tieTerm = 0;  // sum of t^3 - t over groups of t tied values in both columns
    int firstN = 0;
    int secondN = 0;
    RankExactness exactness = RankExactness::TooLong;
    std::int64_t subsets = 0;
};

MannWhitneyResult ComputeMannWhitney(const DataTable& table, int first, int second, Tails tails,
                                     ProgressReporter& progress);

struct MatchedPairsResult {
    int errorCode = 0;    // not 0: the data do not allow the test, nothing else is set
    WilcoxonResult test;  // of the differences against 0
    // The rank correlation of the complete pairs; empty when it cannot be had
    // (the values of one column that have a partner are all equal).
    std::optional<SpearmanResult> spearman;
    core::ColumnRecord differences;  // titled "Difference"

    bool interrupted() const { return test.p < 0 || (spearman && spearman->p < 0); }
};

// The three tests with the checks of their data first, from the columns'
// summaries: code 40 when a column's SEM is 0, 49 when one has fewer than 2
// values; for matched pairs then 41 when the differences are all equal
// (pairedDifferences) and 50 with fewer than 2 pairs.
WilcoxonResult wilcoxonOneSample(const DataTable& table, int column, const core::ColumnRecord& summary,
                                 Real hypotheticalMedian, Tails tails, ProgressReporter& progress);
MatchedPairsResult matchedPairs(const DataTable& table, int first, int second, const core::ColumnRecord& firstSummary,
                                const core::ColumnRecord& secondSummary, Tails tails, ProgressReporter& progress);
MannWhitneyResult mannWhitney(const DataTable& table, int first, int second, const core::ColumnRecord& firstSummary,
                              const core::ColumnRecord& secondSummary, Tails tails, ProgressReporter& progress);

// The report writers: the whole report from computed results without an
// error code (the entry points below compute and then call these).
void WriteWilcoxonOneSampleText(const WilcoxonResult& result, const core::ColumnRecord& summary,
                                Real hypotheticalMedian, Tails tails, ResultsBuffer& out);
// differences is the summary of the column of paired differences, titled
// "Difference". A null spearman says that the rank correlation of the pairs
// could not be computed (the values of one column that have a partner are
// all equal).
void WriteMatchedPairsText(const WilcoxonResult& result, const SpearmanResult* spearman,
                           const core::ColumnRecord& first, const core::ColumnRecord& second,
                           const core::ColumnRecord& differences, Tails tails, ResultsBuffer& out);
void WriteMannWhitneyText(const MannWhitneyResult& result, const core::ColumnRecord& first,
                          const core::ColumnRecord& second, Tails tails, ResultsBuffer& out);

// The entry points: the report, or the result's analysis error code (then
// nothing is written). An interrupted ranking writes "Interrupted" and
// returns 0.
int WriteWilcoxonOneSampleReport(const DataTable& table, int column, const core::ColumnRecord& summary,
                                 Real hypotheticalMedian, Tails tails, ResultsBuffer& out, ProgressReporter& progress);

// paired: Wilcoxon matched pairs of the differences first − second;
// otherwise Mann-Whitney.
int WriteRankTwoColumnReport(const DataTable& table, int first, int second, const core::ColumnRecord& firstSummary,
                             const core::ColumnRecord& secondSummary, Pairing pairing, Tails tails, ResultsBuffer& out,
                             ProgressReporter& progress);

}  // namespace ombrix::analyses
