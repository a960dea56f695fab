#include <QClipboard>
#include <QMenu>

#include <string>
#include <vector>

#include "analyses/report_chars.h"
#include "analyses/results_buffer.h"
#include "app/results_viewer.h"
#include "core/notes.h"
#include "tests/app/app_test_support.h"

namespace ombrix::app::testing {
namespace {

using analyses::ResultsBuffer;

// A line's runs as "text@column/width" plus b, u or i for each style, so
// that a table row states a whole line.
std::string describe(const std::vector<ReportRun>& runs)
{
    std::string text;
    for (const ReportRun& run : runs) {
        text += (text.empty() ? "" : " | ") + run.text.toStdString() + "@" + std::to_string(run.column) + "/" +
                std::to_string(run.width) + (run.bold ? "b" : "") + (run.underline ? "u" : "") +
                (run.italic ? "i" : "");
        for (const QChar ch : run.text)
            EXPECT_TRUE(ch.unicode() < 0x80 || ch.unicode() > 0x82) << "a mark reached the screen";
    }
    return text;
}

TEST(ReportLineRuns, SplitsAtMarksAndNeverKeepsThem)
{
    const struct {
        std::string line;
        std::string runs;
    } cases[] = {
        {"P value", "P value@0/7"},
        {"\x80" "Mean:\x80" " 12.5", "Mean:@0/5b |  12.5@5/5"},
        // A title is underlined from the mark, blanks included.
        {"\x81" "  Title  \x81", "  Title  @0/9u"},
        {"a\x82" "it\x82", "a@0/1 | it@1/2i"},
        {"\x80\x81" "both\x81\x80", "both@0/4bu"},
        {"\x80\x80\x81\x81", ""},
        // "\u0100" is C4 80: the 80 completes a letter and is no bold mark.
        {"\xC4\x80x\x80y", "\xC4\x80x@0/2 | y@2/1b"},
        {"\x80open", "open@0/4b"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(describe(reportLineRuns(c.line)), c.runs) << c.runs;
}

class ViewerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        report.Append("Title line");
        report.NewLine();
        report.ToggleBold();
        report.Append("Mean:");
        report.ToggleBold();
        report.AppendLine(" 12.50");
        report.NewLine();
        report.AppendLine("The two-tailed P value is 0.0034.");
        report.CloseReport();
        viewer.resize(600, 400);
        viewer.show();
        viewer.setReport(&report);
        viewer.setNotes(&notes);
        viewer.setMessageShower([this](const QString& message) { messages.append(message); });
    }

    ResultsBuffer report;
    TResultsViewer viewer;
    core::Notes notes;
    QStringList messages;
};

TEST_F(ViewerTest, KeyboardSelectsAndCopiesWithoutMarks)
{
    viewer.copy();  // nothing selected: the whole report, without marks
    EXPECT_TRUE(QGuiApplication::clipboard()->text().startsWith(
        QStringLiteral("Title line\nMean: 12.50\n\nThe two-tailed P value is 0.0034.")));

    pressKey(&viewer, Qt::Key_Down);
    pressKey(&viewer, Qt::Key_Right);
    for (int i = 0; i < 4; ++i)
        pressKey(&viewer, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(viewer.selectedText(), QStringLiteral("ean:"));
    // Down keeps the column it aimed for across the empty line.
    pressKey(&viewer, Qt::Key_Down, Qt::ShiftModifier);
    pressKey(&viewer, Qt::Key_Down, Qt::ShiftModifier);
    pressKey(&viewer, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("ean: 12.50\n\nThe t"));

    // Without shift the cursor moves and the selection goes.
    pressKey(&viewer, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_FALSE(viewer.hasSelection());
    EXPECT_EQ(viewer.cursorPosition().line, 0);
}

// Which text goes and the room check are the notes' own rules; here the
// selection, the pop-up menu and the refusal message reach them.
TEST_F(ViewerTest, AppendToNotesFromThePopUpMenu)
{
    int appended = 0;
    QObject::connect(&viewer, &TResultsViewer::notesAppended, [&] { ++appended; });
    viewer.setSelection({3, 26}, {1, 6});
    std::unique_ptr<QMenu> menu(viewer.createContextMenu(nullptr));
    menu->actions().at(1)->trigger();
    EXPECT_EQ(notes.text(), "12.50\r\n\r\nThe two-tailed P value is \r\n");

    const std::string full(core::Notes::MaxTextLength, 'x');
    notes.setText(full);
    viewer.appendToNotes();
    EXPECT_EQ(notes.text(), full);
    EXPECT_EQ(appended, 1);
    EXPECT_EQ(messages, QStringList{QStringLiteral("The text is too large to copy to notes.")});
}

TEST_F(ViewerTest, UnclosedBufferShowsNothing)
{
    // During a calculation the buffer is being rewritten.
    report.Reset();
    report.AppendLine("half a report");
    EXPECT_EQ(viewer.lineCount(), 0);
    viewer.appendToNotes();
    EXPECT_TRUE(notes.empty());
    (void)viewer.grab();
}

}  // namespace
}  // namespace ombrix::app::testing
