#pragma once

#include "analyses/analysis_inputs.h"

// The entry points the dispatcher calls, one per analysis family.
namespace ombrix::analyses {

void OneColumnTest(DataTable& table, const OneColumnTestInput& input, ResultsBuffer& out, ProgressReporter& progress);
void TwoColumnTest(DataTable& table, const TwoColumnTestInput& input, ResultsBuffer& out, ProgressReporter& progress);
void MultiColumnTest(DataTable& table, const MultiColumnTestInput& input, ResultsBuffer& out,
                     ProgressReporter& progress);
void TwoByTwoAnalysis(DataTable& table, const TwoByTwoInput& input, ResultsBuffer& out);
void LargerTableAnalysis(DataTable& table, ResultsBuffer& out);
// Returns non-zero when no line could be fitted.
int LinearRegression(DataTable& table, const LinearRegressionInput& input, RegressionSlots& slots, ResultsBuffer& out);
void PearsonCorrelation(DataTable& table, ResultsBuffer& out);
void SpearmanCorrelation(DataTable& table, ResultsBuffer& out, ProgressReporter& progress);
void MultipleRegressionAnalysis(DataTable& table, const MultipleRegressionInput& input, ResultsBuffer& out);

}  // namespace ombrix::analyses
