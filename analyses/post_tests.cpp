#include "analyses/post_tests.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>
#include <string>

#include "analyses/anova_tables.h"
#include "analyses/column_tables.h"
#include "analyses/error_codes.h"
#include "analyses/report_writers.h"
#include "numeric/critical_tables.h"
#include "numeric/probability.h"

namespace ombrix::analyses {

namespace {

using core::ColumnRecord;

// One compared pair as the comparison tables show it. A missing statistic
// (a pair the stepwise test leaves untested) is written as dashes.
struct Comparison {
    const ColumnRecord* first = nullptr;
    const ColumnRecord* second = nullptr;
    Real difference = 0;
    Real statistic = MissingValue;
    Real p = 1;
    Real lower = 0;
    Real upper = 0;
};

void writeCriticalSentence(ResultsBuffer& out, std::string_view statistic, Real critical)
{
    out.Append("If the value of ");
    out.Append(statistic);
    out.Append(" is greater than ");
    out.AppendNumber(-5, critical);
    out.AppendLine(" then the P value is less");
    out.AppendLine("than 0.05.");
    out.NewLine();
    out.NewLine();
}

std::string pairLabel(const Comparison& c, std::string_view joint)
{
    std::string label = RightJustify(c.first->title, 15);
    label += joint;
    label += LeftJustify(c.second->title, 15);
    return label;
}

void writeComparisonHeader(ResultsBuffer& out, const char* statistic)
{
    WriteTableHeader(
        out,
        {{1, 34, {"Comparison"}}, {36, 10, {"Mean", "Difference"}}, {47, 8, {statistic}, 7}, {55, 11, {"P value"}}});
}

void writeIntervalHeader(ResultsBuffer& out)
{
    WriteTableHeader(out, {{1, 34, {"Difference"}},
                           {36, 10, {"Mean", "Difference"}},
                           {47, 7, {"95% Confidence Interval", "From"}},
                           {55, 7, {"To"}}});
}

void writeComparisonRow(ResultsBuffer& out, const Comparison& c)
{
    out.Append(pairLabel(c, " vs "));
    out.PadToColumn(36);
    out.AppendNumberInWidth(10, -5, c.difference);
    out.PadToColumn(47);
    if (c.statistic == MissingValue)
        out.Append("  ---  ");
    else
        out.AppendNumberInWidth(7, -5, c.statistic);
    out.PadToColumn(55);
    out.AppendLine(SignificanceSummary(c.p));
}

void writeIntervalRow(ResultsBuffer& out, const Comparison& c)
{
    out.Append(pairLabel(c, " - "));
    out.PadToColumn(36);
    out.AppendNumberInWidth(10, -5, c.difference);
    out.PadToColumn(47);
    out.AppendNumberInWidth(7, -5, c.lower);
    out.PadToColumn(55);
    out.AppendNumberInWidth(7, -5, c.upper);
    out.NewLine();
}

// The second table goes below the first, so it is built aside and appended.
void appendSecondTable(ResultsBuffer& out, const ResultsBuffer& second)
{
    out.NewLine();
    AppendBuffer(out, second);
    out.NewLine();
}

// The studentized range level reached: 0.001, 0.01, 0.05, or 1 when q stays
// below the 5% point. Only these levels are tabulated, so no exact P.
Real rangeLevel(int df, int means, Real q)
{
    if (q > numeric::QCritical(df, means, 0.001L))
        return 0.001L;
    if (q > numeric::QCritical(df, means, 0.01L))
        return 0.01L;
    if (q > numeric::QCritical(df, means, 0.05L))
        return 0.05L;
    return 1;
}

// Standard error of a difference of two means in the range statistic's
// units: with equal N it is sqrt(MS/n).
Real rangeError(const PostTestContext& context, const ColumnRecord& a, const ColumnRecord& b)
{
    return std::sqrt(context.msResidual / 2 * (1.0L / a.n + 1.0L / b.n));
}

}  // namespace

void WriteDunnettHeaders(ResultsBuffer& out, ResultsBuffer& second)
{
    WriteTableHeader(
        out, {{1, 34, {"Comparison"}}, {36, 10, {"Mean", "Difference"}}, {47, 8, {"q "}}, {56, 10, {"P value"}}});
    WriteTableHeader(second, {{1, 34, {"Difference"}},
                              {36, 10, {"Mean", "Difference"}},
                              {47, 8, {"Lower", "95% CI"}},
                              {56, 8, {"Upper", "95% CI"}}});
}

namespace {

// The pair and its difference, up to the column where the tables differ.
void startDunnettRow(ResultsBuffer& buffer, const DunnettRow& row, std::string_view joint)
{
    std::string label = RightJustify(row.control, 15);
    label += joint;
    label += LeftJustify(row.other, 15);
    buffer.Append(label);
    buffer.PadToColumn(36);
    buffer.AppendNumberInWidth(10, -5, row.difference);
    buffer.PadToColumn(47);
}

}  // namespace

void WriteDunnettRow(ResultsBuffer& out, ResultsBuffer& second, const DunnettRow& row)
{
    startDunnettRow(out, row, " vs ");
    out.AppendNumberInWidth(8, -5, row.q);
    out.PadToColumn(56);
    out.AppendLine(row.level <= 0.01L ? "**  P<0.01" : row.level <= 0.05L ? "*   P<0.05" : "ns  P>0.05");

    startDunnettRow(second, row, " - ");
    second.AppendNumberInWidth(8, -5, row.lower);
    second.PadToColumn(56);
    second.AppendNumberInWidth(8, -5, row.upper);
    second.NewLine();
}

int WriteBonferroniPostTest(ResultsBuffer& out, const PostTestContext& context, bool selectedPairsOnly,
                            const std::array<bool, core::SelectedPairCount>& selectedPairs)
{
    std::unique_ptr<ResultsBuffer> second = ScratchBuffer();
    if (!second)
        return error_code::OutOfMemory;

    const auto& columns = context.columns;
    const int k = static_cast<int>(columns.size());
    const auto compared = [&](int i, int j) {
        return !selectedPairsOnly || selectedPairs[static_cast<size_t>(core::selectedPairIndex(i, j))];
    };
    int comparisons = 0;
    for (int i = 0; i < k; ++i)
        for (int j = i + 1; j < k; ++j)
            comparisons += compared(i, j) ? 1 : 0;

    out.NewLine();
    WriteReportHeading(out, "Bonferroni Multiple Comparisons Test");
    const Real critical = numeric::InverseT(context.dfResidual, 0.05L / (2 * comparisons));
    writeCriticalSentence(out, "t", critical);
    writeComparisonHeader(out, "t ");
    writeIntervalHeader(*second);
    for (int i = 0; i < k; ++i) {
        for (int j = i + 1; j < k; ++j) {
            if (!compared(i, j))
                continue;
            const ColumnRecord& a = columns[static_cast<size_t>(i)];
            const ColumnRecord& b = columns[static_cast<size_t>(j)];
            // Matched columns share one N (complete rows), so 1/Ni + 1/Nj is 2/n.
            const Real se = context.design == AnovaDesign::RepeatedMeasures
                                ? std::sqrt(2 * context.msResidual / a.n)
                                : std::sqrt(context.msResidual * (1.0L / a.n + 1.0L / b.n));
            Comparison c{&a, &b, a.mean - b.mean};
            c.statistic = std::fabs(c.difference) / se;
            // Left above 1 on purpose: the summary reads it as not significant.
            c.p = comparisons * numeric::TProbability(context.dfResidual, c.statistic);
            c.lower = c.difference - critical * se;
            c.upper = c.difference + critical * se;
            writeComparisonRow(out, c);
            writeIntervalRow(*second, c);
        }
    }
    appendSecondTable(out, *second);
    if (comparisons > 8) {
        out.ToggleBold();
        out.AppendLine("Warning: With so many comparisons, the Bonferroni method");
        out.AppendLine("is said to be too conservative.  This means that the P");
        out.AppendLine("values are too high.  You should consider using a different");
        out.Append("post-test.");
        out.ToggleBold();
        out.NewLine();
    }
    return error_code::None;
}

int WriteTukeyPostTest(ResultsBuffer& out, const PostTestContext& context, bool studentNewmanKeuls)
{
    std::unique_ptr<ResultsBuffer> second = ScratchBuffer();
    if (!second)
        return error_code::OutOfMemory;

    const int k = static_cast<int>(context.columns.size());
    const int df = context.dfResidual;
    out.NewLine();
    if (!studentNewmanKeuls) {
        WriteReportHeading(out, "Tukey-Kramer Multiple Comparisons Test");
        const Real critical = numeric::QCritical(df, k, 0.05L);
        writeCriticalSentence(out, "q", critical);
        writeComparisonHeader(out, "q ");
        writeIntervalHeader(*second);
        for (int i = 0; i < k; ++i) {
            for (int j = i + 1; j < k; ++j) {
                const ColumnRecord& a = context.columns[static_cast<size_t>(i)];
                const ColumnRecord& b = context.columns[static_cast<size_t>(j)];
                const Real se = rangeError(context, a, b);
                Comparison c{&a, &b, a.mean - b.mean};
                c.statistic = std::fabs(c.difference) / se;
                c.p = rangeLevel(df, k, c.statistic);
                c.lower = c.difference - critical * se;
                c.upper = c.difference + critical * se;
                writeComparisonRow(out, c);
                writeIntervalRow(*second, c);
            }
        }
        appendSecondTable(out, *second);
        return error_code::None;
    }

    WriteReportHeading(out, "Student-Newman-Keuls Multiple Comparisons Test");
    out.NewLine();
    // A stable sort, so that equal means keep their data-set order.
    std::vector<const ColumnRecord*> sorted;
    sorted.reserve(context.columns.size());
    for (const ColumnRecord& column : context.columns)
        sorted.push_back(&column);
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const ColumnRecord* x, const ColumnRecord* y) { return x->mean < y->mean; });
    writeComparisonHeader(out, "q ");
    // Ranges are tested from the widest down; once one is not significant the
    // pairs it contains are not tested, and the boundary remembers how far
    // that reaches.
    int boundary = 0;
    for (int i = 0; i + 1 < k; ++i) {
        for (int j = k - 1; j > i; --j) {
            const ColumnRecord& a = *sorted[static_cast<size_t>(i)];
            const ColumnRecord& b = *sorted[static_cast<size_t>(j)];
            Comparison c{&a, &b, a.mean - b.mean};
            if (j > boundary) {
                c.statistic = std::fabs(c.difference) / rangeError(context, a, b);
                c.p = rangeLevel(df, j - i + 1, c.statistic);
                if (c.p > 0.05L)
                    boundary = j;
            } else {
                c.p = 0.1L;
            }
            writeComparisonRow(out, c);
        }
    }
    out.NewLine();
    out.AppendLine("With Student-Newman-Keuls test, it is impossible to calculate confidence");
    out.AppendLine("intervals.");
    appendSecondTable(out, *second);
    return error_code::None;
}

