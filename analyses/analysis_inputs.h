#pragma once

#include <array>

#include "analyses/progress_reporter.h"
#include "analyses/results_buffer.h"
#include "core/analysis_choices.h"
#include "core/data_table.h"
#include "core/real.h"

// What each analysis receives from the dispatcher. Every analysis appends its
// report to the buffer it is given and leaves a non-zero analysis error code
// in the table when the data do not allow it.
namespace ombrix::analyses {

using core::ColumnRecord;
using core::DataTable;

// Raw column index, or -1 when the column holds typed summary values (the
// record then carries everything the test reads).
struct ColumnInput {
    int rawColumn = -1;
    ColumnRecord record;
};

struct OneColumnTestInput {
    ColumnInput column;
    Real hypotheticalValue = 0;
    bool twoSided = true;
    bool nonParametric = false;
};

struct TwoColumnTestInput {
    ColumnInput first;
    ColumnInput second;
    bool unpaired = true;
    bool twoSided = true;
    bool nonParametric = false;
    bool equalSD = true;
};

// The analysis builds the column map over the selected columns with data
// and reads logical columns 0..count-1.
struct MultiColumnTestInput {
    bool nonParametric = false;
    bool ordinary = true;
    int postTestMethod = 1;  // the effective method
    int postTestState = 2;
    int controlColumn = 0;   // position among the analysed columns
    bool selectedPairsOnly = false;
    std::array<bool, core::SelectedPairCount> selectedPairs{};
};

struct TwoByTwoInput {
    std::array<Real, 4> counts{};          // A, B, C, D
    std::array<std::string, 4> titles;     // row 1, row 2, column 1, column 2
    bool twoSided = true;
    bool proportions = true;
    bool oddsRatio = false;
    bool relativeRisk = true;
    bool sensitivity = false;
    bool chiSquare = false;
    bool yates = true;
    bool fisher = true;
};

// Values the last regression leaves for the graph; slot 0 blank means no line.
using RegressionSlots = std::array<Real, 9>;

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
