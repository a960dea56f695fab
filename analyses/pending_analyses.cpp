#include "analyses/analyses.h"

// Analyses whose families are still to be written report so in their place.
namespace ombrix::analyses {

int WriteNotAvailableYet(ResultsBuffer& out)
{
    out.AppendLine("This analysis is not available yet.");
    out.MarkNoResult();
    return 0;
}

int LinearRegression(const DataTable&, const LinearRegressionInput&, RegressionForGraph& line, ResultsBuffer& out)
{
    line.reset();
    return WriteNotAvailableYet(out);
}

}  // namespace ombrix::analyses
