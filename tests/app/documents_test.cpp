// Documents of the main window: names, the limit of ten, opening, saving,
// closing, duplicating, the recently used files, steps and the busy state;
// and one document from typed data to its report.
#include <QFile>

#include "app/grid_models.h"
#include "app/results_step.h"
#include "core/oxd_file.h"
#include "tests/app/app_test_support.h"

namespace ombrix::app::testing {
namespace {

using DocumentsTest = ShellTest;

// A new document with one typed value, so that it is modified.
TAnalysisForm* modifiedDocument(TMainForm& mainForm)
{
    TAnalysisForm* form = mainForm.newDocument();
    EXPECT_TRUE(form->dataModel()->enterText(0, 0, QStringLiteral("1")));
    return form;
}

TEST_F(DocumentsTest, FirstFreeDefaultNameAndTheLimitOfTen)
{
    while (mainForm->documents().size() < 3)
        mainForm->newDocument();
    mainForm->activateDocument(mainForm->documents().at(1));
    ASSERT_TRUE(mainForm->closeActiveDocument());
    EXPECT_EQ(mainForm->newDocument()->documentName(), QStringLiteral("DATASET2.OXD"));
    while (mainForm->documents().size() < MaxDocuments)
        mainForm->newDocument();
    EXPECT_EQ(mainForm->documents().constLast()->documentName(), QStringLiteral("DATASET10.OXD"));
    for (TAnalysisForm* form : mainForm->documents())
        form->dataSet().table.setTitle("kept");  // so that opening a file does not replace one
    EXPECT_EQ(mainForm->newDocument(), nullptr);
    EXPECT_EQ(mainForm->openFileByName(example("sleep_paired.OXD")), nullptr);
    EXPECT_EQ(mainForm->duplicateActiveDocument(), nullptr);
    EXPECT_EQ(mainForm->documents().size(), MaxDocuments);
    EXPECT_EQ(asker.messages, QStringList(3, QString::fromUtf8(TooManyDocumentsMessage)));
}

// What the file holds is the data file's own round trip; here the save
// dialog, the names, the folder, the list of recent files and a failed save.
TEST_F(DocumentsTest, SaveAsksForANameAndReopens)
{
    TAnalysisForm* form = modifiedDocument(*mainForm);
    const QString startFolder = mainForm->settings().dataFolder;
    asker.saveNames = {path(QStringLiteral("no such folder/x.OXD")), path(QStringLiteral("saved"))};
    EXPECT_FALSE(mainForm->saveActiveDocument(TAnalysisForm::SaveMode::Save));
    EXPECT_TRUE(asker.messages.constFirst().endsWith(QStringLiteral("x.OXD"))) << "the system's error and the file";
    EXPECT_TRUE(form->dataSet().modified && form->hasDefaultName());

    ASSERT_TRUE(mainForm->saveActiveDocument(TAnalysisForm::SaveMode::Save));  // the extension is added
    const QString file = path(QStringLiteral("saved.OXD"));
    EXPECT_EQ(asker.saveProposals.constFirst(), QDir(startFolder).filePath(QStringLiteral("DATASET1.OXD")));
    EXPECT_TRUE(form->documentName() == QStringLiteral("saved.OXD") && !form->dataSet().modified);
    EXPECT_EQ(mainForm->settings().dataFolder, folder.path());
    EXPECT_EQ(mainForm->settings().recentFiles.entries(), QStringList{file});

    ASSERT_TRUE(mainForm->closeActiveDocument());
    TAnalysisForm* reopened = mainForm->openFileByName(file);
    ASSERT_NE(reopened, nullptr);
    EXPECT_TRUE(!reopened->dataSet().modified && reopened->currentStep() == Step::EnterData);
    // A document with a name is saved without asking.
    ASSERT_TRUE(reopened->dataModel()->enterText(0, 0, QStringLiteral("9")));
    ASSERT_TRUE(reopened->save(TAnalysisForm::SaveMode::Save));
    EXPECT_EQ(asker.saveProposals.size(), 2);
    EXPECT_EQ(workflow::openDocument(file.toStdString()).dataSet->table.value(0, 0), 9.0L);
}

TEST_F(DocumentsTest, CloseAsksToSaveAModifiedDocument)
{
    modifiedDocument(*mainForm);
    // Cancel, then Yes with the save dialog cancelled: the document stays.
    asker.yesNoCancel = {Answer::Cancel, Answer::Yes, Answer::Yes};
    EXPECT_FALSE(mainForm->closeActiveDocument());
    EXPECT_EQ(asker.questions.constLast(), QStringLiteral("Do you want to save changes to \"DATASET1.OXD\"?"));
    EXPECT_FALSE(mainForm->closeActiveDocument());
    asker.saveNames = {path(QStringLiteral("closing.OXD"))};
    EXPECT_TRUE(mainForm->closeActiveDocument());
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("closing.OXD"))) && mainForm->documents().isEmpty());

    // An untouched or unmodified document closes without a question.
    mainForm->newDocument();
    EXPECT_TRUE(mainForm->closeActiveDocument());
    EXPECT_EQ(asker.questions.size(), 3);
}

