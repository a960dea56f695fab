#include "analyses/anova.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analyses/analyses.h"
#include "analyses/anova_tables.h"
#include "analyses/column_statistics.h"
#include "analyses/column_tables.h"
#include "analyses/error_codes.h"
#include "analyses/nonparametric_anova.h"
#include "analyses/post_tests.h"
#include "analyses/repeated_measures.h"
#include "analyses/report_writers.h"
#include "numeric/probability.h"

namespace ombrix::analyses {

namespace {

// A typed column may come without SD or SEM; like the t tests, the analysis
// takes that as no spread rather than reading the missing-value marker as a
// number.
Real knownSd(const core::ColumnRecord& column)
{
    return isMissing(column.sd) ? 0 : column.sd;
}

}  // namespace

OneWayAnovaResult oneWayAnova(std::span<const core::ColumnRecord> columns)
{
    OneWayAnovaResult result;
    // The grand mean is taken as an offset from the first mean, so that the
    // deviations mj - grand mean come from differences of nearby numbers
    // rather than from a sum of large ones; its own rounding enters SS
    // treatment only squared, since sum Nj (mj - grand mean) is 0.
    Real origin = 0;
    bool haveOrigin = false;
    Real shiftedSum = 0;
    int n = 0;
    for (const core::ColumnRecord& column : columns) {
        if (column.n == 1)
            result.errorCode = error_code::AnovaOneValueInColumn;
        if (column.n < 2)
            continue;
        if (!haveOrigin) {
            origin = column.mean;
            haveOrigin = true;
        }
        const Real df = static_cast<Real>(column.n - 1);
        shiftedSum += column.n * (column.mean - origin);
        result.sums.ssResidual += df * knownSd(column) * knownSd(column);
        n += column.n;
        ++result.k;
        result.largestN = std::max(result.largestN, static_cast<int>(column.n));
    }
    // One column alone has no treatment variation to test.
    if (result.k == 0 || (result.k == 1 && result.errorCode == error_code::None))
        result.errorCode = error_code::AnovaNotEnoughData;
    if (result.errorCode != error_code::None)
        return result;

    const Real grandShift = shiftedSum / n;
    for (const core::ColumnRecord& column : columns) {
        if (column.n < 2)
            continue;
        const Real d = (column.mean - origin) - grandShift;
        result.sums.ssTreatment += column.n * d * d;
    }
    result.sums.ssTotal = result.sums.ssTreatment + result.sums.ssResidual;
    result.sums.dfTreatment = result.k - 1;
    result.sums.dfResidual = n - result.k;
    result.sums.dfTotal = result.sums.dfTreatment + result.sums.dfResidual;
    result.msTreatment = result.sums.ssTreatment / result.sums.dfTreatment;
    result.sums.msResidual = result.sums.ssResidual / result.sums.dfResidual;
    if (result.sums.msResidual != 0) {
        result.f = result.msTreatment / result.sums.msResidual;
        result.p = numeric::FProbability(result.sums.dfTreatment, result.sums.dfResidual, result.f);
    }
    return result;
}

BartlettResult bartlettTest(std::span<const core::ColumnRecord> columns)
{
    BartlettResult result;
    int dfSum = 0;
    bool zeroSd = false;
    Real pooled = 0;       // sum dfj sj^2
    Real logSum = 0;       // sum dfj ln(sj^2)
    Real reciprocals = 0;  // sum 1/dfj
    int m = 0;
    for (const core::ColumnRecord& column : columns) {
        if (column.n == 1)
            result.errorCode = error_code::AnovaOneValueInColumn;
        if (column.n < 2)
            continue;
        const int df = column.n - 1;
        dfSum += df;
        const Real sd = knownSd(column);
        if (sd == 0) {
            zeroSd = true;
            continue;
        }
        const Real variance = sd * sd;
        pooled += df * variance;
        logSum += df * std::log(variance);
        reciprocals += Real(1) / df;
        ++m;
    }
    if (result.errorCode != error_code::None || zeroSd || m < 2)
        return result;
    const Real correction = 1 + (reciprocals - Real(1) / dfSum) / (3 * (m - 1));
    result.statistic = (dfSum * std::log(pooled / dfSum) - logSum) / correction;
    result.p = numeric::ChiSquareProbability(m - 1, result.statistic);
    return result;
}

namespace {

// The analysed columns' statistics, computed afresh from the cells of raw
// columns; typed summary columns are completed from what was typed.
std::vector<ColumnSummary> analysedColumns(const DataTable& table)
{
    std::vector<ColumnSummary> columns;
    for (int logical = 0; logical < table.columnMapCount(); ++logical) {
        const int physical = table.mappedColumn(logical);
        ColumnSummary summary;
        summary.meanEntry = table.meanEntry(physical);
        if (summary.meanEntry) {
            summary.record = table.column(physical);
            ComputeSummaryColumnStatistics(summary.record);
        } else {
            summary.record = rawStatisticsWithNormality(table, logical);
            summary.record.title = table.column(physical).title;
        }
        columns.push_back(std::move(summary));
    }
    return columns;
}

void writeVerdict(ResultsBuffer& out, const OneWayAnovaResult& anova)
{
    out.NewLine();
    WritePValueSentence(out, anova.k == 2 ? 2 : 0, true, anova.p);
    out.Append("Variation among column means is ");
    if (anova.p > 0.05L)
        out.Append("not ");
    out.AppendLine("significantly greater than expected");
    out.AppendLine("by chance.");
    out.NewLine();
    if (anova.k == 2) {
        out.AppendLine("Because there are only two columns, this ANOVA is identical to");
        out.AppendLine("an unpaired two tailed t test.");
        out.NewLine();
    }
}

int writePostTestSection(ResultsBuffer& out, const std::vector<core::ColumnRecord>& records,
                         const MultiColumnTestInput& input, const OneWayAnovaResult& anova)
{
    if (!postTestRuns(input.postTestState, anova.p)) {
        if (input.postTestState == core::PostTestState::OnlyIfSignificant)
            WritePostTestsNotCalculated(out);
        return error_code::None;
    }
    PostTestContext context;
    for (const core::ColumnRecord& record : records)
        if (record.n > 0)
            context.columns.push_back(record);
    context.dfResidual = anova.sums.dfResidual;
    context.msResidual = anova.sums.msResidual;
    context.design = AnovaDesign::Ordinary;
    return WritePostTest(out, context, postTestChoiceOf(input), anova.sums);
}

void writeBartlettSection(ResultsBuffer& out, const BartlettResult& bartlett, bool allowed)
{
    out.NewLine();
    out.NewLine();
    WriteReportHeading(out, "Assumption test: Are the standard deviations of the groups equal?");
    out.NewLine();
    out.AppendLine("ANOVA assumes that the data are sampled from populations with identical");
    out.AppendLine("SDs. This assumption is tested using the method of Bartlett.");
    out.NewLine();
    if (isMissing(bartlett.statistic)) {
        out.AppendLine("Bartlett's test cannot be performed because at least one column's");
        out.AppendLine("standard deviation is zero.");
    } else if (allowed) {
        out.Append("Bartlett statistic (corrected) = ");
        out.AppendNumber(-5, bartlett.statistic);
        out.NewLine();
        WritePValueSentence(out, 0, false, bartlett.p);
        out.AppendLine("Bartlett's test suggests that the differences among the SDs is");
        AppendSignificanceWords(out, bartlett.p);
        out.AppendLine("significant.");
        if (bartlett.p < 0.05L) {
            out.AppendLine("Since ANOVA assumes populations with equal SDs, you should consider");
            out.AppendLine("transforming your data (reciprocal or log) or selecting a");
            out.AppendLine("nonparametric test.");
        }
    } else {
        out.AppendLine("Bartlett's test can only be performed when every column has");
        out.AppendLine("at least five values.");
    }
}

void writeNormalitySection(ResultsBuffer& out, const std::vector<ColumnSummary>& columns)
{
    out.NewLine();
    out.NewLine();
    WriteReportHeading(out, "Assumption test: Are the data sampled from Gaussian distributions?");
    out.NewLine();
    out.AppendLine("ANOVA assumes that the data are sampled from populations that follow ");
    out.AppendLine("Gaussian distributions. This assumption is tested using the method ");
    out.AppendLine("Kolmogorov and Smirnov:");
    WriteNormalityTable(out, columns);
    const bool failed = std::any_of(columns.begin(), columns.end(), [](const ColumnSummary& c) {
        return !isMissing(c.record.normalityP) && c.record.normalityP <= 0.05L;
    });
    if (failed) {
        out.NewLine();
        out.AppendLine("At least one column failed the normality test with P<0.05.");
        out.AppendLine("Consider using a nonparametric test or transforming the data");
        out.AppendLine("(i.e. converting to logarithms or reciprocals). ");
    }
}

void writeAnovaTableSection(ResultsBuffer& out, const OneWayAnovaResult& anova)
{
    out.NewLine();
    WriteReportHeading(out, "Intermediate calculations. ANOVA table");
    out.NewLine();
    const AnovaTableRow rows[] = {
        {"Treatments (between columns)", anova.sums.dfTreatment, anova.sums.ssTreatment, anova.msTreatment},
        {"Residuals (within columns)", anova.sums.dfResidual, anova.sums.ssResidual, anova.sums.msResidual}};
    WriteAnovaTable(out, AnovaTableLayout::Ordinary, rows, anova.sums.dfTotal, anova.sums.ssTotal);
    out.NewLine();
    out.Append("F = ");
    out.AppendNumber(-5, anova.f);
    out.AppendLine("  =(MStreatment/MSresidual) ");
    out.NewLine();
    out.NewLine();
    out.NewLine();
}

int oneWayAnovaReport(const std::vector<ColumnSummary>& columns, const MultiColumnTestInput& input, ResultsBuffer& out)
{
    std::vector<core::ColumnRecord> records;
    for (const ColumnSummary& column : columns)
        records.push_back(column.record);
    const OneWayAnovaResult anova = oneWayAnova(records);
    if (anova.errorCode != error_code::None)
        return anova.errorCode;
    const bool bartlettAllowed =
        std::all_of(records.begin(), records.end(), [](const core::ColumnRecord& c) { return c.n == 0 || c.n >= 5; });
    const BartlettResult bartlett = bartlettTest(records);
    if (bartlett.errorCode != error_code::None)
        return bartlett.errorCode;

    out.NewLine();
    WriteReportTitle(out, "One-way Analysis of Variance (ANOVA)");
    if (std::all_of(records.begin(), records.end(),
                    [](const core::ColumnRecord& c) { return c.n == 0 || knownSd(c) == 0; }))
        return error_code::AnovaAllSdsZero;

    writeVerdict(out, anova);
    if (const int code = writePostTestSection(out, records, input, anova); code != error_code::None)
        return code;
    writeBartlettSection(out, bartlett, bartlettAllowed);
    writeNormalitySection(out, columns);
    writeAnovaTableSection(out, anova);
    WriteReportTitle(out, "Summary of Data");
    out.NewLine();
    if (!WriteColumnSummaryTable(out, columns))
        return error_code::OutOfMemory;
    return error_code::None;
}

}  // namespace

int MultiColumnTest(const DataTable& table, const MultiColumnTestInput& input, ResultsBuffer& out,
                    ProgressReporter& progress)
{
    const std::vector<ColumnSummary> columns = analysedColumns(table);
    const bool averaged =
        std::any_of(columns.begin(), columns.end(), [](const ColumnSummary& c) { return c.meanEntry; });
    if (averaged && (input.nonParametric || !input.ordinary))
        return error_code::AnovaNeedsRawData;
    if (input.nonParametric)
        return NonparametricAnova(table, columns, input, out, progress);
    if (!input.ordinary)
        return RepeatedMeasuresAnova(table, input, out);
    return oneWayAnovaReport(columns, input, out);
}

}  // namespace ombrix::analyses
