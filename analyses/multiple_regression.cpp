#include "analyses/multiple_regression.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <initializer_list>
#include <limits>
#include <string>
#include <string_view>

#include "analyses/analyses.h"
#include "analyses/column_statistics.h"
#include "analyses/report_writers.h"
#include "numeric/probability.h"

namespace ombrix::analyses {

namespace {

using Column = std::vector<Real>;

constexpr Real Epsilon = std::numeric_limits<Real>::epsilon();

// One variable over the used rows, centred and scaled to unit length:
// value = mean + norm * unit[row]. A constant column has norm 0 and a unit
// vector of zeros.
struct CentredColumn {
    Real mean = 0;
    Real norm = 0;
    Column unit;
};

// Two passes with the sum of deviations as a correction of the mean. The
// deviations are divided by a power of two near the largest of them before
// squaring, so the sum of squares neither overflows nor underflows for any
// finite data, and the scaling itself loses no bits.
CentredColumn centre(const Column& values)
{
    CentredColumn column;
    const auto n = static_cast<Real>(values.size());
    Real largest = 0;
    for (const Real x : values)
        largest = std::max(largest, std::fabs(x));
    // Multiplying by the reciprocal of a power of two is exact, and quicker.
    const Real valueScale = powerOfTwoScale(largest);
    const Real inverseScale = 1 / valueScale;
    Real sum = 0;
    for (const Real x : values)
        sum += x * inverseScale;
    Real mean = sum / n;
    Real deviations = 0;
    for (const Real x : values)
        deviations += x * inverseScale - mean;
    mean += deviations / n;

    column.unit.resize(values.size());
    Real largestDeviation = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        column.unit[i] = values[i] * inverseScale - mean;
        largestDeviation = std::max(largestDeviation, std::fabs(column.unit[i]));
    }
    column.mean = mean * valueScale;
    if (largestDeviation == 0)
        return column;
    const Real deviationScale = powerOfTwoScale(largestDeviation);
    const Real inverseDeviationScale = 1 / deviationScale;
    Real ss = 0;
    for (Real& d : column.unit) {
        d *= inverseDeviationScale;
        ss += d * d;
    }
    const Real length = std::sqrt(ss);
    const Real inverseLength = 1 / length;
    for (Real& d : column.unit)
        d *= inverseLength;
    column.norm = length * deviationScale * valueScale;
    return column;
}

Real dot(const Column& a, const Column& b)
{
    Real sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        sum += a[i] * b[i];
    return sum;
}

// r of two centred unit columns (rounding may leave it a hair beyond 1);
// blank beside a constant one.
Real correlationOf(const CentredColumn& a, const CentredColumn& b, Real product)
{
    if (a.norm == 0 || b.norm == 0)
        return MissingValue;
    return std::clamp(product, Real(-1), Real(1));
}

// Every r among the columns. Four columns at a time against one: the one's
// value is loaded once for four products, and the four sums do not wait for
// each other (a fifth off the time of the matrix of 52 columns).
std::vector<Column> correlationMatrix(const std::vector<CentredColumn>& xs)
{
    const std::size_t k = xs.size();
    std::vector<Column> r(k, Column(k, MissingValue));
    for (std::size_t i = 0; i < k; ++i) {
        const Column& a = xs[i].unit;
        std::size_t j = 0;
        for (; j + 4 <= i + 1; j += 4) {
            const Column& b0 = xs[j].unit;
            const Column& b1 = xs[j + 1].unit;
            const Column& b2 = xs[j + 2].unit;
            const Column& b3 = xs[j + 3].unit;
            Real s0 = 0, s1 = 0, s2 = 0, s3 = 0;
            for (std::size_t row = 0; row < a.size(); ++row) {
                const Real v = a[row];
                s0 += v * b0[row];
                s1 += v * b1[row];
                s2 += v * b2[row];
                s3 += v * b3[row];
            }
            const Real sums[4] = {s0, s1, s2, s3};
            for (std::size_t l = 0; l < 4; ++l)
                r[i][j + l] = r[j + l][i] = correlationOf(xs[i], xs[j + l], sums[l]);
        }
        for (; j <= i; ++j)
            r[i][j] = r[j][i] = correlationOf(xs[i], xs[j], dot(a, xs[j].unit));
    }
    return r;
}

// Householder QR of the unit columns z (overwritten), with Q'y applied to y.
// Returns the k x k upper triangle R (R[i][j], i <= j), or an empty matrix
// when a diagonal element is negligible beside the unit column lengths: the
// columns are then linearly dependent to working precision.
std::vector<Column> householder(std::vector<Column>& z, Column& y)
{
    const std::size_t k = z.size();
    const std::size_t n = y.size();
    // Rounding leaves a dependent column a remainder of a few epsilon per
    // row; anything that small is no information about the fit.
    const Real negligible = 16 * static_cast<Real>(n) * Epsilon;
    std::vector<Column> r(k, Column(k, 0));
    for (std::size_t j = 0; j < k; ++j) {
        Column& a = z[j];
        Real ss = 0;
        for (std::size_t i = j; i < n; ++i)
            ss += a[i] * a[i];
        const Real length = std::sqrt(ss);
        if (length <= negligible)
            return {};
        // H = I - v v' / (length (length + |a_j|)) with v = a - alpha e_j and
        // alpha of the opposite sign to a_j, so v_j adds two magnitudes.
        const Real diagonal = a[j];
        const Real alpha = diagonal > 0 ? -length : length;
        a[j] = diagonal - alpha;
        const Real beta = 1 / (length * (length + std::fabs(diagonal)));
        auto reflect = [&](Column& c) {
            Real s = 0;
            for (std::size_t i = j; i < n; ++i)
                s += a[i] * c[i];
            s *= beta;
            for (std::size_t i = j; i < n; ++i)
                c[i] -= s * a[i];
        };
        for (std::size_t c = j + 1; c < k; ++c)
            reflect(z[c]);
        reflect(y);
        r[j][j] = alpha;
        for (std::size_t c = j + 1; c < k; ++c)
            r[j][c] = z[c][j];
    }
    return r;
}

// R^-1 of an upper triangle with a non-zero diagonal, by columns of R R^-1 = I.
std::vector<Column> invertUpper(const std::vector<Column>& r)
{
    const std::size_t k = r.size();
    std::vector<Column> inverse(k, Column(k, 0));
    for (std::size_t c = 0; c < k; ++c) {
        for (std::size_t i = c + 1; i-- > 0;) {
            Real s = i == c ? 1 : 0;
            for (std::size_t l = i + 1; l <= c; ++l)
                s -= r[i][l] * inverse[l][c];
            inverse[i][c] = s / r[i][i];
        }
    }
    return inverse;
}

// The used rows, the variables' values over them and the rows left out.
struct UsedData {
    Column y;
    std::vector<Column> x;
    int rowsWithMissing = 0;
};

UsedData collect(const DataTable& table, const MultipleRegressionResult& result)
{
    UsedData data;
    data.x.resize(result.xColumns.size());
    std::vector<Real> row(result.xColumns.size());
    for (int r = 0; r <= table.lastUsedRow(); ++r) {
        bool present = true;
        Real y = 0;
        if (result.regression) {
            y = table.GetAnalysisValue(r, result.dependentColumn);
            present = !isMissing(y);
        }
        for (std::size_t i = 0; i < row.size() && present; ++i) {
            row[i] = table.GetAnalysisValue(r, result.xColumns[i]);
            present = !isMissing(row[i]);
        }
        if (!present) {
            ++data.rowsWithMissing;
            continue;
        }
        if (result.regression)
            data.y.push_back(y);
        for (std::size_t i = 0; i < row.size(); ++i)
            data.x[i].push_back(row[i]);
    }
    return data;
}

void fit(const std::vector<CentredColumn>& xs, const CentredColumn& yc, MultipleRegressionResult& result)
{
    const std::size_t k = xs.size();
    const auto n = static_cast<Real>(result.n);
    std::vector<Column> z;
    z.reserve(k);
    for (const CentredColumn& x : xs) {
        if (x.norm == 0) {
            result.problem = FitProblem::NotPossible;
            return;
        }
        z.push_back(x.unit);
    }
    Column qty = yc.unit;
    const std::vector<Column> r = householder(z, qty);
    if (r.empty()) {
        result.problem = FitProblem::NotPossible;
        return;
    }
    const std::vector<Column> rInverse = invertUpper(r);

    // Coefficients of the unit columns, then back to the data's units.
    Column unitCoefficients(k);
    for (std::size_t i = k; i-- > 0;) {
        Real s = qty[i];
        for (std::size_t l = i + 1; l < k; ++l)
            s -= r[i][l] * unitCoefficients[l];
        unitCoefficients[i] = s / r[i][i];
    }
    result.coefficients.assign(k + 1, 0);
    Real intercept = yc.mean;
    for (std::size_t i = 0; i < k; ++i) {
        const Real b = unitCoefficients[i] * (yc.norm / xs[i].norm);
        result.coefficients[i + 1] = b;
        intercept -= b * xs[i].mean;
    }
    result.coefficients[0] = intercept;

    // Y's unit column has length 1, so what Q leaves outside the columns'
    // span is the share of SStot the model does not explain: 1 - R².
    Real unexplained = 0;
    for (std::size_t i = k; i < qty.size(); ++i)
        unexplained += qty[i] * qty[i];
    const Real negligible = 16 * n * Epsilon;
    result.perfectFit = yc.norm == 0 || std::sqrt(unexplained) <= negligible;
    if (result.perfectFit)
        unexplained = 0;
    const Real df = result.df;
    result.r2 = 1 - unexplained;
    result.adjustedR2 = 1 - unexplained * (n - 1) / df;
    result.multipleR = std::sqrt(result.r2);
    const Real sdUnit = std::sqrt(unexplained / df);
    result.sdResidual = sdUnit * yc.norm;
    result.ssResidual = result.sdResidual * result.sdResidual * df;
    if (!result.perfectFit) {
        result.f = (result.r2 / static_cast<Real>(k)) / (unexplained / df);
        result.fP = numeric::FProbability(static_cast<int>(k), result.df, result.f);
    }

    // (X'X)^-1 of the centred columns is D^-1 R^-1 R^-T D^-1 with D the
    // column lengths. Its diagonal in unit columns is each X's VIF; the
    // intercept's variance factor is 1/n + |R^-T u|² with u = mean / length.
    result.vif.assign(k, 0);
    for (std::size_t i = 0; i < k; ++i) {
        Real s = 0;
        for (std::size_t l = i; l < k; ++l)
            s += rInverse[i][l] * rInverse[i][l];
        result.vif[i] = s;
    }
    Real interceptFactor = 1 / n;
    for (std::size_t c = 0; c < k; ++c) {
        Real w = 0;
        for (std::size_t i = 0; i <= c; ++i)
            w += rInverse[i][c] * (xs[i].mean / xs[i].norm);
        interceptFactor += w * w;
    }

    const Real tCritical = numeric::CriticalT95(result.df);
    result.standardErrors.assign(k + 1, 0);
    result.lower.assign(k + 1, 0);
    result.upper.assign(k + 1, 0);
    result.tRatios.assign(k + 1, MissingValue);
    result.tP.assign(k + 1, 0);
    for (std::size_t i = 0; i <= k; ++i) {
        const Real se = i == 0 ? result.sdResidual * std::sqrt(interceptFactor)
                               : sdUnit * std::sqrt(result.vif[i - 1]) * (yc.norm / xs[i - 1].norm);
        const Real b = result.coefficients[i];
        result.standardErrors[i] = se;
        result.lower[i] = b - tCritical * se;
        result.upper[i] = b + tCritical * se;
        if (se > 0) {
            result.tRatios[i] = std::fabs(b / se);
            result.tP[i] = numeric::TProbability(result.df, result.tRatios[i]);
        }
    }
}

}  // namespace

