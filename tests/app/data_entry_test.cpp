// Typing into the data grid, the summary grid and the two-by-two page, as a
// user does it: keys sent to the widgets, questions answered by the script.
#include <QAbstractButton>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QTabWidget>

#include "app/data_grid_view.h"
#include "app/format_step.h"
#include "app/grid_models.h"
#include "app/notes_window.h"
#include "app/two_by_two_page.h"
#include "tests/app/app_test_support.h"

namespace ombrix::app::testing {
namespace {

class DataEntryTest : public GridTest {
protected:
    QString shown(int row, int column) const
    {
        return form->dataModel()->data(form->dataModel()->index(row, column), Qt::DisplayRole).toString();
    }

    core::DataTable& table() { return form->dataSet().table; }
};

TEST_F(DataEntryTest, TypingStoresTheNumberAndEnterMovesDown)
{
    typeCell(0, 0, QStringLiteral("3"));
    typeCell(0, 0, QStringLiteral("12"));  // typing replaces what the cell held
    EXPECT_EQ(table().value(0, 0), 12.0L);
    EXPECT_EQ(grid->currentIndex(), form->dataModel()->index(1, 0));
    EXPECT_TRUE(form->dataSet().modified);
    EXPECT_TRUE(form->dataSet().resultsStale);
    EXPECT_TRUE(form->isWindowModified());
    // How many decimals is the engine's rule; the grid redraws the column.
    typeCell(1, 0, QStringLiteral("1.25"));
    EXPECT_EQ(shown(0, 0), QStringLiteral("12.00"));
}

TEST_F(DataEntryTest, TheWindowsDecimalSeparatorReachesItsGrid)
{
    mainForm->context().decimalSeparator = ',';
    TAnalysisForm* commaForm = mainForm->newDocument();
    ASSERT_TRUE(commaForm->dataModel()->enterText(0, 0, QStringLiteral("2,75")));
    EXPECT_EQ(commaForm->dataSet().table.value(0, 0), 2.75L);
}

TEST_F(DataEntryTest, EditingWithoutAChangeNeverRoundsAValue)
{
    typeCell(0, 0, QStringLiteral("1.5"));
    ASSERT_TRUE(form->dataModel()->enterText(1, 0, QStringLiteral("2.123456")));
    table().setAutoDecimals(0, 1);  // shown as 2.1
    form->dataSet().modified = false;
    grid->goToCell(1, 0);
    pressKey(grid, Qt::Key_F2);
    QLineEdit* editor = cellEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QStringLiteral("2.123456"));
    pressKey(editor, Qt::Key_Return);
    EXPECT_EQ(table().value(1, 0), 2.123456L);
    EXPECT_FALSE(form->dataSet().modified);
}

TEST_F(DataEntryTest, MeanEntryQuestionIsAskedThroughTheAsker)
{
    table().column(0).mean = 10;
    table().setMeanEntry(0, true);
    asker.yesNo = {true};
    typeCell(0, 0, QStringLiteral("4"));
    EXPECT_EQ(asker.questions, QStringList{QString::fromStdString(core::meanEntryQuestion(0))});
    EXPECT_EQ(table().value(0, 0), 4.0L);
}

TEST_F(DataEntryTest, ExcludeMarksTheSelectionAndDeleteClearsItWithItsMarks)
{
    for (int row = 0; row < 3; ++row)
        ASSERT_TRUE(form->dataModel()->enterText(row, 0, QString::number(row + 1)));
    const auto select = [this](int first, int last) {
        grid->selectionModel()->select(
            QItemSelection(form->dataModel()->index(first, 0), form->dataModel()->index(last, 0)),
            QItemSelectionModel::ClearAndSelect);
    };
    select(0, 1);
    mainForm->commandAction(Command::Exclude)->trigger();
    EXPECT_EQ(shown(0, 0), QStringLiteral("*1"));
    EXPECT_TRUE(table().isExcluded(1, 0));
    select(1, 2);
    pressKey(grid, Qt::Key_Delete);
    EXPECT_EQ(shown(0, 0), QStringLiteral("*1"));
    EXPECT_TRUE(table().isBlank(1, 0));
    EXPECT_TRUE(table().isBlank(2, 0));
    EXPECT_FALSE(table().isExcluded(1, 0));
}

TEST_F(DataEntryTest, ControlArrowsGoToTheEndsOfTheData)
{
    for (int row = 0; row < 5; ++row)
        ASSERT_TRUE(form->dataModel()->enterText(row, 0, QStringLiteral("1")));
    ASSERT_TRUE(form->dataModel()->enterText(0, 3, QStringLiteral("1")));
    grid->goToCell(0, 0);

    struct Move {
        int key;
        int row;
        int column;
    };
    const Move moves[] = {
        {Qt::Key_Down, 4, 0},                         // last used row
        {Qt::Key_Down, core::TableRows - 1, 0},       // from there, the table's end
        {Qt::Key_Up, 0, 0},
        {Qt::Key_Right, 0, 3},                        // last used column
        {Qt::Key_Right, 0, core::TableColumns - 1},
        {Qt::Key_Left, 0, 0},
    };
    for (const Move& move : moves) {
        pressKey(grid, move.key, Qt::ControlModifier);
        EXPECT_EQ(grid->currentIndex().row(), move.row) << "key " << move.key;
        EXPECT_EQ(grid->currentIndex().column(), move.column) << "key " << move.key;
    }
}

TEST_F(DataEntryTest, ColumnTitleTypedOverTheHeadingTabMovesToTheNext)
{
    grid->goToCell(0, 1);
    pressKey(grid, Qt::Key_Up);  // from the first row into the title
    QLineEdit* editor = grid->titleEditor();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("Control"));
    pressKey(editor, Qt::Key_Tab);
    EXPECT_EQ(table().column(1).title, "Control");

