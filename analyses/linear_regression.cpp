#include "analyses/linear_regression.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>

#include "analyses/analyses.h"
#include "analyses/column_tables.h"
#include "analyses/error_codes.h"
#include "analyses/report_writers.h"
#include "numeric/probability.h"

namespace ombrix::analyses {

namespace {

// Residual sums below this share of the total are the rounding of a perfect line.
constexpr Real PerfectLineRounding = 1e-16L;
// With more points the table of rows is left out.
constexpr int LargestRowTable = 50;

struct Point {
    int row;
    Real x;  // shifted by X0, Y0 when the line is forced
    Real y;
};

Real logChoose(int n, int k)
{
    return std::lgamma(n + Real(1)) - std::lgamma(k + Real(1)) - std::lgamma(n - k + Real(1));
}

// exp(log C(n1, k1) + log C(n2, k2) - logTotal), 0 when a coefficient is 0.
Real share(int n1, int k1, int n2, int k2, Real logTotal)
{
    if (k1 < 0 || k1 > n1 || k2 < 0 || k2 > n2)
        return 0;
    return std::exp(logChoose(n1, k1) + logChoose(n2, k2) - logTotal);
}

void writeBold(ResultsBuffer& out, std::string_view text)
{
    out.ToggleBold();
    out.Append(text);
    out.ToggleBold();
}

void writeNumberAt(ResultsBuffer& out, int column, Real x)
{
    out.PadToColumn(column);
    out.AppendNumberInWidth(8, -5, x);
}

}  // namespace

Real runsProbability(int above, int below, int runs)
{
    // Arrangements with i runs: 2 C(a-1, s-1) C(b-1, s-1) for i = 2s, and
    // C(a-1, s) C(b-1, s-1) + C(a-1, s-1) C(b-1, s) for i = 2s + 1, out of
    // C(a+b, a). Each share is taken from logarithms, so no count overflows.
    const Real logTotal = logChoose(above + below, above);
    Real p = 0;
    for (int i = 2; i <= runs; ++i) {
        const int s = i / 2;
        if (i % 2 == 0)
            p += 2 * share(above - 1, s - 1, below - 1, s - 1, logTotal);
        else
            p += share(above - 1, s, below - 1, s - 1, logTotal) + share(above - 1, s - 1, below - 1, s, logTotal);
    }
    return std::min<Real>(p, 1);
}

LinearRegressionResult computeLinearRegression(const DataTable& table, const LinearRegressionInput& input)
{
    LinearRegressionResult result;
    result.forced = input.forceThroughPoint;
    const Real x0 = input.forceThroughPoint ? input.forceX : 0;
    const Real y0 = input.forceThroughPoint ? input.forceY : 0;
    const int rows = table.lastUsedRow() + 1;
    const int lastColumn = std::max(1, table.lastUsedColumn());

    std::vector<Point> points;
    Real minX = 0, maxX = 0;
    for (int row = 0; row < rows; ++row) {
        const Real x = table.GetAnalysisValue(row, 0);
        if (isMissing(x))
            continue;
        int count = 0;
        for (int column = 1; column <= lastColumn; ++column) {
            const Real y = table.GetAnalysisValue(row, column);
            if (isMissing(y))
                continue;
            points.push_back({row, x - x0, y - y0});
            ++count;
        }
        if (count == 0)
            continue;
        minX = result.rowsWithData == 0 ? x : std::min(minX, x);
        maxX = result.rowsWithData == 0 ? x : std::max(maxX, x);
        ++result.rowsWithData;
        result.replicates = std::max(result.replicates, count);
    }
    if (result.rowsWithData < 3) {
        result.errorCode = error_code::RegressionTooFewPoints;
        return result;
    }

    // Sums about the means, the second pass over deviations.
    const auto n = static_cast<Real>(points.size());
    result.n = static_cast<int>(points.size());
    Real sumX = 0, sumY = 0;
    for (const Point& p : points) {
        sumX += p.x;
        sumY += p.y;
    }
    const Real meanX = sumX / n;
    const Real meanY = sumY / n;
    Real sxx = 0, sxy = 0, syy = 0;
    for (const Point& p : points) {
        sxx += (p.x - meanX) * (p.x - meanX);
        sxy += (p.x - meanX) * (p.y - meanY);
        syy += (p.y - meanY) * (p.y - meanY);
    }
    if (sxx == 0) {
        result.errorCode = error_code::RegressionOneX;
        return result;
    }

    Real b = 0;
    Real a = 0;
    if (!result.forced) {
        b = sxy / sxx;
        a = meanY - b * meanX;
        result.dfRes = result.n - 2;
    } else {
        const Real sumXX = sxx + n * meanX * meanX;
        b = (sxy + n * meanX * meanY) / sumXX;
        a = y0 - b * x0;
        result.dfRes = result.n - 1;
    }
    // Residuals taken one by one: near a perfect fit SStot - SSreg would
    // keep only the rounding of the two.
    Real ssRes = 0;
    for (const Point& p : points) {
        const Real e = result.forced ? p.y - b * p.x : (p.y - meanY) - b * (p.x - meanX);
        ssRes += e * e;
    }
    result.ssRes = ssRes;
    result.ssTot = result.forced ? syy + n * meanY * meanY : syy;
    result.ssReg = result.forced ? b * (sxy + n * meanX * meanY) : b * sxy;
    const Real msRes = ssRes / result.dfRes;
    result.slope = b;
    result.intercept = a;
    result.meanX = meanX + x0;
    result.meanY = meanY + y0;
    result.sxx = result.forced ? sxx + n * meanX * meanX : sxx;
    result.seSlope = std::sqrt(msRes / result.sxx);
    if (b == 0 && result.seSlope == 0) {
        result.errorCode = error_code::RegressionOneY;
        return result;
    }
    result.perfect = ssRes <= PerfectLineRounding * result.ssTot;
    result.syx = std::sqrt(msRes);
    result.xIntercept = b == 0 ? MissingValue : -a / b;
    if (!result.forced) {
        result.seIntercept = std::sqrt(msRes * (1 / n + meanX * meanX / sxx));
        result.rSquared = result.perfect ? 1 : sxy / sxx * sxy / syy;
        result.r = std::copysign(std::sqrt(result.rSquared), b);
        if (msRes > 0) {
            result.f = result.ssReg / msRes;
            result.p = numeric::FProbability(1, result.dfRes, result.f);
        }
    } else if (msRes > 0) {
        // About the origin, as the line's own fit is judged there.
        result.rSquared = result.ssReg / result.ssTot;
        result.t = b / result.seSlope;
        result.p = numeric::TProbability(result.dfRes, result.t);
    }
    // The forced line has one parameter, so its limits take n - 1 df as its t test does.
    const Real t95 = numeric::CriticalT95(result.dfRes);
    result.slopeLower = b - t95 * result.seSlope;
    result.slopeUpper = b + t95 * result.seSlope;
    result.interceptLower = a - t95 * result.seIntercept;
    result.interceptUpper = a + t95 * result.seIntercept;

    // Rows: their means and the scatter within them, on the values as typed.
    Real ssWithin = 0;
    for (std::size_t first = 0; first < points.size();) {
        std::size_t end = first;
        Real sum = 0;
        while (end < points.size() && points[end].row == points[first].row)
            sum += points[end++].y;
        RowSummary row;
        row.row = points[first].row;
        row.x = points[first].x + x0;
        row.count = static_cast<int>(end - first);
        const Real mean = sum / row.count;
        Real squares = 0;
        for (std::size_t i = first; i < end; ++i)
            squares += (points[i].y - mean) * (points[i].y - mean);
        ssWithin += squares;
        row.meanY = mean + y0;
        row.sd = row.count > 1 ? std::sqrt(squares / (row.count - 1)) : 0;
        result.rows.push_back(row);
        first = end;
    }
    if (input.runsTest && result.replicates >= 2) {
        result.linearity = true;
        result.ssWithin = ssWithin;
        result.ssDeviation = std::max<Real>(0, ssRes - ssWithin);
        result.dfDeviation = result.rowsWithData - (result.forced ? 1 : 2);
        result.dfWithin = result.n - result.rowsWithData;
        if (result.dfDeviation > 0 && result.dfWithin > 0 && ssWithin > 0) {
            result.fLinearity = (result.ssDeviation / result.dfDeviation) / (ssWithin / result.dfWithin);
            result.pLinearity = numeric::FProbability(result.dfDeviation, result.dfWithin, result.fLinearity);
        }
    }

    if (input.runsTest) {
        result.runsTested = true;
        std::vector<std::size_t> order(result.rows.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t i, std::size_t j) { return result.rows[i].x < result.rows[j].x; });
        // The points of each row, in column order, row by row in the order of X.
        std::vector<std::size_t> rowStart(result.rows.size() + 1, 0);
        for (std::size_t i = 0, r = 0; i < points.size(); ++i)
            if (i == 0 || points[i].row != points[i - 1].row)
                rowStart[r++] = i;
        rowStart.back() = points.size();
        int last = 0;  // +1 above, -1 below
        for (const std::size_t r : order) {
            for (std::size_t i = rowStart[r]; i < rowStart[r + 1]; ++i) {
                const Real fitted = result.forced ? b * points[i].x : meanY + b * (points[i].x - meanX);
                const int side = points[i].y > fitted ? 1 : points[i].y < fitted ? -1 : 0;
                if (side == 0)
                    continue;
                (side > 0 ? result.runs.above : result.runs.below) += 1;
                if (side != last)
                    ++result.runs.runs;
                last = side;
            }
        }
        if (result.runs.above >= 2 && result.runs.below >= 2)
            result.runs.p = runsProbability(result.runs.above, result.runs.below, result.runs.runs);
    }

