#pragma once

#include <vector>

#include "analyses/results_buffer.h"
#include "core/data_table.h"

// The column statistics tables that the t tests, rank tests and ANOVAs print.
namespace ombrix::analyses {

// One cell of a table header: its words, one per header line counted from
// the top (short headers sit on the lowest lines, next to the rule), the
// column it starts at, the width its words are centred in, and the width of
// the '=' rule under it (the same width when negative).
struct HeaderCell {
    int column;
    int width;
    std::vector<const char*> lines;  // empty entries leave that line blank
    int ruleWidth = -1;
};

// The header lines in bold, then the rule under every cell.
void WriteTableHeader(ResultsBuffer& out, const std::vector<HeaderCell>& cells);

// A title in a table's 15-character first column: cut to the field and
// right-justified, so the columns after it stay in place (sentences carry
// the whole title).
std::string TitleCell(std::string_view title);

struct ColumnSummary {
    core::ColumnRecord record;
    bool meanEntry = false;  // typed summary values: no median, extremes or normality
};

// Group, N, mean, SD, SEM and median; then, below it, minimum, maximum and the
// 95% confidence interval. Returns false (nothing written) when the second
// table's buffer cannot be had.
bool WriteColumnSummaryTable(ResultsBuffer& out, const std::vector<ColumnSummary>& columns);
void WriteNormalityTable(ResultsBuffer& out, const std::vector<ColumnSummary>& columns);
void WriteNonparametricSummaryTable(ResultsBuffer& out, const std::vector<ColumnSummary>& columns);
// Up to three columns side by side; the second is shown when its N is not 0,
// the third only when all three are given.
void WriteParameterBlock(ResultsBuffer& out, const core::ColumnRecord* first, const core::ColumnRecord* second,
                         const core::ColumnRecord* third);

}  // namespace ombrix::analyses