int WriteDunnettPostTest(ResultsBuffer& out, const PostTestContext& context, int controlColumn, bool twoSided)
{
    std::unique_ptr<ResultsBuffer> second = ScratchBuffer();
    if (!second)
        return error_code::OutOfMemory;

    const int k = static_cast<int>(context.columns.size());
    const int df = context.dfResidual;
    WriteReportHeading(out, "Dunnett Multiple Comparisons Test");
    // The tables start at 5 df.
    if (df < 5) {
        out.AppendLine("Too few data points. DF must exceed 5. ");
        return error_code::None;
    }
    // The stored choice may name a column that holds no values now; the
    // first analysed column stands in, as for no choice at all.
    if (controlColumn < 0 || controlColumn >= k)
        controlColumn = 0;
    const ColumnRecord& control = context.columns[static_cast<size_t>(controlColumn)];
    const numeric::Sides sides = twoSided ? numeric::Sides::Two : numeric::Sides::One;
    const Real critical05 = numeric::DunnettCritical(df, k, sides, 0.05L);
    const Real critical01 = numeric::DunnettCritical(df, k, sides, 0.01L);
    out.Append("Control column: ");
    out.AppendLine(control.title);
    writeCriticalSentence(out, "q", critical05);

    WriteDunnettHeaders(out, *second);
    for (int j = 0; j < k; ++j) {
        if (j == controlColumn)
            continue;
        const ColumnRecord& other = context.columns[static_cast<size_t>(j)];
        const Real d = control.mean - other.mean;
        const Real se = std::sqrt(context.msResidual * (1.0L / control.n + 1.0L / other.n));
        const Real q = std::fabs(d) / se;
        WriteDunnettRow(out, *second,
                        {control.title, other.title, d, q,
                         q > critical01   ? 0.01L
                         : q > critical05 ? 0.05L
                                          : 1,
                         d - critical05 * se, d + critical05 * se});
    }
    out.NewLine();
    AppendBuffer(out, *second);
    return error_code::None;
}

