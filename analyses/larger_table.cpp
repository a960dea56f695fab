#include "analyses/larger_table.h"

#include <cmath>
#include <cstddef>
#include <memory>

#include "analyses/analyses.h"
#include "analyses/column_tables.h"
#include "analyses/report_writers.h"
#include "numeric/probability.h"

namespace ombrix::analyses {

namespace {

// The used cells of a rectangular table: the rows holding data, row by row.
struct Rectangle {
    std::vector<int> columns;  // physical, in order
    std::vector<int> rows;     // physical, in order
    std::vector<Real> cells;   // rows.size() × columns.size()

    Real cell(std::size_t row, std::size_t column) const { return cells[row * columns.size() + column]; }
};

int readRectangle(const DataTable& table, Rectangle& rectangle)
{
    const int lastColumn = table.lastUsedColumn();
    const auto width = static_cast<std::size_t>(lastColumn + 1);
    std::vector<Real> row(width);
    std::vector<bool> used(width, false);
    for (int r = 0; r <= table.lastUsedRow(); ++r) {
        bool any = false;
        for (int c = 0; c <= lastColumn; ++c) {
            row[static_cast<std::size_t>(c)] = table.GetAnalysisValue(r, c);
            any = any || !isMissing(row[static_cast<std::size_t>(c)]);
        }
        if (!any)
            continue;
        if (rectangle.rows.empty()) {
            for (int c = 0; c <= lastColumn; ++c) {
                used[static_cast<std::size_t>(c)] = !isMissing(row[static_cast<std::size_t>(c)]);
                if (used[static_cast<std::size_t>(c)])
                    rectangle.columns.push_back(c);
            }
        }
        for (std::size_t c = 0; c < width; ++c) {
            if (isMissing(row[c]) == used[c])
                return error_code::ChiSquareMissingValues;
        }
        rectangle.rows.push_back(r);
        for (const int c : rectangle.columns)
            rectangle.cells.push_back(row[static_cast<std::size_t>(c)]);
    }
    return rectangle.rows.empty() ? error_code::ContingencyNoData : error_code::None;
}

// Column by column the last fault found names the code, and a column of zeros
// counts only while no fault is known. A row of zeros is named after that,
// whatever came before; a row that merely sums to 0 through negative counts
// keeps the negative-count message, which is the one the user can act on.
int checkCounts(const Rectangle& rectangle, LargerTableResult& result)
{
    int code = error_code::None;
    const std::size_t rows = rectangle.rows.size();
    const std::size_t columns = rectangle.columns.size();
    result.columnTotals.assign(columns, 0);
    for (std::size_t c = 0; c < columns; ++c) {
        Real total = 0;
        for (std::size_t r = 0; r < rows; ++r) {
            const Real x = rectangle.cell(r, c);
            total += x;
            if (std::floor(x) != x)
                code = error_code::ChiSquareFractions;
            if (x < 0)
                code = error_code::ChiSquareNegative;
        }
        result.columnTotals[c] = total;
        result.total += total;
        if (code == error_code::None && total == 0)
            code = error_code::ChiSquareZeroColumn;
    }

    result.firstRow = rectangle.rows.front();
    result.rowTotals.assign(static_cast<std::size_t>(rectangle.rows.back() - result.firstRow + 1), 0);
    for (std::size_t r = 0; r < rows; ++r) {
        Real total = 0;
        bool negative = false;
        for (std::size_t c = 0; c < columns; ++c) {
            total += rectangle.cell(r, c);
            negative = negative || rectangle.cell(r, c) < 0;
        }
        result.rowTotals[static_cast<std::size_t>(rectangle.rows[r] - result.firstRow)] = total;
        if (total == 0 && !negative)
            code = error_code::ChiSquareZeroRow;
    }
    return code;
}

Real rowTotalOf(const Rectangle& rectangle, const LargerTableResult& result, std::size_t r)
{
    return result.rowTotals[static_cast<std::size_t>(rectangle.rows[r] - result.firstRow)];
}

// Counts are whole numbers, so an expected value of exactly 1 or 5 is
// computed exactly, and one just above never rounds down onto it: while the
// totals stay below 2^32 their product is exact, and the correctly rounded
// quotient of exact operands is the integer when the true quotient is one;
// otherwise the product exceeds that integer times N by at least 1, a relative
// step far larger than the rounding.
void testIndependence(const Rectangle& rectangle, LargerTableResult& result)
{
    const std::size_t rows = rectangle.rows.size();
    const std::size_t columns = rectangle.columns.size();
    result.degreesOfFreedom = (result.rows - 1) * (result.columns - 1);
    long long smallExpected = 0;
    Real sum = 0;
    for (std::size_t r = 0; r < rows; ++r) {
        for (std::size_t c = 0; c < columns; ++c) {
            const Real expected = rowTotalOf(rectangle, result, r) * result.columnTotals[c] / result.total;
            if (expected <= 1)
                result.valid = false;
            if (expected <= 5)
                ++smallExpected;
            const Real difference = rectangle.cell(r, c) - expected;
            sum += difference * (difference / expected);
        }
    }
    // A fifth compared in whole numbers: 2 of 10 is a fifth, which 2.0/10 in
    // floating point would miss against a rounded 0.2.
    const long long cells = static_cast<long long>(rows) * static_cast<long long>(columns);
    if (5 * smallExpected >= cells)
        result.valid = false;
    if (result.degreesOfFreedom == 0) {
        // One row or one column: each expected value is its count, and the
        // distribution with no degree of freedom sits at 0 with P 1.
        result.chiSquare = 0;
        result.p = 1;
        return;
    }
    result.chiSquare = sum;
    // The upper tail itself: ChiSquareProbability calls every statistic above
    // 1000 P = 0, right for a few degrees of freedom but not for a table with
    // a thousand, whose chi-square is about 1000 without any association.
    // Where the cut was right the tail is 0 to four decimals as well.
    result.p = numeric::GammaQ(static_cast<Real>(result.degreesOfFreedom) / 2, sum / 2);
}

// Category k has score s = k (its place in the range, so a blank row or column
// keeps its number), n subjects of whom r count and q = n - r do not. The
// published form
//   (Σsr − R·m)² / (p(1 − p)(Σs²n − N·m²)),  m = Σsn/N,  p = R/N,
// subtracts numbers of the size of the counts to leave one of the size of a
// score: with a top row of 1E+20 and a bottom row of a few, the rounding of m
// alone outweighs the difference. With Q = Σq, Σsr − R·m = (Q·Σsr − R·Σsq)/N
// = (R·Q/N)(Σsr/R − Σsq/Q), the difference of the mean scores of the two
// groups, each of which is accurate; and Σs²n − N·m² = Σn(s − m)², where an
// error in m counts only squared. So the statistic is
//   R·Q·(Σsr/R − Σsq/Q)² / Σn(s − m)².
// Every category has n > 0 (no zero row or column gets here) and there are at
// least three, so Σn(s − m)² > 0; R > 0 and Q > 0 likewise.
void testTrend(const Rectangle& rectangle, LargerTableResult& result)
{
    struct Category {
        Real score;
        Real counting;
        Real other;
    };
    std::vector<Category> categories;
    if (result.rows == 2 && result.columns > 2) {
        result.trend = TrendCategories::Columns;
        for (std::size_t c = 0; c < rectangle.columns.size(); ++c)
            categories.push_back({static_cast<Real>(rectangle.columns[c] - rectangle.columns.front() + 1),
                                  rectangle.cell(0, c), rectangle.cell(1, c)});
    } else if (result.rows > 2 && result.columns == 2) {
        result.trend = TrendCategories::Rows;
        for (std::size_t r = 0; r < rectangle.rows.size(); ++r)
            categories.push_back({static_cast<Real>(rectangle.rows[r] - result.firstRow + 1), rectangle.cell(r, 0),
                                  rectangle.cell(r, 1)});
    } else {
        return;
    }

    Real n = 0;
    Real counting = 0;
    Real other = 0;
    Real scoreSum = 0;
    Real countingScoreSum = 0;
    Real otherScoreSum = 0;
    for (const Category& k : categories) {
        n += k.counting + k.other;
        counting += k.counting;
        other += k.other;
        scoreSum += k.score * (k.counting + k.other);
        countingScoreSum += k.score * k.counting;
        otherScoreSum += k.score * k.other;
    }
    const Real mean = scoreSum / n;
    Real spread = 0;
    for (const Category& k : categories) {
        const Real d = k.score - mean;
        spread += (k.counting + k.other) * d * d;
    }
    const Real difference = countingScoreSum / counting - otherScoreSum / other;
    result.trendChiSquare = counting * (other / spread) * difference * difference;
    result.trendP = numeric::ChiSquareProbability(1, result.trendChiSquare);
}

constexpr int TitleWidth = 15;

void writeTotalsHeader(ResultsBuffer& out, const char* category)
{
    WriteTableHeader(out, {{1, TitleWidth, {category}}, {18, 10, {"Total"}}, {30, 10, {"Percent"}, 8}});
}

void writeTotalsLine(ResultsBuffer& out, std::string_view label, Real total, Real percent)
{
    out.PadToColumn(1);
    out.Append(TitleCell(label));
    out.PadToColumn(18);
    out.AppendNumberInWidth(10, 0, total);
    out.PadToColumn(30);
    out.AppendNumberInWidth(7, 2, percent);
    out.Append("%");
    out.NewLine();
}

void writeTotalsEnd(ResultsBuffer& out, Real total)
{
    out.PadToColumn(1);
    out.AppendDashRule(TitleWidth);
    out.PadToColumn(18);
    out.AppendDashRule(10);
    out.PadToColumn(30);
    out.AppendDashRule(8);
    out.NewLine();
    writeTotalsLine(out, "Total", total, 100);
}

void writeTotalsTables(ResultsBuffer& out, const LargerTableResult& result)
{
    writeTotalsHeader(out, "Row");
    for (std::size_t r = 0; r < result.rowTotals.size(); ++r)
        writeTotalsLine(out, std::to_string(result.firstRow + static_cast<int>(r) + 1), result.rowTotals[r],
                        100 * result.rowTotals[r] / result.total);
    writeTotalsEnd(out, result.total);
    out.NewLine();
    // Every used column has a positive total here: a column of zeros stops
    // the analysis first.
    writeTotalsHeader(out, "Column");
    for (std::size_t c = 0; c < result.columnTotals.size(); ++c)
        writeTotalsLine(out, result.columnTitles[c], result.columnTotals[c],
                        100 * result.columnTotals[c] / result.total);
    writeTotalsEnd(out, result.total);
    out.NewLine();
}

void writeInvalidNote(ResultsBuffer& out)
{
    out.AppendLine("  Chi-square calculations are only valid when all expected");
    out.AppendLine("values are greater than 1.0 and at least 80% of the expected");
    out.AppendLine("values are greater than 5.  These conditions have not been");
    out.AppendLine("met, and thus the chi-square calculations are not valid.  To");
    out.AppendLine("avoid this problem, combine two or more rows or columns.");
}

void writeTrend(ResultsBuffer& out, const LargerTableResult& result)
{
    const bool columns = result.trend == TrendCategories::Columns;
    out.NewLine();
    WriteReportTitle(out, "Chi-Squared Test for Trend.");
    out.AppendLine("Note: This analysis is useful only if the categories defining the");
    if (columns) {
        out.AppendLine("columns are arranged in a natural order (i.e. age groups, dose");
        out.AppendLine("or time), with equal spacing between columns.");
    } else {
        out.AppendLine("rows are arranged in a natural order (i.e. age groups, dose");
        out.AppendLine("or time), with equal spacing between rows.");
    }
    out.NewLine();
    out.Append("Chi-squared for trend = ");
    out.AppendNumber(-5, result.trendChiSquare);
    out.AppendLine(" (1 degree of freedom)");
    WritePValueSentence(out, 0, false, result.trendP);
    out.AppendLine(result.trendP < 0.05L ? "There is a significant linear trend among the ordered categories"
                                         : "There is not a significant linear trend among the ordered categories");
    out.AppendLine(columns ? "defining the columns and the proportion of subjects in the top row."
                           : "defining the rows and the proportion of subjects in the left column.");
}

}  // namespace

LargerTableResult ComputeLargerTable(const DataTable& table)
{
    LargerTableResult result;
    Rectangle rectangle;
    result.errorCode = readRectangle(table, rectangle);
    if (result.errorCode == error_code::None)
        result.errorCode = checkCounts(rectangle, result);
    if (result.errorCode != error_code::None)
        return result;
    result.rows = static_cast<int>(rectangle.rows.size());
    result.columns = static_cast<int>(rectangle.columns.size());
    for (const int c : rectangle.columns)
        result.columnTitles.push_back(table.column(c).title);
    testIndependence(rectangle, result);
    testTrend(rectangle, result);
    return result;
}

int WriteLargerTableReport(ResultsBuffer& out, const LargerTableResult& result)
{
    if (result.errorCode != error_code::None)
        return result.errorCode;
    std::unique_ptr<ResultsBuffer> totals = ScratchBuffer();
    if (!totals)
        return error_code::OutOfMemory;
    writeTotalsTables(*totals, result);

    WriteReportTitle(out, "Chi-squared Test for Independence");
    out.NewLine();
    out.Append("Chi-square: ");
    out.AppendNumber(-5, result.chiSquare);
    out.NewLine();
    out.Append("Degrees of Freedom: ");
    out.AppendInteger(result.degreesOfFreedom);
    out.NewLine();
    out.NewLine();
    out.Append("Table size: ");
    out.AppendInteger(result.rows);
    out.Append(" rows, ");
    out.AppendInteger(result.columns);
    out.AppendLine(" columns.");
    WriteContingencyPSentence(out, 0, false, result.p);
    out.AppendLine(result.p < 0.05L ? "The row and column variables are significantly associated."
                                    : "The row and column variables are not significantly associated.");
    out.NewLine();
    if (!result.valid)
        writeInvalidNote(out);
    if (result.trend != TrendCategories::None)
        writeTrend(out, result);

    out.NewLine();
    WriteReportTitle(out, "Summary of Data");
    out.NewLine();
    AppendBuffer(out, *totals);
    return error_code::None;
}

int LargerTableAnalysis(const DataTable& table, ResultsBuffer& out)
{
    return WriteLargerTableReport(out, ComputeLargerTable(table));
}

}  // namespace ombrix::analyses
