#pragma once

#include <QAbstractButton>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>

#include "core/cell_entry.h"
#include "core/data_set.h"
#include "workflow/document_io.h"
#include "workflow/progress.h"

// Helpers for the tests of the step pages: example documents, typed data,
// simulated input and a clock the test moves by hand.
namespace ombrix::app::testing {

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

template <typename Widget>
Widget* child(const QWidget& parent, const char* name)
{
    auto* found = parent.findChild<Widget*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << "no child named " << name;
    return found;
}

inline void sendKey(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QCoreApplication::sendEvent(widget, &release);
}

// Types text into the focused editor key by key, as a user does.
inline void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, c.toUpper().unicode(), Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(widget, &press);
    }
}

inline void sendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button,
                      Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), button, buttons, modifiers);
    QCoreApplication::sendEvent(widget, &event);
}

class FakeClock final : public workflow::Clock {
public:
    std::int64_t now = 0;
    std::int64_t milliseconds() override { return now; }
};

}  // namespace ombrix::app::testing
