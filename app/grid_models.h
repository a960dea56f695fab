#pragma once

#include <QAbstractTableModel>

#include <array>

#include "core/cell_entry.h"
#include "core/data_set.h"

// Item models over one data set's table. They hold no copy of the numbers:
// every cell is formatted from the DataTable when the view asks for it, so a
// 10001 x 52 table costs only the cells on screen.
namespace ombrix::app {

// Label of a column in the grid heading: the letter(s), or for XY data "X"
// and "Y1", "Y2", ... for the replicates.
QString columnHeading(core::DataFormat format, int column);
// The name a blank title stands for: "Column A".
QString defaultColumnTitle(int column);

// Questions the models may have to ask while the user types.
struct EntryQuestions {
    core::AskYesNo askYesNo;
    char decimalSeparator = '.';
};

// The data grid: one row per table row, one column per table column.
// Shown text is FormatCell's ("*" before an excluded value); edited text is
// the value's exact shortest form, so that opening and closing an editor
// never rounds a value to the digits on screen.
class DataGridModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    DataGridModel(core::DataSet& dataSet, EntryQuestions questions, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    core::DataSet& dataSet() { return m_dataSet; }

    // Typing text into a cell, with the rules of the data grid; false when
    // nothing was stored (the user kept typed summary values).
    bool enterText(int row, int column, const QString& text);

    // Views are told that cells, a whole column or titles changed.
    void cellsChanged(int firstRow, int firstColumn, int lastRow, int lastColumn);
    void columnChanged(int column);
    void titlesChanged();
    void everythingChanged();

Q_SIGNALS:
    // The user changed the data set through this model.
    void edited();

private:
    core::DataSet& m_dataSet;
    EntryQuestions m_questions;
};

// The summary grid of typed means: one row per field of the column record,
// the first row holding the column titles. Row r of the model is row r + 1
// of the original grid layout (row 2 the mean, row 3 SD or SEM, ...).
class SummaryGridModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int TitleRow = 0;
    static constexpr int RowCount = 15;

    SummaryGridModel(core::DataSet& dataSet, EntryQuestions questions, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The field a model row edits (None for the title row and the gaps).
    core::SummaryField fieldOfRow(int row) const;
    // A raw-data column of a Raw table: its summary is computed, not typed,
    // so the summary grid leaves it alone until its values are cleared.
    bool holdsRawValues(int column) const;
    void everythingChanged();

Q_SIGNALS:
    void edited();

private:
    core::DataSet& m_dataSet;
    EntryQuestions m_questions;
    mutable std::array<signed char, core::TableColumns> m_rawValues{};  // -1 unknown, 0 no, 1 yes
};

}  // namespace ombrix::app
