#include "analyses/rank_tests.h"

namespace ombrix::analyses {

void WriteWilcoxonOneSampleReport(DataTable&, int, const core::ColumnRecord&, Real, bool, ResultsBuffer& out,
                                  ProgressReporter&)
{
    out.AppendLine("This analysis is not available yet.");
}

void WriteRankTwoColumnReport(DataTable&, int, int, const core::ColumnRecord&, const core::ColumnRecord&, bool, bool,
                              ResultsBuffer& out, ProgressReporter&)
{
    out.AppendLine("This analysis is not available yet.");
}

}  // namespace ombrix::analyses
