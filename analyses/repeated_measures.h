#pragma once

#include <vector>

#include "analyses/analysis_inputs.h"

// Repeated-measures (randomized block) one-way ANOVA over matched columns of
// raw data: every row is one subject measured under every column.
namespace ombrix::analyses {

// The data block of matched columns: the first row holding any value fixes
// its columns (logical, in order), and every later row holding any value must
// fill exactly those. Empty rows are skipped wherever they lie. The block's
// values are gathered row by row. Returns 15 when the block is incomplete.
int findDataBlock(const DataTable& table, std::vector<int>& columns, std::vector<Real>& values);

// The report over the analysed columns (the table's column map), with the
// chosen post test in its repeated-measures variant. Returns the analysis
// error code: 15 when a value is missing inside the data block, 11 with fewer
// than two rows or columns, 13 when every column's SD is 0, 10 out of memory.
int RepeatedMeasuresAnova(const DataTable& table, const MultiColumnTestInput& input, ResultsBuffer& out);

}  // namespace ombrix::analyses
