// The Data menu's editing commands and Undo and Redo in a data set window:
// the dialogs driven as a user would, every command taken back and done again.
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSpinBox>

#include <cstring>

#include "app/edit_dialogs.h"
#include "app/grid_models.h"
#include "tests/app/app_test_support.h"

namespace ombrix::app::testing {
namespace {

class EditingTest : public GridTest {
protected:
    const core::DataTable& table() const { return form->dataSet().table; }
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
};

// Bit for bit: the ten bytes of each value, the marks, titles and decimals.
void expectSameTable(const core::DataTable& a, const core::DataTable& b, const std::string& when)
{
    ASSERT_EQ(a.lastUsedRow(), b.lastUsedRow()) << when;
    ASSERT_EQ(a.lastUsedColumn(), b.lastUsedColumn()) << when;
    EXPECT_EQ(a.title(), b.title()) << when;
    for (int r = 0; r <= a.lastUsedRow() + 2; ++r) {
        EXPECT_EQ(a.rowTitle(r), b.rowTitle(r)) << when << " row " << r;
        for (int c = 0; c < core::TableColumns; ++c) {
            const Real x = a.value(r, c);
            const Real y = b.value(r, c);
            EXPECT_EQ(std::memcmp(&x, &y, 10), 0) << when << " cell " << r << "," << c;
            EXPECT_EQ(a.isExcluded(r, c), b.isExcluded(r, c)) << when << " mark " << r << "," << c;
        }
    }
    for (int c = 0; c < core::TableColumns; ++c) {
        EXPECT_EQ(a.column(c).title, b.column(c).title) << when << " column " << c;
        EXPECT_EQ(a.fixedDecimals(c), b.fixedDecimals(c)) << when << " column " << c;
        EXPECT_EQ(a.autoDecimals(c), b.autoDecimals(c)) << when << " column " << c;
    }
}

// The spec's own example: 1/Y on 2, 0 and 4 asks about one value and leaves
// 0.5, a blank and 0.25; Undo gives the three values back.
TEST_F(EditingTest, TransformAsksAndUndoGivesTheValuesBack)
{
    typeCell(0, 0, QStringLiteral("2"));
    typeCell(1, 0, QStringLiteral("0"));
    typeCell(2, 0, QStringLiteral("4"));
    select(0, 0, 2, 0);

    // Choosing a transform shows K only where it is used, with its default.
    const struct {
        core::TransformKind kind;
        bool shown;
        const char* k;
    } kinds[] = {
        {core::TransformKind::Logit, true, "1"},
        {core::TransformKind::PlusK, true, "0"},
        {core::TransformKind::DividedByK, true, "1"},
        {core::TransformKind::Square, false, ""},
    };
    script<TransformDialog>([&](TransformDialog& dialog) {
        dialog.show();
        for (const auto& k : kinds) {
            dialog.setKind(k.kind);
            EXPECT_EQ(dialog.kField()->isVisible(), k.shown) << core::transformListText(k.kind);
            if (k.shown) {
                EXPECT_EQ(dialog.kField()->text(), QLatin1String(k.k));
            }
        }
        EXPECT_EQ(dialog.list()->count(), core::TransformKindCount);
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
    EXPECT_EQ(table().value(2, 0), 4);
    EXPECT_EQ(mainForm->commandAction(Command::Redo)->text(), QStringLiteral("&Redo Transform"));
    EXPECT_TRUE(form->dataSet().modified);  // the typing is still there
    for (int i = 0; i < 3; ++i)
        run(Command::Undo);
    EXPECT_TRUE(table().isEmpty());
    EXPECT_FALSE(form->dataSet().modified);  // back at the new, empty document
    EXPECT_FALSE(mainForm->commandAction(Command::Undo)->isEnabled());
}

// The Insert and Delete dialogs open on the choice the selection suggests;
// a double-click on a choice confirms it. Number Format opens on what the
// columns share and names them.
TEST_F(EditingTest, DialogsOpenOnTheSelection)
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

    grid->selectAll();
    QString label;
    bool automatic = false;
    script<NumberFormatDialog>([&](NumberFormatDialog& dialog) {
        label = dialog.findChild<QLabel*>()->text();
        automatic = dialog.automatic()->isChecked();
        dialog.digits()->setValue(3);
        dialog.accept();
    });
    run(Command::NumberFormat);
    EXPECT_EQ(label, QStringLiteral("For columns A-Z:"));
    EXPECT_TRUE(automatic);
    EXPECT_EQ(grid->model()->index(2, 0).data().toString(), QStringLiteral("2.000"));
    script<NumberFormatDialog>([&](NumberFormatDialog& dialog) {
        EXPECT_EQ(dialog.decimals(), 3);  // all columns now share 3
        dialog.reject();
    });
    run(Command::NumberFormat);
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
    const core::DataTable opened = table();
    QFile csv(path(QStringLiteral("more.csv")));
    ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
    csv.write("7,8\r\n9,10\r\n");
    csv.close();

    const std::vector<std::pair<QString, std::function<void()>>> changes = {
        {QStringLiteral("Typing"), [&] { typeCell(12, 0, QStringLiteral("1.125")); }},
        {QStringLiteral("Column Title"), [&] { grid->columnTitleEdited(1, QStringLiteral("after")); }},
        {QStringLiteral("Row Title"), [&] { grid->rowTitleEdited(2, QStringLiteral("rat")); }},
        {QStringLiteral("Table Title"),
         [&] {
             form->tableTitleEditor()->setFocus();
             typeText(form->tableTitleEditor(), QStringLiteral("xy"));
             grid->setFocus();
         }},
        {QStringLiteral("Exclude"), [&] { select(0, 0, 1, 1), run(Command::Exclude); }},
        {QStringLiteral("Clear"), [&] { select(3, 1, 3, 1), run(Command::Clear); }},
        {QStringLiteral("Paste"),
         [&] {
             QGuiApplication::clipboard()->setText(QStringLiteral("5\t6\r\n"));
             grid->goToCell(20, 2);
             run(Command::Paste);
         }},
        {QStringLiteral("Transpose Paste"), [&] { grid->goToCell(22, 0), run(Command::TransposePaste); }},
        {QStringLiteral("Import"),
         [&] { grid->goToCell(30, 3), asker.dialogScript = nullptr, form->importFile(csv.fileName()); }},
        {QStringLiteral("Transform"),
         [&] {
             select(0, 0, 9, 1);
             script<TransformDialog>([](TransformDialog& d) { d.setKind(core::TransformKind::Ln), d.accept(); });
             asker.yesNo = {true};  // the values 0 and below
             run(Command::Transform);
         }},
        {QStringLiteral("Combine Variables"),
         [&] {
             grid->goToCell(0, 5);
             script<CombineDialog>([](CombineDialog& d) {
                 d.operatorButton(core::CombineOperator::DividedBy)->setChecked(true), d.accept();
             });
             run(Command::CombineVariables);
         }},
        {QStringLiteral("Number Format"),
         [&] {
             grid->selectColumn(1);
             script<NumberFormatDialog>([](NumberFormatDialog& d) { d.digits()->setValue(4), d.accept(); });
             run(Command::NumberFormat);
         }},
        {QStringLiteral("Insert"),
         [&] {
             grid->selectRow(1);
             script<ShiftDialog>([](ShiftDialog& d) { d.accept(); });
             run(Command::InsertCells);
         }},
        {QStringLiteral("Delete"),
         [&] {
             select(4, 0, 5, 0);
             script<ShiftDialog>([](ShiftDialog& d) { d.accept(); });
             run(Command::DeleteCells);
         }},
        {QStringLiteral("Clear All"), [&] { asker.yesNo = {true}, run(Command::ClearAll); }},
    };
    std::vector<core::DataTable> states = {opened};
    for (const auto& [label, change] : changes) {
        change();
        EXPECT_EQ(form->undoLabel(), label);
        states.push_back(table());
    }
    EXPECT_TRUE(table().isEmpty());
    for (size_t i = changes.size(); i > 0; --i) {
        run(Command::Undo);
        expectSameTable(table(), states[i - 1], "undo of " + changes[i - 1].first.toStdString());
    }
    EXPECT_FALSE(form->dataSet().modified);
    EXPECT_FALSE(form->canUndo());
    for (size_t i = 1; i < states.size(); ++i) {
        run(Command::Redo);
        expectSameTable(table(), states[i], "redo of " + changes[i - 1].first.toStdString());
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
