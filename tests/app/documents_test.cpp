// Documents of the main window: names, the limit of ten, opening, saving,
// closing, duplicating, the recently used files, steps and the busy state.
#include <QFile>
#include <QMdiSubWindow>
#include <QMenu>

#include "app/grid_models.h"
#include "core/oxd_file.h"
#include "tests/app/app_test_support.h"
#include "workflow/document_io.h"

namespace ombrix::app::testing {
namespace {

using DocumentsTest = ShellTest;

QStringList names(const QList<TAnalysisForm*>& forms)
{
    QStringList list;
    for (const TAnalysisForm* form : forms)
        list.append(form->documentName());
    return list;
}

void writeText(const QString& path, const QByteArray& text)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

TEST_F(DocumentsTest, TenDocumentsAndTheEleventhIsRefused)
{
    for (int i = 0; i < MaxDocuments; ++i) {
        TAnalysisForm* form = mainForm->newDocument();
        ASSERT_NE(form, nullptr) << "document " << i + 1;
        // Not untouched, so that opening a file does not replace it.
        form->dataSet().table.setTitle("kept");
    }
    EXPECT_EQ(mainForm->documents().size(), MaxDocuments);
    EXPECT_EQ(mainForm->documents().constLast()->documentName(), QStringLiteral("DATASET10.OXD"));

    EXPECT_EQ(mainForm->newDocument(), nullptr);
    EXPECT_EQ(mainForm->openFileByName(example("sleep_paired.OXD")), nullptr);
    EXPECT_EQ(mainForm->duplicateActiveDocument(), nullptr);
    EXPECT_EQ(mainForm->documents().size(), MaxDocuments);
    ASSERT_EQ(asker.messages.size(), 3);
    for (const QString& message : asker.messages)
        EXPECT_EQ(message, QString::fromUtf8(TooManyDocumentsMessage));
}

TEST_F(DocumentsTest, ANewDocumentTakesTheFirstFreeDefaultName)
{
    for (int i = 0; i < 3; ++i)
        mainForm->newDocument();
    mainForm->activateDocument(mainForm->documents().at(1));
    ASSERT_TRUE(mainForm->closeActiveDocument());
    EXPECT_EQ(names(mainForm->documents()), (QStringList{QStringLiteral("DATASET1.OXD"), QStringLiteral("DATASET3.OXD")}));
    EXPECT_EQ(mainForm->newDocument()->documentName(), QStringLiteral("DATASET2.OXD"));
    EXPECT_EQ(mainForm->newDocument()->documentName(), QStringLiteral("DATASET4.OXD"));
}

// What the file holds is the data file's own round trip; here the save
// dialog, the names, the folder and the list of recent files.
TEST_F(DocumentsTest, SaveAsksForANameAndReopenShowsTheSameTable)
{
    TAnalysisForm* form = mainForm->newDocument();
    form->goToStep(Step::EnterData);
    ASSERT_TRUE(form->dataModel()->enterText(1, 1, QStringLiteral("12345678")));
    const QString file = path(QStringLiteral("saved.OXD"));
    const QString startFolder = mainForm->settings().dataFolder;
    asker.saveNames = {path(QStringLiteral("saved"))};  // the extension is added
    ASSERT_TRUE(mainForm->saveActiveDocument(TAnalysisForm::SaveMode::Save));
    EXPECT_EQ(asker.saveProposals.constFirst(), QDir(startFolder).filePath(QStringLiteral("DATASET1.OXD")));
    EXPECT_EQ(form->filePath(), file);
    EXPECT_EQ(form->documentName(), QStringLiteral("saved.OXD"));
    EXPECT_FALSE(form->dataSet().modified);
    EXPECT_EQ(mainForm->settings().dataFolder, folder.path());
    EXPECT_EQ(mainForm->settings().recentFiles.entries().constFirst(), file);

    ASSERT_TRUE(mainForm->closeActiveDocument());
    TAnalysisForm* reopened = mainForm->openFileByName(file);
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(reopened->dataModel()->data(reopened->dataModel()->index(1, 1), Qt::DisplayRole).toString(),
              QStringLiteral("1.235E+07"));
    EXPECT_FALSE(reopened->dataSet().modified);
    EXPECT_EQ(reopened->currentStep(), Step::EnterData);

    // A document with a name is saved without asking.
    ASSERT_TRUE(reopened->dataModel()->enterText(0, 0, QStringLiteral("9")));
    ASSERT_TRUE(reopened->save(TAnalysisForm::SaveMode::Save));
    EXPECT_EQ(asker.saveProposals.size(), 1);
    EXPECT_EQ(workflow::openDocument(file.toStdString()).dataSet->table.value(0, 0), 9.0L);
}

TEST_F(DocumentsTest, FailedSaveShowsTheSystemErrorAndKeepsTheDocumentModified)
{
    TAnalysisForm* form = mainForm->newDocument();
    ASSERT_TRUE(form->dataModel()->enterText(0, 0, QStringLiteral("1")));
    asker.saveNames = {path(QStringLiteral("no such folder/x.OXD"))};
    EXPECT_FALSE(form->save(TAnalysisForm::SaveMode::Save));
    ASSERT_EQ(asker.messages.size(), 1);
    EXPECT_TRUE(asker.messages.constFirst().endsWith(QStringLiteral("x.OXD")));
    EXPECT_TRUE(form->dataSet().modified);
    EXPECT_TRUE(form->hasDefaultName());
}

// When the warning is due is the data file's rule; here its check box
// turns it off for good.
TEST_F(DocumentsTest, CompatibilityWarningAndItsCheckBox)
{
    TAnalysisForm* form = mainForm->newDocument();
    ASSERT_TRUE(form->dataModel()->enterText(0, 27, QStringLiteral("1")));  // column AB needs the new layout
    asker.saveNames = {path(QStringLiteral("wide.OXD"))};
    asker.checkBox = {false};
    ASSERT_TRUE(form->save(TAnalysisForm::SaveMode::Save));
    ASSERT_EQ(asker.messages, QStringList{QString::fromUtf8(core::CompatibilityWarningMessage)});
    EXPECT_TRUE(mainForm->settings().compatibilityWarning);

    TAnalysisForm* other = mainForm->newDocument();
    ASSERT_TRUE(other->dataModel()->enterText(1200, 0, QStringLiteral("1")));
    asker.saveNames = {path(QStringLiteral("long.OXD"))};
    asker.checkBox = {true};
    ASSERT_TRUE(other->save(TAnalysisForm::SaveMode::Save));
    EXPECT_EQ(asker.messages.size(), 2);
    EXPECT_FALSE(mainForm->settings().compatibilityWarning);
}

TEST_F(DocumentsTest, CloseAsksToSaveAModifiedDocument)
{
    TAnalysisForm* form = mainForm->newDocument();
    ASSERT_TRUE(form->dataModel()->enterText(0, 0, QStringLiteral("1")));

    asker.yesNoCancel = {Answer::Cancel};
    EXPECT_FALSE(mainForm->closeActiveDocument());
    EXPECT_EQ(asker.questions.constLast(), QStringLiteral("Do you want to save changes to \"DATASET1.OXD\"?"));

    // Yes, then the save dialog cancelled: the document stays.
    asker.yesNoCancel = {Answer::Yes};
    EXPECT_FALSE(mainForm->closeActiveDocument());
    EXPECT_EQ(mainForm->documents().size(), 1);

    asker.yesNoCancel = {Answer::Yes};
    asker.saveNames = {path(QStringLiteral("closing.OXD"))};
    EXPECT_TRUE(mainForm->closeActiveDocument());
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("closing.OXD"))));
    EXPECT_TRUE(mainForm->documents().isEmpty());

    // An untouched or unmodified document closes without a question.
    mainForm->newDocument();
    EXPECT_TRUE(mainForm->closeActiveDocument());
    EXPECT_EQ(asker.questions.size(), 3);
}

