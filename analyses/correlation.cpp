#include "analyses/correlation.h"

#include "analyses/analyses.h"

namespace ombrix::analyses {

PearsonResult ComputePearson(DataTable&, int, int)
{
    return {};
}

SpearmanResult ComputeSpearman(DataTable&, int, int, ProgressReporter&)
{
    return {};
}

void PearsonCorrelation(DataTable&, ResultsBuffer& out)
{
    out.AppendLine("This analysis is not available yet.");
}

void SpearmanCorrelation(DataTable&, ResultsBuffer& out, ProgressReporter&)
{
    out.AppendLine("This analysis is not available yet.");
}

}  // namespace ombrix::analyses
