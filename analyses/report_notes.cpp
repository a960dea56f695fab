#include "analyses/report_notes.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <tuple>
#include <vector>

#include "analyses/report_chars.h"

namespace ombrix::analyses {

namespace {

bool selectsNothing(const ReportSelection& s)
{
    return s.start.line == s.end.line && std::abs(static_cast<long long>(s.end.column) - s.start.column) <= 1;
}

std::vector<std::string> selectedLines(const ResultsBuffer& report, const std::optional<ReportSelection>& selection)
{
    const int count = report.indexedLineCount();
    std::vector<std::string> lines;
    if (!selection || selectsNothing(*selection)) {
        for (int i = 0; i < count; ++i)
            lines.push_back(stripMarks(report.line(i)));
        return lines;
    }

    ReportPosition start = selection->start;
    ReportPosition end = selection->end;
    if (std::tie(end.line, end.column) < std::tie(start.line, start.column))
        std::swap(start, end);
    if (end.line > start.line && end.column <= 0)
        end = {end.line - 1, INT_MAX};  // only the line break before it was selected
    if (end.line >= count)
        end = {count - 1, INT_MAX};
    start.line = std::max(start.line, 0);

    for (int i = start.line; i <= end.line && i < count; ++i) {
        const int from = i == start.line ? std::max(start.column, 0) : 0;
        const int to = i == end.line ? end.column : INT_MAX;
        lines.push_back(std::string(reportColumns(stripMarks(report.line(i)), from, to)));
    }
    return lines;
}

}  // namespace

std::optional<std::string> appendReportToNotes(const ResultsBuffer& report,
                                               const std::optional<ReportSelection>& selection, core::Notes& notes)
{
    const std::vector<std::string> lines = selectedLines(report, selection);

    long long needed = 10;
    for (const std::string& line : lines)
        needed += static_cast<long long>(line.size()) + 2;
    if (notes.freeRoom() < needed)
        return std::string(TextTooLargeForNotes);

    for (const std::string& line : lines)
        notes.appendLine(line);
    return std::nullopt;
}

}  // namespace ombrix::analyses
