#include "analyses/repeated_measures.h"

#include <cmath>
#include <limits>
#include <vector>

#include "analyses/anova_tables.h"
#include "analyses/column_tables.h"
#include "analyses/error_codes.h"
#include "analyses/post_tests.h"
#include "analyses/report_writers.h"
#include "numeric/probability.h"

namespace ombrix::analyses {

namespace {

struct RepeatedMeasuresResult {
    int errorCode = error_code::None;
    std::vector<int> columns;  // logical columns of the data block
    int rows = 0;
    Real grandMean = 0;
    AnovaSums sums;
    Real msTreatment = 0;
    Real msIndividual = 0;
    Real f = 0;
    Real p = 0;
    Real fIndividual = 0;
    Real pIndividual = 0;
};

// The sums of squares are taken about the grand, column and row means, so
// that data with a large mean keep their digits. With additive data (each
// subject differing by a constant) the residual is zero in exact arithmetic,
// but its subtraction from the rounded sums leaves a residue. Each squared
// deviation carries a rounding of about eps*(|x - G| + |G|) in x - G, so the
// sums differ from exact ones by about eps*(N*SS + 2|G|*sqrt(N*SS)); a
// residual within a few times that is taken as zero.
RepeatedMeasuresResult computeRepeatedMeasures(const DataTable& table)
{
    RepeatedMeasuresResult result;
    std::vector<Real> values;
    result.errorCode = findDataBlock(table, result.columns, values);
    if (result.errorCode != error_code::None)
        return result;
    const int c = static_cast<int>(result.columns.size());
    if (c < 2 || static_cast<int>(values.size()) / c < 2) {
        result.errorCode = error_code::AnovaNotEnoughData;
        return result;
    }
    const int r = static_cast<int>(values.size()) / c;
    result.rows = r;
    const Real count = static_cast<Real>(values.size());

    // The rounding of the first mean is taken out by the mean of the
    // deviations from it, as in the two-pass variance.
    Real sum = 0;
    for (const Real x : values)
        sum += x;
    Real g = sum / count;
    Real deviationSum = 0;
    for (const Real x : values)
        deviationSum += x - g;
    g += deviationSum / count;
    result.grandMean = g;

    std::vector<Real> columnSums(static_cast<std::size_t>(c), 0);
    for (int i = 0; i < r; ++i) {
        Real rowSum = 0;
        for (int j = 0; j < c; ++j) {
            const Real x =
                values[static_cast<std::size_t>(i) * static_cast<std::size_t>(c) + static_cast<std::size_t>(j)];
            const Real d = x - g;
            result.sums.ssTotal += d * d;
            rowSum += d;
            columnSums[static_cast<std::size_t>(j)] += d;
        }
        const Real rowDeviation = rowSum / static_cast<Real>(c);
        result.sums.ssIndividual += rowDeviation * rowDeviation;
    }
    result.sums.ssIndividual *= static_cast<Real>(c);
    for (const Real columnSum : columnSums) {
        const Real columnDeviation = columnSum / static_cast<Real>(r);
        result.sums.ssTreatment += columnDeviation * columnDeviation;
    }
    result.sums.ssTreatment *= static_cast<Real>(r);

    result.sums.ssResidual = result.sums.ssTotal - (result.sums.ssIndividual + result.sums.ssTreatment);
    const Real eps = std::numeric_limits<Real>::epsilon();
    const Real rounding =
        4 * eps * (count * result.sums.ssTotal + 2 * std::fabs(g) * std::sqrt(count * result.sums.ssTotal));
    if (result.sums.ssResidual <= rounding)
        result.sums.ssResidual = 0;

    result.sums.dfTreatment = c - 1;
    result.sums.dfIndividual = r - 1;
    result.sums.dfResidual = (c - 1) * (r - 1);
    result.sums.dfTotal = result.sums.dfTreatment + result.sums.dfIndividual + result.sums.dfResidual;
    result.msTreatment = result.sums.ssTreatment / result.sums.dfTreatment;
    result.msIndividual = result.sums.ssIndividual / result.sums.dfIndividual;
    result.sums.msResidual = result.sums.ssResidual / result.sums.dfResidual;
    if (result.sums.msResidual != 0) {
        result.f = result.msTreatment / result.sums.msResidual;
        result.p = numeric::FProbability(result.sums.dfTreatment, result.sums.dfResidual, result.f);
        result.fIndividual = result.msIndividual / result.sums.msResidual;
        result.pIndividual =
            numeric::FProbability(result.sums.dfIndividual, result.sums.dfResidual, result.fIndividual);
    }
    return result;
}

void writeVerdict(ResultsBuffer& out, const RepeatedMeasuresResult& result)
{
    if (result.sums.msResidual == 0) {
        out.AppendLine("After accounting for systematic variation between columns and rows,");
        out.AppendLine("there is no random scatter.  In this situation, which is unlikely to occur");
        out.AppendLine("with real experimental data, it is impossible to calculate ANOVA.");
        return;
    }
    WritePValueSentence(out, 0, true, result.p);
    out.Append("Variation among column means is ");
    if (result.p > 0.05L)
        out.Append("not ");
    out.AppendLine("significantly greater than expected");
    out.AppendLine("by chance.");
    out.NewLine();
}

int writePostTest(ResultsBuffer& out, const MultiColumnTestInput& input, const RepeatedMeasuresResult& result,
                  const std::vector<ColumnSummary>& summaries)
{
    if (result.sums.msResidual == 0)
        return error_code::None;
    if (!postTestRuns(input.postTestState, result.p)) {
        if (input.postTestState == core::PostTestState::OnlyIfSignificant) {
            out.NewLine();
            WritePostTestsNotCalculated(out);
        }
        return error_code::None;
    }
    PostTestContext context;
    for (const ColumnSummary& summary : summaries)
        context.columns.push_back(summary.record);
    context.dfResidual = result.sums.dfResidual;
    context.msResidual = result.sums.msResidual;
    context.design = AnovaDesign::RepeatedMeasures;
    return WritePostTest(out, context, postTestChoiceOf(input), result.sums);
}

void writeAnovaSection(ResultsBuffer& out, const RepeatedMeasuresResult& result)
{
    out.NewLine();
    WriteReportHeading(out, "Intermediate calculations. ANOVA Table:");
    out.NewLine();
    const AnovaTableRow rows[] = {
        {"Treatment (between columns)", result.sums.dfTreatment, result.sums.ssTreatment, result.msTreatment},
        {"Individual (between rows)", result.sums.dfIndividual, result.sums.ssIndividual, result.msIndividual},
        {"Random (residual)", result.sums.dfResidual, result.sums.ssResidual, result.sums.msResidual},
    };
    WriteAnovaTable(out, AnovaTableLayout::RepeatedMeasures, rows, result.sums.dfTotal, result.sums.ssTotal);
    out.NewLine();
    if (result.sums.msResidual > 0) {
        out.Append("F = ");
        out.AppendNumber(-5, result.f);
        out.AppendLine("  =MStreatment/MSresidual");
    }
}

void writeMatchingSection(ResultsBuffer& out, const RepeatedMeasuresResult& result)
{
    if (result.sums.msResidual == 0)
        return;
    out.NewLine();
    WriteReportHeading(out, "Assumption test: Was the matching effective?");
    out.AppendLine("This test uses a second value of F and a different P value.");
    out.Append("F = ");
    out.AppendNumber(-5, result.fIndividual);
    out.AppendLine("   =(MSindividual/MSresidual)");
    out.NewLine();
    WritePValueSentence(out, 0, true, result.pIndividual);
    out.AppendLine("Effective matching (or blocking) results in significant variation among");
    out.Append("means.  With these data, the matching appears ");
    if (result.pIndividual > 0.05L) {
        out.AppendLine("not to be effective.");
        out.AppendLine("Ordinary ANOVA may be more appropriate.");
    } else {
        out.AppendLine("to be effective.");
    }
}

}  // namespace

int findDataBlock(const DataTable& table, std::vector<int>& columns, std::vector<Real>& values)
{
    const int count = table.columnMapCount();
    std::vector<Real> row(static_cast<std::size_t>(count));
    std::vector<bool> inBlock(static_cast<std::size_t>(count), false);
    bool started = false;
    for (int r = 0; r <= table.lastUsedRow(); ++r) {
        bool any = false;
        for (int c = 0; c < count; ++c) {
            row[static_cast<std::size_t>(c)] = table.GetAnalysisValue(r, c);
            any = any || !isMissing(row[static_cast<std::size_t>(c)]);
        }
        if (!any)
            continue;
        if (!started) {
            started = true;
            for (int c = 0; c < count; ++c) {
                inBlock[static_cast<std::size_t>(c)] = !isMissing(row[static_cast<std::size_t>(c)]);
                if (inBlock[static_cast<std::size_t>(c)])
                    columns.push_back(c);
            }
        }
        for (int c = 0; c < count; ++c) {
            if (isMissing(row[static_cast<std::size_t>(c)]) == inBlock[static_cast<std::size_t>(c)])
                return error_code::IncompleteMatrix;
        }
        for (const int c : columns)
            values.push_back(row[static_cast<std::size_t>(c)]);
    }
    return error_code::None;
}

int RepeatedMeasuresAnova(const DataTable& table, const MultiColumnTestInput& input, ResultsBuffer& out)
{
    const RepeatedMeasuresResult result = computeRepeatedMeasures(table);
    if (result.errorCode != error_code::None)
        return result.errorCode;

    std::vector<ColumnSummary> summaries;
    bool anySpread = false;
    for (const int logical : result.columns) {
        const core::ColumnRecord& record = table.column(table.mappedColumn(logical));
        summaries.push_back({record, false});
        anySpread = anySpread || (!isMissing(record.sd) && record.sd != 0);
    }
    if (!anySpread)
        return error_code::AnovaAllSdsZero;

    out.NewLine();
    WriteReportTitle(out, "Repeated Measures Analysis of Variance");
    out.NewLine();
    writeVerdict(out, result);
    const int postTestCode = writePostTest(out, input, result, summaries);
    if (postTestCode != error_code::None)
        return postTestCode;
    writeAnovaSection(out, result);
    writeMatchingSection(out, result);

    out.NewLine();
    WriteReportTitle(out, "Summary of Data");
    out.NewLine();
    if (!WriteColumnSummaryTable(out, summaries))
        return error_code::OutOfMemory;
    return error_code::None;
}

}  // namespace ombrix::analyses
