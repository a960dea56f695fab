#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMenu>

#include <gtest/gtest.h>

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

// A closed report of the given lines; "*" around a word makes it bold.
void writeReport(ResultsBuffer& report, const std::vector<std::string>& lines)
{
    report.Reset();
    for (const std::string& line : lines) {
        bool bold = false;
        std::string piece;
        for (const char c : line) {
            if (c == '*') {
                report.Append(piece);
                piece.clear();
                report.ToggleBold();
                bold = !bold;
            } else {
                piece += c;
            }
        }
        report.Append(piece);
        report.NewLine();
    }
    report.CloseReport();
}

class ViewerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        writeReport(report, {"Title line", "*Mean:* 12.50", "", "The two-tailed P value is 0.0034."});
        viewer.resize(600, 400);
        viewer.show();
        viewer.setReport(&report);
        viewer.setNotes(&notes);
        viewer.setMessageShower([this](const QString& message) { messages.append(message); });
    }

    // The middle of the gap before the given column of the given line.
    QPoint pointAt(int line, int column) const
    {
        return {qRound(4 + column * viewer.characterWidth()), line * viewer.lineHeight() + viewer.lineHeight() / 2};
    }

    ResultsBuffer report;
    TResultsViewer viewer;
    core::Notes notes;
    QStringList messages;
};

TEST_F(ViewerTest, KeyboardSelectsAndCopiesWithoutMarks)
{
    viewer.copy();  // nothing selected: the whole report
    EXPECT_EQ(QGuiApplication::clipboard()->text(), viewer.plainText());
    EXPECT_EQ(viewer.plainText().count(QLatin1Char('\n')), report.indexedLineCount() - 1);

    pressKey(&viewer, Qt::Key_Down);
    pressKey(&viewer, Qt::Key_Right);
    for (int i = 0; i < 4; ++i)
        pressKey(&viewer, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(viewer.selectedText(), QStringLiteral("ean:"));

    // Down keeps the column it aimed for across the empty line.
    pressKey(&viewer, Qt::Key_Down, Qt::ShiftModifier);
    pressKey(&viewer, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(viewer.cursorPosition().line, 3);
    EXPECT_EQ(viewer.cursorPosition().column, 5);
    EXPECT_EQ(viewer.selectedText(), QStringLiteral("ean: 12.50\n\nThe t"));

    pressKey(&viewer, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("ean: 12.50\n\nThe t"));

    pressKey(&viewer, Qt::Key_A, Qt::ControlModifier);
    pressKey(&viewer, Qt::Key_C, Qt::ControlModifier);
    const QString all = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(all.startsWith(QStringLiteral("Title line\nMean: 12.50\n\nThe two-tailed P value is 0.0034.\n")));
    for (const QChar ch : all)
        EXPECT_TRUE(ch.unicode() < 0x80 || ch.unicode() > 0x82);

    // Without shift the cursor moves and the selection goes.
    pressKey(&viewer, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_FALSE(viewer.hasSelection());
    EXPECT_EQ(viewer.cursorPosition().line, 0);
}

TEST_F(ViewerTest, MouseDragSelects)
{
    QWidget* area = viewer.viewport();
    sendMouse(area, QEvent::MouseButtonPress, pointAt(0, 6), Qt::LeftButton, Qt::LeftButton);
    sendMouse(area, QEvent::MouseMove, pointAt(1, 4), Qt::NoButton, Qt::LeftButton);
    sendMouse(area, QEvent::MouseButtonRelease, pointAt(1, 4), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(viewer.selectedText(), QStringLiteral("line\nMean"));

    // Shift+click extends from the same anchor.
    sendMouse(area, QEvent::MouseButtonPress, pointAt(0, 8), Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier);
    sendMouse(area, QEvent::MouseButtonRelease, pointAt(0, 8), Qt::LeftButton, Qt::NoButton, Qt::ShiftModifier);
    EXPECT_EQ(viewer.selectedText(), QStringLiteral("li"));

    // A double click takes the word under the pointer.
    sendMouse(area, QEvent::MouseButtonDblClick, pointAt(3, 28), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(viewer.selectedText(), QStringLiteral("0.0034."));
}

// Which text goes and the room check are the notes' own rules; here the
// selection, the pop-up menu and the refusal message reach them.
TEST_F(ViewerTest, AppendToNotesFromThePopUpMenu)
{
    int appended = 0;
    QObject::connect(&viewer, &TResultsViewer::notesAppended, [&] { ++appended; });
    viewer.setSelection({3, 26}, {1, 6});
    std::unique_ptr<QMenu> menu(viewer.createContextMenu(nullptr));
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions()[0]->text(), QStringLiteral("Copy"));
    EXPECT_EQ(menu->actions()[1]->text(), QStringLiteral("Append to Notes"));
    menu->actions()[1]->trigger();
    EXPECT_EQ(notes.text(), "12.50\r\n\r\nThe two-tailed P value is \r\n");
    EXPECT_EQ(appended, 1);

    const std::string full(core::Notes::MaxTextLength, 'x');
    notes.setText(full);
    viewer.appendToNotes();
    EXPECT_EQ(notes.text(), full);
    EXPECT_EQ(appended, 1);
    EXPECT_EQ(messages, QStringList{QStringLiteral("The text is too large to copy to notes.")});
}

// Dark pixels in one text line of the viewer's picture.
int inkInLine(const QImage& image, int line, int lineHeight)
{
    int ink = 0;
    for (int y = line * lineHeight; y < (line + 1) * lineHeight && y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                ++ink;
    return ink;
}

TEST_F(ViewerTest, DrawsBoldWhereTheReportAsksAndNoMarks)
{
    writeReport(report, {"MMMMMMMM", "*MMMMMMMM*", "**", ""});
    viewer.setReport(&report);
    viewer.clearFocus();
    const QImage image = viewer.viewport()->grab().toImage();
    const int height = viewer.lineHeight();
    const int plain = inkInLine(image, 0, height);
    const int bold = inkInLine(image, 1, height);
    EXPECT_GT(plain, 0);
    EXPECT_GT(bold, plain * 11 / 10) << "bold text should carry more ink than plain text";
    EXPECT_EQ(inkInLine(image, 2, height), 0) << "a line of marks alone must look empty";
}

TEST_F(ViewerTest, UnclosedBufferShowsNothing)
{
    // During a calculation the buffer is being rewritten.
    report.Reset();
    report.AppendLine("half a report");
    EXPECT_EQ(viewer.lineCount(), 0);
    viewer.copy();
    viewer.appendToNotes();
    EXPECT_TRUE(notes.empty());
    (void)viewer.grab();
}

TEST_F(ViewerTest, LongReportScrollsToItsEnd)
{
    report.Reset();
    for (int i = 0; i < 35000; ++i)
        report.AppendLine("Line " + std::to_string(i));
    report.CloseReport();
    ASSERT_EQ(report.indexedLineCount(), 35000);
    viewer.setReport(&report);
    pressKey(&viewer, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(viewer.cursorPosition().line, 34999);
    EXPECT_GT(viewer.firstVisibleLine(), 34900);
    const QImage image = viewer.viewport()->grab().toImage();
    EXPECT_GT(inkInLine(image, 0, viewer.lineHeight()), 0);
    pressKey(&viewer, Qt::Key_PageUp, Qt::ShiftModifier);
    EXPECT_TRUE(viewer.selectedText().endsWith(QStringLiteral("Line 34999")));
}

}  // namespace
}  // namespace ombrix::app::testing
