#pragma once

#include <string>
#include <vector>

#include "analyses/analysis_inputs.h"
#include "analyses/error_codes.h"

// The chi-square test of independence over a contingency table of counts with
// any number of rows and columns, the chi-square test for trend when the table
// has two rows or two columns, and the row and column totals.
// LargerTableAnalysis (declared in analyses.h) lives here.
namespace ombrix::analyses {

// Which categories the trend test orders: the columns of a table of two rows
// (a subject counts in the top row), the rows of a table of two columns (it
// counts in the left column), or none.
enum class TrendCategories { None, Columns, Rows };

struct LargerTableResult {
    // 34 not rectangular, 46 no data, 30 fractions, 31 negative counts, 32 a
    // row of zeros, 33 a column of zeros; when not 0 nothing else is set.
    int errorCode = error_code::None;
    // The rows from the first to the last with data, rows without data
    // included with total 0; firstRow is 0-based.
    int firstRow = 0;
    std::vector<Real> rowTotals;
    // The used columns (those of the first row with data), in table order.
    std::vector<std::string> columnTitles;
    std::vector<Real> columnTotals;
    int rows = 0;  // rows with data
    int columns = 0;
    Real total = 0;
    Real chiSquare = 0;
    int degreesOfFreedom = 0;
    // The chi-square upper tail at any size: ChiSquareProbability's 0 above
    // 1000 is not taken over (see testIndependence).
    Real p = 1;
    // Every expected value above 1 and fewer than a fifth of them at most 5.
    bool valid = true;
    TrendCategories trend = TrendCategories::None;
    Real trendChiSquare = 0;
    Real trendP = 1;
};

// Reads the table with GetAnalysisValue. The first row holding any value
// fixes the used columns; every later row holding any value must fill exactly
// those (else 34). Blank rows anywhere are skipped. Counts must be whole and
// not negative; every used column and every row with data must have a
// positive total. A single row or column has no association to measure: its
// expected values are the counts themselves, so chi-square is 0 with 0
// degrees of freedom and P is 1.
LargerTableResult ComputeLargerTable(const DataTable& table);

// The report of a computed table; returns the result's error code, or 10
// when the buffer of the totals tables cannot be had.
int WriteLargerTableReport(ResultsBuffer& out, const LargerTableResult& result);

}  // namespace ombrix::analyses
