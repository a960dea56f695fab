#pragma once

#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>

#include <functional>

#include <QLineEdit>

// A spreadsheet-like grid: typing replaces the cell, Enter stores and moves
// down, Tab and Shift+Tab move across, Delete clears the selection, Ctrl and
// an arrow go to the end of the data, and the column and row titles are
// typed in place over their headings.
namespace ombrix::app {

// Remembers the open cell editor, so that the grid can store what is being
// typed before the document is saved, closed or left.
class GridDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* openEditor() const { return m_editor; }

private:
    mutable QPointer<QWidget> m_editor;
};

class DataGridView final : public QTableView {
    Q_OBJECT
public:
    enum class TitleEditing { None, ColumnAndRowTitles };

    explicit DataGridView(TitleEditing titleEditing, QWidget* parent = nullptr);

    // The last used row and column (0-based), where Ctrl and an arrow stop.
    void setDataExtent(std::function<std::pair<int, int>()> extent) { m_extent = std::move(extent); }

    // Stores what the open cell or title editor holds and closes it.
    void commitOpenEditor();
    bool isEditingCell() const;

    // Opens the editor over a column's (row's) heading; Tab and Shift+Tab move
    // between column titles, Enter stores and returns to the grid, Escape
    // drops the change.
    void editColumnTitle(int column);
    void editRowTitle(int row);
    QLineEdit* titleEditor() const { return m_titleEditor; }

    // Width to show the column's contents, within the bounds given.
    void fitColumn(int column, int minimum, int maximum);

    // The current cell moves to (row, column), selecting just that cell.
    void goToCell(int row, int column);

Q_SIGNALS:
    void clearRequested();
    // Ctrl+C and Ctrl+V on the grid (not in an open editor): the window's
    // Copy and Paste, not the view's copy of one cell.
    void copyRequested();
    void pasteRequested();
    void columnTitleEdited(int column, const QString& title);
    void rowTitleEdited(int row, const QString& title);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class TitleKind { Column, Row };
    void openTitleEditor(TitleKind kind, int section);
    // Stores the title editor's text (unless dropped) and removes the editor.
    void finishTitleEditing(bool store);

    TitleEditing m_titleEditing;
    GridDelegate* m_delegate;
    std::function<std::pair<int, int>()> m_extent;
    QPointer<QLineEdit> m_titleEditor;
    TitleKind m_titleKind = TitleKind::Column;
    int m_titleSection = -1;
};

}  // namespace ombrix::app