TEST_F(DocumentsTest, OpeningRefusesWhatIsNotADataFile)
{
    const QString text = path(QStringLiteral("notes.txt"));
    writeText(text, "just some text\r\n");
    const QString newer = path(QStringLiteral("newer.OXD"));
    writeText(newer, "Tarvenly Ombrix for Windows Version 4\r\n3.2\r\n1\r\n\r\n\r\n\r\n");
    const QString huge = path(QStringLiteral("huge.OXD"));
    writeText(huge, "x\r\n3.00\r\n1\r\n");
    QFile(huge).resize(static_cast<qint64>(core::MaxFileBytes) + 1);  // sparse: takes no room

    struct Case {
        QString file;
        QString message;
    };
    const Case cases[] = {
        {text, QString::fromUtf8(core::NotADataFileMessage)},
        {newer, QString::fromUtf8(core::NewerVersionMessage)},
        {path(QStringLiteral("missing.OXD")), QString::fromUtf8(FileNotFoundMessage)},
        {huge, QString::fromUtf8(core::TooLargeMessage)},
    };
    for (const Case& c : cases) {
        asker.messages.clear();
        asker.kinds.clear();
        asker.details.clear();
        EXPECT_EQ(mainForm->openFileByName(c.file), nullptr);
        EXPECT_EQ(asker.messages, QStringList{c.message}) << c.file.toStdString();
        EXPECT_EQ(asker.kinds, std::vector<MessageKind>{MessageKind::Critical});
        EXPECT_EQ(asker.details, QStringList{c.file});
    }
    EXPECT_TRUE(mainForm->documents().isEmpty());
    EXPECT_TRUE(mainForm->settings().recentFiles.entries().isEmpty());

    mainForm->settings().recentFiles.add(path(QStringLiteral("gone.OXD")));
    asker.messages.clear();
    EXPECT_EQ(mainForm->openRecent(0), nullptr);
    EXPECT_EQ(asker.messages, QStringList{QString::fromUtf8(FileNotFoundMessage)});
}

