#pragma once

#include "analyses/analysis_inputs.h"

// The entry points the dispatcher calls, one per analysis family. Each reads
// the table it is given and nothing else, appends its report and returns its
// analysis error code (0: the report stands).
namespace ombrix::analyses {

int OneColumnTest(const DataTable& table, const OneColumnTestInput& input, ResultsBuffer& out,
                  ProgressReporter& progress);
int TwoColumnTest(const DataTable& table, const TwoColumnTestInput& input, ResultsBuffer& out,
                  ProgressReporter& progress);
int MultiColumnTest(const DataTable& table, const MultiColumnTestInput& input, ResultsBuffer& out,
                    ProgressReporter& progress);
int TwoByTwoAnalysis(const TwoByTwoInput& input, ResultsBuffer& out);
int LargerTableAnalysis(const DataTable& table, ResultsBuffer& out);
// line is the fitted line for the graph, left empty when none was fitted.
int LinearRegression(const DataTable& table, const LinearRegressionInput& input, RegressionForGraph& line,
                     ResultsBuffer& out);
int PearsonCorrelation(const DataTable& table, ResultsBuffer& out);
int SpearmanCorrelation(const DataTable& table, ResultsBuffer& out, ProgressReporter& progress);
int MultipleRegressionAnalysis(const DataTable& table, const MultipleRegressionInput& input, ResultsBuffer& out);

}  // namespace ombrix::analyses
