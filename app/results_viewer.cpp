#include "app/results_viewer.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QtMath>

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>
#include <tuple>

#include "analyses/report_chars.h"
#include "analyses/results_buffer.h"
#include "core/notes.h"

namespace ombrix::app {

using analyses::ReportPosition;
using analyses::ReportSelection;

namespace {

constexpr int Margin = 4;

bool before(const ReportPosition& a, const ReportPosition& b)
{
    return std::tie(a.line, a.column) < std::tie(b.line, b.column);
}

bool same(const ReportPosition& a, const ReportPosition& b)
{
    return a.line == b.line && a.column == b.column;
}

ReportPosition earlier(const ReportPosition& a, const ReportPosition& b)
{
    return before(b, a) ? b : a;
}

ReportPosition later(const ReportPosition& a, const ReportPosition& b)
{
    return before(b, a) ? a : b;
}

int fontIndex(bool bold, bool italic)
{
    return (bold ? 1 : 0) | (italic ? 2 : 0);
}

bool isWordCharacter(char32_t c)
{
    return c != U' ' && c != U'\t';
}

}  // namespace

std::vector<ReportRun> reportLineRuns(std::string_view line)
{
    std::vector<ReportRun> runs;
    for (const analyses::StyledRun& run : analyses::styledRuns(line))
        runs.push_back({QString::fromStdString(run.text), run.column, run.width, run.bold, run.underline, run.italic});
    return runs;
}

QString reportColumns(std::string_view plainLine, int from, int to)
{
    const std::string_view columns = analyses::reportColumns(plainLine, from, to);
    return QString::fromUtf8(columns.data(), static_cast<qsizetype>(columns.size()));
}

TResultsViewer::TResultsViewer(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    setObjectName(QStringLiteral("ResultsViewer1"));
    setAccessibleName(tr("Results report"));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    const QFont base = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (int i = 0; i < static_cast<int>(m_fonts.size()); ++i) {
        QFont font = base;
        font.setBold(i & 1);
        font.setItalic(i & 2);
        m_fonts[i] = font;
    }
    updateMetrics();

    m_showMessage = [this](const QString& message) {
        QMessageBox::warning(window(), QGuiApplication::applicationDisplayName(), message);
    };
}

void TResultsViewer::updateMetrics()
{
    // Advances are fractional with most fonts; columns are placed by
    // multiplying, never by adding rounded widths, so they stay aligned.
    const QFontMetricsF metrics(m_fonts[0]);
    m_charWidth = std::max<qreal>(1, metrics.horizontalAdvance(QLatin1Char('M')));
    for (int i = 0; i < static_cast<int>(m_fonts.size()); ++i) {
        const qreal advance = QFontMetricsF(m_fonts[i]).horizontalAdvance(QLatin1Char('M'));
        m_drawsWholeRuns[i] = std::abs(advance - m_charWidth) < 0.01;
    }
    m_lineHeight = std::max(1, qCeil(metrics.lineSpacing()));
    m_ascent = metrics.ascent();
    m_underlineOffset = metrics.underlinePos();
    m_underlineWidth = std::max<qreal>(1, metrics.lineWidth());
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(qCeil(m_charWidth));
}

bool TResultsViewer::readable() const
{
    return m_report && m_report->isClosed();
}

int TResultsViewer::lineCount() const
{
    return readable() ? m_report->indexedLineCount() : 0;
}

std::string_view TResultsViewer::line(int index) const
{
    return readable() ? m_report->line(index) : std::string_view();
}

int TResultsViewer::lineWidth(int index) const
{
    return analyses::displayWidth(line(index));
}

int TResultsViewer::visibleLines() const
{
    return std::max(1, viewport()->height() / m_lineHeight);
}

int TResultsViewer::firstVisibleLine() const
{
    return verticalScrollBar()->value();
}

void TResultsViewer::setReport(const analyses::ResultsBuffer* report)
{
    m_report = report;
    m_anchor = m_cursor = {};
    m_preferredColumn = 0;
    m_dragging = false;
    m_widestLine = 0;
    const int count = lineCount();
    for (int i = 0; i < count; ++i)
        m_widestLine = std::max(m_widestLine, lineWidth(i));
    updateScrollBars();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    viewport()->update();
    Q_EMIT selectionChanged();
}

void TResultsViewer::refreshReport()
{
    const int vertical = verticalScrollBar()->value();
    const int horizontal = horizontalScrollBar()->value();
    const ReportPosition anchor = m_anchor;
    const ReportPosition cursor = m_cursor;
    setReport(m_report);
    verticalScrollBar()->setValue(vertical);
    horizontalScrollBar()->setValue(horizontal);
    setSelection(anchor, cursor);
}

void TResultsViewer::updateScrollBars()
{
    const int page = visibleLines();
    verticalScrollBar()->setPageStep(page);
    verticalScrollBar()->setRange(0, std::max(0, lineCount() - page));
    const int contentWidth = 2 * Margin + qCeil((m_widestLine + 1) * m_charWidth);
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setRange(0, std::max(0, contentWidth - viewport()->width()));
}

ReportPosition TResultsViewer::clamped(ReportPosition position) const
{
    const int count = lineCount();
    position.line = std::clamp(position.line, 0, std::max(0, count - 1));
    position.column = std::clamp(position.column, 0, lineWidth(position.line));
    return position;
}

void TResultsViewer::setSelection(ReportPosition anchor, ReportPosition cursor)
{
    m_anchor = clamped(anchor);
    m_cursor = clamped(cursor);
    m_preferredColumn = m_cursor.column;
    viewport()->update();
    Q_EMIT selectionChanged();
}

bool TResultsViewer::hasSelection() const
{
    return readable() && !same(m_anchor, m_cursor);
}

QString TResultsViewer::textOf(const std::optional<ReportSelection>& selection) const
{
    const int count = lineCount();
    int firstLine = 0;
    int lastLine = count - 1;
    ReportPosition start{0, 0};
    ReportPosition end{count - 1, INT_MAX};
    if (selection) {
        start = earlier(selection->start, selection->end);
        end = later(selection->start, selection->end);
        firstLine = start.line;
        lastLine = std::min(end.line, count - 1);
    }
    QStringList lines;
    for (int i = firstLine; i <= lastLine; ++i) {
        const std::string plain = analyses::stripMarks(line(i));
        const int from = i == start.line ? start.column : 0;
        const int to = i == end.line ? end.column : INT_MAX;
        lines.append(reportColumns(plain, from, to));
    }
    return lines.join(QLatin1Char('\n'));
}

QString TResultsViewer::selectedText() const
{
    if (!hasSelection())
        return {};
    return textOf(ReportSelection{m_anchor, m_cursor});
}

QString TResultsViewer::plainText() const
{
    return textOf(std::nullopt);
}

void TResultsViewer::copy()
{
    if (!readable())
        return;
    QGuiApplication::clipboard()->setText(hasSelection() ? selectedText() : plainText());
}

void TResultsViewer::appendToNotes()
{
    if (!readable() || !m_notes)
        return;
    std::optional<ReportSelection> selection;
    if (hasSelection())
        selection = ReportSelection{m_anchor, m_cursor};
    const std::optional<std::string> refused = analyses::appendReportToNotes(*m_report, selection, *m_notes);
    if (refused) {
        if (m_showMessage)
            m_showMessage(QString::fromStdString(*refused));
        return;
    }
    Q_EMIT notesAppended();
}

void TResultsViewer::selectAll()
{
    const int count = lineCount();
    if (count == 0)
        return;
    setSelection({0, 0}, {count - 1, lineWidth(count - 1)});
}

QMenu* TResultsViewer::createContextMenu(QWidget* parent)
{
    auto* menu = new QMenu(parent);
    QAction* copyAction = menu->addAction(tr("Copy"), this, &TResultsViewer::copy);
    QAction* notesAction = menu->addAction(tr("Append to Notes"), this, &TResultsViewer::appendToNotes);
    copyAction->setEnabled(readable());
    notesAction->setEnabled(readable() && m_notes);
    return menu;
}

void TResultsViewer::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(viewport());
    const int count = lineCount();
    if (count == 0)
        return;

