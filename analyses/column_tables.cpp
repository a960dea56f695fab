#include "analyses/column_tables.h"

#include <string>

#include "analyses/report_chars.h"
#include "analyses/report_writers.h"

namespace ombrix::analyses {

namespace {

constexpr int TitleWidth = 15;

void writeTitle(ResultsBuffer& out, const core::ColumnRecord& record)
{
    out.PadToColumn(1);
    out.Append(TitleCell(record.title));
}

}  // namespace

std::string TitleCell(std::string_view title)
{
    return RightJustify(reportColumns(title, 0, TitleWidth), TitleWidth);
}

void WriteTableHeader(ResultsBuffer& out, const std::vector<HeaderCell>& cells)
{
    size_t lineCount = 0;
    for (const HeaderCell& cell : cells)
        lineCount = std::max(lineCount, cell.lines.size());
    for (size_t line = 0; line < lineCount; ++line) {
        out.ToggleBold();
        for (const HeaderCell& cell : cells) {
            // Short headers sit on the lowest lines, next to the rule.
            const size_t offset = lineCount - cell.lines.size();
            if (line < offset || !cell.lines[line - offset] || !*cell.lines[line - offset])
                continue;
            out.PadToColumn(cell.column);
            out.Append(CenterText(cell.lines[line - offset], cell.width));
        }
        out.ToggleBold();
        out.NewLine();
    }
    for (const HeaderCell& cell : cells) {
        out.PadToColumn(cell.column);
        out.AppendRule(cell.ruleWidth < 0 ? cell.width : cell.ruleWidth);
    }
    out.NewLine();
}

bool WriteColumnSummaryTable(ResultsBuffer& out, const std::vector<ColumnSummary>& columns)
{
    std::unique_ptr<ResultsBuffer> second = ScratchBuffer();
    if (!second)
        return false;

    WriteTableHeader(out, {{1, 15, {"Group"}},
                           {17, 6, {"Number", "of", "Points"}},
                           {26, 8, {"Mean"}},
                           {35, 9, {"Standard", "Deviation"}},
                           {46, 8, {"Standard", "Error of", "Mean"}},
                           {56, 8, {"Median"}}});
    for (const ColumnSummary& column : columns) {
        const core::ColumnRecord& r = column.record;
        writeTitle(out, r);
        out.PadToColumn(17);
        out.AppendIntegerInWidth(5, r.n);
        out.PadToColumn(26);
        out.AppendNumberInWidth(8, -5, r.mean);
        out.PadToColumn(35);
        out.AppendNumberInWidth(8, -5, r.sd);
        out.PadToColumn(46);
        out.AppendNumberInWidth(8, -5, r.sem);
        out.PadToColumn(56);
        AppendValueOrUnknown(out, 8, r.median);
        out.NewLine();
    }

    second->NewLine();
    second->PadToColumn(35);
    second->ToggleBold();
    second->Append("95% Confidence Interval");
    second->ToggleBold();
    second->NewLine();
    WriteTableHeader(
        *second,
        {{1, 15, {"Group"}}, {17, 8, {"Minimum"}}, {26, 8, {"Maximum"}}, {35, 10, {"From"}}, {46, 10, {"To"}}});
    for (const ColumnSummary& column : columns) {
        const core::ColumnRecord& r = column.record;
        writeTitle(*second, r);
        second->PadToColumn(17);
        AppendValueOrUnknown(*second, 8, r.minimum);
        second->PadToColumn(26);
        AppendValueOrUnknown(*second, 8, r.maximum);
        second->PadToColumn(35);
        second->AppendNumberInWidth(10, -5, r.lower95);
        second->PadToColumn(46);
        second->AppendNumberInWidth(10, -5, r.upper95);
        second->NewLine();
    }
    AppendBuffer(out, *second);
    return true;
}

void WriteNormalityTable(ResultsBuffer& out, const std::vector<ColumnSummary>& columns)
{
    out.NewLine();
    WriteTableHeader(out,
                     {{1, 15, {"Group"}}, {17, 6, {"KS"}}, {26, 8, {"P Value"}}, {35, 23, {"Passed normality test?"}}});
    for (const ColumnSummary& column : columns) {
        const core::ColumnRecord& r = column.record;
        if (r.n <= 0)
            continue;
        writeTitle(out, r);
        out.PadToColumn(17);
        if (r.n < 5) {
            out.Append("  Too few values to test.");
        } else if (column.meanEntry) {
            out.Append("  Normality test requires raw data.");
        } else if (!isMissing(r.normalityStatistic)) {
            out.AppendNumberInWidth(8, -5, r.normalityStatistic);
            out.PadToColumn(26);
            if (r.normalityP > 0.10L)
                out.Append(">0.10");
            else if (r.normalityP < 0.0001L)
                out.Append("<0.0001");
            else {
                out.Append(" ");
                out.AppendNumber(4, r.normalityP);
            }
            out.PadToColumn(35);
            out.Append(r.passedNormality ? " Yes" : " No");
        }
        out.NewLine();
    }
}

void WriteNonparametricSummaryTable(ResultsBuffer& out, const std::vector<ColumnSummary>& columns)
{
    WriteTableHeader(out, {{1, 15, {"Group"}},
                           {17, 6, {"Number", "of", "Points"}},
                           {26, 8, {"Median"}},
                           {35, 8, {"Minimum"}},
                           {46, 8, {"Maximum"}}});
    for (const ColumnSummary& column : columns) {
        const core::ColumnRecord& r = column.record;
        writeTitle(out, r);
        out.PadToColumn(17);
        out.AppendIntegerInWidth(5, r.n);
        out.PadToColumn(26);
        AppendValueOrUnknown(out, 8, r.median);
        out.PadToColumn(35);
        AppendValueOrUnknown(out, 8, r.minimum);
        out.PadToColumn(46);
        AppendValueOrUnknown(out, 8, r.maximum);
        out.NewLine();
    }
}

void WriteParameterBlock(ResultsBuffer& out, const core::ColumnRecord* first, const core::ColumnRecord* second,
                         const core::ColumnRecord* third)
{
    std::vector<const core::ColumnRecord*> shown;
    if (first)
        shown.push_back(first);
    if (first && second && second->n != 0)
        shown.push_back(second);
    if (first && second && third && second->n != 0)
        shown.push_back(third);

    enum class Kind { Title, Number, Count, ValueOrUnknown };
    const struct {
        const char* label;
        Kind kind;
        Real core::ColumnRecord::*field;
    } rows[] = {
        {"Parameter:", Kind::Title, nullptr},
        {"Mean:", Kind::Number, &core::ColumnRecord::mean},
        {"# of points:", Kind::Count, nullptr},
        {"Std deviation:", Kind::Number, &core::ColumnRecord::sd},
        {"Std error:", Kind::Number, &core::ColumnRecord::sem},
        {"Minimum:", Kind::ValueOrUnknown, &core::ColumnRecord::minimum},
        {"Maximum:", Kind::ValueOrUnknown, &core::ColumnRecord::maximum},
        {"Median:", Kind::ValueOrUnknown, &core::ColumnRecord::median},
        {"Lower 95% CI:", Kind::Number, &core::ColumnRecord::lower95},
        {"Upper 95% CI:", Kind::Number, &core::ColumnRecord::upper95},
    };
    static constexpr int valueColumns[] = {16, 32, 48};
    for (const auto& row : rows) {
        out.ToggleBold();
        out.Append(RightJustify(row.label, 14));
        out.ToggleBold();
        for (size_t i = 0; i < shown.size(); ++i) {
            const core::ColumnRecord& r = *shown[i];
            out.PadToColumn(valueColumns[i]);
            switch (row.kind) {
            case Kind::Title: out.Append(TitleCell(r.title)); break;
            case Kind::Number: out.AppendNumberInWidth(15, -5, r.*row.field); break;
            case Kind::Count: out.AppendIntegerInWidth(15, r.n); break;
            case Kind::ValueOrUnknown: AppendValueOrUnknown(out, 15, r.*row.field); break;
            }
        }
        out.NewLine();
    }
}

}  // namespace ombrix::analyses
