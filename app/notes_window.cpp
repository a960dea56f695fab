#include "app/notes_window.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QVBoxLayout>

namespace ombrix::app {

namespace {

// How many characters of an editor text fit into maxBytes of stored notes
// (UTF-8, each line break stored as CR LF).
qsizetype fittingLength(const QString& text, int maxBytes)
{
    qsizetype bytes = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const char16_t ch = text.at(i).unicode();
        qsizetype size = 3;
        qsizetype units = 1;
        if (ch == u'\n')
            size = 2;
        else if (ch < 0x80)
            size = 1;
        else if (ch < 0x800)
            size = 2;
        else if (QChar::isHighSurrogate(ch) && i + 1 < text.size()) {
            size = 4;
            units = 2;
        }
        if (bytes + size > maxBytes)
            break;
        bytes += size;
        i += units;
    }
    return i;
}

}  // namespace

NotesWindow::NotesWindow(core::Notes& notes, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_notes(notes)
    , m_editor(new QPlainTextEdit(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_editor);
    m_editor->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    resize(560, 360);
    connect(m_editor, &QPlainTextEdit::textChanged, this, &NotesWindow::store);
    reload();
}

std::string NotesWindow::storedText(const QString& editorText)
{
    QString text = editorText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text.toStdString();
}

QString NotesWindow::editorText(const std::string& stored)
{
    QString text = QString::fromStdString(stored);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

void NotesWindow::reload()
{
    m_loading = true;
    m_editor->setPlainText(editorText(m_notes.text()));
    m_loading = false;
}

void NotesWindow::setDocumentName(const QString& name)
{
    setWindowTitle(tr("Notes - %1").arg(name));
}

void NotesWindow::store()
{
    if (m_loading)
        return;
    QString text = m_editor->toPlainText();
    std::string stored = storedText(text);
    if (stored.size() > static_cast<size_t>(core::Notes::MaxTextLength)) {
        // Full: what was typed past the end is taken back, whole characters
        // at a time, and the editor shows what the notes keep.
        text.truncate(fittingLength(text, core::Notes::MaxTextLength));
        stored = storedText(text);
        m_loading = true;
        const int position = std::min(m_editor->textCursor().position(), static_cast<int>(text.size()));
        m_editor->setPlainText(text);
        QTextCursor cursor = m_editor->textCursor();
        cursor.setPosition(position);
        m_editor->setTextCursor(cursor);
        m_loading = false;
        QApplication::beep();
    }
    m_notes.setText(stored);
    Q_EMIT edited();
}

}  // namespace ombrix::app