MultipleRegressionResult ComputeMultipleRegression(const DataTable& table, const MultipleRegressionInput& input)
{
    MultipleRegressionResult result;
    result.regression = input.multipleRegression;
    result.dependentColumn = input.dependentColumn;
    for (int c = 0; c < core::TableColumns; ++c) {
        if (input.independentColumns[c] && table.column(c).n > 0 && !(result.regression && c == input.dependentColumn))
            result.xColumns.push_back(c);
    }
    result.k = static_cast<int>(result.xColumns.size());

    const UsedData data = collect(table, result);
    result.n = static_cast<int>(data.x.empty() ? 0 : data.x.front().size());
    result.rowsWithMissing = data.rowsWithMissing;
    result.df = result.n - result.k - 1;
    if (result.k + 1 >= result.n) {
        result.problem = FitProblem::TooFewRows;
        return result;
    }

    std::vector<CentredColumn> xs;
    xs.reserve(data.x.size());
    for (const Column& x : data.x)
        xs.push_back(centre(x));
    const auto k = static_cast<std::size_t>(result.k);
    result.correlations = correlationMatrix(xs);
    if (!result.regression)
        return result;

    const CentredColumn yc = centre(data.y);
    result.withY.resize(k);
    for (std::size_t i = 0; i < k; ++i)
        result.withY[i] = correlationOf(xs[i], yc, dot(xs[i].unit, yc.unit));
    fit(xs, yc, result);
    return result;
}

