// The Data menu's editing commands and Undo and Redo in a data set window:
// the dialogs driven as a user would, every command taken back and done again.
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>

#include "app/edit_dialogs.h"
#include "app/format_step.h"
#include "app/grid_models.h"
#include "app/two_by_two_page.h"
#include "core/oxd_file.h"
#include "tests/app/app_test_support.h"

namespace ombrix::app::testing {
namespace {

class EditingTest : public GridTest {
protected:
    const core::DataTable& table() const { return form->dataSet().table; }
    // The table as its data file holds it: every value with all its digits
    // (so equal texts mean equal bits), marks, titles and decimals.
    std::string fileText() const
    {
        core::DataSet copy = form->dataSet();
        return core::writeDataSetText(copy);
    }
    void select(int firstRow, int firstColumn, int lastRow, int lastColumn)
    {
        QAbstractItemModel* model = grid->model();
        grid->selectionModel()->setCurrentIndex(model->index(firstRow, firstColumn), QItemSelectionModel::NoUpdate);
        grid->selectionModel()->select(
            QItemSelection(model->index(firstRow, firstColumn), model->index(lastRow, lastColumn)),
            QItemSelectionModel::ClearAndSelect);
    }
    void run(Command command) { mainForm->commandAction(command)->trigger(); }
    template <typename Dialog> void script(std::function<void(Dialog&)> play)
    {
        asker.dialogScript = [play](QDialog& dialog) {
            auto* typed = dynamic_cast<Dialog*>(&dialog);
            ASSERT_NE(typed, nullptr);
            play(*typed);
        };
    }
    template <typename Dialog> void runWith(Command command, std::function<void(Dialog&)> play)
    {
        script<Dialog>(std::move(play));
        run(command);
        asker.dialogScript = nullptr;
    }
};

// 1/Y on 2, 0 and 4 asks about one value and leaves 0.5, a blank and 0.25;
// Undo gives the values back, and undoing the typing too leaves the new
// document unmodified.
TEST_F(EditingTest, TransformAsksAndUndoGivesTheValuesBack)
{
    typeCell(0, 0, QStringLiteral("2"));
    typeCell(1, 0, QStringLiteral("0"));
    typeCell(2, 0, QStringLiteral("4"));
    select(0, 0, 2, 0);
    script<TransformDialog>([](TransformDialog& dialog) {
        dialog.show();
        // K shows only for the transforms that use it, with their default.
        dialog.setKind(core::TransformKind::PlusK);
        EXPECT_TRUE(dialog.kField()->isVisible() && dialog.kField()->text() == QLatin1String("0"));
        dialog.setKind(core::TransformKind::Square);
        EXPECT_FALSE(dialog.kField()->isVisible());
        dialog.setKind(core::TransformKind::Reciprocal);
        dialog.accept();
    });
    asker.yesNo = {true};
    run(Command::Transform);
    EXPECT_EQ(asker.questions.last(), QString::fromStdString(core::impossibleTransformQuestion(1)));
    EXPECT_EQ(table().value(0, 0), 0.5L);
    EXPECT_TRUE(table().isBlank(1, 0));
    EXPECT_EQ(table().value(2, 0), 0.25L);
    EXPECT_EQ(mainForm->commandAction(Command::Undo)->text(), QStringLiteral("&Undo Transform"));

    run(Command::Undo);
    EXPECT_EQ(table().value(1, 0), 0);
    EXPECT_TRUE(form->dataSet().modified);  // the typing is still there
    for (int i = 0; i < 3; ++i)
        run(Command::Undo);
    EXPECT_FALSE(form->dataSet().modified);  // back at the new, empty document
    EXPECT_FALSE(mainForm->commandAction(Command::Undo)->isEnabled());
}

// The Insert and Delete dialogs open on the choice the selection suggests;
// a double-click on a choice confirms it.
TEST_F(EditingTest, ShiftDialogsOpenOnTheSelection)
{
    typeCell(0, 0, QStringLiteral("1"));
    typeCell(1, 0, QStringLiteral("2"));
    grid->selectRow(0);
    script<ShiftDialog>([](ShiftDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Insert "));
        EXPECT_TRUE(dialog.choice(core::ShiftKind::EntireRows)->isChecked());
        QRadioButton* cells = dialog.choice(core::ShiftKind::Cells);
        QMouseEvent click(QEvent::MouseButtonDblClick, QPointF(2, 2), cells->mapToGlobal(QPointF(2, 2)), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(cells, &click);
    });
    run(Command::InsertCells);
    EXPECT_TRUE(table().isBlank(0, 0));  // the cells of row 1 moved down
    EXPECT_EQ(table().value(2, 0), 2);
}

// A count typed key by key is one step, and Undo shows the page again.
TEST_F(EditingTest, TwoByTwoCountTypedIsOneStep)
{
    form->goToStep(Step::DataFormat);
    form->formatPage()->button(core::DataFormat::TwoByTwo)->click();
    form->goToStep(Step::EnterData);
    QLineEdit* a = form->twoByTwoPage()->countEditor(core::TwoByTwoRecord::A);
    typeText(a, QStringLiteral("12"));
    run(Command::Undo);
    EXPECT_TRUE(a->text().isEmpty());
}

// Every kind of change, undone back to the opened file and redone to the
// end, bit for bit; the modified flag follows the saved state.
TEST_F(EditingTest, EveryChangeUndoesAndRedoesBitForBit)
{
    mainForm->context().settings.decimalSeparator = QLatin1Char('.');
    form = mainForm->openFileByName(example("sleep_paired.OXD"));
    ASSERT_NE(form, nullptr);
    grid = form->dataGrid();
    grid->setFocus();
    ASSERT_FALSE(form->dataSet().modified);

    QFile csv(path(QStringLiteral("more.csv")));
    ASSERT_TRUE(csv.open(QIODevice::WriteOnly) && csv.write("7,8\r\n9,10\r\n") > 0);
    csv.close();

    using core::ShiftKind;
    const auto accept = [](ShiftDialog& d) { d.accept(); };
    const std::vector<std::pair<QString, std::function<void()>>> changes = {
        {QStringLiteral("Typing"), [&] { typeCell(12, 0, QStringLiteral("1.125")); }},
        {QStringLiteral("Column Title"), [&] { grid->columnTitleEdited(1, QStringLiteral("after")); }},
        {QStringLiteral("Row Title"), [&] { grid->rowTitleEdited(2, QStringLiteral("rat")); }},
        {QStringLiteral("Table Title"), [&] { typeText(form->tableTitleEditor(), QStringLiteral("xy")); }},
        {QStringLiteral("Exclude"), [&] { select(0, 0, 1, 1), run(Command::Exclude); }},
        {QStringLiteral("Clear"), [&] { select(3, 1, 3, 1), run(Command::Clear); }},
        {QStringLiteral("Paste"), [&] { grid->goToCell(20, 2), run(Command::Paste); }},
        {QStringLiteral("Transpose Paste"), [&] { grid->goToCell(22, 0), run(Command::TransposePaste); }},
        {QStringLiteral("Import"), [&] { grid->goToCell(30, 3), form->importFile(csv.fileName()); }},
        {QStringLiteral("Transform"),
         [&] {
             asker.yesNo = {true};  // the values 0 and below
             select(0, 0, 9, 1), runWith<TransformDialog>(Command::Transform, [](TransformDialog& d) {
                 d.setKind(core::TransformKind::Ln), d.accept();
             });
         }},
        {QStringLiteral("Combine Variables"),
         [&] {
             grid->goToCell(0, 5), runWith<CombineDialog>(Command::CombineVariables, [](CombineDialog& d) {
                 d.operatorButton(core::CombineOperator::DividedBy)->setChecked(true), d.accept();
             });
         }},
        {QStringLiteral("Number Format"),
         [&] {
             grid->selectColumn(1), runWith<NumberFormatDialog>(Command::NumberFormat, [](NumberFormatDialog& d) {
                 d.digits()->setValue(4), d.accept();
             });
         }},
        {QStringLiteral("Insert"), [&] { grid->selectRow(1), runWith<ShiftDialog>(Command::InsertCells, accept); }},
        {QStringLiteral("Delete"), [&] { select(4, 0, 5, 0), runWith<ShiftDialog>(Command::DeleteCells, accept); }},
        {QStringLiteral("Clear All"), [&] { asker.yesNo = {true}, run(Command::ClearAll); }},
    };
    QGuiApplication::clipboard()->setText(QStringLiteral("5\t6\r\n"));
    std::vector<std::string> states = {fileText()};
    for (const auto& [label, change] : changes) {
        change();
        EXPECT_EQ(form->undoLabel(), label);
        states.push_back(fileText());
    }
    EXPECT_TRUE(table().isEmpty());
    for (size_t i = changes.size(); i > 0; --i) {
        run(Command::Undo);
        EXPECT_EQ(fileText(), states[i - 1]) << "undo of " << changes[i - 1].first.toStdString();
    }
    EXPECT_FALSE(form->dataSet().modified);
    EXPECT_FALSE(form->canUndo());
    for (size_t i = 1; i < states.size(); ++i) {
        run(Command::Redo);
        EXPECT_EQ(fileText(), states[i]) << "redo of " << changes[i - 1].first.toStdString();
    }
    EXPECT_TRUE(form->dataSet().modified);

    // Saved after the last step: one Undo away from the file is modified,
    // Redo comes back to it unmodified.
    asker.saveNames = {path(QStringLiteral("saved.OXD"))};
    ASSERT_TRUE(form->save(TAnalysisForm::SaveMode::SaveAs));
    run(Command::Undo);
    EXPECT_TRUE(form->dataSet().modified);
    EXPECT_TRUE(form->dataSet().resultsStale);
    run(Command::Redo);
    EXPECT_FALSE(form->dataSet().modified);
}

}  // namespace
}  // namespace ombrix::app::testing
