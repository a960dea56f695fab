#include "analyses/t_tests.h"

#include "analyses/analyses.h"

namespace ombrix::analyses {

void OneColumnTest(DataTable&, const OneColumnTestInput&, ResultsBuffer& out, ProgressReporter&)
{
    out.AppendLine("This analysis is not available yet.");
}

void TwoColumnTest(DataTable&, const TwoColumnTestInput&, ResultsBuffer& out, ProgressReporter&)
{
    out.AppendLine("This analysis is not available yet.");
}

}  // namespace ombrix::analyses