    editor = grid->titleEditor();
    ASSERT_NE(editor, nullptr) << "Tab did not open the next title";
    editor->setText(QStringLiteral("Treated"));
    pressKey(editor, Qt::Key_Backtab);
    EXPECT_EQ(table().column(2).title, "Treated");

    editor = grid->titleEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QStringLiteral("Control"));
    pressKey(editor, Qt::Key_Escape);
    EXPECT_EQ(grid->titleEditor(), nullptr);
    EXPECT_EQ(form->dataModel()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("B\nControl"));
}

// The question itself is the engine's; the window asks it once a session.
TEST_F(DataEntryTest, NumericColumnTitleQuestionIsAskedOnce)
{
    asker.yesNo = {false};
    for (int column : {1, 2}) {
        grid->editColumnTitle(column);
        grid->titleEditor()->setText(QStringLiteral("1998"));
        pressKey(grid->titleEditor(), Qt::Key_Return);
        EXPECT_EQ(table().column(column).title, "1998");
    }
    EXPECT_EQ(asker.questions.size(), 1);
    EXPECT_FALSE(mainForm->context().askAboutNumericTitles);
}

TEST_F(DataEntryTest, LongTitleFromAFileIsNotCutByOpeningItsEditor)
{
    const std::string longTitle(40, 'x');
    table().setColumnTitle(0, longTitle);
    grid->editColumnTitle(0);
    ASSERT_NE(grid->titleEditor(), nullptr);
    pressKey(grid->titleEditor(), Qt::Key_Return);
    EXPECT_EQ(table().column(0).title, longTitle);
}