int WriteLinearTrendPostTest(ResultsBuffer& out, const PostTestContext& context, const AnovaSums& sums)
{
    std::unique_ptr<ResultsBuffer> second = ScratchBuffer();
    if (!second)
        return error_code::OutOfMemory;

    // Coefficients centred on the middle column; for an even k they are
    // doubled so that they stay whole numbers (-3, -1, 1, 3 for k = 4).
    const int k = static_cast<int>(context.columns.size());
    Real l = 0;
    Real d = 0;
    Real c = 0;
    for (int i = 1; i <= k; ++i) {
        const Real coefficient = k % 2 == 1 ? i - (k + 1) / 2 : 2 * i - k - 1;
        const ColumnRecord& column = context.columns[static_cast<size_t>(i - 1)];
        l += coefficient * column.mean;
        d += coefficient * coefficient / column.n;
        c += coefficient * coefficient;
    }
    const Real ssLinear = l * l / d;
    const Real slope = l / c;
    const Real rSquared = ssLinear / sums.ssTotal;
    const Real fLinear = ssLinear / sums.msResidual;
    const Real pLinear = numeric::FProbability(1, sums.dfResidual, fLinear);
    // When the means lie on a line this difference is zero up to the rounding
    // of the two sums and may come out negative, which FProbability would
    // read as P = 0; a remainder that small is no variation at all.
    Real ssNonlinear = sums.ssTreatment - ssLinear;
    if (ssNonlinear <= 1e-15L * sums.ssTreatment)
        ssNonlinear = 0;
    const int dfNonlinear = sums.dfTreatment - 1;
    // Two columns always lie on a line: nothing is left for a nonlinear part.
    const Real msNonlinear = dfNonlinear > 0 ? ssNonlinear / dfNonlinear : 0;
    const Real fNonlinear = msNonlinear / sums.msResidual;
    const Real pNonlinear = dfNonlinear > 0 ? numeric::FProbability(dfNonlinear, sums.dfResidual, fNonlinear) : 1;

    WriteReportHeading(out, "Test for linear trend between column means and column number");
    out.NewLine();
    out.Append("Slope = ");
    out.AppendNumber(4, slope);
    out.Append("    r squared = ");
    out.AppendNumber(4, rSquared);
    out.NewLine();
    out.NewLine();

    WriteBoldLine(out, "Is the linear trend statistically significant?");
    WritePValueSentence(out, 0, true, pLinear);
    out.Append("There is ");
    if (pLinear > 0.05L)
        out.Append("not ");
    out.AppendLine("a significant linear trend.");
    out.NewLine();

    WriteBoldLine(out, "Is the nonlinear variation statistically significant?");
    WritePValueSentence(out, 0, true, pNonlinear);
    out.AppendLine("After accounting for the linear trend, the remaining variation among");
    out.Append("column means is ");
    if (pNonlinear > 0.05L)
        out.Append("not ");
    out.AppendLine("significant.");
    out.NewLine();
    out.NewLine();

    out.AppendLine("This result was obtained from dividing variation among columns into");
    out.AppendLine("linear and nonlinear components:");
    out.NewLine();
    const AnovaTableRow linear{"Between columns: Linear", 1, ssLinear, ssLinear};
    const AnovaTableRow nonlinear{"Between columns: Not linear", dfNonlinear, ssNonlinear, msNonlinear};
    if (context.design == AnovaDesign::RepeatedMeasures) {
        const AnovaTableRow rows[] = {
            linear,
            nonlinear,
            {"Individual (between rows)", sums.dfIndividual, sums.ssIndividual, sums.ssIndividual / sums.dfIndividual},
            {"Random (residual)", sums.dfResidual, sums.ssResidual, sums.msResidual}};
        WriteAnovaTable(out, AnovaTableLayout::RepeatedMeasures, rows, sums.dfTotal, sums.ssTotal);
    } else {
        const AnovaTableRow rows[] = {
            linear, nonlinear, {"Residuals (within columns)", sums.dfResidual, sums.ssResidual, sums.msResidual}};
        WriteAnovaTable(out, AnovaTableLayout::Ordinary, rows, sums.dfTotal, sums.ssTotal);
    }
    out.NewLine();
    out.Append("F (linear trend) = ");
    out.AppendNumber(4, fLinear);
    out.AppendLine("    =MSlinear/MSresidual");
    out.NewLine();
    out.Append("F (nonlinear trend) = ");
    out.AppendNumber(4, fNonlinear);
    out.AppendLine("   =MSnonlinear/MSresidual");
    return error_code::None;
}

