#pragma once

// Helpers of the GUI tests: an Asker that answers from a script (a question
// without a scripted answer fails the test instead of blocking), example
// documents, typed data, input sent straight to a widget, and a main window
// on a settings file of its own.
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include <deque>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "app/asker.h"
#include "app/data_grid_view.h"
#include "app/main_form.h"
#include "core/cell_entry.h"
#include "tests/support/fakes.h"
#include "workflow/document_io.h"
#include "workflow/progress.h"

namespace ombrix::app::testing {

class ScriptedAsker final : public Asker {
public:
    std::deque<bool> yesNo;
    std::deque<Answer> yesNoCancel;
    std::deque<QString> saveNames;
    std::deque<int> choices;                       // chooseItem answers; the current item when none is left
    std::deque<std::pair<bool, bool>> copyTitles;  // row and column titles; Cancel when none is left
    // Plays the user's part in a dialog; without one the dialog is accepted as it opened.
    std::function<void(QDialog&)> dialogScript;

    QStringList questions;  // every question asked, in order
    QStringList messages;   // every message shown, in order
    QStringList shownAs;    // each message's icon ("critical" or "warning") and detail
    QStringList saveProposals;

    bool askYesNo(QWidget*, const QString& question) override { return answer(yesNo, question, false); }
    Answer askYesNoCancel(QWidget*, const QString& question) override
    {
        return answer(yesNoCancel, question, Answer::Cancel);
    }
    void tell(QWidget*, const QString& message, MessageKind kind, const QString& detail) override
    {
        messages.append(message);
        shownAs.append(QLatin1String(kind == MessageKind::Critical ? "critical " : "warning ") + detail);
    }
    bool tellWithCheckBox(QWidget*, const QString& message, const QString&) override
    {
        messages.append(message);
        return false;
    }
    QString openFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(QWidget*, const QString&, const QString& proposed, const QString&) override
    {
        saveProposals.append(proposed);
        return take(saveNames, QString());
    }
    NewFileChoice askNewFile(QWidget*) override { return NewFileChoice::Cancel; }
    bool askCopyTitles(QWidget*, bool& rowTitles, bool& columnTitles) override
    {
        questions.append(QStringLiteral("Copy to clipboard"));
        if (copyTitles.empty())
            return false;
        std::tie(rowTitles, columnTitles) = copyTitles.front();
        copyTitles.pop_front();
        return true;
    }
    bool runDialog(QDialog& dialog) override
    {
        if (dialogScript)
            dialogScript(dialog);
        else
            dialog.accept();
        return dialog.result() == QDialog::Accepted;
    }
    int chooseItem(QWidget*, const QString&, const QString& label, const QStringList&, int current) override
    {
        questions.append(label);
        return take(choices, current);
    }

private:
    template <typename T> static T take(std::deque<T>& queue, T none)
    {
        if (!queue.empty()) {
            none = queue.front();
            queue.pop_front();
        }
        return none;
    }
    // A question the script has no answer for fails the test.
    template <typename T> T answer(std::deque<T>& queue, const QString& question, T none)
    {
        questions.append(question);
        EXPECT_FALSE(queue.empty()) << "unexpected question: " << question.toStdString();
        return take(queue, none);
    }
};

using ombrix::testing::FakeClock;

inline std::unique_ptr<core::DataSet> openExample(const char* name)
{
    core::OpenResult opened = workflow::openDocument(std::string(OMBRIX_EXAMPLES_DIR) + "/" + name);
    EXPECT_TRUE(opened.dataSet) << name << ": " << opened.message;
    return std::move(opened.dataSet);
}

// Types the cells of one column as a user would.
inline void typeColumn(core::DataSet& dataSet, int column, std::initializer_list<const char*> cells,
                       const char* title = "")
{
    int row = 0;
    for (const char* cell : cells)
        core::enterCellText(dataSet, row++, column, cell, '.', nullptr);
    dataSet.table.setColumnTitle(column, title);
}

template <typename Widget> Widget* child(const QWidget& parent, const char* name)
{
    auto* found = parent.findChild<Widget*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << "no child named " << name;
    return found;
}

inline void pressKey(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                     const QString& text = {})
{
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, key, modifiers, text);
        QApplication::sendEvent(widget, &event);
    }
    QApplication::processEvents();
}

// Sends each character as a key press, as typing would (the key codes of
// printable ASCII are the upper-case characters).
inline void typeText(QWidget* widget, const QString& text)
{
    for (const QChar ch : text)
        pressKey(widget, ch.toUpper().unicode(), Qt::NoModifier, QString(ch));
}

// Lets the event loop run until done() holds or the time is up.
inline bool waitUntil(const std::function<bool()>& done, int milliseconds = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() <= milliseconds) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
    return done();
}

// A main window on a settings file in a folder of its own.
class ShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        settingsFile = std::make_unique<QSettings>(folder.filePath(QStringLiteral("ombrix.ini")), QSettings::IniFormat);
        createMainForm();
    }
    void TearDown() override
    {
        // Whatever is still open is thrown away without questions.
        if (mainForm) {
            for (TAnalysisForm* form : mainForm->documents())
                form->dataSet().modified = false;
            mainForm->close();
        }
        mainForm.reset();
    }
    void createMainForm()
    {
        mainForm = std::make_unique<TMainForm>(*settingsFile, progress, asker);
        mainForm->context().decimalSeparator = '.';
        mainForm->show();
    }
    QString path(const QString& name) const { return folder.filePath(name); }
    static QString example(const char* name) { return QStringLiteral(OMBRIX_EXAMPLES_DIR "/") + QLatin1String(name); }

    QTemporaryDir folder;
    std::unique_ptr<QSettings> settingsFile;
    ScriptedAsker asker;
    FakeClock clock;
    workflow::CalculationProgress progress{clock};
    std::unique_ptr<TMainForm> mainForm;
};

// A new document at its data entry step, with the grid focused.
class GridTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        form = mainForm->newDocument();
        ASSERT_TRUE(form->goToStep(Step::EnterData));
        grid = form->dataGrid();
        grid->setFocus();
    }
    QLineEdit* cellEditor() const
    {
        return grid->viewport()->findChild<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly);
    }
    // Types text into a cell (the first key opens the editor) and presses Enter.
    void typeCell(int row, int column, const QString& text)
    {
        grid->goToCell(row, column);
        typeText(grid, text.left(1));
        ASSERT_NE(cellEditor(), nullptr) << "typing did not open an editor";
        typeText(cellEditor(), text.mid(1));
        pressKey(cellEditor(), Qt::Key_Return);
    }

    TAnalysisForm* form = nullptr;
    DataGridView* grid = nullptr;
};

}  // namespace ombrix::app::testing
