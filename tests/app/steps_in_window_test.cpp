// The step pages inside a data set window, driven through the main window's
// commands as a user drives them: type two columns, go to the results.
#include "app/results_step.h"
#include "tests/app/app_test_support.h"

namespace ombrix::app::testing {
namespace {

using StepsInWindowTest = GridTest;

TEST_F(StepsInWindowTest, FromTypedDataToATTestReport)
{
    const char* columns[2][5] = {{"4.1", "5.2", "3.9", "4.8", "5.5"}, {"6.0", "5.8", "6.9", "6.1", "7.2"}};
    for (int column = 0; column < 2; ++column)
        for (int row = 0; row < 5; ++row)
            typeCell(row, column, QString::fromUtf8(columns[column][row]));
    mainForm->commandAction(Command::StepResults)->trigger();
    EXPECT_EQ(form->currentStep(), Step::Results);
    EXPECT_NE(form->resultsBuffer().text().find("Unpaired t test"), std::string::npos);
    EXPECT_FALSE(form->dataSet().resultsStale);
    EXPECT_TRUE(mainForm->commandAction(Command::Copy)->isEnabled());

    // Append to Notes from the Edit menu takes the whole report when nothing
    // is selected; it changes the document, not its results.
    form->dataSet().modified = false;
    mainForm->commandAction(Command::AppendToNotes)->trigger();
    EXPECT_NE(form->dataSet().notes.text().find("Unpaired t test"), std::string::npos);
    EXPECT_EQ(form->dataSet().notes.text().find('\x80'), std::string::npos);
    EXPECT_TRUE(form->dataSet().modified);
    EXPECT_FALSE(form->dataSet().resultsStale);

    mainForm->commandAction(Command::StepColumnStats)->trigger();
    EXPECT_FALSE(mainForm->commandAction(Command::AppendToNotes)->isEnabled());
}

}  // namespace
}  // namespace ombrix::app::testing