PostTestChoice postTestChoiceOf(const MultiColumnTestInput& input)
{
    PostTestChoice choice;
    choice.method = input.postTestMethod;
    choice.selectedPairsOnly = input.selectedPairsOnly;
    choice.selectedPairs = input.selectedPairs;
    choice.controlColumn = input.controlColumn < 0 ? 0 : input.controlColumn;
    return choice;
}

bool postTestRuns(core::PostTestState state, Real p)
{
    return state == core::PostTestState::Perform || (state == core::PostTestState::OnlyIfSignificant && p <= 0.05L);
}

void WritePostTestsNotCalculated(ResultsBuffer& out)
{
    WriteReportHeading(out, "Post tests");
    out.AppendLine("Post tests were not calculated because the P value was greater");
    out.AppendLine("than 0.05.");
}

int WritePostTest(ResultsBuffer& out, const PostTestContext& context, const PostTestChoice& choice,
                  const AnovaSums& sums)
{
    using core::PostTestMethod;
    switch (choice.method) {
    case PostTestMethod::Bonferroni:
        return WriteBonferroniPostTest(out, context, choice.selectedPairsOnly, choice.selectedPairs);
    case PostTestMethod::Tukey: return WriteTukeyPostTest(out, context, false);
    case PostTestMethod::StudentNewmanKeuls: return WriteTukeyPostTest(out, context, true);
    case PostTestMethod::Dunnett:
        return WriteDunnettPostTest(out, context, choice.controlColumn, choice.dunnettTwoSided);
    case PostTestMethod::LinearTrend: return WriteLinearTrendPostTest(out, context, sums);
    }
    return 0;
}

}  // namespace ombrix::analyses
