#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/real.h"

namespace ombrix::core {

inline constexpr int TableRows = 10001;
inline constexpr int TableColumns = 52;
// Logical column 52 is a scratch column outside the table (transforms use it):
// no exclusion marks, no selection.
inline constexpr int AuxiliaryColumn = 52;

inline constexpr int DefaultWidth = 12;
inline constexpr int DefaultDecimals = 12;
// Integer digits plus decimals shown for one value.
inline constexpr int MaxShownDigits = 14;

inline constexpr int MaxColumnTitleLength = 80;
inline constexpr int TypedColumnTitleLength = 15;
inline constexpr int MaxRowTitleLength = 10;
inline constexpr int MaxTableTitleLength = 100;
inline constexpr int MaxTwoByTwoTableTitleLength = 62;

// "A".."Z" for 0..25, "AA".."AZ" for 26..51, "?" for anything else.
std::string columnName(int column);

// Per-column title, count and statistics. Statistics that are unavailable hold
// MissingValue; for raw columns they are filled by the column statistics, for
// summary columns typed by the user.
struct ColumnRecord {
    std::string title;
    std::int32_t n = 0;
    Real mean = MissingValue;
    Real sd = MissingValue;
    Real sem = MissingValue;
    Real minimum = MissingValue;
    Real maximum = MissingValue;
    Real median = MissingValue;
    Real upper95 = MissingValue;
    Real lower95 = MissingValue;
    Real normalityStatistic = MissingValue;
    Real normalityP = MissingValue;
    bool passedNormality = false;
};

// The decimals a cell is shown with: its column's (fixed, else automatic),
// or the default ones with trailing zeros cut.
enum class CellDecimals { OfColumn, Default };

// The cell store of one data set: 10001 rows by 52 columns of extended values
// with exclusion marks, titles, per-column records, decimals and selection.
// Analyses read it only through GetAnalysisValue, so blanks, excluded values
// and unselected columns are treated alike everywhere.
class DataTable {
public:
    // Copies are cheap: the cell blocks are shared until one side writes to
    // them, so a calculation can work on a copy of the user's table.
    DataTable(int rows = TableRows, int columns = TableColumns);

    int rowCount() const { return m_rows; }
    int columnCount() const { return m_columns; }
    static bool isValidColumn(int column) { return column >= 0 && column < TableColumns; }
    bool isValidCell(int row, int column) const
    {
        return row >= 0 && row < m_rows && column >= 0 && column < m_columns;
    }

    // Raw cell content, the blank marker included; outside the table: blank.
    Real value(int row, int column) const;
    // Stores (ignored outside the table). A blank clears the cell's exclusion
    // mark; a number extends the last used row and column.
    void setValue(int row, int column, Real value);
    bool isBlank(int row, int column) const { return isMissing(value(row, column)); }

    bool isExcluded(int row, int column) const;
    // Only a cell that holds a number can be marked.
    void setExcluded(int row, int column, bool excluded);

    // The read every analysis uses: through the column map, blank for
    // unselected columns in analysis mode, for blank and for excluded cells.
    Real GetAnalysisValue(int row, int logicalColumn) const;
    void SetAnalysisValue(int row, int logicalColumn, Real value);

    // Keeps, in column order, every selected column whose N is not 0.
    void buildColumnMap();
    // Identity over the used columns.
    void resetColumnMap();
    bool hasColumnMap() const { return m_columnMapCount >= 0; }
    int columnMapCount() const { return m_columnMapCount; }
    int mappedColumn(int logicalColumn) const;

    // 0-based; only grow while storing, lowered by recomputeLastUsed().
    int lastUsedRow() const { return m_lastUsedRow; }
    int lastUsedColumn() const { return m_lastUsedColumn; }
    void setLastUsedColumn(int column);
    // Walks back past trailing blank rows and columns; records emptiness.
    void recomputeLastUsed();
    bool isEmpty() const { return m_empty; }
    bool hasFirstValue() const { return m_firstValue; }
    bool firstValueInColumnA() const { return m_firstValueInColumnA; }

    int highestColumnWithData() const;         // N > 0; -1 when none
    int countColumnsWithData() const;          // N > 0
    int countSelectedColumnsWithData() const;  // selected and N >= 1
    void selectAllColumnsWithData();           // selected exactly when N != 0

    bool columnChanged(int column) const { return isValidColumn(column) && m_columnChanged[column]; }
    void setColumnChanged(int column, bool changed);
    void setAllColumnsChanged(bool changed);

    int autoDecimals(int column) const { return isValidColumn(column) ? m_autoDecimals[column] : 0; }
    void setAutoDecimals(int column, int decimals);
    // -1 means automatic.
    int fixedDecimals(int column) const { return isValidColumn(column) ? m_fixedDecimals[column] : -1; }
    void setFixedDecimals(int column, int decimals);
    int defaultWidth() const { return m_defaultWidth; }
    int defaultDecimals() const { return m_defaultDecimals; }

