#include "analyses/analyses.h"

// Analyses whose families are still to be written report so in their place.
namespace ombrix::analyses {

namespace {

int notAvailableYet(ResultsBuffer& out)
{
    out.AppendLine("This analysis is not available yet.");
    out.MarkNoResult();
    return 0;
}

}  // namespace

int TwoByTwoAnalysis(const TwoByTwoInput&, ResultsBuffer& out)
{
    return notAvailableYet(out);
}

int LargerTableAnalysis(const DataTable&, ResultsBuffer& out)
{
    return notAvailableYet(out);
}

int LinearRegression(const DataTable&, const LinearRegressionInput&, RegressionForGraph& line, ResultsBuffer& out)
{
    line.reset();
    return notAvailableYet(out);
}

int MultipleRegressionAnalysis(const DataTable&, const MultipleRegressionInput&, ResultsBuffer& out)
{
    return notAvailableYet(out);
}

}  // namespace ombrix::analyses
