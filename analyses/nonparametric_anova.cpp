#include "analyses/nonparametric_anova.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "analyses/column_tables.h"
#include "analyses/error_codes.h"
#include "analyses/post_tests.h"
#include "analyses/rank_anova_counts.h"
#include "analyses/repeated_measures.h"
#include "analyses/report_writers.h"
#include "numeric/critical_tables.h"
#include "numeric/probability.h"

namespace ombrix::analyses {

namespace {

// Beyond these the exact P is not attempted.
constexpr std::int64_t KruskalWallisArrangementLimit = 2'000'000'000;
constexpr Real FriedmanArrangementLimit = 1'000'000'000;
constexpr int FriedmanLargestExactColumns = 6;
// The permutation table of the exact Friedman count, (k! + 1) k 4 bytes, had
// to stay below this; with k <= 6 it always does.
constexpr int FriedmanPermutationTableLimit = 65336;
// With fewer equally likely arrangements, P = 1/total cannot reach 0.05.
constexpr Real FewestArrangementsForSignificance = 20;
constexpr int ProgressEveryValues = 256;
constexpr int TitleWidth = 15;

struct RankedValue {
    Real x;
    int group;
    Real rank;
};

// Average ranks for runs of equal values; returns sum of t^3 over the runs
// (runs of one included). Equal values are those equal as numbers, which is
// how the user typed them: a decimal text always reads as the same number.
Real rankValues(std::vector<RankedValue>& values)
{
    std::stable_sort(values.begin(), values.end(),
                     [](const RankedValue& a, const RankedValue& b) { return a.x < b.x; });
    Real cubes = 0;
    for (std::size_t first = 0; first < values.size();) {
        std::size_t end = first + 1;
        while (end < values.size() && values[end].x == values[first].x)
            ++end;
        const auto t = static_cast<Real>(end - first);
        // Positions first+1 .. end average to (first + 1 + end) / 2.
        const Real rank = (static_cast<Real>(first) + 1 + static_cast<Real>(end)) / 2;
        for (std::size_t i = first; i < end; ++i)
            values[i].rank = rank;
        cubes += t * t * t;
        first = end;
    }
    return cubes;
}

CountProgress countProgressOf(ProgressReporter& progress)
{
    return [&progress](Real percent) { return progress.CalcProgress(percent); };
}

RankExactness exactnessOf(const ArrangementCount& count)
{
    if (count.total < 0 || count.progress == ProgressTooLong)
        return RankExactness::TooLong;
    return count.progress == ProgressStop ? RankExactness::Cancelled : RankExactness::Exact;
}

// The summaries of the columns a test used, in their order.
std::vector<ColumnSummary> summariesOf(const std::vector<int>& used, const std::vector<ColumnSummary>& columns)
{
    std::vector<ColumnSummary> summaries;
    for (const int column : used)
        summaries.push_back(columns[static_cast<std::size_t>(column)]);
    return summaries;
}

const std::string& titleOf(const std::vector<ColumnSummary>& columns, int logical)
{
    return columns[static_cast<std::size_t>(logical)].record.title;
}

void writeVerdict(ResultsBuffer& out, Real p)
{
    WritePValueSentence(out, 0, true, p);
    out.Append("Variation among column medians is ");
    if (p > 0.05L)
        out.Append("not ");
    out.AppendLine("significantly greater than expected");
    out.AppendLine("by chance.");
    out.NewLine();
}

void writeExactness(ResultsBuffer& out, RankExactness exactness, Real arrangements, std::string_view whatIsTied)
{
    if (exactness == RankExactness::Exact) {
        out.AppendLine("The P value is exactly correct (no approximations). ");
        if (arrangements < FewestArrangementsForSignificance) {
            out.AppendLine("Regardless of what data you enter, it is impossible for this test to");
            out.AppendLine("yield P < 0.05 with so few data points.");
        }
    } else {
        out.AppendLine("The P value is approximate (from chi-square distribution) because");
        switch (exactness) {
        case RankExactness::Cancelled: out.AppendLine("you interrupted the exact computations."); break;
        case RankExactness::TooLong: out.AppendLine("exact calculations would have taken too long."); break;
        default:
            out.Append("at least one ");
            out.Append(whatIsTied);
            out.AppendLine(" has two or more identical values.");
            break;
        }
    }
    out.NewLine();
}

void writeNotCalculated(ResultsBuffer& out)
{
    out.ToggleBold();
    out.AppendLine("Post tests were not calculated because the P value was greater");
    out.Append("than 0.05.");
    out.ToggleBold();
    out.NewLine();
}

// One Dunn comparison: the difference of mean ranks (Kruskal-Wallis) or rank
// sums (Friedman) and its standard error.
struct DunnPair {
    std::string_view first;
    std::string_view second;
    Real difference;
    Real se;
};

// The pairs (i, j), i before j, of k columns that the post test compares:
// all, or the selected ones.
template <class Make> std::vector<DunnPair> dunnPairs(int k, const MultiColumnTestInput& input, Make make)
{
    std::vector<DunnPair> pairs;
    for (int i = 0; i < k; ++i)
        for (int j = i + 1; j < k; ++j)
            if (!input.selectedPairsOnly ||
                input.selectedPairs[static_cast<std::size_t>(core::selectedPairIndex(i, j))])
                pairs.push_back(make(static_cast<std::size_t>(i), static_cast<std::size_t>(j)));
    return pairs;
}

// Dunn's test for the pairs given; friedmanRows > 0 selects the Friedman
// variant's sentence, header and ties line.
int writeDunn(ResultsBuffer& out, const std::vector<DunnPair>& pairs, int friedmanRows, int k, bool friedmanTies)
{
    std::unique_ptr<ResultsBuffer> second = ScratchBuffer();
    if (!second)
        return error_code::OutOfMemory;
    const int c = static_cast<int>(pairs.size());
    out.NewLine();
    if (c > 0) {
        WriteReportHeading(out, "Dunn's Multiple Comparisons Test");
        if (friedmanRows > 0) {
            const Real se = std::sqrt(static_cast<Real>(friedmanRows) * k * (k + 1) / 6);
            out.Append("If the difference between rank sum means is greater than ");
            out.AppendNumber(-5, numeric::InverseZ(0.05L / (2 * c)) * se);
            out.AppendLine(" then the P value");
            out.AppendLine("is less than 0.05.");
            out.NewLine();
        }
    }
    out.NewLine();
    WriteTableHeader(out, {{1, 34, {"Comparison"}},
                           {36, 10, {friedmanRows > 0 ? "Rank Sum" : "Mean Rank", "Difference"}},
                           {47, 11, {"P value"}}});
    const Real levels[] = {0.001L, 0.01L, 0.05L};
    Real deviates[3] = {};
    for (int i = 0; c > 0 && i < 3; ++i)
        deviates[i] = numeric::InverseZ(levels[i] / (2 * c));
    for (const DunnPair& pair : pairs) {
        Real level = 1;
        for (int i = 0; i < 3 && level == 1; ++i)
            if (std::fabs(pair.difference) > deviates[i] * pair.se)
                level = levels[i];
        std::string label = RightJustify(pair.first, TitleWidth);
        label += " vs. ";
        label += LeftJustify(pair.second, TitleWidth);
        out.Append(label);
        out.PadToColumn(36);
        out.AppendNumberInWidth(10, -5, pair.difference);
        out.PadToColumn(47);
        out.AppendLine(SignificanceSummary(level));
    }
    out.NewLine();
    AppendBuffer(out, *second);
    if (friedmanTies)
        out.AppendLine("The data contain ties, however, this post test does not correct for ties.");
    return error_code::None;
}

// Each column against the control by the difference of rank sums, judged
// with Dunnett's critical values at infinite df. The q shown is |d| / SE,
// the statistic those values are for.
int writeControlComparisons(ResultsBuffer& out, const FriedmanResult& result, const std::vector<ColumnSummary>& columns,
                            int control)
{
    std::unique_ptr<ResultsBuffer> second = ScratchBuffer();
    if (!second)
        return error_code::OutOfMemory;
    const int k = static_cast<int>(result.columns.size());
    if (control < 0 || control >= k)
        control = 0;
    const Real critical05 = numeric::DunnettCriticalInfinite(k - 1, numeric::Sides::Two, 0.05L);
    const Real critical01 = numeric::DunnettCriticalInfinite(k - 1, numeric::Sides::Two, 0.01L);
    const Real se = std::sqrt(static_cast<Real>(result.rows) * k * (k + 1) / 6);
    out.NewLine();
    WriteReportHeading(out, "Nonparametric Multiple Comparisons Test with Control Group");
    out.Append("If the value of q is greater than ");
    out.AppendNumber(-5, critical05);
    out.AppendLine(" then the P value is less");
    out.AppendLine("than 0.05.");
    out.NewLine();
    out.NewLine();
    WriteDunnettHeaders(out, *second);
    const std::string& controlTitle = titleOf(columns, result.columns[static_cast<std::size_t>(control)]);
    for (int j = 0; j < k; ++j) {
        if (j == control)
            continue;
        const Real d =
            result.rankSums[static_cast<std::size_t>(control)] - result.rankSums[static_cast<std::size_t>(j)];
        const Real level = std::fabs(d) >= critical01 * se ? 0.01L : std::fabs(d) >= critical05 * se ? 0.05L : 1;
        WriteDunnettRow(out, *second,
                        {controlTitle, titleOf(columns, result.columns[static_cast<std::size_t>(j)]), d,
                         std::fabs(d) / se, level, d - critical05 * se, d + critical05 * se});
    }
    out.NewLine();
    AppendBuffer(out, *second);
    out.NewLine();
    return error_code::None;
}

}  // namespace

KruskalWallisResult computeKruskalWallis(const DataTable& table, ProgressReporter& progress)
{
    KruskalWallisResult result;
    const int count = table.columnMapCount();
    const int rows = table.lastUsedRow() + 1;
    const Real cells = static_cast<Real>(rows) * count;
    progress.ShowCalcStatus(KruskalWallisStatusMessage, NoApproximateP);
    std::vector<RankedValue> values;
    std::int64_t visited = 0;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < count; ++column) {
            const Real x = table.GetAnalysisValue(row, column);
            if (!isMissing(x))
                values.push_back({x, column, 0});
            if (++visited % ProgressEveryValues == 0 &&
                progress.CalcProgress(static_cast<Real>(visited) / cells * 100) == ProgressStop) {
                progress.HideCalcStatus();
                result.interrupted = true;
                return result;
            }
        }
    }
    const Real cubes = rankValues(values);
    progress.HideCalcStatus();

    std::vector<int> counts(static_cast<std::size_t>(count), 0);
    std::vector<Real> sums(static_cast<std::size_t>(count), 0);
    for (const RankedValue& v : values) {
        ++counts[static_cast<std::size_t>(v.group)];
        sums[static_cast<std::size_t>(v.group)] += v.rank;
    }
    for (int column = 0; column < count; ++column) {
        if (counts[static_cast<std::size_t>(column)] == 0)
            continue;
        result.columns.push_back(column);
        result.counts.push_back(counts[static_cast<std::size_t>(column)]);
        result.rankSums.push_back(sums[static_cast<std::size_t>(column)]);
    }
    const int k = static_cast<int>(result.columns.size());
    // One column has nothing to be compared with (the statistic would be 0
    // on 0 df).
    if (k < 2) {
        result.errorCode = error_code::AnovaNotEnoughData;
        return result;
    }
    const auto n = static_cast<Real>(values.size());
    result.n = static_cast<int>(values.size());
    // Sum of t^3 - t: the runs of one add nothing.
    result.tieTerm = cubes - n;
    const Real span = n * n * n - n;
    // All values equal: no ranking, and the tie correction would divide by zero.
    if (result.tieTerm >= span) {
        result.errorCode = error_code::AnovaIdenticalMeans;
        return result;
    }
    Real squares = 0;
    for (int j = 0; j < k; ++j)
        squares += result.rankSums[static_cast<std::size_t>(j)] * result.rankSums[static_cast<std::size_t>(j)] /
                   result.counts[static_cast<std::size_t>(j)];
    const Real correction = 1 - result.tieTerm / span;
    // Equal mean ranks give 0 in exact arithmetic; rounding must not make it
    // negative, which the chi-square tail would read as P = 0.
    result.kw = std::max<Real>(0, (12 / (n * (n + 1)) * squares - 3 * (n + 1)) / correction);
    result.approximateP = numeric::ChiSquareProbability(k - 1, result.kw);
    result.p = result.approximateP;

    if (result.tieTerm > 0)
        return result;
    result.arrangements = multinomialCapped(result.counts, KruskalWallisArrangementLimit + 1);
    if (result.arrangements > KruskalWallisArrangementLimit) {
        result.exactness = RankExactness::TooLong;
        return result;
    }
    // Without ties every rank sum is a whole number.
    std::vector<std::int64_t> observed;
    for (const Real sum : result.rankSums)
        observed.push_back(std::llround(sum));
    progress.ShowCalcStatus(ExactPStatusMessage, result.approximateP);
    const ArrangementCount counted = countKruskalWallisAtLeast(result.counts, observed, countProgressOf(progress));
    progress.HideCalcStatus();
    result.exactness = exactnessOf(counted);
    if (result.exactness == RankExactness::Exact)
        result.p = static_cast<Real>(counted.extreme) / static_cast<Real>(counted.total);
    return result;
}