    if (input.standardCurve) {
        for (int row = 0; row < rows; ++row) {
            const Real x = table.GetAnalysisValue(row, 0);
            bool anyY = false;
            for (int column = 1; column <= lastColumn; ++column) {
                const Real y = table.GetAnalysisValue(row, column);
                if (isMissing(y))
                    continue;
                anyY = true;
                if (isMissing(x)) {
                    StandardCurvePoint unknown{b == 0 ? MissingValue : (y - a) / b, y, false};
                    unknown.outside = !isMissing(unknown.x) && (unknown.x < minX || unknown.x > maxX);
                    result.unknowns.push_back(unknown);
                }
            }
            if (!isMissing(x) && !anyY)
                result.unknowns.push_back({x, a + b * x, x < minX || x > maxX});
        }
    }
    return result;
}

namespace {

void writeParameterTable(ResultsBuffer& out, const LinearRegressionResult& result)
{
    WriteTableHeader(out, {{1, 11, {"", "Parameter"}},
                           {14, 8, {"Best-fit", "Value"}},
                           {24, 8, {"Standard", "Error"}},
                           {34, 8, {"95% confidence interval", "from"}},
                           {44, 8, {"to"}}});

    writeBold(out, "Slope");
    writeNumberAt(out, 14, result.slope);
    writeNumberAt(out, 24, result.seSlope);
    writeNumberAt(out, 34, result.slopeLower);
    writeNumberAt(out, 44, result.slopeUpper);
    out.NewLine();
    writeBold(out, "Y intercept");
    writeNumberAt(out, 14, result.intercept);
    if (!result.forced) {
        writeNumberAt(out, 24, result.seIntercept);
        writeNumberAt(out, 34, result.interceptLower);
        writeNumberAt(out, 44, result.interceptUpper);
    }
    out.NewLine();
    writeBold(out, "X intercept");
    out.PadToColumn(14);
    if (isMissing(result.xIntercept))
        out.Append(RightJustify("Undefined", 8));
    else
        out.AppendNumberInWidth(8, -5, result.xIntercept);
    out.NewLine();
    out.NewLine();
}

void writeRowTable(ResultsBuffer& out, const LinearRegressionResult& result)
{
    out.NewLine();
    out.NewLine();
    out.NewLine();
    WriteReportHeading(out, "Descriptive statistics for each row");
    out.NewLine();
    WriteTableHeader(out, {{1, 3, {"Row"}},
                           {6, 8, {"X Value"}},
                           {16, 8, {"Mean Y"}},
                           {26, 5, {"# of", "Reps."}, 5},
                           {33, 9, {"Predicted", "Y"}},
                           {44, 9, {"Standard", "Deviation"}},
                           {55, 8, {"Residual"}}});
    for (const RowSummary& row : result.rows) {
        const Real predicted = result.intercept + result.slope * row.x;
        out.PadToColumn(1);
        out.AppendIntegerInWidth(3, row.row + 1);
        out.PadToColumn(6);
        out.AppendNumberInWidth(8, -5, row.x);
        out.PadToColumn(16);
        out.AppendNumberInWidth(8, -5, row.meanY);
        out.PadToColumn(26);
        out.AppendIntegerInWidth(5, row.count);
        out.PadToColumn(33);
        out.AppendNumberInWidth(9, -5, predicted);
        out.PadToColumn(44);
        out.AppendNumberInWidth(9, -5, row.sd);
        out.PadToColumn(55);
        out.AppendNumberInWidth(8, -5, row.meanY - predicted);
        out.NewLine();
    }
    out.NewLine();
    out.NewLine();
    out.AppendLine("  The residual values are the distances (biases) of the mean Y values");
    out.AppendLine("  from the best-fit line determined by linear regression.");
}

// The two ANOVA tables share their frame: the first field's width and where
// the others start.
struct AnovaLayout {
    int labelWidth;
    int dfColumn, sumColumn, meanColumn;
};

void writeAnovaHeader(ResultsBuffer& out, const AnovaLayout& layout)
{
    WriteTableHeader(out, {{1, 25, {"Source of", "variation"}, layout.labelWidth},
                           {layout.dfColumn, 10, {"Degrees of", "freedom"}},
                           {layout.sumColumn, 8, {"Sum of", "squares"}},
                           {layout.meanColumn, 8, {"Mean", "square"}}});
}

void writeAnovaRow(ResultsBuffer& out, const AnovaLayout& layout, std::string_view name, int df, Real ss, Real ms,
                   bool withMean)
{
    writeBold(out, name);
    out.PadToColumn(layout.dfColumn);
    out.AppendIntegerInWidth(10, df);
    writeNumberAt(out, layout.sumColumn, ss);
    if (withMean)
        writeNumberAt(out, layout.meanColumn, ms);
    out.NewLine();
}

void writeAnovaTotal(ResultsBuffer& out, const AnovaLayout& layout, int df, Real ss)
{
    out.ToggleBold();
    out.AppendDashRule(layout.labelWidth);
    out.PadToColumn(layout.dfColumn);
    out.AppendDashRule(10);
    out.PadToColumn(layout.sumColumn);
    out.AppendDashRule(8);
    out.ToggleBold();
    out.NewLine();
    writeAnovaRow(out, layout, "Total", df, ss, 0, false);
}

void writeSlopeTest(ResultsBuffer& out, const LinearRegressionResult& result)
{
    out.NewLine();
    out.NewLine();
    WriteReportHeading(out, "Test: Is the slope significantly different from zero?");
    out.NewLine();
    WritePValueSentence(out, 0, true, result.p);
    if (result.forced) {
        out.Append("The slope is ");
        if (result.p > 0.05L)
            out.Append("not ");
        out.AppendLine("significantly different from zero.");
        out.NewLine();
        out.Append("t = ");
        out.AppendNumber(-5, result.t);
        out.Append(" with ");
        out.AppendInteger(result.dfRes);
        out.AppendLine(" degrees of freedom.");
        return;
    }
    out.NewLine();
    out.AppendLine("This result was obtained from the following ANOVA table.");
    out.NewLine();
    const AnovaLayout layout{36, 39, 51, 61};
    writeAnovaHeader(out, layout);
    writeAnovaRow(out, layout, "Linear regression (Model)", 1, result.ssReg, result.ssReg, true);
    writeAnovaRow(out, layout, "Deviations from linearity (Residual)", result.dfRes, result.ssRes,
                  result.ssRes / result.dfRes, true);
    writeAnovaTotal(out, layout, result.n - 1, result.ssTot);
    out.Append("F = ");
    out.AppendNumber(-5, result.f);
    out.NewLine();
}

void writeRunsTest(ResultsBuffer& out, const RunsTest& runs)
{
    out.NewLine();
    out.NewLine();
    WriteReportHeading(out, "Runs test: Do the number of runs indicate a linear model?");
    out.AppendLine("One way to evaluate linearity is by counting runs.  If the data");
    out.AppendLine("deviate substantially from linearity, the number of runs will be");
    out.AppendLine("small.");
    out.NewLine();
    out.Append("There are ");
    out.AppendInteger(runs.above);
    out.Append(" points above the line, ");
    out.AppendInteger(runs.below);
    out.Append(" below, and ");
    out.AppendInteger(runs.runs);
    out.AppendLine(" runs.");
    out.NewLine();
    if (runs.above < 2 || runs.below < 2) {
        out.AppendLine("Runs test cannot be performed because both the number above the");
        out.AppendLine("line and below the line must be greater than one.");
    } else if (runs.above + runs.below < 6) {
        out.AppendLine("Runs test cannot be performed because the sum of the number above");
        out.AppendLine("the line and below the line must be greater than five.");
    } else {
        WritePValueSentence(out, 0, true, runs.p);
        if (runs.p < 0.05L) {
            out.AppendLine("There are significantly fewer runs than expected, suggesting that the data");
            out.AppendLine("follow a curve rather than a line.");
        } else {
            out.AppendLine("There is not a significant departure from linearity.");
        }
    }
}

void writeLinearityTest(ResultsBuffer& out, const LinearRegressionResult& result)
{
    out.NewLine();
    out.NewLine();
    WriteReportHeading(out, "Test: Are the data significantly nonlinear?");
    out.NewLine();
    out.Append("F = ");
    out.AppendNumber(-5, result.fLinearity);
    out.NewLine();
    WritePValueSentence(out, 0, false, result.pLinearity);
    out.Append("The departures from linearity are ");
    AppendSignificanceWords(out, result.pLinearity);
    out.AppendLine("significant.");
    out.NewLine();
    out.AppendLine("This result was obtained from the following ANOVA table that compares");
    out.AppendLine("deviations from linearity with scatter among replicates.");
    out.NewLine();
    out.NewLine();
    const AnovaLayout layout{35, 38, 50, 60};
    writeAnovaHeader(out, layout);
    writeAnovaRow(out, layout, "Linear regression (model)", 1, result.ssReg, 0, false);
    writeAnovaRow(out, layout, "Deviations from linearity", result.dfDeviation, result.ssDeviation,
                  result.dfDeviation > 0 ? result.ssDeviation / result.dfDeviation : 0, true);
    writeAnovaRow(out, layout, "Residual (scatter among replicates)", result.dfWithin, result.ssWithin,
                  result.dfWithin > 0 ? result.ssWithin / result.dfWithin : 0, true);
    writeAnovaTotal(out, layout, result.n - 1, result.ssTot);
}

void writeStandardCurve(ResultsBuffer& out, const LinearRegressionResult& result)
{
    out.NewLine();
    out.ClearTabStops();
    out.AddTabStop(15);
    out.AddTabStop(30);
    WriteReportHeading(out, "Standard Curve Calculations");
    out.NewLine();
    out.ToggleBold();
    out.Append("X Values");
    out.NextTabStop();
    out.Append("Y Values");
    out.ToggleBold();
    out.NewLine();
    out.AppendRule(8);
    out.NextTabStop();
    out.AppendRule(8);
    out.NewLine();
    bool anyOutside = false;
    for (const StandardCurvePoint& unknown : result.unknowns) {
        if (isMissing(unknown.x))
            out.Append("Undefined");
        else
            out.AppendNumber(3, unknown.x);
        out.NextTabStop();
        out.AppendNumber(3, unknown.y);
        if (unknown.outside) {
            out.NextTabStop();
            out.Append("*");
            anyOutside = true;
        }
        out.NewLine();
    }
    out.NewLine();
    if (anyOutside)
        out.AppendLine("* - Value is outside of standard curve.");
    if (result.unknowns.empty()) {
        out.AppendLine("To perform standard curve calculations, you must enter the unknowns");
        out.AppendLine("below the standard curve in the spreadsheet. Simply enter X values");
        out.AppendLine("without Y, or Y values without X.");
    }
}

}  // namespace

