// Typing into the data grid, the summary grid and the two-by-two page, as a
// user does it: keys sent to the widgets, questions answered by the script.
#include <QAbstractButton>
#include <QTabWidget>

#include <tuple>

#include "app/format_step.h"
#include "app/grid_models.h"
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
    QString heading(int section, Qt::Orientation orientation) const
    {
        return form->dataModel()->headerData(section, orientation, Qt::DisplayRole).toString();
    }
    void enter(int row, int column, const char* text)
    {
        ASSERT_TRUE(form->dataModel()->enterText(row, column, QString::fromUtf8(text)));
    }
    void chooseFormat(core::DataFormat format)
    {
        form->goToStep(Step::DataFormat);
        form->formatPage()->button(format)->click();
        form->goToStep(Step::EnterData);
    }
    // The open title editor: checks its text, types a new one and leaves with a key.
    void retitle(const char* expected, const char* text, int leaveKey)
    {
        QLineEdit* editor = grid->titleEditor();
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->text(), QString::fromUtf8(expected));
        editor->setText(QString::fromUtf8(text));
        pressKey(editor, leaveKey);
    }
    void select(int first, int last)
    {
        grid->selectionModel()->select(
            QItemSelection(form->dataModel()->index(first, 0), form->dataModel()->index(last, 0)),
            QItemSelectionModel::ClearAndSelect);
    }

    core::DataTable& table() { return form->dataSet().table; }
};

TEST_F(DataEntryTest, TypingStoresTheNumberAndEnterMovesDown)
{
    typeCell(0, 0, QStringLiteral("3"));
    typeCell(0, 0, QStringLiteral("12"));  // typing replaces what the cell held
    EXPECT_EQ(table().value(0, 0), 12.0L);
    EXPECT_EQ(grid->currentIndex(), form->dataModel()->index(1, 0));
    EXPECT_TRUE(form->dataSet().modified && form->dataSet().resultsStale && form->isWindowModified());
    // How many decimals is the engine's rule; the grid redraws the column.
    typeCell(1, 0, QStringLiteral("1.25"));
    EXPECT_EQ(shown(0, 0), QStringLiteral("12.00"));

    // Typing still in the editor is stored before the step changes.
    typeText(grid, QStringLiteral("8"));
    ASSERT_NE(cellEditor(), nullptr);
    mainForm->commandAction(Command::NextStep)->trigger();
    EXPECT_TRUE(form->currentStep() == Step::ColumnStats && table().column(0).n == 3);

    mainForm->context().decimalSeparator = ',';
    TAnalysisForm* commaForm = mainForm->newDocument();
    ASSERT_TRUE(commaForm->dataModel()->enterText(0, 0, QStringLiteral("2,75")));
    EXPECT_EQ(commaForm->dataSet().table.value(0, 0), 2.75L);
}

TEST_F(DataEntryTest, EditingWithoutAChangeNeverRoundsAValue)
{
    enter(1, 0, "2.123456");
    table().setAutoDecimals(0, 1);  // shown as 2.1
    form->dataSet().modified = false;
    grid->goToCell(1, 0);
    pressKey(grid, Qt::Key_F2);
    ASSERT_NE(cellEditor(), nullptr);
    EXPECT_EQ(cellEditor()->text(), QStringLiteral("2.123456"));
    pressKey(cellEditor(), Qt::Key_Return);
    EXPECT_TRUE(table().value(1, 0) == 2.123456L && !form->dataSet().modified);
}

TEST_F(DataEntryTest, ExcludeDeleteAndClearAll)
{
    for (const char* row : {"1", "2", "3"})
        enter(row[0] - '1', 0, row);
    select(0, 1);
    mainForm->commandAction(Command::Exclude)->trigger();
    select(1, 2);
    pressKey(grid, Qt::Key_Delete);
    EXPECT_EQ(shown(0, 0), QStringLiteral("*1"));
    EXPECT_TRUE(table().isBlank(1, 0) && table().isBlank(2, 0) && !table().isExcluded(1, 0));

    table().setColumnTitle(0, "A title");
    asker.yesNo = {false, true};
    mainForm->commandAction(Command::ClearAll)->trigger();
    EXPECT_EQ(shown(0, 0), QStringLiteral("*1"));
    mainForm->commandAction(Command::ClearAll)->trigger();
    EXPECT_TRUE(shown(0, 0).isEmpty() && table().column(0).title.empty());
}