    const int first = firstVisibleLine();
    const int last = std::min(count - 1, first + viewport()->height() / m_lineHeight + 1);
    const qreal left = Margin - horizontalScrollBar()->value();
    auto xOf = [&](int column) { return left + column * m_charWidth; };
    const QPalette& palette = this->palette();
    const ReportPosition selectionStart = earlier(m_anchor, m_cursor);
    const ReportPosition selectionEnd = later(m_anchor, m_cursor);
    const bool selecting = hasSelection();

    for (int i = first; i <= last; ++i) {
        const int top = (i - first) * m_lineHeight;
        const qreal baseline = top + m_ascent;
        const std::vector<ReportRun> runs = reportLineRuns(line(i));
        auto drawRuns = [&] {
            for (const ReportRun& run : runs) {
                const int style = fontIndex(run.bold, run.italic);
                painter.setFont(m_fonts[style]);
                if (m_drawsWholeRuns[style]) {
                    painter.drawText(QPointF(xOf(run.column), baseline), run.text);
                } else {
                    // A bold or italic face that is wider than the plain one
                    // would push the columns after it out of line.
                    const std::u32string characters = run.text.toStdU32String();
                    for (std::size_t k = 0; k < characters.size(); ++k)
                        painter.drawText(QPointF(xOf(run.column + static_cast<int>(k)), baseline),
                                         QString::fromUcs4(&characters[k], 1));
                }
                // Drawn by hand so that the blanks a title is centred with
                // are underlined too, all the way from the mark.
                if (run.underline)
                    painter.fillRect(QRectF(xOf(run.column), baseline + m_underlineOffset, run.width * m_charWidth,
                                            m_underlineWidth),
                                     painter.pen().color());
            }
        };
        painter.setPen(palette.color(QPalette::Text));
        drawRuns();

        if (selecting && i >= selectionStart.line && i <= selectionEnd.line) {
            const int from = i == selectionStart.line ? selectionStart.column : 0;
            // A selection that goes on past the line end takes its line break too.
            const int to = i == selectionEnd.line ? selectionEnd.column : lineWidth(i) + 1;
            if (to > from) {
                const QRectF band(xOf(from), top, (to - from) * m_charWidth, m_lineHeight);
                painter.save();
                painter.setClipRect(band);
                painter.fillRect(band, palette.color(QPalette::Highlight));
                painter.setPen(palette.color(QPalette::HighlightedText));
                drawRuns();
                painter.restore();
            }
        }
        if (hasFocus() && i == m_cursor.line) {
            painter.fillRect(QRectF(xOf(m_cursor.column), top, 1, m_lineHeight), palette.color(QPalette::Text));
        }
    }
}

