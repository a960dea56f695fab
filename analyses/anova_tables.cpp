#include "analyses/anova_tables.h"

#include "analyses/column_tables.h"

namespace ombrix::analyses {

void WriteAnovaTable(ResultsBuffer& out, AnovaTableLayout layout, std::span<const AnovaTableRow> sources, int dfTotal,
                     Real ssTotal)
{
    const bool ordinary = layout == AnovaTableLayout::Ordinary;
    const int columns[4] = {1, ordinary ? 31 : 30, ordinary ? 43 : 42, ordinary ? 53 : 52};
    const int sourceRule = ordinary ? 28 : 25;
    WriteTableHeader(out, {{columns[0], 25, {"Source of", "variation"}, sourceRule},
                           {columns[1], 10, {"Degrees of", "freedom"}},
                           {columns[2], 8, {"Sum of", "squares"}},
                           {columns[3], 8, {"Mean", "square"}}});
    for (const AnovaTableRow& row : sources) {
        out.PadToColumn(columns[0]);
        out.Append(row.source);
        out.PadToColumn(columns[1]);
        out.AppendIntegerInWidth(10, row.df);
        out.PadToColumn(columns[2]);
        out.AppendNumberInWidth(8, -5, row.ss);
        out.PadToColumn(columns[3]);
        out.AppendNumberInWidth(8, -5, row.ms);
        out.NewLine();
    }
    out.PadToColumn(columns[0]);
    out.AppendDashRule(sourceRule);
    out.PadToColumn(columns[1]);
    out.AppendDashRule(10);
    out.PadToColumn(columns[2]);
    out.AppendDashRule(8);
    out.NewLine();
    out.PadToColumn(columns[0]);
    out.Append(ordinary ? "Total     " : "Total");
    out.PadToColumn(columns[1]);
    out.AppendIntegerInWidth(10, dfTotal);
    out.PadToColumn(columns[2]);
    out.AppendNumberInWidth(8, -5, ssTotal);
    out.NewLine();
}

}  // namespace ombrix::analyses
