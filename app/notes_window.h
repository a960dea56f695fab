#pragma once

#include <QWidget>

#include "core/notes.h"

class QPlainTextEdit;

namespace ombrix::app {

// The notes of one data set in a window of their own. Every change goes
// into the data set at once, cut to what the notes can hold.
class NotesWindow final : public QWidget {
    Q_OBJECT
public:
    NotesWindow(core::Notes& notes, QWidget* parent);

    // Shows the notes again after they changed elsewhere (Append to Notes).
    void reload();
    void setDocumentName(const QString& name);
    QPlainTextEdit* editor() const { return m_editor; }

    // The notes' stored form (lines ended by CR LF) of an editor text, and back.
    static std::string storedText(const QString& editorText);
    static QString editorText(const std::string& stored);

Q_SIGNALS:
    void edited();

private:
    void store();

    core::Notes& m_notes;
    QPlainTextEdit* m_editor;
    bool m_loading = false;
};

}  // namespace ombrix::app