void WriteLinearRegressionText(const LinearRegressionResult& result, const LinearRegressionInput& input,
                               ResultsBuffer& out)
{
    WriteReportTitle(out, "Linear Regression");
    out.NewLine();
    out.NewLine();
    out.Append("Number of points = ");
    out.AppendInteger(result.n);
    out.NewLine();
    out.NewLine();
    if (result.perfect) {
        out.AppendLine("Your data form a perfect line:");
        out.Append("Slope = ");
        out.AppendNumber(-5, result.slope);
        out.NewLine();
        out.Append("Y-intercept = ");
        out.AppendNumber(-5, result.intercept);
        out.NewLine();
        out.AppendLine("P = 0.0000");
        out.AppendLine("r squared = 1.0000");
        return;
    }
    writeParameterTable(out, result);
    if (result.forced) {
        out.AppendLine("The line was forced through the point:");
        out.Append("X=");
        out.AppendNumber(-5, input.forceX);
        out.Append("  Y=");
        out.AppendNumber(-5, input.forceY);
        out.NewLine();
        out.NewLine();
    } else {
        out.Append("Correlation coefficient (r) = ");
        out.AppendNumber(-5, result.r);
        out.Append(".  r squared = ");
        out.AppendNumber(-5, result.rSquared);
        out.NewLine();
    }
    out.NewLine();
    out.Append("Standard deviation of residuals from line (Sy.x) = ");
    out.AppendNumber(-5, result.syx);
    out.NewLine();
    if (result.replicates > 1 && result.n <= LargestRowTable)
        writeRowTable(out, result);
    writeSlopeTest(out, result);
    if (result.runsTested)
        writeRunsTest(out, result.runs);
    if (result.linearity)
        writeLinearityTest(out, result);
    if (input.standardCurve)
        writeStandardCurve(out, result);
}

int LinearRegression(const DataTable& table, const LinearRegressionInput& input, RegressionForGraph& line,
                     ResultsBuffer& out)
{
    line.reset();
    const LinearRegressionResult result = computeLinearRegression(table, input);
    if (result.errorCode != error_code::None)
        return result.errorCode;
    WriteLinearRegressionText(result, input, out);
    line = RegressionLine{result.slope,    result.slopeLower, result.slopeUpper, result.intercept, result.syx,
                          result.rSquared, result.meanX,      result.n,          result.sxx};
    return error_code::None;
}

}  // namespace ombrix::analyses
