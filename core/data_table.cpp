#include "core/data_table.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/text.h"

namespace ombrix::core {

std::string columnName(int column)
{
    if (column < 0 || column >= TableColumns)
        return "?";
    std::string name;
    if (column >= 26)
        name += static_cast<char>('A' - 1 + column / 26);
    name += static_cast<char>('A' + column % 26);
    return name;
}

DataTable::DataTable(int rows, int columns)
    : m_rows(std::clamp(rows, 1, TableRows))
    , m_columns(std::clamp(columns, 1, TableColumns))
    , m_blocks(static_cast<size_t>((m_rows + BlockRows - 1) / BlockRows))
{
    m_columnChanged.fill(true);
    m_selected.fill(true);
    m_autoDecimals.fill(0);
    m_fixedDecimals.fill(-1);
}

DataTable::Block::Block()
{
    cells.fill(MissingValue);
    excluded.fill(0);
}

DataTable::Block* DataTable::writableBlockOf(int row, bool allocate)
{
    std::shared_ptr<Block>& block = m_blocks[row / BlockRows];
    if (!block) {
        if (allocate)
            block = std::make_shared<Block>();
    } else if (block.use_count() > 1) {
        block = std::make_shared<Block>(*block);
    }
    return block.get();
}

int DataTable::checkedColumn(int index) const
{
    return isValidColumn(index) ? index : TableColumns;
}

ColumnRecord& DataTable::column(int index)
{
    if (!isValidColumn(index))
        m_records[TableColumns] = ColumnRecord{};
    return m_records[checkedColumn(index)];
}

Real DataTable::value(int row, int column) const
{
    if (!isValidCell(row, column))
        return MissingValue;
    const Block* block = blockOf(row);
    return block ? block->cells[offsetInBlock(row, column)] : MissingValue;
}

void DataTable::noteStored(int row, int column)
{
    m_lastUsedRow = std::max(m_lastUsedRow, row);
    m_lastUsedColumn = std::max(m_lastUsedColumn, column);
    m_empty = false;
    if (!m_firstValue) {
        m_firstValue = true;
        m_firstValueInColumnA = column == 0;
    }
}

void DataTable::setValue(int row, int column, Real value)
{
    if (!isValidCell(row, column))
        return;
    const size_t i = offsetInBlock(row, column);
    if (isMissing(value)) {
        if (Block* block = writableBlockOf(row, false)) {
            block->cells[i] = value;
            block->excluded[i] = 0;
        }
    } else {
        writableBlockOf(row, true)->cells[i] = value;
        noteStored(row, column);
    }
    m_columnChanged[column] = true;
}

bool DataTable::isExcluded(int row, int column) const
{
    if (!isValidCell(row, column))
        return false;
    const Block* block = blockOf(row);
    return block && block->excluded[offsetInBlock(row, column)] != 0;
}

void DataTable::setExcluded(int row, int column, bool excluded)
{
    if (!isValidCell(row, column))
        return;
    const Block* shared = blockOf(row);
    if (!shared)
        return;  // every cell of it is blank
    const size_t i = offsetInBlock(row, column);
    if (excluded && isMissing(shared->cells[i]))
        return;
    Block* block = writableBlockOf(row, false);
    block->excluded[i] = excluded ? 1 : 0;
    m_columnChanged[column] = true;
}

int DataTable::mappedColumn(int logicalColumn) const
{
    if (logicalColumn == AuxiliaryColumn)
        return AuxiliaryColumn;
    if (!hasColumnMap())
        return logicalColumn;
    if (logicalColumn < 0 || logicalColumn >= m_columnMapCount)
        return -1;
    return m_columnMap[logicalColumn];
}

Real DataTable::GetAnalysisValue(int row, int logicalColumn) const
{
    const int physical = mappedColumn(logicalColumn);
    if (physical == AuxiliaryColumn)
        return row >= 0 && row < static_cast<int>(m_auxiliary.size()) ? m_auxiliary[row] : MissingValue;
    if (!isValidCell(row, physical))
        return MissingValue;
    if (m_analysisMode && !m_selected[physical])
        return MissingValue;
    const Block* block = blockOf(row);
    if (!block)
        return MissingValue;
    const size_t i = offsetInBlock(row, physical);
    return block->excluded[i] ? MissingValue : block->cells[i];
}

void DataTable::SetAnalysisValue(int row, int logicalColumn, Real value)
{
    const int physical = mappedColumn(logicalColumn);
    if (physical == AuxiliaryColumn) {
        if (row >= 0 && row < m_rows) {
            if (m_auxiliary.empty())
                m_auxiliary.assign(static_cast<size_t>(m_rows), MissingValue);
            m_auxiliary[row] = value;
        }
        return;
    }
    setValue(row, physical, value);
}

void DataTable::buildColumnMap()
{
    m_columnMapCount = 0;
    for (int c = 0; c < m_columns; ++c) {
        if (m_selected[c] && m_records[c].n != 0)
            m_columnMap[m_columnMapCount++] = c;
    }
}

void DataTable::resetColumnMap()
{
    m_columnMapCount = std::min(m_lastUsedColumn + 1, m_columns);
    for (int c = 0; c < m_columnMapCount; ++c)
        m_columnMap[c] = c;
}

void DataTable::setLastUsedColumn(int column)
{
    m_lastUsedColumn = std::clamp(column, 0, m_columns - 1);
}

void DataTable::recomputeLastUsed()
{
    auto rowHasData = [this](int row) {
        for (int c = 0; c <= m_lastUsedColumn; ++c)
            if (!isMissing(value(row, c)))
                return true;
        return false;
    };
    auto columnHasData = [this](int column) {
        for (int r = 0; r <= m_lastUsedRow; ++r)
            if (!isMissing(value(r, column)))
                return true;
        return false;
    };
    while (m_lastUsedRow > 0 && !rowHasData(m_lastUsedRow))
        --m_lastUsedRow;
    // Every number lies inside the last used rectangle, so a blank first row
    // left at the end of the walk means a blank table.
    m_empty = !rowHasData(m_lastUsedRow);
    while (m_lastUsedColumn > 0 && !columnHasData(m_lastUsedColumn))
        --m_lastUsedColumn;
}

int DataTable::highestColumnWithData() const
{
    for (int c = m_columns - 1; c >= 0; --c)
        if (m_records[c].n > 0)
            return c;
    return -1;
}

int DataTable::countColumnsWithData() const
{
    return static_cast<int>(
        std::count_if(m_records.begin(), m_records.begin() + m_columns, [](const ColumnRecord& r) { return r.n > 0; }));
}

int DataTable::countSelectedColumnsWithData() const
{
    int count = 0;
    for (int c = 0; c < m_columns; ++c)
        if (m_selected[c] && m_records[c].n >= 1)
            ++count;
    return count;
}

void DataTable::selectAllColumnsWithData()
{
    for (int c = 0; c < m_columns; ++c)
        m_selected[c] = m_records[c].n != 0;
}

void DataTable::setColumnChanged(int column, bool changed)
{
    if (isValidColumn(column))
        m_columnChanged[column] = changed;
}

void DataTable::setAllColumnsChanged(bool changed)
{
    m_columnChanged.fill(changed);
}

void DataTable::setAutoDecimals(int column, int decimals)
{
    if (isValidColumn(column))
        m_autoDecimals[column] = std::clamp(decimals, 0, MaxShownDigits);
}

void DataTable::setFixedDecimals(int column, int decimals)
{
    if (isValidColumn(column))
        m_fixedDecimals[column] = std::clamp(decimals, -1, MaxShownDigits);
}

void DataTable::setMeanEntry(int column, bool flag)
{
    if (isValidColumn(column))
        m_meanEntry[column] = flag;
}

void DataTable::setAllMeanEntry(bool flag)
{
    m_meanEntry.fill(flag);
}

std::string DataTable::rowTitle(int row) const
{
    if (row < 0 || row >= m_rows)
        return {};
    return hasRowTitle(row) ? m_rowTitles->titles[static_cast<size_t>(row)] : defaultRowTitle(row);
}

void DataTable::setRowTitle(int row, std::string_view title)
{
    if (row < 0 || row >= m_rows)
        return;
    std::string text = truncatedText(title, MaxRowTitleLength);
    const bool typed = text != defaultRowTitle(row);
    if (!typed && !hasRowTitle(row))
        return;
    if (!m_rowTitles) {
        m_rowTitles = std::make_shared<RowTitles>();
        m_rowTitles->titles.resize(static_cast<size_t>(m_rows));
        m_rowTitles->typed.resize(static_cast<size_t>(m_rows), false);
    } else if (m_rowTitles.use_count() > 1) {
        m_rowTitles = std::make_shared<RowTitles>(*m_rowTitles);
    }
    const auto i = static_cast<size_t>(row);
    m_rowTitles->typed[i] = typed;
    m_rowTitles->titles[i] = typed ? std::move(text) : std::string();
}

void DataTable::setColumnTitle(int column, std::string_view title)
{
    if (isValidColumn(column))
        m_records[column].title = truncatedText(title, MaxColumnTitleLength);
}

void DataTable::setSelected(int column, bool selected)
{
    if (isValidColumn(column))
        m_selected[column] = selected;
}

void DataTable::setTitle(std::string_view title)
{
    m_title = truncatedText(title, MaxTableTitleLength);
}

void DataTable::restoreContent(const DataTable& saved)
{
    // Tables of one document all have the same shape.
    if (saved.m_rows != m_rows || saved.m_columns != m_columns)
        return;
    m_blocks = saved.m_blocks;
    m_rowTitles = saved.m_rowTitles;
    m_records = saved.m_records;
    m_columnChanged = saved.m_columnChanged;
    m_meanEntry = saved.m_meanEntry;
    m_autoDecimals = saved.m_autoDecimals;
    m_fixedDecimals = saved.m_fixedDecimals;
    m_lastUsedRow = saved.m_lastUsedRow;
    m_lastUsedColumn = saved.m_lastUsedColumn;
    m_empty = saved.m_empty;
    m_firstValue = saved.m_firstValue;
    m_firstValueInColumnA = saved.m_firstValueInColumnA;
    m_defaultWidth = saved.m_defaultWidth;
    m_defaultDecimals = saved.m_defaultDecimals;
    m_title = saved.m_title;
}

std::size_t DataTable::unsharedBytes(const DataTable& other) const
{
    std::size_t bytes = 0;
    for (size_t i = 0; i < m_blocks.size(); ++i)
        if (m_blocks[i] && (i >= other.m_blocks.size() || m_blocks[i] != other.m_blocks[i]))
            bytes += sizeof(Block);
    if (m_rowTitles && m_rowTitles != other.m_rowTitles)
        bytes += m_rowTitles->titles.size() * sizeof(std::string);
    return bytes;
}

bool inExponentRange(Real x)
{
    const Real magnitude = std::fabs(x);
    return x != 0 && (magnitude > 1e7L || magnitude < 0.0001L);
}

std::string fixedText(Real x, int decimals)
{
    if (x == 0)
        x = 0;  // turns -0 into +0
    char text[128];
    std::snprintf(text, sizeof text, "%.*Lf", std::clamp(decimals, 0, 30), x);
    return std::string(trimmed(text));
}

std::string exponentText(Real x)
{
    // The C library writes at least two exponent digits and all that are
    // needed beyond, which is exactly the form wanted.
    char text[64];
    std::snprintf(text, sizeof text, "%.3LE", x);
    return text;
}

std::string DataTable::FormatCell(int column, Real value, bool excluded, CellDecimals decimals) const
{
    if (isMissing(value))
        return {};
    std::string text;
    if (inExponentRange(value)) {
        text = exponentText(value);
    } else if (decimals == CellDecimals::Default) {
        // Never more than 14 digits in all: beyond them a value shows only
        // the noise of its binary form.
        const int integerDigits =
            std::fabs(value) < 1 ? 1 : static_cast<int>(std::floor(std::log10(std::fabs(value)))) + 1;
        text = fixedText(value, std::clamp(MaxShownDigits - integerDigits, 0, m_defaultDecimals));
        if (text.find('.') != std::string::npos) {
            while (text.back() == '0')
                text.pop_back();
            if (text.back() == '.')
                text.pop_back();
        }
    } else {
        const int fixed = fixedDecimals(column);
        text = fixedText(value, fixed >= 0 ? fixed : autoDecimals(column));
    }
    return excluded ? "*" + text : text;
}

}  // namespace ombrix::core
