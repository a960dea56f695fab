#include "analyses/rank_tests.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <utility>
#include <vector>

#include "analyses/column_statistics.h"
#include "analyses/column_tables.h"
#include "analyses/error_codes.h"
#include "analyses/paired_differences.h"
#include "analyses/rank_distributions.h"
#include "analyses/report_writers.h"
#include "numeric/probability.h"

namespace ombrix::analyses {

namespace {

// Beyond these sizes the exact P is not attempted: 2^30 sign patterns, or
// this many rank subsets.
constexpr int LargestExactSignedRankN = 29;
constexpr std::int64_t RankSubsetLimit = 2'000'000'000;

// With fewer equally likely arrangements than this, the smallest possible P
// is 1/total (doubled when two-tailed), which cannot be below 0.05.
Real fewestArrangementsForSignificance(Tails tails)
{
    return tails == Tails::Two ? 40 : 20;
}

struct RowValue {
    int row;
    Real x;
};

std::vector<RowValue> columnValues(const DataTable& table, int column)
{
    std::vector<RowValue> values;
    const int rows = table.lastUsedRow() + 1;
    for (int row = 0; row < rows; ++row) {
        const Real x = table.GetAnalysisValue(row, column);
        if (!isMissing(x))
            values.push_back({row, x});
    }
    return values;
}

// The one-tailed approximate P of a normal deviate, read like every normal
// probability of the program. A deviate below 0 (the statistic within the
// continuity correction of its mean) gives the same P as its absolute value.
Real oneTailedNormalP(Real deviation, Real variance)
{
    const Real z = variance > 0 ? deviation / std::sqrt(variance) : 0;
    return numeric::ZProbability(z) / 2;
}

void writeStatistic(ResultsBuffer& out, std::string_view label, Real value)
{
    out.Append(label);
    out.AppendNumber(-5, value);
    out.NewLine();
}

void writeImpossibleLines(ResultsBuffer& out, std::string_view fewWhat)
{
    out.AppendLine("Regardless of what data you enter, it is impossible for this test to");
    out.Append("yield P < 0.05 with so few data ");
    out.Append(fewWhat);
    out.NewLine();
}

// The sums of the signed ranks, W, T+, T- and the number ranked.
void writeSignedRankDetails(ResultsBuffer& out, const WilcoxonResult& result, bool noteTies)
{
    out.Append("Sum of all signed ranks (W) = ");
    out.AppendNumber(-5, result.w);
    if (noteTies)
        out.Append(" (corrected for ties)");
    out.NewLine();
    writeStatistic(out, "Sum of positive ranks (T+) = ", result.tPlus);
    writeStatistic(out, "Sum of negative ranks (T-) = ", result.tMinus);
    out.Append("Number of pairs = ");
    out.AppendInteger(result.n);
    out.NewLine();
}

int twoColumnDataCode(const core::ColumnRecord& first, const core::ColumnRecord& second)
{
    int code = error_code::None;
    if (first.sem == 0 || second.sem == 0)
        code = error_code::ZeroSd;
    if (first.n < 2 || second.n < 2)
        code = error_code::SingleValueInColumn;
    return code;
}

}  // namespace

WilcoxonResult ComputeWilcoxon(const DataTable& table, int column, Real hypotheticalMedian, Tails tails,
                               ProgressReporter& progress)
{
    std::vector<Real> values;
    for (const RowValue& value : columnValues(table, column))
        values.push_back(value.x);
    return signedRankTest(values, table.lastUsedRow() + 1, hypotheticalMedian, tails, progress);
}

WilcoxonResult signedRankTest(const std::vector<Real>& values, int rowsRead, Real hypotheticalMedian, Tails tails,
                              ProgressReporter& progress)
{
    WilcoxonResult result;
    progress.ShowCalcStatus(WilcoxonStatusMessage, NoApproximateP);

    struct Difference {
        Real size;
        bool negative;
    };
    std::vector<Difference> differences;
    for (const Real x : values) {
        const Real d = x - hypotheticalMedian;
        if (d == 0)
            ++result.zeros;
        else
            differences.push_back({std::fabs(d), d < 0});
    }
    std::stable_sort(differences.begin(), differences.end(),
                     [](const Difference& a, const Difference& b) { return a.size < b.size; });

    // Level by level from the smallest absolute difference: each tied level
    // shares the mean of the ranks it occupies.
    const Real rows = static_cast<Real>(rowsRead);
    Real negativeSum = 0;
    int rank = 0;
    const size_t count = differences.size();
    for (size_t first = 0; first < count;) {
        size_t end = first;
        std::int64_t levelRankSum = 0;
        int negatives = 0;
        for (; end < count && differences[end].size == differences[first].size; ++end) {
            ++rank;
            levelRankSum += rank;
            negatives += differences[end].negative ? 1 : 0;
        }
        const auto tied = static_cast<int>(end - first);
        if (negatives > 0)
            negativeSum -= static_cast<Real>(levelRankSum) * negatives / tied;
        if (tied > 1) {
            result.tieTerm += static_cast<Real>(tied) * tied * tied - tied;
            result.ties = true;
        }
        first = end;
        if (progress.CalcProgress(static_cast<Real>(rank) / rows * 100) == ProgressStop) {
            progress.HideCalcStatus();
            result.p = -1;
            return result;
        }
    }
    progress.HideCalcStatus();

    const int n = rank;
    const Real rankTotal = static_cast<Real>(n) * (n + 1) / 2;
    result.n = n;
    result.tMinus = negativeSum;
    result.tPlus = negativeSum + rankTotal;
    result.w = result.tPlus + result.tMinus;
    result.exactness = n <= LargestExactSignedRankN ? RankExactness::Exact : RankExactness::TooLong;
    const Real threshold = std::max(result.tPlus, -result.tMinus);

    const Real variance = (static_cast<Real>(n) * (n + 1) * (2 * static_cast<Real>(n) + 1) - result.tieTerm / 2) / 24;
    result.approximateP = oneTailedNormalP(std::fabs(result.tPlus - rankTotal / 2) - 0.5L, variance);

    // The count takes microseconds at every size it is made for, so it
    // reports no progress and leaves nothing to cancel; the status still
    // announces it with the approximate P, as for every exact P.
    progress.ShowCalcStatus(ExactPStatusMessage, tails == Tails::Two ? 2 * result.approximateP : result.approximateP);
    if (result.exactness == RankExactness::Exact) {
        result.signPatterns = std::ldexp(Real(1), n);
        result.p = static_cast<Real>(countSignedRankAtLeast(n, threshold)) / result.signPatterns;
    } else {
        result.p = result.approximateP;
    }
    progress.HideCalcStatus();
    return result;
}

ExactMannWhitneyResult ExactMannWhitneyP(int m, int k, Real tieTerm, Real u, Tails tails, ProgressReporter& progress)
{
    ExactMannWhitneyResult result;
    const Real total = static_cast<Real>(m) + k;
    const Real product = static_cast<Real>(m) * k;
    const Real variance =
        total >= 2 ? product / (total * (total - 1)) * ((total * total * total - total - tieTerm) / 12) : 0;
    result.approximateP = oneTailedNormalP(std::fabs(u - product / 2) - 0.5L, variance);
    result.p = result.approximateP;
    if (tieTerm > 0) {
        result.exactness = RankExactness::TiedRanks;
        return result;
    }

    // Counted in well under a millisecond at every size allowed: no progress, nothing to cancel.
    result.exactness = RankExactness::Exact;
    progress.ShowCalcStatus(ExactPStatusMessage, tails == Tails::Two ? 2 * result.approximateP : result.approximateP);
    result.subsets = binomialCapped(m + k, k, RankSubsetLimit);
    if (result.subsets >= RankSubsetLimit) {
        result.exactness = RankExactness::TooLong;
    } else {
        const std::int64_t extreme = countRankSumAtMost(m, k, u);
        result.p = static_cast<Real>(extreme) / static_cast<Real>(result.subsets);
    }
    progress.HideCalcStatus();
    return result;
}

MannWhitneyResult ComputeMannWhitney(const DataTable& table, int first, int second, Tails tails,
                                     ProgressReporter& progress)
{
    MannWhitneyResult result;
    progress.ShowCalcStatus(MannWhitneyStatusMessage, NoApproximateP);
    const std::vector<RowValue> firstValues = columnValues(table, first);
    const std::vector<RowValue> secondValues = columnValues(table, second);
    auto sortedOf = [](const std::vector<RowValue>& values) {
        std::vector<Real> sorted;
        sorted.reserve(values.size());
        for (const RowValue& value : values)
            sorted.push_back(value.x);
        std::sort(sorted.begin(), sorted.end());
        return sorted;
    };
    const std::vector<Real> sortedFirst = sortedOf(firstValues);
    const std::vector<Real> sortedSecond = sortedOf(secondValues);
    auto countEqual = [](const std::vector<Real>& sorted, Real x) {
        const auto range = std::equal_range(sorted.begin(), sorted.end(), x);
        return static_cast<int>(range.second - range.first);
    };

    // U counts the pairs in which the second column's value is the larger,
    // ties as one half. Every value of the first column also adds its share
    // (t^3 - t)/c1 of its tie group, and a group without first-column values
    // gets t^2 - 1 from each of its t second-column values; the terms are
    // added in that order, row by row, so the sum is the same to the last bit.
    const Real rows = static_cast<Real>(table.lastUsedRow() + 1);
    const Real progressTotal = 2 * rows;
    Real u = 0;
    for (const RowValue& value : firstValues) {
        const int c1 = countEqual(sortedFirst, value.x);
        const auto above = std::upper_bound(sortedSecond.begin(), sortedSecond.end(), value.x);
        const int c2 = countEqual(sortedSecond, value.x);
        u += static_cast<Real>(sortedSecond.end() - above) + static_cast<Real>(c2) / 2;
        const int t = c1 + c2;
        if (t > 1)
            result.tieTerm += static_cast<Real>(t - 1) * t * (t + 1) / c1;
        if (progress.CalcProgress((value.row + 1) / progressTotal * 100) == ProgressStop) {
            progress.HideCalcStatus();
            result.p = -1;
            return result;
        }
    }
    for (const RowValue& value : secondValues) {
        const int c2 = countEqual(sortedSecond, value.x);
        const int c1 = countEqual(sortedFirst, value.x);
        if (c1 == 0 && c2 > 1)
            result.tieTerm += static_cast<Real>(c2 - 1) * (c2 + 1);
        if (progress.CalcProgress((rows + value.row + 1) / progressTotal * 100) == ProgressStop) {
            progress.HideCalcStatus();
            result.p = -1;
            return result;
        }
    }
    progress.HideCalcStatus();

    const auto n1 = static_cast<int>(firstValues.size());
    const auto n2 = static_cast<int>(secondValues.size());
    const Real pairs = static_cast<Real>(n1) * n2;
    const Real n = static_cast<Real>(n1) + n2;
    result.firstN = n1;
    result.secondN = n2;
    result.rankSumFirst = static_cast<Real>(n1) * (n1 + 1) / 2 + pairs - u;
    result.rankSumSecond = n * (n + 1) / 2 - result.rankSumFirst;
    result.u = u > pairs / 2 ? pairs - u : u;
    result.uPrime = pairs - result.u;

    const ExactMannWhitneyResult exact =
        ExactMannWhitneyP(std::min(n1, n2), std::max(n1, n2), result.tieTerm, result.u, tails, progress);
    result.p = exact.p;
    result.approximateP = exact.approximateP;
    result.exactness = exact.exactness;
    result.subsets = exact.subsets;
    return result;
}

void WriteWilcoxonOneSampleText(const WilcoxonResult& result, const core::ColumnRecord& summary,
                                Real hypotheticalMedian, Tails tails, ResultsBuffer& out)
{
    const bool exact = result.exactness == RankExactness::Exact;
    out.NewLine();
    WriteReportTitle(out, "Wilcoxon signed rank test");
    out.Append("Does the median of ");
    out.Append(summary.title);
    out.Append(" differ significantly from ");
    out.AppendNumber(-5, hypotheticalMedian);
    out.Append("? ");
    out.NewLine();
    out.NewLine();

    WriteTailedPValue(out, tails, result.p);
    if (!exact)
        out.AppendLine("(The P value is an estimate based on a normal approximation.)");
    else if (result.ties)
        out.AppendLine("(P value may be inaccurate because of ties.)");
    out.NewLine();
    if (exact && result.signPatterns < fewestArrangementsForSignificance(tails))
        writeImpossibleLines(out, "points.");

    out.NewLine();
    WriteReportHeading(out, "Calculation details");
    writeSignedRankDetails(out, result, result.ties);
    if (result.zeros > 0) {
        out.Append("Note: ");
        out.AppendInteger(result.zeros);
        out.Append(result.zeros == 1 ? " zero value was excluded from calculations."
                                     : " zero values were excluded from calculations.");
        out.NewLine();
    }

    WriteReportTitle(out, "Summary of Data");
    out.NewLine();
    WriteParameterBlock(out, &summary, nullptr, nullptr);
}

void WriteMatchedPairsText(const WilcoxonResult& result, const SpearmanResult* spearman,
                           const core::ColumnRecord& first, const core::ColumnRecord& second,
                           const core::ColumnRecord& differences, Tails tails, ResultsBuffer& out)
{
    const bool exact = result.exactness == RankExactness::Exact;
    WriteReportTitle(out, "Wilcoxon matched-pairs signed-ranks test");
    out.Append("Does the median of the differences between ");
    out.Append(first.title);
    out.Append(" and ");
    out.Append(second.title);
    out.NewLine();
    out.AppendLine(" differ significantly from zero?");
    out.NewLine();

    WriteTailedPValue(out, tails, result.p);
    if (!exact)
        out.AppendLine("(The P value is an estimate based on a normal approximation.)");
    out.NewLine();
    if (exact && result.signPatterns < fewestArrangementsForSignificance(tails)) {
        writeImpossibleLines(out, "pairs.");
        out.NewLine();
    }

    out.NewLine();
    WriteReportHeading(out, "Calculation details");
    writeSignedRankDetails(out, result, false);
    if (result.zeros > 0) {
        out.Append("Note: ");
        out.AppendInteger(result.zeros);
        out.Append(result.zeros == 1 ? " pair was excluded from calculations because both"
                                     : " pairs were excluded from calculations because both ");
        out.NewLine();
        out.AppendLine("values were equal.");
    }
    out.NewLine();

    WriteReportHeading(out, "Assumption test: Was the pairing effective?");
    if (!spearman) {
        out.AppendLine("Can't calculate r. One group has no variability.");
    } else {
        writeStatistic(out, "Nonparametric Spearman correlation coefficient (r) = ", spearman->rs);
        if (spearman->rs < 0) {
            out.AppendLine("The negative correlation coefficient indicates that the pairing or");
            out.AppendLine("matching was NOT effective.");
        } else {
            const Real oneTailed = spearman->p / 2;
            WritePValueSentence(out, 1, true, oneTailed);
            out.AppendLine("Effective pairing results in a significant correlation between the");
            out.AppendLine("columns.  With these data, the pairing (or matching) appears ");
            out.AppendLine(oneTailed <= 0.05L ? "to be effective."
                                              : "not to be effective.  The unpaired test may be more appropriate.");
        }
    }
    out.NewLine();

    WriteReportTitle(out, "Summary of Data");
    out.NewLine();
    WriteParameterBlock(out, &first, &second, &differences);
}

void WriteMannWhitneyText(const MannWhitneyResult& result, const core::ColumnRecord& first,
                          const core::ColumnRecord& second, Tails tails, ResultsBuffer& out)
{
    const bool exact = result.exactness == RankExactness::Exact;
    out.NewLine();
    WriteReportTitle(out, "Mann-Whitney Test");
    out.Append("Do the medians of ");
    out.Append(first.title);
    out.Append(" and ");
    out.Append(second.title);
    out.Append(" differ significantly?");
    out.NewLine();
    out.NewLine();

    WriteTailedPValue(out, tails, result.p);
    if (!exact) {
        out.AppendLine("The P value is an estimate based on a normal approximation.");
        if (result.exactness == RankExactness::TiedRanks)
            out.AppendLine("The 'exact' method would not be exact, due to tied ranks.");
    } else {
        out.AppendLine("The P value is exact.");
    }
    out.NewLine();
    if (exact && result.subsets < fewestArrangementsForSignificance(tails))
        writeImpossibleLines(out, "points.");

    out.NewLine();
    WriteReportHeading(out, "Calculation details");
    writeStatistic(out, "Mann-Whitney U-statistic = ", result.u);
    writeStatistic(out, "U' = ", result.uPrime);
    out.Append("Sum of ranks in ");
    out.Append(first.title);
    out.Append(" = ");
    out.AppendNumber(-5, result.rankSumFirst);
    out.Append(".  Sum of ranks in ");
    out.Append(second.title);
    out.Append(" = ");
    out.AppendNumber(-5, result.rankSumSecond);
    out.Append(". ");
    out.NewLine();
    out.NewLine();

    WriteReportTitle(out, "Summary of Data");
    WriteParameterBlock(out, &first, &second, nullptr);
}

WilcoxonResult wilcoxonOneSample(const DataTable& table, int column, const core::ColumnRecord& summary,
                                 Real hypotheticalMedian, Tails tails, ProgressReporter& progress)
{
    int code = error_code::None;
    if (summary.sem == 0)
        code = error_code::ZeroSd;
    if (summary.n < 2)
        code = error_code::SingleValueInColumn;
    if (code != error_code::None) {
        WilcoxonResult refused;
        refused.errorCode = code;
        return refused;
    }
    return ComputeWilcoxon(table, column, hypotheticalMedian, tails, progress);
}

MatchedPairsResult matchedPairs(const DataTable& table, int first, int second, const core::ColumnRecord& firstSummary,
                                const core::ColumnRecord& secondSummary, Tails tails, ProgressReporter& progress)
{
    MatchedPairsResult result;
    result.errorCode = twoColumnDataCode(firstSummary, secondSummary);
    if (result.errorCode != error_code::None)
        return result;
    const PairedDifferences differences = pairedDifferences(table, first, second);
    if (differences.allEqual())
        result.errorCode = error_code::PairedDifferencesEqual;
    if (differences.summary.n < 2)
        result.errorCode = error_code::SinglePair;
    if (result.errorCode != error_code::None)
        return result;

    result.differences = differences.summary;
    result.test = signedRankTest(differences.values, differences.rows, 0, tails, progress);
    if (result.test.p < 0)
        return result;
    // The rank correlation is taken over the complete pairs only. Both
    // columns vary, but the values that have a partner may all be equal; the
    // correlation then refuses with its own code, which is no fault of the
    // matched pairs test: its report stands and says that r cannot be had.
    const SpearmanResult spearman = ComputeSpearman(table, first, second, progress);
    if (spearman.errorCode == error_code::None)
        result.spearman = spearman;
    return result;
}

MannWhitneyResult mannWhitney(const DataTable& table, int first, int second, const core::ColumnRecord& firstSummary,
                              const core::ColumnRecord& secondSummary, Tails tails, ProgressReporter& progress)
{
    const int code = twoColumnDataCode(firstSummary, secondSummary);
    if (code != error_code::None) {
        MannWhitneyResult refused;
        refused.errorCode = code;
        return refused;
    }
    return ComputeMannWhitney(table, first, second, tails, progress);
}

int WriteWilcoxonOneSampleReport(const DataTable& table, int column, const core::ColumnRecord& summary,
                                 Real hypotheticalMedian, Tails tails, ResultsBuffer& out, ProgressReporter& progress)
{
    const WilcoxonResult result = wilcoxonOneSample(table, column, summary, hypotheticalMedian, tails, progress);
    if (result.errorCode != error_code::None)
        return result.errorCode;
    if (result.p < 0)
        out.AppendLine("Interrupted");
    else
        WriteWilcoxonOneSampleText(result, summary, hypotheticalMedian, tails, out);
    return error_code::None;
}

int WriteRankTwoColumnReport(const DataTable& table, int first, int second, const core::ColumnRecord& firstSummary,
                             const core::ColumnRecord& secondSummary, Pairing pairing, Tails tails, ResultsBuffer& out,
                             ProgressReporter& progress)
{
    if (pairing == Pairing::Paired) {
        const MatchedPairsResult result =
            matchedPairs(table, first, second, firstSummary, secondSummary, tails, progress);
        if (result.errorCode != error_code::None)
            return result.errorCode;
        if (result.interrupted())
            out.AppendLine("Interrupted");
        else
            WriteMatchedPairsText(result.test, result.spearman ? &*result.spearman : nullptr, firstSummary,
                                  secondSummary, result.differences, tails, out);
        return error_code::None;
    }
    const MannWhitneyResult result = mannWhitney(table, first, second, firstSummary, secondSummary, tails, progress);
    if (result.errorCode != error_code::None)
        return result.errorCode;
    if (result.p < 0)
        out.AppendLine("Interrupted");
    else
        WriteMannWhitneyText(result, firstSummary, secondSummary, tails, out);
    return error_code::None;
}

}  // namespace ombrix::analyses
