#pragma once

// Helpers of the shell's GUI tests: an Asker that answers from a script
// (a question without a scripted answer fails the test instead of blocking),
// key presses sent straight to a widget, and a main window on a settings
// file of its own.
#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "app/asker.h"
#include "app/main_form.h"
#include "workflow/progress.h"

namespace ombrix::app::testing {

class ScriptedAsker final : public Asker {
public:
    std::deque<bool> yesNo;
    std::deque<Answer> yesNoCancel;
    std::deque<bool> checkBox;
    std::deque<QString> openNames;
    std::deque<QString> saveNames;
    std::deque<NewFileChoice> newFile;

    QStringList questions;  // every question asked, in order
    QStringList messages;   // every message shown, in order
    std::vector<MessageKind> kinds;  // their icons
    QStringList details;
    QStringList saveProposals;

    bool askYesNo(QWidget*, const QString& question) override
    {
        questions.append(question);
        if (yesNo.empty()) {
            ADD_FAILURE() << "unexpected question: " << question.toStdString();
            return false;
        }
        return take(yesNo);
    }
    Answer askYesNoCancel(QWidget*, const QString& question) override
    {
        questions.append(question);
        if (yesNoCancel.empty()) {
            ADD_FAILURE() << "unexpected question: " << question.toStdString();
            return Answer::Cancel;
        }
        return take(yesNoCancel);
    }
    void tell(QWidget*, const QString& message, MessageKind kind, const QString& detail) override
    {
        messages.append(message);
        kinds.push_back(kind);
        details.append(detail);
    }
    bool tellWithCheckBox(QWidget*, const QString& message, const QString&) override
    {
        messages.append(message);
        return checkBox.empty() ? false : take(checkBox);
    }
    QString openFileName(QWidget*, const QString&, const QString&, const QString&) override
    {
        return openNames.empty() ? QString() : take(openNames);
    }
    QString saveFileName(QWidget*, const QString&, const QString& proposed, const QString&) override
    {
        saveProposals.append(proposed);
        return saveNames.empty() ? QString() : take(saveNames);
    }
    NewFileChoice askNewFile(QWidget*) override
    {
        return newFile.empty() ? NewFileChoice::Cancel : take(newFile);
    }

private:
    template <typename T>
    static T take(std::deque<T>& queue)
    {
        T value = queue.front();
        queue.pop_front();
        return value;
    }
};

class FixedClock final : public workflow::Clock {
public:
    std::int64_t milliseconds() override { return now; }
    std::int64_t now = 0;
};

inline void pressKey(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                     const QString& text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(widget, &release);
    QApplication::processEvents();
}

// Lets the event loop run until done() holds or the time is up.
inline bool waitUntil(const std::function<bool()>& done, int milliseconds = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > milliseconds)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
    return true;
}

// Sends each character as a key press, as typing would.
inline void typeText(QWidget* widget, const QString& text)
{
    for (const QChar ch : text) {
        const int key = ch.isLetter() ? Qt::Key_A + (ch.toUpper().unicode() - 'A')
                        : ch.isDigit() ? Qt::Key_0 + (ch.unicode() - '0')
                        : ch == QLatin1Char('.') ? Qt::Key_Period
                        : ch == QLatin1Char(',') ? Qt::Key_Comma
                        : ch == QLatin1Char('-') ? Qt::Key_Minus
                                                 : Qt::Key_Space;
        pressKey(widget, key, Qt::NoModifier, QString(ch));
    }
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

    static QString example(const char* name)
    {
        return QStringLiteral(OMBRIX_EXAMPLES_DIR "/") + QString::fromUtf8(name);
    }

    QTemporaryDir folder;
    std::unique_ptr<QSettings> settingsFile;
    ScriptedAsker asker;
    FixedClock clock;
    workflow::CalculationProgress progress{clock};
    std::unique_ptr<TMainForm> mainForm;
};

}  // namespace ombrix::app::testing