TEST_F(DocumentsTest, RowsBeyondTheTableAreReported)
{
    const QString file = path(QStringLiteral("rows.OXD"));
    QByteArray text = "x\r\n3.00\r\n1\r\n\r\n\r\n\r\n\r\n";
    for (int r = 0; r <= core::MaxFileRows; ++r)
        text += "1,\r\n";
    writeText(file, text);
    EXPECT_NE(mainForm->openFileByName(file), nullptr);
    EXPECT_EQ(asker.messages, QStringList{QString::fromUtf8(core::TooManyRowsMessage)});
    EXPECT_EQ(asker.kinds, std::vector<MessageKind>{MessageKind::Warning});
}

TEST_F(DocumentsTest, OpeningReplacesAnUntouchedDocumentAndActivatesOneAlreadyOpen)
{
    mainForm->newDocument();
    TAnalysisForm* opened = mainForm->openFileByName(example("sleep_paired.OXD"));
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(names(mainForm->documents()), QStringList{QStringLiteral("sleep_paired.OXD")});

    // A document with only notes is not untouched.
    TAnalysisForm* withNotes = mainForm->newDocument();
    withNotes->dataSet().notes.setText("keep me");
    mainForm->openFileByName(example("tea_tasting_2x2.OXD"));
    EXPECT_EQ(mainForm->documents().size(), 3);

    EXPECT_EQ(mainForm->openFileByName(example("sleep_paired.OXD")), opened);
    EXPECT_EQ(mainForm->activeDocument(), opened);
    EXPECT_EQ(mainForm->documents().size(), 3);
}

TEST_F(DocumentsTest, RecentListPutsTheLastOpenedFirst)
{
    const char* files[] = {"sleep_paired.OXD", "tea_tasting_2x2.OXD", "car_stopping_xy.OXD",
                           "light_speed_mean_sd.OXD", "plant_growth_mean_sem.OXD"};
    for (const char* file : files)
        ASSERT_NE(mainForm->openFileByName(example(file)), nullptr);
    // Position 4 (the second opened) moves to the top; 1 to 3 move down.
    const QStringList before = mainForm->settings().recentFiles.entries();
    ASSERT_EQ(before.at(3), example("tea_tasting_2x2.OXD"));
    ASSERT_NE(mainForm->openRecent(3), nullptr);
    const QStringList after = mainForm->settings().recentFiles.entries();
    EXPECT_EQ(after, (QStringList{before.at(3), before.at(0), before.at(1), before.at(2), before.at(4)}));

    const QList<QAction*> items = mainForm->recentFileActions();
    ASSERT_EQ(items.size(), 5);
    EXPECT_EQ(items.at(0)->text(), QStringLiteral("&1 ") + after.at(0));
    EXPECT_EQ(items.at(4)->text(), QStringLiteral("&5 ") + after.at(4));
}

TEST_F(DocumentsTest, DuplicateOpensAnIdenticalCopyUnderADefaultName)
{
    TAnalysisForm* source = mainForm->openFileByName(example("sleep_paired.OXD"));
    ASSERT_NE(source, nullptr);
    ASSERT_TRUE(source->dataModel()->enterText(0, 0, QStringLiteral("0.75")));
    source->dataSet().table.setExcluded(1, 1, true);
    ASSERT_TRUE(source->dataSet().modified);

    TAnalysisForm* copy = mainForm->duplicateActiveDocument();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->documentName(), QStringLiteral("DATASET1.OXD"));
    EXPECT_TRUE(copy->hasDefaultName());
    EXPECT_TRUE(source->dataSet().modified);
    EXPECT_EQ(source->filePath(), example("sleep_paired.OXD"));
    // Both as files, with the statistics of the cells they hold.
    auto expected = workflow::openDocumentText(core::writeDataSetText(source->dataSet())).dataSet;
    ASSERT_NE(expected, nullptr);
    EXPECT_TRUE(core::writeDataSetText(copy->dataSet()) == core::writeDataSetText(*expected));
    EXPECT_TRUE(copy->isWindowModified());
    // The temporary file is neither kept nor remembered.
    EXPECT_EQ(mainForm->settings().recentFiles.entries(), QStringList{example("sleep_paired.OXD")});
}

