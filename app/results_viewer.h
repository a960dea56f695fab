#pragma once

#include <QAbstractScrollArea>
#include <QFont>
#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "analyses/report_notes.h"

class QMenu;

namespace ombrix::core {
class Notes;
}

namespace ombrix::app {

// A stretch of one report line drawn in one style. Columns count characters
// as the report lays them out; the style marks take none.
struct ReportRun {
    QString text;
    int column = 0;
    int width = 0;
    bool bold = false;
    bool underline = false;
    bool italic = false;
};

// The styled runs of one stored report line, marks removed. Every stored
// line is balanced by itself, so each one starts plain; a mark that is left
// open at the end of a line is simply closed there.
std::vector<ReportRun> reportLineRuns(std::string_view line);

// The characters from column `from` up to `to` (not included) of a line
// without marks; columns beyond the end are clamped.
QString reportColumns(std::string_view plainLine, int from, int to);

// The read-only view of a closed report: fixed-pitch text with bold,
// underline and italic between their marks, scrolling, selection with mouse
// and keyboard, Copy and "Append to Notes".
//
// The viewer reads the buffer it is given only while that buffer is closed:
// during a calculation the buffer is being rewritten and shows nothing.
// Only the lines in view are laid out, so a report of tens of thousands of
// lines scrolls as easily as a short one.
class TResultsViewer final : public QAbstractScrollArea {
    Q_OBJECT

public:
    // Shows the room-check message of "Append to Notes"; a message box by default.
    using MessageShower = std::function<void(const QString& message)>;

    explicit TResultsViewer(QWidget* parent = nullptr);

    // The report to show (null for none). The buffer must stay alive while
    // it is shown. Goes to the top and clears the selection.
    void setReport(const analyses::ResultsBuffer* report);
    // The same report again, unchanged: keeps the place and the selection.
    void refreshReport();
    const analyses::ResultsBuffer* report() const { return m_report; }

    // Where "Append to Notes" writes; without notes the command does nothing.
    void setNotes(core::Notes* notes) { m_notes = notes; }
    void setMessageShower(MessageShower shower) { m_showMessage = std::move(shower); }

    int lineCount() const;
    // Anchor and cursor of the selection; equal when nothing is selected.
    analyses::ReportPosition anchor() const { return m_anchor; }
    analyses::ReportPosition cursorPosition() const { return m_cursor; }
    void setSelection(analyses::ReportPosition anchor, analyses::ReportPosition cursor);
    bool hasSelection() const;
    // The selected characters, marks removed, lines joined by '\n'.
    QString selectedText() const;
    // The whole report as plain text.
    QString plainText() const;

    // Pixel geometry of the text, for hit tests and checks.
    int lineHeight() const { return m_lineHeight; }
    qreal characterWidth() const { return m_charWidth; }
    int firstVisibleLine() const;

    // The pop-up menu ("Copy", "Append to Notes"); the caller owns it.
    QMenu* createContextMenu(QWidget* parent);

public Q_SLOTS:
    // The selection, or the whole report when nothing is selected.
    void copy();
    // "Append to &Notes": the selection, or the whole report when nothing
    // (or a single character) is selected; refused with a message when the
    // notes lack room.
    void appendToNotes();
    void selectAll();

Q_SIGNALS:
    void notesAppended();
    void selectionChanged();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool readable() const;
    std::string_view line(int index) const;
    int lineWidth(int index) const;
    int visibleLines() const;
    void updateMetrics();
    void updateScrollBars();
    void ensureCursorVisible();
    analyses::ReportPosition positionAt(const QPoint& point) const;
    analyses::ReportPosition clamped(analyses::ReportPosition position) const;
    void moveCursor(analyses::ReportPosition to, bool extend, bool keepPreferredColumn = false);
    bool handleNavigationKey(QKeyEvent* event);
    QString textOf(const std::optional<analyses::ReportSelection>& selection) const;

    const analyses::ResultsBuffer* m_report = nullptr;
    core::Notes* m_notes = nullptr;
    MessageShower m_showMessage;
    // Plain, bold (1), italic (2) and both; underlines are drawn apart.
    std::array<QFont, 4> m_fonts;
    // Whether a face advances exactly as the plain one, so its runs can be
    // drawn whole; otherwise they are drawn character by character.
    std::array<bool, 4> m_drawsWholeRuns{};
    qreal m_charWidth = 8;
    int m_lineHeight = 16;
    qreal m_ascent = 12;
    qreal m_underlineOffset = 2;
    qreal m_underlineWidth = 1;
    int m_widestLine = 0;
    analyses::ReportPosition m_anchor;
    analyses::ReportPosition m_cursor;
    // The column Up and Down aim for, kept across shorter lines.
    int m_preferredColumn = 0;
    bool m_dragging = false;
};

}  // namespace ombrix::app
