#include "analyses/report_writers.h"

#include <algorithm>
#include <array>

#include "analyses/error_codes.h"
#include "analyses/fault_guard.h"

namespace ombrix::analyses {

namespace {

struct ErrorMessage {
    int code;
    std::array<std::string_view, 4> lines;  // unused lines stay empty
};

// The user reads these verbatim; they are the program's fixed texts.
constexpr std::array<ErrorMessage, 31> ErrorMessages{{
    {error_code::DivideByZero,
     {"Divide by zero.  A computation has divided a number by zero",
      "which is illegal.  This may be caused by unusual data or an", "unanticipated circumstance."}},
    {error_code::Underflow,
     {"Underflow.  A computation has produced a number too small for",
      "the computer.  This may be caused by the data.  Try changing", "units if appropriate."}},
    {error_code::Overflow,
     {"Overflow.  A computation has produced a number too large for",
      "the computer.  This may be caused by the data.  Try changing", "units if appropriate."}},
    {error_code::InvalidOperation,
     {"Invalid floating point operation.  This unanticipated error",
      "may arise from a number of possibilities.  Please notify",
      "Tarvenly of the problem along with the data set so that the", "problem can be reproduced and corrected."}},
    {error_code::OutOfMemory,
     {"Out of memory.  Some calculations performed on large data sets",
      "require additional memory.  Try to free some memory or reduce", "the size of the data."}},
    {error_code::AnovaNotEnoughData,
     {"Not enough data.  ANOVA requires at least two columns and at", "least two rows in each column."}},
    {error_code::AnovaOneValueInColumn,
     {"Only one value was found in a column.  ANOVA requires at least", "two per column."}},
    {error_code::AnovaAllSdsZero,
     {"Standard deviations are all zero. ANOVA requires at least one", "column's standard deviation to be nonzero."}},
    {error_code::AnovaIdenticalMeans, {"ANOVA is impossible.  All group means are identical."}},
    {error_code::IncompleteMatrix,
     {"Data are missing.  This test requires a complete rectangular",
      "matrix.  Missing values cannot be dealt with appropriately."}},
    {error_code::ChiSquareFractions, {"Fractions are not allowed in chi-square analysis."}},
    {error_code::ChiSquareNegative,
     {"Negative integers are not allowed in chi square analysis.  All",
      "numbers should be converted to positive integers."}},
    {error_code::ChiSquareZeroRow,
     {"One row is filled with zeros.  In this situation, chi-square",
      "analysis is impossible.  At least one of these values must be", "positive."}},
    {error_code::ChiSquareZeroColumn,
     {"One column is filled with zeros.  In this situation,",
      "chi-square analysis is impossible.  At least one of these", "values must be positive."}},
    {error_code::ChiSquareMissingValues,
     {"Values are missing.  Chi-square analysis requires a rectangular",
      "data set.  Missing values cannot be dealt with appropriately."}},
    {error_code::NoConvergence,
     {"Nonlinear regression did not converge.  Try fitting fewer", "variables and supplying better starting values."}},
    {error_code::RegressionTooFewPoints, {"Linear regression requires at least three points."}},
    {error_code::RegressionOneX, {"Points have only one x-value.  The slope is infinite."}},
    {error_code::RegressionOneY, {"Points have only one y-value.  The slope is zero."}},
    {error_code::CorrelationTooFewPoints, {"Linear correlation requires at least three points."}},
    {error_code::ZeroSd, {"It is not possible to analyze your data because one column's SD is zero."}},
    {error_code::PairedDifferencesEqual, {"Paired t test requires at least two distinct paired differences."}},
    {error_code::NonparametricNeedsRawData,
     {"Nonparametric tests require raw data exclusively.  No", "averaged data can be used."}},
    {error_code::AnovaNeedsRawData, {"This ANOVA test cannot use averaged data.  All data must be raw."}},
    {error_code::PairedNeedsRawData,
     {"Paired t test must use raw data in order to determine the", "pairs' differences."}},
    {error_code::TwoByTwoIncomplete, {"All four values must be entered in the spreadsheet to perform test."}},
    {error_code::ContingencyNoData, {"No data in the contingency table."}},
    {error_code::CorrelationNoData, {"No data to perform correlation test."}},
    {error_code::PairedTwoByTwoIncomplete,
     {"Both B and C values must be entered in the spreadsheet to perform", "paired test."}},
    {error_code::SingleValueInColumn,
     {"It is not possible to analyze your data because one column contains a", "single value."}},
    {error_code::SinglePair, {"It is not possible to analyze your data because there is only a single", "pair."}},
}};

bool isBlankTitle(std::string_view title)
{
    return title.find_first_not_of(' ') == std::string_view::npos;
}

}  // namespace

namespace {

// "The " + kind + "P value is " + P, then the verdict or ". ". The column
// tests read P at or below 0.0001 (at or above 0.9999) as a bound; the
// contingency tables only P below 0.0001.
enum class PBounds { Both, BelowOnly };

void writePSentence(ResultsBuffer& buffer, std::string_view kind, bool withVerdict, Real p, PBounds bounds)
{
    buffer.Append("The ");
    buffer.Append(kind);
    buffer.Append("P value is ");
    if (bounds == PBounds::Both ? p <= 0.0001L : p < 0.0001L)
        buffer.Append("< 0.0001");
    else if (bounds == PBounds::Both && p >= 0.9999L)
        buffer.Append("> 0.9999");
    else
        buffer.AppendNumber(4, p);
    if (withVerdict) {
        buffer.Append(", considered ");
        AppendSignificanceWords(buffer, p);
        buffer.Append("significant.");
    } else {
        buffer.Append(". ");
    }
    buffer.NewLine();
}

}  // namespace

void WritePValueSentence(ResultsBuffer& buffer, int tails, bool withVerdict, Real p)
{
    writePSentence(buffer, tails == 1 ? "one-tailed " : tails == 2 ? "two-tailed " : "", withVerdict, p, PBounds::Both);
}

void WriteContingencyPSentence(ResultsBuffer& buffer, int sides, bool withVerdict, Real p)
{
    writePSentence(buffer,
                   sides == 1   ? "one-sided "
                   : sides == 2 ? "two-sided "
                                : "",
                   withVerdict, p, PBounds::BelowOnly);
}

void AppendSignificanceWords(ResultsBuffer& buffer, Real p)
{
    if (p < 0.001L)
        buffer.Append("extremely ");
    else if (p < 0.01L)
        buffer.Append("very ");
    else if (p < 0.05L)
        return;
    else if (p < 0.10L)
        buffer.Append("not quite ");
    else
        buffer.Append("not ");
}

void AppendValueOrUnknown(ResultsBuffer& buffer, int width, Real x)
{
    if (isMissing(x))
        buffer.Append(RightJustify("Unknown", width));
    else
        buffer.AppendNumberInWidth(width, -5, x);
}

void AppendLimitOrInfinity(ResultsBuffer& buffer, Real x)
{
    if (x == MissingValue)
        buffer.Append("Infinity");
    else if (x == -MissingValue)
        buffer.Append("-Infinity");
    else
        buffer.AppendNumber(-5, x);
}

void AppendPercentLabel(ResultsBuffer& buffer, int width, Real fraction)
{
    buffer.Append(RightJustify(" (", width - 5));
    buffer.AppendNumberInWidth(3, 0, fraction * 100);
    buffer.Append("%)");
}

std::string SignificanceSummary(Real p)
{
    if (p <= 0.001L)
        return "*** P<0.001";
    if (p <= 0.01L)
        return RightJustify("**  P<0.01", 11);
    if (p <= 0.05L)
        return RightJustify("*   P<0.05", 11);
    return RightJustify("ns  P>0.05", 11);
}

void WriteMessageLines(ResultsBuffer& buffer, std::string_view message)
{
    buffer.Reset();
    buffer.NewLine();
    buffer.AppendLine(message);
    buffer.NewLine();
}

void WriteMessageReport(ResultsBuffer& buffer, std::string_view message)
{
    WriteMessageLines(buffer, message);
    buffer.EndReport();
    buffer.CloseReport();
}

void WriteCalculationError(ResultsBuffer& buffer, int code)
{
    if (code <= 0)
        return;
    buffer.Reset();
    buffer.NewLine();
    const auto message = std::find_if(ErrorMessages.begin(), ErrorMessages.end(),
                                      [code](const ErrorMessage& m) { return m.code == code; });
    if (message != ErrorMessages.end()) {
        for (const std::string_view line : message->lines) {
            if (!line.empty())
                buffer.AppendLine(line);
        }
    }
    buffer.NewLine();
}

void BeginReport(ResultsBuffer& buffer, std::string_view title)
{
    buffer.Reset();
    if (!isBlankTitle(title)) {
        buffer.AppendLine(title);
        buffer.NewLine();
    }
}

void FinishReport(ResultsBuffer& buffer, int code)
{
    WriteCalculationError(buffer, code);
    buffer.EndReport();
    buffer.CloseReport();
}

void WriteTailedPValue(ResultsBuffer& buffer, Tails tails, Real oneTailedP)
{
    if (tails == Tails::Two)
        WritePValueSentence(buffer, 2, true, 2 * oneTailedP);
    else
        WritePValueSentence(buffer, 1, true, oneTailedP);
}

int WriteReport(ResultsBuffer& buffer, std::string_view title, const std::function<int(ResultsBuffer&)>& analysis)
{
    BeginReport(buffer, title);
    const int code = runGuarded([&] { return analysis(buffer); });
    FinishReport(buffer, code);
    return code;
}

void WriteReportHeading(ResultsBuffer& buffer, std::string_view heading)
{
    buffer.ToggleUnderline();
    buffer.Append(heading);
    buffer.ToggleUnderline();
    buffer.NewLine();
}

void WriteBoldLine(ResultsBuffer& buffer, std::string_view text)
{
    buffer.ToggleBold();
    buffer.Append(text);
    buffer.ToggleBold();
    buffer.NewLine();
}

void WriteReportTitle(ResultsBuffer& buffer, std::string_view title)
{
    WriteReportHeading(buffer, CenterText(title, 65));
}

}  // namespace ombrix::analyses
