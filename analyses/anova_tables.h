#pragma once

#include <span>
#include <string_view>

#include "analyses/results_buffer.h"
#include "core/real.h"

// The ANOVA tables that the one-way, repeated-measures and linear-trend
// reports share: one line per source of variation with its degrees of
// freedom, sum of squares and mean square, then the total.
namespace ombrix::analyses {

// The sums of squares and degrees of freedom of an ANOVA, which its table
// shows and the test for linear trend divides into a linear and a nonlinear
// part. The individual (between rows) row is the repeated-measures design's
// only.
struct AnovaSums {
    Real ssTreatment = 0;
    Real ssResidual = 0;
    Real ssTotal = 0;
    Real ssIndividual = 0;
    int dfTreatment = 0;
    int dfResidual = 0;
    int dfTotal = 0;
    int dfIndividual = 0;
    Real msResidual = 0;
};

// Ordinary (one-way ANOVA and its trend test): columns at 1, 31, 43 and 53,
// the total labelled "Total     ". Repeated measures: columns at 1, 30, 42
// and 52, the total labelled "Total".
enum class AnovaTableLayout { Ordinary, RepeatedMeasures };

struct AnovaTableRow {
    std::string_view source;  // e.g. "Treatments (between columns)"
    int df = 0;
    Real ss = 0;
    Real ms = 0;
};

// The header, one line per source, a dashed rule under the first three
// columns and the total line (df and SS, no mean square).
void WriteAnovaTable(ResultsBuffer& out, AnovaTableLayout layout, std::span<const AnovaTableRow> sources, int dfTotal,
                     Real ssTotal);

}  // namespace ombrix::analyses
