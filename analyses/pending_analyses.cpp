#include "analyses/analyses.h"

// Analyses whose families are still to be written report so in their place.
namespace ombrix::analyses {

namespace {

void notAvailableYet(ResultsBuffer& out)
{
    out.AppendLine("This analysis is not available yet.");
    out.MarkNoResult();
}

}  // namespace

void MultiColumnTest(DataTable&, const MultiColumnTestInput&, ResultsBuffer& out, ProgressReporter&)
{
    notAvailableYet(out);
}

void TwoByTwoAnalysis(DataTable&, const TwoByTwoInput&, ResultsBuffer& out)
{
    notAvailableYet(out);
}

void LargerTableAnalysis(DataTable&, ResultsBuffer& out)
{
    notAvailableYet(out);
}

int LinearRegression(DataTable&, const LinearRegressionInput&, RegressionSlots&, ResultsBuffer& out)
{
    notAvailableYet(out);
    return 1;
}

void MultipleRegressionAnalysis(DataTable&, const MultipleRegressionInput&, ResultsBuffer& out)
{
    notAvailableYet(out);
}

}  // namespace ombrix::analyses