    // Set when the column holds typed summary values instead of raw values.
    bool meanEntry(int column) const { return isValidColumn(column) && m_meanEntry[column]; }
    void setMeanEntry(int column, bool flag);
    void setAllMeanEntry(bool flag);

    // The row number ("1", "2", ...) until a title is typed.
    std::string rowTitle(int row) const;
    bool hasRowTitle(int row) const
    {
        return m_rowTitles && row >= 0 && row < m_rows && m_rowTitles->typed[static_cast<size_t>(row)];
    }
    void setRowTitle(int row, std::string_view title);
    static std::string defaultRowTitle(int row) { return std::to_string(row + 1); }

    // An index outside 0..51 gets a scratch record, so a bad index can never
    // reach memory outside the table.
    ColumnRecord& column(int index);
    const ColumnRecord& column(int index) const { return m_records[checkedColumn(index)]; }
    void setColumnTitle(int column, std::string_view title);

    bool isSelected(int column) const { return isValidColumn(column) && m_selected[column]; }
    void setSelected(int column, bool selected);

    bool analysisMode() const { return m_analysisMode; }
    void setAnalysisMode(bool on) { m_analysisMode = on; }

    const std::string& title() const { return m_title; }
    void setTitle(std::string_view title);

    // Takes over everything the user edits from saved (cells, exclusion
    // marks, titles, decimals, mean-entry and changed flags, column records,
    // extents) and keeps what belongs to the current analysis: the selection,
    // the analysis mode, the column map and the scratch column. Cell blocks
    // are shared with saved, not copied.
    void restoreContent(const DataTable& saved);
    // Bytes of cell blocks this table holds that other does not share: what
    // keeping this table beside other costs.
    std::size_t unsharedBytes(const DataTable& other) const;

    // Cell text for the grid and the data file: exponent form (four significant
    // digits) for magnitudes above 1E7 or below 0.0001, else fixed notation with
    // the column's decimals (or the default decimals with trailing zeros cut);
    // "*" before an excluded value; empty for a blank.
    std::string FormatCell(int column, Real value, bool excluded, CellDecimals decimals) const;

private:
    int checkedColumn(int index) const;
    // Cells are held in blocks of rows, allocated when a number first lands
    // in them: an empty document costs next to nothing, a full one 8 MB.
    // Copies of the table share their blocks; a write to a shared block
    // first takes a private copy of it (writableBlockOf).
    static constexpr int BlockRows = 256;
    struct Block {
        std::array<Real, BlockRows * TableColumns> cells;
        std::array<std::uint8_t, BlockRows * TableColumns> excluded;
        Block();
    };
    static size_t offsetInBlock(int row, int column)
    {
        return static_cast<size_t>(row % BlockRows) * TableColumns + column;
    }
    const Block* blockOf(int row) const { return m_blocks[row / BlockRows].get(); }
    // The row's block, unshared, allocated when absent unless allocate is false
    // (then null for a block that is all blank).
    Block* writableBlockOf(int row, bool allocate);
    void noteStored(int row, int column);

    int m_rows;
    int m_columns;
    std::vector<std::shared_ptr<Block>> m_blocks;
    // Allocated when an analysis first writes to it.
    std::vector<Real> m_auxiliary;
    // Typed row titles, null until the first one; shared between copies
    // until one side writes, like the cell blocks.
    struct RowTitles {
        std::vector<std::string> titles;
        std::vector<bool> typed;
    };
    std::shared_ptr<RowTitles> m_rowTitles;
    std::array<ColumnRecord, TableColumns + 1> m_records{};
    std::array<bool, TableColumns> m_columnChanged{};
    std::array<bool, TableColumns> m_meanEntry{};
    std::array<bool, TableColumns> m_selected{};
    std::array<int, TableColumns> m_autoDecimals{};
    std::array<int, TableColumns> m_fixedDecimals{};
    std::array<int, TableColumns + 1> m_columnMap{};
    int m_columnMapCount = -1;

    int m_lastUsedRow = 0;
    int m_lastUsedColumn = 0;
    bool m_empty = true;
    bool m_firstValue = false;
    bool m_firstValueInColumnA = false;
    bool m_analysisMode = false;
    int m_defaultWidth = DefaultWidth;
    int m_defaultDecimals = DefaultDecimals;
    std::string m_title;
};

// Fixed notation of x with the given decimals, blanks trimmed; exact zero
// never shows a minus sign.
std::string fixedText(Real x, int decimals);
// Exponent form with four significant digits: "1.235E+07", "-4.500E-06";
// every exponent digit beyond two is kept ("1.000E+150").
std::string exponentText(Real x);
// Whether FormatCell writes x in exponent form.
bool inExponentRange(Real x);

}  // namespace ombrix::core