// Which message a file earns is the reader's rule; here the message reaches
// the user with its icon and the file's name.
TEST_F(DocumentsTest, FilesThatCannotBeOpenedAreReported)
{
    const QString text = path(QStringLiteral("notes.txt"));
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("just some text\r\n");
    file.close();
    EXPECT_EQ(mainForm->openFileByName(text), nullptr);
    EXPECT_EQ(asker.messages, QStringList{QString::fromUtf8(core::NotADataFileMessage)});
    EXPECT_EQ(asker.shownAs, QStringList{QStringLiteral("critical ") + text});
    EXPECT_TRUE(mainForm->settings().recentFiles.entries().isEmpty());

    mainForm->settings().recentFiles.add(path(QStringLiteral("gone.OXD")));
    EXPECT_EQ(mainForm->openRecent(0), nullptr);
    EXPECT_EQ(asker.messages.constLast(), QString::fromUtf8(FileNotFoundMessage));
}

TEST_F(DocumentsTest, OpeningReplacesAnUntouchedDocumentAndActivatesOneAlreadyOpen)
{
    mainForm->newDocument();
    TAnalysisForm* opened = mainForm->openFileByName(example("sleep_paired.OXD"));
    EXPECT_EQ(mainForm->documents(), QList<TAnalysisForm*>{opened});

    // A document with only notes is not untouched.
    mainForm->newDocument()->dataSet().notes.setText("keep me");
    mainForm->openFileByName(example("tea_tasting_2x2.OXD"));
    EXPECT_EQ(mainForm->documents().size(), 3);

    EXPECT_EQ(mainForm->openFileByName(example("sleep_paired.OXD")), opened);
    EXPECT_TRUE(mainForm->activeDocument() == opened && mainForm->documents().size() == 3);
}

TEST_F(DocumentsTest, RecentListPutsTheLastOpenedFirst)
{
    for (const char* file : {"sleep_paired.OXD", "tea_tasting_2x2.OXD", "car_stopping_xy.OXD"})
        ASSERT_NE(mainForm->openFileByName(example(file)), nullptr);
    ASSERT_NE(mainForm->openRecent(2), nullptr);  // the first opened
    const QList<QAction*> items = mainForm->recentFileActions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items.at(0)->text(), QStringLiteral("&1 ") + example("sleep_paired.OXD"));
    EXPECT_EQ(items.at(2)->text(), QStringLiteral("&3 ") + example("tea_tasting_2x2.OXD"));
}

TEST_F(DocumentsTest, DuplicateOpensAnIdenticalCopyUnderADefaultName)
{
    TAnalysisForm* source = mainForm->openFileByName(example("sleep_paired.OXD"));
    ASSERT_TRUE(source->dataModel()->enterText(0, 0, QStringLiteral("0.75")));
    source->dataSet().table.setExcluded(1, 1, true);

    TAnalysisForm* copy = mainForm->duplicateActiveDocument();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->documentName(), QStringLiteral("DATASET1.OXD"));
    EXPECT_TRUE(copy->isWindowModified() && source->dataSet().modified);
    // Both as files, with the statistics of the cells they hold.
    auto expected = workflow::openDocumentText(core::writeDataSetText(source->dataSet())).dataSet;
    EXPECT_TRUE(core::writeDataSetText(copy->dataSet()) == core::writeDataSetText(*expected));
    // The temporary file is neither kept nor remembered.
    EXPECT_EQ(mainForm->settings().recentFiles.entries(), QStringList{example("sleep_paired.OXD")});
}