void TResultsViewer::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

ReportPosition TResultsViewer::positionAt(const QPoint& point) const
{
    const int y = point.y();
    int lineIndex = firstVisibleLine() + (y < 0 ? -1 - (-y - 1) / m_lineHeight : y / m_lineHeight);
    const qreal x = point.x() - Margin + horizontalScrollBar()->value();
    // The nearer gap between two characters, as text editors do.
    const int column = x < 0 ? 0 : static_cast<int>(x / m_charWidth + 0.5);
    lineIndex = std::clamp(lineIndex, 0, std::max(0, lineCount() - 1));
    return clamped({lineIndex, column});
}

void TResultsViewer::moveCursor(ReportPosition to, bool extend, bool keepPreferredColumn)
{
    const int previousLine = m_cursor.line;
    m_cursor = clamped(to);
    if (m_cursor.line != previousLine && readable()) {
        // A screen reader reads the report line by line as the cursor moves.
        setAccessibleDescription(QString::fromStdString(analyses::stripMarks(line(m_cursor.line))));
        QAccessibleEvent event(this, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&event);
    }
    if (!extend)
        m_anchor = m_cursor;
    if (!keepPreferredColumn)
        m_preferredColumn = m_cursor.column;
    ensureCursorVisible();
    viewport()->update();
    Q_EMIT selectionChanged();
}

