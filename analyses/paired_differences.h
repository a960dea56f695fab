#pragma once

#include <vector>

#include "core/data_table.h"
#include "core/real.h"

// The differences of two paired columns, as both paired tests use them.
namespace ombrix::analyses {

struct PairedDifferences {
    // first − second for every row that holds both values, in row order.
    std::vector<Real> values;
    // Their statistics, titled "Difference". When the differences agree up to
    // the rounding of their subtraction, SD and SEM are 0 and both limits
    // equal the mean.
    core::ColumnRecord summary;
    // Rows read: 0 to the table's last used row.
    int rows = 0;

    bool allEqual() const { return summary.sd == 0; }
};

// Reads both columns with GetAnalysisValue.
PairedDifferences pairedDifferences(const core::DataTable& table, int first, int second);

}  // namespace ombrix::analyses
