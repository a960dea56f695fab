#pragma once

#include "analyses/progress_reporter.h"
#include "analyses/results_buffer.h"
#include "core/data_table.h"
#include "core/real.h"

// The Wilcoxon signed rank test of one column, the Wilcoxon matched pairs
// test and the Mann-Whitney test, called by the one- and two-column
// dispatch of the t tests. They read raw columns only and set the table's
// analysis error code on data that do not allow the test.
namespace ombrix::analyses {

using core::DataTable;

void WriteWilcoxonOneSampleReport(DataTable& table, int column, const core::ColumnRecord& summary,
                                  Real hypotheticalMedian, bool twoSided, ResultsBuffer& out,
                                  ProgressReporter& progress);

// paired: Wilcoxon matched pairs; otherwise Mann-Whitney.
void WriteRankTwoColumnReport(DataTable& table, int first, int second, const core::ColumnRecord& firstSummary,
                              const core::ColumnRecord& secondSummary, bool paired, bool twoSided,
                              ResultsBuffer& out, ProgressReporter& progress);

}  // namespace ombrix::analyses