TEST_F(DataEntryTest, RowTitlesAreTypedOverTheRowHeadings)
{
    grid->goToCell(2, 0);
    pressKey(grid, Qt::Key_Left);
    QLineEdit* editor = grid->titleEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QStringLiteral("3"));
    EXPECT_EQ(editor->maxLength(), core::MaxRowTitleLength);
    editor->setText(QStringLiteral("Mouse 3"));
    pressKey(editor, Qt::Key_Down);
    EXPECT_EQ(table().rowTitle(2), "Mouse 3");
    ASSERT_NE(grid->titleEditor(), nullptr);
    EXPECT_EQ(grid->titleEditor()->text(), QStringLiteral("4"));
    pressKey(grid->titleEditor(), Qt::Key_Escape);
    EXPECT_EQ(form->dataModel()->headerData(2, Qt::Vertical, Qt::DisplayRole).toString(), QStringLiteral("Mouse 3"));
}

TEST_F(DataEntryTest, PendingTypingIsStoredBeforeTheStepChanges)
{
    grid->goToCell(0, 0);
    typeText(grid, QStringLiteral("8"));
    ASSERT_NE(cellEditor(), nullptr);
    mainForm->commandAction(Command::NextStep)->trigger();
    EXPECT_EQ(form->currentStep(), Step::ColumnStats);
    EXPECT_EQ(table().value(0, 0), 8.0L);
}

TEST_F(DataEntryTest, FormatChoiceSwitchesTheEntryPage)
{
    const struct {
        core::DataFormat format;
        QWidget* (*page)(TAnalysisForm&);
    } cases[] = {
        {core::DataFormat::TwoByTwo, [](TAnalysisForm& f) -> QWidget* { return f.twoByTwoPage(); }},
        {core::DataFormat::MeanSEMN, [](TAnalysisForm& f) -> QWidget* { return f.summaryGrid(); }},
        {core::DataFormat::XY, [](TAnalysisForm& f) -> QWidget* { return f.dataGrid(); }},
    };
    for (const auto& c : cases) {
        form->goToStep(Step::DataFormat);
        form->dataSet().resultsStale = false;
        form->formatPage()->button(c.format)->click();
        EXPECT_EQ(form->dataSet().format, c.format);
        EXPECT_TRUE(form->dataSet().resultsStale);
        form->goToStep(Step::EnterData);
        EXPECT_TRUE(c.page(*form)->isVisible()) << static_cast<int>(c.format);
    }
    EXPECT_TRUE(form->dataModel()->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString().startsWith(
        QStringLiteral("Y2")));
}

TEST_F(DataEntryTest, SummaryGridStoresWhatIsTypedIntoIt)
{
    form->goToStep(Step::DataFormat);
    form->formatPage()->button(core::DataFormat::MeanSDN)->click();
    form->goToStep(Step::EnterData);
    SummaryGridModel* model = form->summaryModel();
    // Model rows: 0 title, 1 mean, 2 SD, 3 N, then a gap.
    ASSERT_TRUE(model->setData(model->index(0, 0), QStringLiteral("Males"), Qt::EditRole));
    ASSERT_TRUE(model->setData(model->index(1, 0), QStringLiteral("12.5"), Qt::EditRole));
    ASSERT_TRUE(model->setData(model->index(3, 0), QStringLiteral("8.9"), Qt::EditRole));
    EXPECT_EQ(table().column(0).title, "Males");
    EXPECT_EQ(table().column(0).mean, 12.5L);
    EXPECT_EQ(model->data(model->index(3, 0), Qt::DisplayRole).toString(), QStringLiteral("8"));
    EXPECT_FALSE(model->flags(model->index(4, 0)) & Qt::ItemIsEditable);
}

TEST_F(DataEntryTest, RawColumnsOfValuesAreNotTypedOverInTheSummaryGrid)
{
    ASSERT_TRUE(form->dataModel()->enterText(0, 0, QStringLiteral("3")));
    form->dataTabs()->setCurrentIndex(1);
    SummaryGridModel* model = form->summaryModel();
    EXPECT_FALSE(model->flags(model->index(1, 0)) & Qt::ItemIsEditable);
    EXPECT_TRUE(model->flags(model->index(1, 1)) & Qt::ItemIsEditable);
}