FriedmanResult computeFriedman(const DataTable& table, ProgressReporter& progress)
{
    FriedmanResult result;
    std::vector<Real> block;
    result.errorCode = findDataBlock(table, result.columns, block);
    if (result.errorCode != error_code::None)
        return result;
    const int k = static_cast<int>(result.columns.size());
    const int b = k > 0 ? static_cast<int>(block.size()) / k : 0;
    result.rows = b;

    progress.ShowCalcStatus(FriedmanStatusMessage, NoApproximateP);
    result.rankSums.assign(static_cast<std::size_t>(k), 0);
    std::vector<RankedValue> row(static_cast<std::size_t>(k));
    const auto n = static_cast<Real>(block.size());
    for (int i = 0; i < b; ++i) {
        for (int j = 0; j < k; ++j)
            row[static_cast<std::size_t>(j)] = {block[static_cast<std::size_t>(i) * k + j], j, 0};
        result.s3 += rankValues(row);
        for (const RankedValue& v : row)
            result.rankSums[static_cast<std::size_t>(v.group)] += v.rank;
        // About every 256 values.
        if ((i + 1) * k / ProgressEveryValues != i * k / ProgressEveryValues &&
            progress.CalcProgress(static_cast<Real>(i + 1) * k / n * 100) == ProgressStop) {
            progress.HideCalcStatus();
            result.interrupted = true;
            return result;
        }
    }
    progress.HideCalcStatus();
    if (b < 2 || k < 2) {
        result.errorCode = error_code::AnovaNotEnoughData;
        return result;
    }
    const Real rowsR = b;
    const Real kR = k;
    // Every row tied throughout: every rank is (k + 1)/2 and the statistic is 0/0.
    if (result.s3 >= rowsR * kR * kR * kR) {
        result.errorCode = error_code::AnovaIdenticalMeans;
        return result;
    }
    Real squares = 0;
    for (const Real sum : result.rankSums)
        squares += sum * sum;
    const Real numerator = 12 * squares - 3 * rowsR * rowsR * kR * (kR + 1) * (kR + 1);
    const Real denominator = rowsR * kR * (kR + 1) + (rowsR * kR - result.s3) / (kR - 1);
    result.fr = std::max<Real>(0, numerator / denominator);
    result.approximateP = numeric::ChiSquareProbability(k - 1, result.fr);
    result.p = result.approximateP;
    if (result.s3 != n)
        return result;

    progress.ShowCalcStatus(ExactPStatusMessage, result.approximateP);
    Real permutations = 1;
    for (int i = 2; i <= k; ++i)
        permutations *= i;
    // (k!)^b, but only as far as the limit: the full power of a large table
    // would overflow.
    result.arrangements = 1;
    for (int i = 0; i < b && result.arrangements <= FriedmanArrangementLimit; ++i)
        result.arrangements *= permutations;
    result.exactness = RankExactness::TooLong;
    if (k <= FriedmanLargestExactColumns && (permutations + 1) * k * 4 < FriedmanPermutationTableLimit &&
        result.arrangements <= FriedmanArrangementLimit) {
        std::int64_t observed = 0;
        for (const Real sum : result.rankSums)
            observed += std::llround(sum) * std::llround(sum);
        const ArrangementCount counted = countFriedmanAtLeast(b, k, observed, countProgressOf(progress));
        result.exactness = exactnessOf(counted);
        if (result.exactness == RankExactness::Exact)
            result.p = static_cast<Real>(counted.extreme) / static_cast<Real>(counted.total);
    }
    progress.HideCalcStatus();
    return result;
}

