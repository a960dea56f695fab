#pragma once

#include "analyses/progress_reporter.h"
#include "analyses/results_buffer.h"
#include "core/data_table.h"
#include "core/real.h"

// Pearson and Spearman correlation: the XY reports and the computations the
// paired tests use on two columns.
namespace ombrix::analyses {

using core::DataTable;

struct PearsonResult {
    int n = 0;
    Real r = MissingValue;
    Real r2 = MissingValue;
    Real se = MissingValue;
    Real lower = MissingValue;
    Real upper = MissingValue;
    Real p = MissingValue;  // two-tailed
};

// Exactness of the Spearman P value.
enum class SpearmanExactness { Cancelled = 0, Exact = 1, TooLong = 2 };

struct SpearmanResult {
    int n = 0;
    Real rs = MissingValue;
    Real rs2 = MissingValue;
    Real se = MissingValue;
    Real lower = MissingValue;
    Real upper = MissingValue;
    bool ties = false;
    Real p = MissingValue;  // two-tailed; negative when the user cancelled during data collection
    SpearmanExactness exactness = SpearmanExactness::Exact;
};

// Pairs row by row between column x and column y of the table (read with
// GetAnalysisValue); a pair needs both cells. Sets the table's analysis error
// code where the data do not allow the computation.
PearsonResult ComputePearson(DataTable& table, int xColumn, int yColumn);
SpearmanResult ComputeSpearman(DataTable& table, int xColumn, int yColumn, ProgressReporter& progress);

}  // namespace ombrix::analyses
