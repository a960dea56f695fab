#include "app/data_grid_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>

#include "core/data_table.h"

namespace ombrix::app {

QWidget* GridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    m_editor = editor;
    return editor;
}

DataGridView::DataGridView(TitleEditing titleEditing, QWidget* parent)
    : QTableView(parent)
    , m_titleEditing(titleEditing)
    , m_delegate(new GridDelegate(this))
{
    setItemDelegate(m_delegate);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                    QAbstractItemView::EditKeyPressed);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTabKeyNavigation(true);
    setWordWrap(false);
    setCornerButtonEnabled(true);

    // Fixed section sizes: the headers never measure 10001 rows.
    const int rowHeight = fontMetrics().height() + 6;
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(rowHeight);
    verticalHeader()->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00000000")) + 8);
    horizontalHeader()->setDefaultSectionSize(fontMetrics().horizontalAdvance(QStringLiteral("0000000000.00")));
    horizontalHeader()->setHighlightSections(true);
    verticalHeader()->setHighlightSections(true);

    if (m_titleEditing == TitleEditing::ColumnAndRowTitles) {
        connect(horizontalHeader(), &QHeaderView::sectionDoubleClicked, this, &DataGridView::editColumnTitle);
        connect(verticalHeader(), &QHeaderView::sectionDoubleClicked, this, &DataGridView::editRowTitle);
        const auto finish = [this] { finishTitleEditing(true); };
        connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, finish);
        connect(verticalScrollBar(), &QScrollBar::valueChanged, this, finish);
    }
}

bool DataGridView::isEditingCell() const
{
    return state() == QAbstractItemView::EditingState && m_delegate->openEditor();
}

void DataGridView::commitOpenEditor()
{
    if (QWidget* editor = m_delegate->openEditor(); editor && state() == QAbstractItemView::EditingState) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
    finishTitleEditing(true);
}

void DataGridView::goToCell(int row, int column)
{
    if (!model())
        return;
    row = std::clamp(row, 0, model()->rowCount() - 1);
    column = std::clamp(column, 0, model()->columnCount() - 1);
    const QModelIndex target = model()->index(row, column);
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
    scrollTo(target);
}

void DataGridView::fitColumn(int column, int minimum, int maximum)
{
    setColumnWidth(column, std::clamp(sizeHintForColumn(column), minimum, maximum));
}

bool DataGridView::event(QEvent* event)
{
    // Claimed before the window's shortcuts, which would not reach a grid
    // that has the focus, and answered in keyPressEvent.
    if (event->type() == QEvent::ShortcutOverride && state() != QAbstractItemView::EditingState) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Paste)) {
            event->accept();
            return true;
        }
    }
    return QTableView::event(event);
}

void DataGridView::keyPressEvent(QKeyEvent* event)
{
    if (state() != QAbstractItemView::EditingState && event->matches(QKeySequence::Copy)) {
        Q_EMIT copyRequested();
        event->accept();
        return;
    }
    if (state() != QAbstractItemView::EditingState && event->matches(QKeySequence::Paste)) {
        Q_EMIT pasteRequested();
        event->accept();
        return;
    }
    if (state() != QAbstractItemView::EditingState && model()) {
        const QModelIndex current = currentIndex();
        const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (current.isValid())
                goToCell(current.row() + ((event->modifiers() & Qt::ShiftModifier) ? -1 : 1), current.column());
            event->accept();
            return;
        case Qt::Key_Delete:
        case Qt::Key_Backspace:
            Q_EMIT clearRequested();
            event->accept();
            return;
        case Qt::Key_Up:
            if (plain && m_titleEditing != TitleEditing::None && current.isValid() && current.row() == 0) {
                editColumnTitle(current.column());
                event->accept();
                return;
            }
            break;
        case Qt::Key_Left:
            if (plain && m_titleEditing != TitleEditing::None && current.isValid() && current.column() == 0) {
                editRowTitle(current.row());
                event->accept();
                return;
            }
            break;
        default: break;
        }
    }
    QTableView::keyPressEvent(event);
}

QModelIndex DataGridView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    if (!(modifiers & Qt::ControlModifier) || !m_extent || !model())
        return QTableView::moveCursor(action, modifiers);
    const QModelIndex current = currentIndex();
    const int row = current.isValid() ? current.row() : 0;
    const int column = current.isValid() ? current.column() : 0;
    const auto [lastRow, lastColumn] = m_extent();
    const int endRow = row < lastRow ? lastRow : model()->rowCount() - 1;
    const int endColumn = column < lastColumn ? lastColumn : model()->columnCount() - 1;
    switch (action) {
    case MoveUp: return model()->index(0, column);
    case MoveDown: return model()->index(endRow, column);
    case MoveLeft: return model()->index(row, 0);
    case MoveRight: return model()->index(row, endColumn);
    case MoveHome: return model()->index(0, 0);
    case MoveEnd: return model()->index(lastRow, lastColumn);
    default: return QTableView::moveCursor(action, modifiers);
    }
}

