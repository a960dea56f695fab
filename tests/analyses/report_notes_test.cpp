#include "analyses/report_notes.h"

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analyses/report_chars.h"
#include "analyses/report_writers.h"

namespace ombrix::analyses {
namespace {

const std::string Stars = "                       *     *     *";

// "First line", "Bold" (between bold marks), "Third line of text", then the
// frame: an empty line, the stars and 17 empty lines.
ResultsBuffer threeLineReport()
{
    ResultsBuffer report;
    BeginReport(report, "");
    report.AppendLine("First line");
    report.ToggleBold();
    report.Append("Bold");
    report.ToggleBold();
    report.NewLine();
    report.AppendLine("Third line of text");
    FinishReport(report, 0);
    return report;
}

std::string notesLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

TEST(AppendReportToNotes, Selections)
{
    const ResultsBuffer report = threeLineReport();
    std::vector<std::string> whole = {"First line", "Bold", "Third line of text", "", Stars};
    whole.resize(22);
    struct Case {
        std::optional<ReportSelection> selection;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        // No selection, an empty one or one character (what a click leaves):
        // the whole report without its marks.
        {std::nullopt, whole},
        {ReportSelection{{1, 2}, {1, 2}}, whole},
        {ReportSelection{{1, 2}, {1, 3}}, whole},
        {ReportSelection{{1, 3}, {1, 2}}, whole},
        {ReportSelection{{0, 6}, {2, 5}}, {"line", "Bold", "Third"}},
        {ReportSelection{{2, 5}, {0, 6}}, {"line", "Bold", "Third"}},  // dragged upwards
        {ReportSelection{{2, 6}, {2, 10}}, {"line"}},
        {ReportSelection{{1, 1}, {1, 3}}, {"ol"}},                  // columns skip the marks
        {ReportSelection{{0, 0}, {2, 0}}, {"First line", "Bold"}},  // ends at the start of a line
        {ReportSelection{{2, 6}, {2, 500}}, {"line of text"}},
        {ReportSelection{{21, 0}, {40, 3}}, {""}},
    };
    for (const Case& c : cases) {
        core::Notes notes;
        notes.setText("Before\r\n");
        EXPECT_EQ(appendReportToNotes(report, c.selection, notes), std::nullopt);
        EXPECT_EQ(notes.text(), "Before\r\n" + notesLines(c.lines));
    }
}

TEST(AppendReportToNotes, KeepsLettersThatShareBytesWithMarks)
{
    ResultsBuffer report;
    report.AppendLine("\xC4\x80"
                      "b \xE2\x82\xAC");  // A with macron, b, euro sign
    report.CloseReport();
    core::Notes notes;
    appendReportToNotes(report, ReportSelection{{0, 0}, {0, 3}}, notes);
    EXPECT_EQ(notes.text(), "\xC4\x80"
                            "b \r\n");
}

// "line", "Bold", "Third": 13 characters, 3 line ends of 2, and 10 to spare.
TEST(AppendReportToNotes, RoomCheckIsAllOrNothing)
{
    const ResultsBuffer report = threeLineReport();
    const ReportSelection selection{{0, 6}, {2, 5}};
    constexpr int needed = 13 + 3 * 2 + 10;

    core::Notes notes;
    notes.setText(std::string(core::Notes::MaxTextLength - needed + 1, 'n'));
    const std::string before = notes.text();
    EXPECT_EQ(appendReportToNotes(report, selection, notes), "The text is too large to copy to notes.");
    EXPECT_EQ(notes.text(), before);

    notes.setText(std::string(core::Notes::MaxTextLength - needed, 'n'));
    EXPECT_EQ(appendReportToNotes(report, selection, notes), std::nullopt);
    EXPECT_EQ(notes.freeRoom(), 10);
}

}  // namespace
}  // namespace ombrix::analyses
