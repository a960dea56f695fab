#pragma once

#include <vector>

#include "analyses/analysis_inputs.h"
#include "analyses/results_buffer.h"
#include "core/data_table.h"
#include "core/real.h"

// Multiple linear regression Y = b0 + b1 X1 + ... + bk Xk by least squares
// over the rows where every chosen column holds a value, and the matrix of
// correlation coefficients among the chosen columns.
namespace ombrix::analyses {

using core::DataTable;

// Why no fit was made; each has its own message report.
enum class FitProblem { None, TooFewRows, NotPossible };

struct MultipleRegressionResult {
    FitProblem problem = FitProblem::None;
    bool regression = true;  // false: the correlation matrix only
    int dependentColumn = 0;
    std::vector<int> xColumns;

    int n = 0;  // used rows
    int k = 0;  // X variables
    int df = 0;
    int rowsWithMissing = 0;

    // Index 0 is the intercept, i the i-th X. The standard error, and with it
    // the limits and the t ratio, is 0 for a perfect fit.
    std::vector<Real> coefficients;
    std::vector<Real> standardErrors;
    std::vector<Real> lower;
    std::vector<Real> upper;
    std::vector<Real> tRatios;
    std::vector<Real> tP;
    // Variance inflation of each X: 1 / (1 - R² of that X on the others).
    std::vector<Real> vif;

    Real ssResidual = 0;
    Real sdResidual = 0;
    Real r2 = 0;
    Real adjustedR2 = 0;
    Real multipleR = 0;
    // MissingValue for a perfect fit.
    Real f = MissingValue;
    Real fP = MissingValue;
    // The residuals vanish to working precision (or Y is constant): R² is 1.
    bool perfectFit = false;

    // correlations[i][j] between the i-th and j-th X, withY[i] between the
    // i-th X and Y (regression only); MissingValue beside a constant column.
    std::vector<std::vector<Real>> correlations;
    std::vector<Real> withY;
};

// The fit or the matrix for the choices in input. The X columns are the
// chosen columns with data other than Y; the caller has already made sure
// there are enough of them. Raises no floating-point flag on any data whose
// squares are finite.
MultipleRegressionResult ComputeMultipleRegression(const DataTable& table, const MultipleRegressionInput& input);

// The report of a result, or its message report when no fit was made.
void WriteMultipleRegressionReport(const DataTable& table, const MultipleRegressionResult& result, ResultsBuffer& out);

}  // namespace ombrix::analyses