TEST_F(DataEntryTest, TwoByTwoCountsAndTotals)
{
    form->goToStep(Step::DataFormat);
    form->formatPage()->button(core::DataFormat::TwoByTwo)->click();
    form->goToStep(Step::EnterData);
    TwoByTwoPage* page = form->twoByTwoPage();
    using Record = core::TwoByTwoRecord;

    const std::pair<Record::Cell, const char*> counts[] = {
        {Record::A, "3"}, {Record::B, "1"}, {Record::C, "1"}, {Record::D, "3"}};
    for (const auto& [cell, text] : counts) {
        QLineEdit* editor = page->countEditor(cell);
        editor->setFocus();
        typeText(editor, QString::fromUtf8(text));
    }
    // Only whole numbers of up to ten digits get in.
    typeText(page->countEditor(Record::D), QStringLiteral(".5"));
    EXPECT_EQ(page->countEditor(Record::D)->text(), QStringLiteral("35"));
    typeText(page->titleEditor(Record::Row1), QStringLiteral("Milk first"));

    const core::TwoByTwoRecord& record = form->dataSet().twoByTwo;
    EXPECT_EQ(record.counts[Record::A], 3.0L);
    EXPECT_EQ(record.counts[Record::D], 35.0L);
    EXPECT_EQ(record.titles[Record::Row1], "Milk first");
    const char* totals[] = {"4", "36", "4", "36", "40"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(page->totalText(i), QString::fromUtf8(totals[i])) << "total " << i;
    EXPECT_TRUE(form->dataSet().modified);
}

TEST_F(DataEntryTest, NotesWindowEditsTheNotesWithCrLfLines)
{
    mainForm->commandAction(Command::ViewNotes)->trigger();
    NotesWindow* notes = form->notesWindow();
    ASSERT_NE(notes, nullptr);
    EXPECT_TRUE(notes->isVisible());
    notes->editor()->setPlainText(QStringLiteral("Line one\nLine two"));
    EXPECT_EQ(form->dataSet().notes.text(), "Line one\r\nLine two");
    EXPECT_TRUE(form->dataSet().modified);

    // A paste beyond the capacity is cut to what the notes hold.
    notes->editor()->setPlainText(QString(core::Notes::MaxTextLength + 500, QLatin1Char('x')));
    EXPECT_EQ(static_cast<int>(form->dataSet().notes.text().size()), core::Notes::MaxTextLength);
    EXPECT_EQ(notes->editor()->toPlainText().size(), core::Notes::MaxTextLength);
}

TEST_F(DataEntryTest, ClearAllAsksAndErasesValuesAndTitles)
{
    ASSERT_TRUE(form->dataModel()->enterText(0, 0, QStringLiteral("3")));
    table().setColumnTitle(0, "A title");
    asker.yesNo = {false, true};
    mainForm->commandAction(Command::ClearAll)->trigger();
    EXPECT_EQ(shown(0, 0), QStringLiteral("3"));
    mainForm->commandAction(Command::ClearAll)->trigger();
    EXPECT_EQ(shown(0, 0), QString());
    EXPECT_EQ(table().column(0).title, "");
}

TEST_F(DataEntryTest, SelectColumnRowAndAll)
{
    grid->goToCell(5, 2);
    mainForm->commandAction(Command::SelectColumn)->trigger();
    EXPECT_TRUE(grid->selectionModel()->isColumnSelected(2, {}));
    grid->goToCell(5, 2);
    mainForm->commandAction(Command::SelectRow)->trigger();
    EXPECT_TRUE(grid->selectionModel()->isRowSelected(5, {}));
    mainForm->commandAction(Command::SelectAll)->trigger();
    EXPECT_EQ(grid->selectionModel()->selection().constFirst().width(), core::TableColumns);
    EXPECT_EQ(grid->selectionModel()->selection().constFirst().height(), core::TableRows);
}

}  // namespace
}  // namespace ombrix::app::testing
