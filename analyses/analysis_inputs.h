#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "analyses/progress_reporter.h"
#include "analyses/results_buffer.h"
#include "core/analysis_choices.h"
#include "core/data_table.h"
#include "core/real.h"

// What each analysis receives from the dispatcher besides the table it reads,
// and what the linear regression leaves for the graph.
namespace ombrix::analyses {

using core::ColumnRecord;
using core::DataTable;

enum class Tails { One, Two };
enum class Pairing { Paired, Unpaired };
enum class Variances { Equal, Welch };

// Raw column index, or -1 when the column holds typed summary values (the
// record then carries everything the test reads).
struct ColumnInput {
    int rawColumn = -1;
    ColumnRecord record;
};

struct OneColumnTestInput {
    ColumnInput column;
    Real hypotheticalValue = 0;
    Tails tails = Tails::Two;
    bool nonParametric = false;
};

struct TwoColumnTestInput {
    ColumnInput first;
    ColumnInput second;
    Pairing pairing = Pairing::Unpaired;
    Tails tails = Tails::Two;
    bool nonParametric = false;
    Variances variances = Variances::Equal;  // unpaired t test: Welch's correction or not
};

// The table comes with its column map built over the selected columns with
// data; the analysis reads logical columns 0..count-1.
struct MultiColumnTestInput {
    bool nonParametric = false;
    bool ordinary = true;
    core::PostTestMethod postTestMethod = core::PostTestMethod::Tukey;  // the effective method
    core::PostTestState postTestState = core::PostTestState::OnlyIfSignificant;
    int controlColumn = 0;  // position among the analysed columns
    bool selectedPairsOnly = false;
    std::array<bool, core::SelectedPairCount> selectedPairs{};
};

struct TwoByTwoInput {
    std::array<Real, 4> counts{};       // A, B, C, D
    std::array<std::string, 4> titles;  // row 1, row 2, column 1, column 2
    core::TwoByTwoTest test = core::TwoByTwoTest::Fisher;
    Tails tails = Tails::Two;
    bool yates = true;  // chi-square only
    // What the report computes besides the test.
    bool proportions = true;
    bool oddsRatio = false;
    bool relativeRisk = true;
    bool sensitivity = false;
};

// The fitted line of the last linear regression, as the graph draws it with
// its confidence band.
struct RegressionLine {
    Real slope = 0;
    Real slopeLower = 0;  // 95% limits of the slope
    Real slopeUpper = 0;
    Real intercept = 0;
    Real syx = 0;  // SD of the residuals
    Real rSquared = 0;
    Real meanX = 0;
    std::int32_t n = 0;  // points fitted
    Real sxx = 0;        // sum of squared deviations of X
};

// Empty when the last calculation fitted no line: the graph draws none.
using RegressionForGraph = std::optional<RegressionLine>;

struct LinearRegressionInput {
    bool runsTest = false;
    bool forceThroughPoint = false;
    bool standardCurve = true;
    Real forceX = 0;
    Real forceY = 0;
};

struct MultipleRegressionInput {
    bool multipleRegression = true;  // false: correlation matrix
    int dependentColumn = 0;
    std::array<bool, core::TableColumns> independentColumns{};
};

}  // namespace ombrix::analyses
