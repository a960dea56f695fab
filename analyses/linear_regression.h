#pragma once

#include <vector>

#include "analyses/analysis_inputs.h"
#include "analyses/results_buffer.h"
#include "core/real.h"

// Simple linear regression of XY data (column 0 holds X, the other columns
// replicate Y values), ordinary or forced through a point, with the runs
// test, the test of linearity against the scatter of replicates, and the
// standard curve that reads unknowns off the line.
namespace ombrix::analyses {

struct RunsTest {
    int above = 0;
    int below = 0;
    int runs = 0;
    Real p = 1;  // one-sided: at most this many runs
};

// The probability of at most `runs` runs among `above` points above and
// `below` points below a line, all orders equally likely (above, below >= 1).
// Computed from log-binomials, so it has no size limit.
Real runsProbability(int above, int below, int runs);

struct StandardCurvePoint {
    Real x = 0;  // MissingValue when the line cannot give it (slope 0)
    Real y = 0;
    bool outside = false;  // X beyond the standards' range
};

struct RowSummary {
    int row = 0;  // 0-based
    Real x = 0;
    Real meanY = 0;
    int count = 0;
    Real sd = 0;
};

struct LinearRegressionResult {
    int errorCode = 0;  // 36, 37 or 38
    bool forced = false;
    int n = 0;
    int rowsWithData = 0;
    int replicates = 0;  // the most Y values of a row
    Real meanX = 0;
    Real meanY = 0;
    Real sxx = 0;  // about the mean, or about X0 when forced
    Real slope = 0;
    Real intercept = 0;
    Real seSlope = 0;
    Real seIntercept = 0;
    Real slopeLower = 0, slopeUpper = 0;
    Real interceptLower = 0, interceptUpper = 0;
    Real xIntercept = MissingValue;  // MissingValue for a slope of 0
    Real ssReg = 0, ssRes = 0, ssTot = 0;
    int dfRes = 0;
    Real syx = 0;
    Real rSquared = 0;
    Real r = 0;
    Real f = 0;  // ordinary fit
    Real t = 0;  // forced fit
    Real p = 0;
    bool perfect = false;
    // Deviations of the row means from the line against the scatter within rows.
    bool linearity = false;
    Real ssDeviation = 0, ssWithin = 0;
    int dfDeviation = 0, dfWithin = 0;
    Real fLinearity = 0, pLinearity = 0;
    bool runsTested = false;
    RunsTest runs;
    std::vector<StandardCurvePoint> unknowns;
    std::vector<RowSummary> rows;  // rows with data, unshifted values
};

LinearRegressionResult computeLinearRegression(const DataTable& table, const LinearRegressionInput& input);

void WriteLinearRegressionText(const LinearRegressionResult& result, const LinearRegressionInput& input,
                               ResultsBuffer& out);

}  // namespace ombrix::analyses