TEST_F(DocumentsTest, StepsMoveInOrderAndSkipDisabledOnes)
{
    TAnalysisForm* form = mainForm->newDocument();
    form->setStepEnabled(Step::ChooseTest, false);
    const std::pair<Command, Step> moves[] = {{Command::PreviousStep, Step::DataFormat},
                                              {Command::NextStep, Step::EnterData},
                                              {Command::NextStep, Step::ColumnStats},
                                              {Command::NextStep, Step::Results},
                                              {Command::NextStep, Step::Graph},
                                              {Command::NextStep, Step::Graph},
                                              {Command::PreviousStep, Step::Results},
                                              {Command::PreviousStep, Step::ColumnStats},
                                              {Command::StepChooseTest, Step::ColumnStats},
                                              {Command::StepGraph, Step::Graph},
                                              {Command::StepEnterData, Step::EnterData}};
    for (const auto& [command, step] : moves) {
        mainForm->commandAction(command)->trigger();
        EXPECT_EQ(form->currentStep(), step);
    }
    EXPECT_TRUE(mainForm->commandAction(Command::StepEnterData)->isChecked());
}

TEST_F(DocumentsTest, BusyStateMakesFileStepAndWindowCommandsDoNothing)
{
    TAnalysisForm* form = modifiedDocument(*mainForm);
    progress.BeginCalculation(nullptr);
    for (const Command command : {Command::NewFile, Command::NextStep, Command::Duplicate, Command::ClearAll})
        mainForm->commandAction(command)->trigger();
    EXPECT_TRUE(mainForm->documents().size() == 1 && form->currentStep() == Step::DataFormat);
    EXPECT_FALSE(mainForm->closeActiveDocument());
    EXPECT_EQ(mainForm->openFileByName(example("sleep_paired.OXD")), nullptr);
    EXPECT_FALSE(mainForm->saveActiveDocument(TAnalysisForm::SaveMode::SaveAs));

    // Exit and a hand-over wait for the calculation, then are carried out.
    mainForm->exitProgram();
    mainForm->handOverReceived(example("tea_tasting_2x2.OXD"));
    EXPECT_TRUE(mainForm->isVisible() && mainForm->documents().size() == 1);
    EXPECT_TRUE(asker.questions.isEmpty() && asker.messages.isEmpty());

    progress.EndCalculation();
    form->dataSet().modified = false;
    EXPECT_TRUE(waitUntil([this] { return !mainForm->isVisible(); }));
    EXPECT_EQ(mainForm->settings().recentFiles.entries(), QStringList{example("tea_tasting_2x2.OXD")});
}

// The step pages inside a data set window, driven through the main window's
// commands as a user drives them.
using StepsInWindowTest = GridTest;

TEST_F(StepsInWindowTest, FromTypedDataToATTestReport)
{
    const char* columns[2][5] = {{"4.1", "5.2", "3.9", "4.8", "5.5"}, {"6.0", "5.8", "6.9", "6.1", "7.2"}};
    for (int column = 0; column < 2; ++column)
        for (int row = 0; row < 5; ++row)
            typeCell(row, column, QString::fromUtf8(columns[column][row]));
    mainForm->commandAction(Command::StepResults)->trigger();
    EXPECT_NE(form->resultsBuffer().text().find("Unpaired t test"), std::string::npos);

    // Append to Notes from the Edit menu takes the whole report when nothing
    // is selected; it changes the document, not its results.
    form->dataSet().modified = false;
    mainForm->commandAction(Command::AppendToNotes)->trigger();
    EXPECT_NE(form->dataSet().notes.text().find("Unpaired t test"), std::string::npos);
    EXPECT_EQ(form->dataSet().notes.text().find('\x80'), std::string::npos);
    EXPECT_TRUE(form->dataSet().modified && !form->dataSet().resultsStale);

    mainForm->commandAction(Command::StepColumnStats)->trigger();
    EXPECT_FALSE(mainForm->commandAction(Command::AppendToNotes)->isEnabled());
}

}  // namespace
}  // namespace ombrix::app::testing