int WriteKruskalWallisText(const KruskalWallisResult& result, const std::vector<ColumnSummary>& columns,
                           const MultiColumnTestInput& input, ResultsBuffer& out)
{
    WriteReportTitle(out, "Kruskal-Wallis Test (Nonparametric ANOVA)");
    out.NewLine();
    writeVerdict(out, result.p);
    writeExactness(out, result.exactness, static_cast<Real>(result.arrangements), "column");

    WriteReportHeading(out, "Calculation detail");
    out.NewLine();
    WriteTableHeader(out, {{1, 15, {"Group"}},
                           {17, 7, {"Number", "of", "Points"}},
                           {25, 7, {"Sum", "of", "Ranks"}},
                           {33, 7, {"Mean", "of", "Ranks"}}});
    const int k = static_cast<int>(result.columns.size());
    for (int j = 0; j < k; ++j) {
        const auto at = static_cast<std::size_t>(j);
        out.Append(TitleCell(titleOf(columns, result.columns[at])));
        out.PadToColumn(17);
        out.AppendNumberInWidth(7, -5, result.counts[at]);
        out.PadToColumn(25);
        out.AppendNumberInWidth(7, -5, result.rankSums[at]);
        out.PadToColumn(33);
        out.AppendNumberInWidth(7, -5, result.rankSums[at] / result.counts[at]);
        out.NewLine();
    }
    out.NewLine();
    out.Append("Kruskal-Wallis Statistic KW = ");
    out.AppendNumber(-5, result.kw);
    if (result.tieTerm > 0)
        out.Append(" (corrected for ties)");
    out.NewLine();

    if (input.postTestMethod == core::PostTestMethod::Tukey && postTestRuns(input.postTestState, result.p)) {
        const auto n = static_cast<Real>(result.n);
        const Real variance = (n * n * n - n - result.tieTerm) / (12 * (n - 1));
        const std::vector<DunnPair> pairs = dunnPairs(k, input, [&](std::size_t a, std::size_t c) {
            return DunnPair{titleOf(columns, result.columns[a]), titleOf(columns, result.columns[c]),
                            result.rankSums[a] / result.counts[a] - result.rankSums[c] / result.counts[c],
                            std::sqrt(variance * (1.0L / result.counts[a] + 1.0L / result.counts[c]))};
        });
        if (const int code = writeDunn(out, pairs, 0, k, false); code != error_code::None)
            return code;
    }
    out.NewLine();
    if (input.postTestState == core::PostTestState::OnlyIfSignificant && result.p > 0.05L)
        writeNotCalculated(out);

    WriteReportTitle(out, "Summary of Data");
    out.NewLine();
    WriteNonparametricSummaryTable(out, summariesOf(result.columns, columns));
    return error_code::None;
}

