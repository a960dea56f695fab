// The step pages inside a data set window, driven through the main window's
// commands as a user drives them: type two columns, go to the results.
#include <QAction>

#include "app/data_grid_view.h"
#include "app/results_step.h"
#include "app/results_viewer.h"
#include "tests/app/app_test_support.h"

namespace ombrix::app::testing {
namespace {

class StepsInWindowTest : public GridTest {
protected:
    void typeColumn(int column, const QStringList& cells)
    {
        for (int row = 0; row < cells.size(); ++row)
            typeCell(row, column, cells[row]);
    }

    void trigger(Command command) { mainForm->commandAction(command)->trigger(); }
    QString report() const { return QString::fromStdString(std::string(form->resultsBuffer().text())); }

};

TEST_F(StepsInWindowTest, FromTypedDataToATTestReport)
{
    typeColumn(0, {QStringLiteral("4.1"), QStringLiteral("5.2"), QStringLiteral("3.9"), QStringLiteral("4.8"),
                   QStringLiteral("5.5")});
    typeColumn(1, {QStringLiteral("6.0"), QStringLiteral("5.8"), QStringLiteral("6.9"), QStringLiteral("6.1"),
                   QStringLiteral("7.2")});
    trigger(Command::StepResults);
    EXPECT_EQ(form->currentStep(), Step::Results);
    EXPECT_TRUE(report().contains(QStringLiteral("Unpaired t test")));
    EXPECT_FALSE(form->dataSet().resultsStale);
    EXPECT_TRUE(mainForm->commandAction(Command::Copy)->isEnabled());
    EXPECT_TRUE(mainForm->commandAction(Command::AppendToNotes)->isEnabled());

    // Append to Notes from the Edit menu takes the whole report when nothing
    // is selected; it changes the document, not its results.
    form->dataSet().modified = false;
    trigger(Command::AppendToNotes);
    EXPECT_NE(form->dataSet().notes.text().find("Unpaired t test"), std::string::npos);
    EXPECT_EQ(form->dataSet().notes.text().find('\x80'), std::string::npos);
    EXPECT_TRUE(form->dataSet().modified);
    EXPECT_FALSE(form->dataSet().resultsStale);
}

TEST_F(StepsInWindowTest, StatisticsAndChooseTestStepsFollowTheData)
{
    typeColumn(0, {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")});
    trigger(Command::StepColumnStats);
    EXPECT_EQ(form->dataSet().table.column(0).n, 3);
    EXPECT_TRUE(mainForm->commandAction(Command::Copy)->isEnabled());
    EXPECT_FALSE(mainForm->commandAction(Command::AppendToNotes)->isEnabled());
    trigger(Command::StepChooseTest);
    EXPECT_EQ(form->dataSet().choices.ColumnCategory, core::ColumnCategory::One);
    trigger(Command::StepEnterData);
    typeColumn(1, {QStringLiteral("4"), QStringLiteral("5")});
    trigger(Command::StepChooseTest);
    EXPECT_EQ(form->dataSet().choices.ColumnCategory, core::ColumnCategory::Two);
}

TEST_F(StepsInWindowTest, AnEmptyTableReportsTheMessage)
{
    trigger(Command::StepResults);
    EXPECT_TRUE(report().contains(QStringLiteral("Until you enter data, you won't see any results!")));
    EXPECT_FALSE(form->resultsStep()->viewer()->plainText().contains(QChar(0x80)));
}

}  // namespace
}  // namespace ombrix::app::testing