namespace {

// The next tab stop, or one space past the last: a wide number must not run
// into the next cell.
void nextCell(ResultsBuffer& out)
{
    const int column = out.currentColumn();
    out.NextTabStop();
    if (out.currentColumn() == column)
        out.Append(" ");
}

// A table's header in bold, a cell at each tab stop.
void writeHeaderCells(ResultsBuffer& out, std::initializer_list<std::string_view> cells)
{
    out.ToggleBold();
    bool first = true;
    for (const std::string_view cell : cells) {
        if (!first)
            nextCell(out);
        out.Append(cell);
        first = false;
    }
    out.ToggleBold();
}

std::string variableName(const DataTable& table, int column)
{
    return core::columnName(column) + ":" + table.column(column).title;
}

void writeEquation(const DataTable& table, const MultipleRegressionResult& result, ResultsBuffer& out)
{
    WriteReportHeading(out, "What equation fits the data the best?");
    out.NewLine();
    out.Append(" [" + variableName(table, result.dependentColumn) + "] = ");
    for (int i = 0; i <= result.k; ++i) {
        if (i > 0 && i % 3 == 0) {
            out.NewLine();
            out.Append("     ");
        }
        const Real b = result.coefficients[i];
        if (i == 0)
            out.Append(b < 0 ? " -" : "");
        else
            out.Append(b < 0 ? " - " : " + ");
        out.AppendNumber(-5, std::fabs(b));
        if (i > 0)
            out.Append("*[" + variableName(table, result.xColumns[i - 1]) + "]");
    }
    out.NewLine();
}

void writeCoefficientTable(const DataTable& table, const MultipleRegressionResult& result, ResultsBuffer& out)
{
    out.NewLine();
    out.ClearTabStops();
    for (const int stop : {20, 32, 42, 50, 54})
        out.AddTabStop(stop);
    writeHeaderCells(out, {"Variable", "Coefficient", "SE", "95% Confidence Interval"});
    for (int i = 0; i <= result.k; ++i) {
        out.NewLine();
        if (i == 0)
            out.Append(result.k == 1 ? "Intercept  " : "(constant)  ");
        else
            out.Append(result.k == 1 ? "Slope    " : variableName(table, result.xColumns[i - 1]) + "  ");
        nextCell(out);
        out.AppendNumber(-5, result.coefficients[i]);
        nextCell(out);
        out.AppendNumber(-5, result.standardErrors[i]);
        nextCell(out);
        out.AppendNumber(-5, result.lower[i]);
        nextCell(out);
        out.Append("to");
        nextCell(out);
        out.AppendNumber(-5, result.upper[i]);
    }
    out.NewLine();
    out.NewLine();
}

void writeStatisticLine(ResultsBuffer& out, std::string_view name, int digits, Real value)
{
    out.Append(name);
    nextCell(out);
    out.AppendNumber(digits, value);
    out.NewLine();
}

void writeGoodnessOfFit(const DataTable& table, const MultipleRegressionResult& result, ResultsBuffer& out)
{
    WriteReportHeading(out, "How good is the fit?");
    out.NewLine();
    out.Append("R squared = ");
    out.AppendNumber(2, 100 * result.r2);
    out.AppendLine("%.");
    out.AppendLine("This is the percent of the variance in " + variableName(table, result.dependentColumn) +
                   " explained by the model.");
    if (result.perfectFit) {
        out.AppendLine("The model fits the data perfectly.");
        return;
    }
    out.NewLine();
    WritePValueSentence(out, 0, true, result.fP);
    out.AppendLine("The P value answers this question:");
    out.AppendLine("  If there were no linear relationship among the variables, what is ");
    out.AppendLine("  the chance that R squared would be that high (or higher) by chance?");
    if (result.fP > 0.05L) {
        out.NewLine();
        out.AppendLine("Since P is high, the rest of the results will be of little interest.");
    }
    out.NewLine();
    out.ClearTabStops();
    out.AddTabStop(25);
    out.AddTabStop(49);
    writeStatisticLine(out, "Sum-of-squares ", -5, result.ssResidual);
    writeStatisticLine(out, "SD of residuals ", -5, result.sdResidual);
    writeStatisticLine(out, "R squared", -5, result.r2);
    writeStatisticLine(out, "Adjusted R squared", -5, result.adjustedR2);
    writeStatisticLine(out, result.k == 1 ? "r " : "Multiple R ", -5, result.multipleR);
    writeStatisticLine(out, "F ", 4, result.f);
}

void writeContributions(const DataTable& table, const MultipleRegressionResult& result, ResultsBuffer& out)
{
    out.NewLine();
    out.NewLine();
    out.ClearTabStops();
    for (const int stop : {20, 32, 44, 56})
        out.AddTabStop(stop);
    WriteReportHeading(out, "Which variable(s) make a significant contribution?");
    writeHeaderCells(out, {"Variable", "t ratio", "P value", "Significant?"});
    out.NewLine();
    for (int i = 0; i <= result.k; ++i) {
        out.Append(i == 0 ? std::string("(constant)") : variableName(table, result.xColumns[i - 1]));
        nextCell(out);
        if (isMissing(result.tRatios[i]))
            out.Append("infinite");
        else
            out.AppendNumber(-5, result.tRatios[i]);
        nextCell(out);
        const Real p = result.tP[i];
        if (p <= 0.0001L) {
            out.Append("< 0.0001");
        } else {
            out.Append("  ");
            out.AppendNumber(4, p);
        }
        nextCell(out);
        out.AppendLine(p <= 0.05L ? "  Yes" : "  No");
    }
    out.NewLine();
    out.AppendLine("Each P value compares the full model with a simpler model omiting");
    out.AppendLine("one variable. It tests the effect of one variable, after accounting");
    out.AppendLine("for the effects of the others.");
}

void writeMulticollinearity(const DataTable& table, const MultipleRegressionResult& result, ResultsBuffer& out)
{
    out.NewLine();
    out.NewLine();
    out.ClearTabStops();
    for (const int stop : {20, 37, 47})
        out.AddTabStop(stop);
    WriteReportHeading(out, "Is multicollinearity a problem?");
    out.NewLine();
    writeHeaderCells(out, {"Variable", "VIF", "R2 with other X"});
    out.NewLine();
    // A perfect fit leaves no residual scale to measure the inflation by.
    const bool infinite = result.sdResidual == 0;
    Real largest = 0;
    for (int i = 0; i < result.k; ++i) {
        out.Append(variableName(table, result.xColumns[i]));
        nextCell(out);
        const Real vif = result.vif[i];
        if (infinite) {
            out.Append("Infinite");
            nextCell(out);
            out.Append("1.0000");
        } else {
            largest = std::max(largest, vif);
            out.AppendNumber(2, vif);
            nextCell(out);
            out.AppendNumber(4, 1 - 1 / vif);
        }
        out.NewLine();
    }
    if (infinite)
        largest = std::numeric_limits<Real>::infinity();
    out.NewLine();
    out.AppendLine("Each R squared quantifies how well that X variable is predicted from");
    out.AppendLine("the other X variables (ignoring Y). VIF is calculated from R squared.");
    out.NewLine();
    if (largest < 4) {
        out.AppendLine("All R squared values are low (<0.75). The X variables are independent ");
        out.AppendLine("of each other. Multicollinearity is not a problem.");
    } else if (largest > 4 && largest < 10) {
        out.AppendLine("Some R squared values are high (>.75). Multicollinearity may be a problem.");
    } else if (largest > 10) {
        out.AppendLine("Some R squared values are quite high (>.90). Multicollinearity is a problem.");
    }
    if (largest > 4) {
        out.AppendLine("This means that the X variables provide redundant information, ");
        out.AppendLine("making the confidence intervals very wide (by a factor of VIF).");
        out.AppendLine("Consider removing one or more X variables from the model,");
        out.AppendLine("or obtaining data over a wider range of X values.");
    }
}

void appendCoefficient(ResultsBuffer& out, Real r)
{
    if (r > 0 && !isMissing(r))
        out.Append(" ");
    out.AppendNumber(4, r);
}

void writeCorrelationMatrix(const DataTable& table, const MultipleRegressionResult& result, ResultsBuffer& out)
{
    out.NewLine();
    out.NewLine();
    WriteReportHeading(out, "Correlation Matrix");
    out.ClearTabStops();
    for (const int stop : {17, 26, 35, 44, 53, 62})
        out.AddTabStop(stop);
    // Five X columns to a block; the block after the last full one holds the
    // rest of them and, in a regression, Y. In the matrix alone a number of
    // variables divisible by 5 leaves that block empty, and it is not shown.
    constexpr int BlockColumns = 5;
    for (int block = 0; block <= result.k / BlockColumns; ++block) {
        const int first = block * BlockColumns;
        const int last = std::min(first + BlockColumns, result.k);
        const bool showY = result.regression && last - first < BlockColumns;
        if (first == last && !showY)
            break;
        out.NewLine();
        out.NewLine();
        for (int c = first; c < last; ++c) {
            nextCell(out);
            out.Append(" ");
            out.Append(core::columnName(result.xColumns[c]));
            out.Append(":");
        }
        if (showY) {
            nextCell(out);
            out.Append("|  ");
            out.Append(core::columnName(result.dependentColumn));
            out.Append(": (Y)");
        }
        out.NewLine();
        for (int row = 0; row < result.k; ++row) {
            out.Append(variableName(table, result.xColumns[row]));
            for (int c = first; c < last; ++c) {
                nextCell(out);
                appendCoefficient(out, result.correlations[row][c]);
            }
            if (showY) {
                nextCell(out);
                out.Append("| ");
                appendCoefficient(out, result.withY[row]);
            }
            out.NewLine();
        }
    }
    out.NewLine();
    out.NewLine();
    out.AppendLine("Each correlation coefficient (r) is calculated independently, ");
    out.AppendLine("without considering the other variables.");
    if (result.rowsWithMissing > 0)
        out.AppendLine("(Except that rows are excluded when any variables are missing.)");
}

void writeSummary(const MultipleRegressionResult& result, ResultsBuffer& out)
{
    out.NewLine();
    out.NewLine();
    WriteReportHeading(out, "Summary of your data");
    out.Append("Number of rows (subjects) analyzed: ");
    out.AppendInteger(result.n);
    out.NewLine();
    out.Append("Number of rows with missing data, excluded from calculations: ");
    out.AppendInteger(result.rowsWithMissing);
    out.NewLine();
    if (result.regression) {
        out.Append("Number of degrees of freedom (#subjects - #variables - 1): ");
        out.AppendInteger(result.df);
        out.NewLine();
    }
}

}  // namespace

void WriteMultipleRegressionReport(const DataTable& table, const MultipleRegressionResult& result, ResultsBuffer& out)
{
    if (result.problem != FitProblem::None) {
        WriteMessageLines(out, result.problem == FitProblem::TooFewRows
                                   ? "Too few rows of data. Need at least two more rows than # of variables."
                                   : "It is not possible to fit your data. Perhaps two X columns are identical?");
        out.MarkNoResult();
        return;
    }
    if (!result.regression) {
        WriteReportTitle(out, "Correlation Matrix Results");
    } else {
        WriteReportTitle(out, "Multiple Regression Results");
        out.NewLine();
        writeEquation(table, result, out);
        writeCoefficientTable(table, result, out);
        writeGoodnessOfFit(table, result, out);
        if (result.k > 1) {
            writeContributions(table, result, out);
            writeMulticollinearity(table, result, out);
        }
    }
    if (result.k > 1)
        writeCorrelationMatrix(table, result, out);
    writeSummary(result, out);
}

int MultipleRegressionAnalysis(const DataTable& table, const MultipleRegressionInput& input, ResultsBuffer& out)
{
    WriteMultipleRegressionReport(table, ComputeMultipleRegression(table, input), out);
    return 0;
}

}  // namespace ombrix::analyses