int WriteFriedmanText(const FriedmanResult& result, const std::vector<ColumnSummary>& columns,
                      const MultiColumnTestInput& input, ResultsBuffer& out)
{
    const int k = static_cast<int>(result.columns.size());
    WriteReportTitle(out, "Friedman Test (Nonparametric Repeated Measures ANOVA)");
    out.NewLine();
    writeVerdict(out, result.p);
    writeExactness(out, result.exactness, result.arrangements, "row");

    out.NewLine();
    WriteReportHeading(out, "Calculation detail");
    out.NewLine();
    WriteTableHeader(out, {{1, 15, {"Group"}}, {17, 7, {"Sum", "of", "Ranks"}}});
    for (int j = 0; j < k; ++j) {
        out.Append(TitleCell(titleOf(columns, result.columns[static_cast<std::size_t>(j)])));
        out.PadToColumn(17);
        out.AppendNumberInWidth(7, -5, result.rankSums[static_cast<std::size_t>(j)]);
        out.NewLine();
    }
    out.NewLine();
    out.Append("Number of Rows = ");
    out.AppendInteger(result.rows);
    out.NewLine();
    out.Append("Number of Columns = ");
    out.AppendInteger(k);
    out.NewLine();
    out.NewLine();
    const auto values = static_cast<Real>(result.rows) * k;
    out.Append("Friedman Statistic Fr = ");
    out.AppendNumber(-5, result.fr);
    if (result.s3 != values)
        out.Append(" (corrected for ties)");
    out.NewLine();
    out.NewLine();

    if (postTestRuns(input.postTestState, result.p)) {
        int code = error_code::None;
        if (input.postTestMethod == core::PostTestMethod::Tukey) {
            const Real se = std::sqrt(static_cast<Real>(result.rows) * k * (k + 1) / 6);
            const std::vector<DunnPair> pairs = dunnPairs(k, input, [&](std::size_t a, std::size_t c) {
                return DunnPair{titleOf(columns, result.columns[a]), titleOf(columns, result.columns[c]),
                                result.rankSums[a] - result.rankSums[c], se};
            });
            code = writeDunn(out, pairs, result.rows, k, result.s3 != values);
        } else if (input.postTestMethod == core::PostTestMethod::Dunnett) {
            code = writeControlComparisons(out, result, columns, input.controlColumn);
        }
        if (code != error_code::None)
            return code;
    }
    out.NewLine();
    if (input.postTestState == core::PostTestState::OnlyIfSignificant && result.p > 0.05L)
        writeNotCalculated(out);

    out.NewLine();
    WriteReportTitle(out, "Summary of Data");
    out.NewLine();
    WriteNonparametricSummaryTable(out, summariesOf(result.columns, columns));
    out.NewLine();
    return error_code::None;
}

namespace {

// The report of a computed test, or the line "Interrupted" when the user
// stopped its ranking.
template <class Result, class Write> int reportOf(const Result& result, ResultsBuffer& out, Write write)
{
    if (result.errorCode != error_code::None)
        return result.errorCode;
    if (result.interrupted) {
        out.AppendLine("Interrupted");
        return error_code::None;
    }
    return write(result);
}

}  // namespace

int NonparametricAnova(const DataTable& table, const std::vector<ColumnSummary>& columns,
                       const MultiColumnTestInput& input, ResultsBuffer& out, ProgressReporter& progress)
{
    if (input.ordinary)
        return reportOf(computeKruskalWallis(table, progress), out, [&](const KruskalWallisResult& result) {
            return WriteKruskalWallisText(result, columns, input, out);
        });
    return reportOf(computeFriedman(table, progress), out,
                    [&](const FriedmanResult& result) { return WriteFriedmanText(result, columns, input, out); });
}

}  // namespace ombrix::analyses