TEST_F(DataEntryTest, TitlesAreTypedOverTheHeadings)
{
    grid->goToCell(0, 1);
    pressKey(grid, Qt::Key_Up);  // from the first row into the title
    retitle("", "Control", Qt::Key_Tab);
    retitle("", "Treated", Qt::Key_Backtab);
    retitle("Control", "Control", Qt::Key_Escape);
    EXPECT_TRUE(grid->titleEditor() == nullptr && table().column(2).title == "Treated");
    EXPECT_EQ(heading(1, Qt::Horizontal), QStringLiteral("B\nControl"));

    grid->goToCell(2, 0);
    pressKey(grid, Qt::Key_Left);
    retitle("3", "Mouse 3", Qt::Key_Down);
    retitle("4", "4", Qt::Key_Escape);
    EXPECT_EQ(heading(2, Qt::Vertical), QStringLiteral("Mouse 3"));

    // A title longer than typing allows, read from a file, survives its editor.
    const std::string longTitle(40, 'x');
    table().setColumnTitle(0, longTitle);
    grid->editColumnTitle(0);
    pressKey(grid->titleEditor(), Qt::Key_Return);
    EXPECT_EQ(table().column(0).title, longTitle);
    EXPECT_TRUE(asker.questions.isEmpty());
}

// The questions are the engine's; the window asks them through the asker,
// the one about numeric titles once a session.
TEST_F(DataEntryTest, QuestionsAreAskedThroughTheAsker)
{
    table().column(0).mean = 10;
    table().setMeanEntry(0, true);
    asker.yesNo = {true, false};
    typeCell(0, 0, QStringLiteral("4"));
    EXPECT_EQ(asker.questions, QStringList{QString::fromStdString(core::meanEntryQuestion(0))});
    EXPECT_EQ(table().value(0, 0), 4.0L);
    for (int column : {1, 2}) {
        grid->editColumnTitle(column);
        retitle("", "1998", Qt::Key_Return);
        EXPECT_EQ(table().column(column).title, "1998");
    }
    EXPECT_EQ(asker.questions.size(), 2);
}

TEST_F(DataEntryTest, FormatChoiceSwitchesTheEntryPage)
{
    const std::pair<core::DataFormat, QWidget*> cases[] = {{core::DataFormat::TwoByTwo, form->twoByTwoPage()},
                                                           {core::DataFormat::MeanSEMN, form->summaryGrid()},
                                                           {core::DataFormat::XY, form->dataGrid()}};
    for (const auto& [format, page] : cases) {
        form->dataSet().resultsStale = false;
        chooseFormat(format);
        EXPECT_TRUE(form->dataSet().format == format && form->dataSet().resultsStale);
        EXPECT_TRUE(page->isVisible()) << static_cast<int>(format);
    }
    EXPECT_TRUE(heading(2, Qt::Horizontal).startsWith(QStringLiteral("Y2")));
}

TEST_F(DataEntryTest, SummaryGridStoresWhatIsTypedButNotOverRawValues)
{
    enter(0, 1, "3");
    form->dataTabs()->setCurrentIndex(1);
    SummaryGridModel* model = form->summaryModel();
    EXPECT_FALSE(model->flags(model->index(1, 1)) & Qt::ItemIsEditable) << "a column of raw values";
    chooseFormat(core::DataFormat::MeanSDN);
    // Model rows: 0 title, 1 mean, 2 SD, 3 N, then a gap.
    for (const auto& [row, text] : {std::pair{0, "Males"}, {1, "12.5"}, {3, "8.9"}})
        ASSERT_TRUE(model->setData(model->index(row, 0), QString::fromUtf8(text), Qt::EditRole));
    EXPECT_TRUE(table().column(0).title == "Males" && table().column(0).mean == 12.5L);
    EXPECT_EQ(model->data(model->index(3, 0), Qt::DisplayRole).toString(), QStringLiteral("8"));
    EXPECT_FALSE(model->flags(model->index(4, 0)) & Qt::ItemIsEditable);
}

TEST_F(DataEntryTest, TwoByTwoCountsAndTotals)
{
    chooseFormat(core::DataFormat::TwoByTwo);
    TwoByTwoPage* page = form->twoByTwoPage();
    using Record = core::TwoByTwoRecord;
    const std::pair<Record::Cell, const char*> counts[] = {
        {Record::A, "3"}, {Record::B, "1"}, {Record::C, "1"}, {Record::D, "3.5"}};
    for (const auto& [cell, text] : counts) {
        page->countEditor(cell)->setFocus();
        typeText(page->countEditor(cell), QString::fromUtf8(text));
    }
    EXPECT_EQ(page->countEditor(Record::D)->text(), QStringLiteral("35")) << "only whole numbers get in";
    typeText(page->titleEditor(Record::Row1), QStringLiteral("Milk first"));
    EXPECT_EQ(form->dataSet().twoByTwo.counts[Record::D], 35.0L);
    EXPECT_EQ(form->dataSet().twoByTwo.titles[Record::Row1], "Milk first");
    QStringList totals;
    for (int i = 0; i < 5; ++i)
        totals.append(page->totalText(i));
    EXPECT_EQ(totals.join(QLatin1Char(' ')), QStringLiteral("4 36 4 36 40"));
}

}  // namespace
}  // namespace ombrix::app::testing