TEST_F(DocumentsTest, NewFileDialogChoices)
{
    mainForm->newAnalysis();  // nothing open: no question
    EXPECT_EQ(mainForm->documents().size(), 1);

    asker.newFile = {NewFileChoice::CreateAnother, NewFileChoice::Duplicate, NewFileChoice::CloseAndCreate,
                     NewFileChoice::Cancel};
    mainForm->newAnalysis();
    EXPECT_EQ(mainForm->documents().size(), 2);
    mainForm->newAnalysis();
    EXPECT_EQ(mainForm->documents().size(), 3);
    mainForm->newAnalysis();
    EXPECT_EQ(mainForm->documents().size(), 3);
    mainForm->newAnalysis();
    EXPECT_EQ(mainForm->documents().size(), 3);
}

TEST_F(DocumentsTest, StepsMoveInOrderAndSkipDisabledOnes)
{
    TAnalysisForm* form = mainForm->newDocument();
    EXPECT_EQ(form->currentStep(), Step::DataFormat);
    EXPECT_TRUE(mainForm->commandAction(Command::StepDataFormat)->isChecked());
    EXPECT_FALSE(mainForm->commandAction(Command::StepGraph)->isEnabled());

    QAction* next = mainForm->commandAction(Command::NextStep);
    QAction* previous = mainForm->commandAction(Command::PreviousStep);
    previous->trigger();
    EXPECT_EQ(form->currentStep(), Step::DataFormat);
    form->setStepEnabled(Step::ChooseTest, false);
    const Step forward[] = {Step::EnterData, Step::ColumnStats, Step::Results, Step::Results};
    for (const Step step : forward) {
        next->trigger();
        EXPECT_EQ(form->currentStep(), step);
    }
    previous->trigger();
    EXPECT_EQ(form->currentStep(), Step::ColumnStats);
    mainForm->commandAction(Command::StepEnterData)->trigger();
    EXPECT_EQ(form->currentStep(), Step::EnterData);
    EXPECT_TRUE(mainForm->commandAction(Command::StepEnterData)->isChecked());
    mainForm->commandAction(Command::StepGraph)->trigger();
    EXPECT_EQ(form->currentStep(), Step::EnterData);
}

TEST_F(DocumentsTest, BusyStateMakesFileStepAndWindowCommandsDoNothing)
{
    TAnalysisForm* form = mainForm->newDocument();
    ASSERT_TRUE(form->dataModel()->enterText(0, 0, QStringLiteral("1")));
    progress.BeginCalculation(nullptr);

    mainForm->commandAction(Command::NewFile)->trigger();
    mainForm->commandAction(Command::NextStep)->trigger();
    mainForm->commandAction(Command::Duplicate)->trigger();
    mainForm->commandAction(Command::ClearAll)->trigger();
    EXPECT_EQ(mainForm->documents().size(), 1);
    EXPECT_EQ(form->currentStep(), Step::DataFormat);
    EXPECT_FALSE(mainForm->closeActiveDocument());
    EXPECT_EQ(mainForm->openFileByName(example("sleep_paired.OXD")), nullptr);
    EXPECT_FALSE(mainForm->saveActiveDocument(TAnalysisForm::SaveMode::SaveAs));

    // Exit waits for the calculation; the main window stays.
    mainForm->exitProgram();
    EXPECT_TRUE(mainForm->isVisible());
    // A hand-over waits too, and is carried out when the calculation ends.
    mainForm->handOverReceived(example("tea_tasting_2x2.OXD"));
    EXPECT_EQ(mainForm->documents().size(), 1);
    EXPECT_TRUE(asker.questions.isEmpty());
    EXPECT_TRUE(asker.messages.isEmpty());

    progress.EndCalculation();
    form->dataSet().modified = false;
    EXPECT_TRUE(waitUntil([this] { return !mainForm->isVisible(); }));
    EXPECT_EQ(mainForm->settings().recentFiles.entries(), QStringList{example("tea_tasting_2x2.OXD")});
}

}  // namespace
}  // namespace ombrix::app::testing