void DataGridView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    QTableView::closeEditor(editor, hint);
    if (hint == QAbstractItemDelegate::SubmitModelCache) {
        // Enter in a cell stores it and moves down, as in a spreadsheet.
        const QModelIndex current = currentIndex();
        if (current.isValid())
            goToCell(current.row() + 1, current.column());
    }
}

void DataGridView::editColumnTitle(int column)
{
    openTitleEditor(TitleKind::Column, column);
}

void DataGridView::editRowTitle(int row)
{
    openTitleEditor(TitleKind::Row, row);
}

void DataGridView::openTitleEditor(TitleKind kind, int section)
{
    if (m_titleEditing == TitleEditing::None || !model())
        return;
    commitOpenEditor();
    const Qt::Orientation orientation = kind == TitleKind::Column ? Qt::Horizontal : Qt::Vertical;
    QHeaderView* header = kind == TitleKind::Column ? horizontalHeader() : verticalHeader();
    const int count = kind == TitleKind::Column ? model()->columnCount() : model()->rowCount();
    if (section < 0 || section >= count)
        return;

    const QModelIndex visible = kind == TitleKind::Column ? model()->index(std::max(0, rowAt(0)), section)
                                                          : model()->index(section, std::max(0, columnAt(0)));
    scrollTo(visible);

    const QString title = model()->headerData(section, orientation, Qt::EditRole).toString();
    auto* editor = new QLineEdit(header->viewport());
    // A title read from a file may be longer than what can be typed; the
    // editor must not cut it just because it was opened.
    const int typedLimit = kind == TitleKind::Column ? core::TypedColumnTitleLength : core::MaxRowTitleLength;
    editor->setMaxLength(std::max(typedLimit, static_cast<int>(title.size())));
    editor->setText(title);
    editor->setAccessibleName(kind == TitleKind::Column ? tr("Column title") : tr("Row title"));
    if (kind == TitleKind::Column)
        editor->setGeometry(header->sectionViewportPosition(section), 0, header->sectionSize(section),
                            header->height());
    else
        editor->setGeometry(0, header->sectionViewportPosition(section), header->width(), header->sectionSize(section));
    editor->installEventFilter(this);
    m_titleEditor = editor;
    m_titleKind = kind;
    m_titleSection = section;
    editor->show();
    editor->setFocus(Qt::OtherFocusReason);
    editor->selectAll();
}

void DataGridView::finishTitleEditing(bool store)
{
    if (!m_titleEditor)
        return;
    QLineEdit* editor = m_titleEditor;
    m_titleEditor = nullptr;
    editor->removeEventFilter(this);
    const QString text = editor->text();
    editor->hide();
    editor->deleteLater();
    if (!store)
        return;
    if (m_titleKind == TitleKind::Column)
        Q_EMIT columnTitleEdited(m_titleSection, text);
    else
        Q_EMIT rowTitleEdited(m_titleSection, text);
}

bool DataGridView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_titleEditor || !m_titleEditor)
        return QTableView::eventFilter(watched, event);

    if (event->type() == QEvent::FocusOut) {
        finishTitleEditing(true);
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;

    auto* key = static_cast<QKeyEvent*>(event);
    const TitleKind kind = m_titleKind;
    const int section = m_titleSection;
    const auto backToGrid = [this, kind, section] {
        setFocus(Qt::OtherFocusReason);
        if (kind == TitleKind::Column)
            goToCell(0, section);
        else
            goToCell(section, 0);
    };
    switch (key->key()) {
    case Qt::Key_Tab:
        finishTitleEditing(true);
        if (kind == TitleKind::Column && section + 1 < model()->columnCount())
            openTitleEditor(kind, section + 1);
        else
            backToGrid();
        return true;
    case Qt::Key_Backtab:
        finishTitleEditing(true);
        if (kind == TitleKind::Column && section > 0)
            openTitleEditor(kind, section - 1);
        else
            backToGrid();
        return true;
    case Qt::Key_Down:
        finishTitleEditing(true);
        if (kind == TitleKind::Row && section + 1 < model()->rowCount())
            openTitleEditor(kind, section + 1);
        else
            backToGrid();
        return true;
    case Qt::Key_Up:
        if (kind == TitleKind::Row && section > 0) {
            finishTitleEditing(true);
            openTitleEditor(kind, section - 1);
            return true;
        }
        return false;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        finishTitleEditing(true);
        backToGrid();
        return true;
    case Qt::Key_Escape:
        finishTitleEditing(false);
        backToGrid();
        return true;
    default: return false;
    }
}

}  // namespace ombrix::app
