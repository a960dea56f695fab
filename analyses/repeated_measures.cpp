#include "analyses/repeated_measures.h"

namespace ombrix::analyses {

int RepeatedMeasuresAnova(const DataTable&, const MultiColumnTestInput&, ResultsBuffer& out)
{
    out.AppendLine("This analysis is not available yet.");
    out.MarkNoResult();
    return 0;
}

}  // namespace ombrix::analyses