void TResultsViewer::ensureCursorVisible()
{
    QScrollBar* vertical = verticalScrollBar();
    const int page = visibleLines();
    if (m_cursor.line < vertical->value())
        vertical->setValue(m_cursor.line);
    else if (m_cursor.line >= vertical->value() + page)
        vertical->setValue(m_cursor.line - page + 1);

    QScrollBar* horizontal = horizontalScrollBar();
    const int x = qFloor(m_cursor.column * m_charWidth);
    const int room = viewport()->width() - 2 * Margin - qCeil(m_charWidth);
    if (x < horizontal->value())
        horizontal->setValue(x);
    else if (room > 0 && x > horizontal->value() + room)
        horizontal->setValue(x - room);
}

void TResultsViewer::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !readable()) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    moveCursor(positionAt(event->position().toPoint()), event->modifiers().testFlag(Qt::ShiftModifier));
    m_dragging = true;
}

void TResultsViewer::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging || !event->buttons().testFlag(Qt::LeftButton)) {
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    moveCursor(positionAt(event->position().toPoint()), true);
}

void TResultsViewer::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_dragging || event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    m_dragging = false;
    // The desktop's primary selection: middle-click pastes what was selected.
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (hasSelection() && clipboard->supportsSelection())
        clipboard->setText(selectedText(), QClipboard::Selection);
}

void TResultsViewer::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !readable()) {
        QAbstractScrollArea::mouseDoubleClickEvent(event);
        return;
    }
    // Selects the word (a number, a P value) under the pointer.
    const ReportPosition at = positionAt(event->position().toPoint());
    const std::u32string characters = reportColumns(analyses::stripMarks(line(at.line)), 0, INT_MAX).toStdU32String();
    const int width = static_cast<int>(characters.size());
    int from = std::min(at.column, width);
    if (from == width && from > 0)
        --from;
    if (from >= width || !isWordCharacter(characters[from]))
        return;
    int to = from;
    while (from > 0 && isWordCharacter(characters[from - 1]))
        --from;
    while (to < width && isWordCharacter(characters[to]))
        ++to;
    setSelection({at.line, from}, {at.line, to});
}

bool TResultsViewer::handleNavigationKey(QKeyEvent* event)
{
    const bool extend = event->modifiers().testFlag(Qt::ShiftModifier);
    const bool control = event->modifiers().testFlag(Qt::ControlModifier);
    ReportPosition to = m_cursor;
    bool vertical = false;
    switch (event->key()) {
    case Qt::Key_Left:
        if (to.column > 0)
            --to.column;
        else if (to.line > 0)
            to = {to.line - 1, lineWidth(to.line - 1)};
        break;
    case Qt::Key_Right:
        if (to.column < lineWidth(to.line))
            ++to.column;
        else if (to.line + 1 < lineCount())
            to = {to.line + 1, 0};
        break;
    case Qt::Key_Up:
        to.line -= 1;
        vertical = true;
        break;
    case Qt::Key_Down:
        to.line += 1;
        vertical = true;
        break;
    case Qt::Key_PageUp:
        to.line -= visibleLines();
        vertical = true;
        break;
    case Qt::Key_PageDown:
        to.line += visibleLines();
        vertical = true;
        break;
    case Qt::Key_Home: to = control ? ReportPosition{0, 0} : ReportPosition{to.line, 0}; break;
    case Qt::Key_End:
        if (control)
            to.line = lineCount() - 1;
        to.column = INT_MAX;
        break;
    default: return false;
    }
    if (vertical)
        to.column = m_preferredColumn;
    moveCursor(to, extend, vertical);
    return true;
}

void TResultsViewer::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        copy();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        return;
    }
    if (readable() && handleNavigationKey(event))
        return;
    QAbstractScrollArea::keyPressEvent(event);
}

bool TResultsViewer::event(QEvent* event)
{
    // Copy and Select All act on the report while it has the focus, even when
    // a window menu carries the same shortcuts.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Copy) || key->matches(QKeySequence::SelectAll)) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void TResultsViewer::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void TResultsViewer::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void TResultsViewer::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

}  // namespace ombrix::app
