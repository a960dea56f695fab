#include "core/clipboard_text.h"

#include <algorithm>

#include "core/text.h"

namespace ombrix::core {

namespace {

constexpr std::string_view LineEnd = "\r\n";

// A title must not break the grid of TABs and lines it sits in.
std::string cellTitle(std::string_view title)
{
    std::string text(title);
    for (char& c : text)
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
    return text;
}

struct CopyRange {
    int firstRow = 0;
    int lastRow = -1;  // last row holding a value in the selected columns
    int firstColumn = 0;
    int lastColumn = -1;
};

CopyRange copyRange(const DataTable& table, const CellBlock& block)
{
    CopyRange range;
    range.firstRow = std::clamp(std::min(block.firstRow, block.lastRow), 0, table.rowCount() - 1);
    range.firstColumn = std::clamp(std::min(block.firstColumn, block.lastColumn), 0, table.columnCount() - 1);
    range.lastColumn = std::clamp(std::max(block.firstColumn, block.lastColumn), 0, table.columnCount() - 1);
    if (table.isEmpty())
        return range;
    const int lastRow = std::min(std::max(block.firstRow, block.lastRow), table.lastUsedRow());
    for (int row = lastRow; row >= range.firstRow && range.lastRow < 0; --row)
        for (int column = range.firstColumn; column <= range.lastColumn; ++column)
            if (!table.isBlank(row, column)) {
                range.lastRow = row;
                break;
            }
    return range;
}

std::string cellText(const DataTable& table, int row, int column, char decimalSeparator)
{
    std::string text =
        table.FormatCell(column, table.value(row, column), table.isExcluded(row, column), CellDecimals::OfColumn);
    if (decimalSeparator != '.')
        std::replace(text.begin(), text.end(), '.', decimalSeparator);
    return text;
}

std::string html(std::string_view text)
{
    std::string escaped;
    for (const char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

}  // namespace

std::string copyCellsText(const DataTable& table, const CopyOptions& options)
{
    const CopyRange range = copyRange(table, options.block);
    std::string text;
    if (options.columnTitles) {
        for (int column = range.firstColumn; column <= range.lastColumn; ++column) {
            if (column > range.firstColumn || options.rowTitles)
                text += '\t';
            text += cellTitle(table.column(column).title);
        }
        text += LineEnd;
    }
    for (int row = range.firstRow; row <= range.lastRow; ++row) {
        if (options.rowTitles) {
            text += cellTitle(table.rowTitle(row));
            text += '\t';
        }
        for (int column = range.firstColumn; column <= range.lastColumn; ++column) {
            if (column > range.firstColumn)
                text += '\t';
            text += cellText(table, row, column, options.decimalSeparator);
        }
        text += LineEnd;
    }
    return text;
}

std::string copyCellsHtml(const DataTable& table, const CopyOptions& options)
{
    const CopyRange range = copyRange(table, options.block);
    std::string text = "<table>\n";
    if (options.columnTitles) {
        text += "<tr>";
        if (options.rowTitles)
            text += "<th></th>";
        for (int column = range.firstColumn; column <= range.lastColumn; ++column)
            text += "<th>" + html(table.column(column).title) + "</th>";
        text += "</tr>\n";
    }
    for (int row = range.firstRow; row <= range.lastRow; ++row) {
        text += "<tr>";
        if (options.rowTitles)
            text += "<th>" + html(table.rowTitle(row)) + "</th>";
        for (int column = range.firstColumn; column <= range.lastColumn; ++column)
            text += "<td>" + html(cellText(table, row, column, options.decimalSeparator)) + "</td>";
        text += "</tr>\n";
    }
    text += "</table>\n";
    return text;
}

std::string copyGridText(const std::vector<std::vector<std::string>>& rows)
{
    std::string text;
    for (const std::vector<std::string>& row : rows) {
        for (size_t i = 0; i < row.size(); ++i) {
            if (i > 0)
                text += '\t';
            text += cellTitle(row[i]);
        }
        text += LineEnd;
    }
    return text;
}

PasteStart pasteStart(GridSelection selection, int currentRow, int currentColumn)
{
    PasteStart start{currentRow, currentColumn};
    if (selection == GridSelection::WholeSheet || selection == GridSelection::WholeColumns)
        start.row = -1;
    if (selection == GridSelection::WholeSheet || selection == GridSelection::WholeRows)
        start.column = -1;
    return start;
}

namespace {

// Digits after the point of a number's text, up to an exponent.
int textDecimals(std::string_view text)
{
    const size_t point = text.find('.');
    if (point == std::string_view::npos)
        return 0;
    int decimals = 0;
    for (size_t i = point + 1; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        ++decimals;
    return decimals;
}

int textDigits(std::string_view text)
{
    return static_cast<int>(std::count_if(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }));
}

class Paster {
public:
    Paster(DataTable& table, const PasteOptions& options)
        : m_table(table)
        , m_options(options)
    {
    }

    // False when the paste must stop.
    bool place(int line, int field, std::string_view text)
    {
        const int row = m_options.start.row + (m_options.transpose ? field : line);
        const int column = m_options.start.column + (m_options.transpose ? line : field);
        if (row >= MaxPasteRows) {
            m_result.stoppedAtLastRow = true;
            return false;
        }
        if (column >= TableColumns)
            return !m_options.transpose;
        if (row < 0 && column < 0)
            return true;  // the corner above the row titles holds nothing
        m_result.pasted = true;
        if (row < 0) {
            m_table.setColumnTitle(column, truncatedText(trimmed(text), MaxPastedTitleLength));
        } else if (column < 0) {
            m_table.setRowTitle(row, trimmed(text));
        } else {
            storeCell(row, column, trimmed(text));
        }
        return true;
    }

    PasteResult result() const { return m_result; }

private:
    void storeCell(int row, int column, std::string_view text)
    {
        const bool excluded = !text.empty() && text.front() == '*';
        if (excluded)
            text.remove_prefix(1);
        std::optional<Real> value;
        if (text.find('#') == std::string_view::npos)
            value = parseNumber(text);
        m_table.setValue(row, column, value.value_or(MissingValue));
        if (value) {
            if (excluded)
                m_table.setExcluded(row, column, true);
            const int decimals = textDecimals(text);
            if (textDigits(text) < 15 && decimals > m_table.autoDecimals(column))
                m_table.setAutoDecimals(column, decimals);
            m_table.setMeanEntry(column, false);
        }
        CellBlock& cells = m_result.cells;
        if (m_result.cellsPasted++ == 0) {
            cells = CellBlock{row, column, row, column};
        } else {
            cells.firstRow = std::min(cells.firstRow, row);
            cells.firstColumn = std::min(cells.firstColumn, column);
            cells.lastRow = std::max(cells.lastRow, row);
            cells.lastColumn = std::max(cells.lastColumn, column);
        }
    }

    DataTable& m_table;
    const PasteOptions& m_options;
    PasteResult m_result;
};

}  // namespace

PasteResult pasteCellsText(DataSet& dataSet, std::string_view text, const PasteOptions& options)
{
    const char system = options.systemDecimalSeparator;
    const char point = text.find(system) != std::string_view::npos ? system : '.';

    Paster paster(dataSet.table, options);
    std::string field;
    int line = 0;
    int fieldIndex = 0;
    bool going = true;
    for (size_t i = 0; i < text.size() && going; ++i) {
        const char c = text[i];
        if (c == '\0')
            break;
        if (c == '\r')
            continue;
        if (c == point) {
            field += '.';
        } else if (c == '.') {
            // groups thousands: dropped
        } else if (c == '\t' || c == ',' || c == ';') {
            going = paster.place(line, fieldIndex++, field);
            field.clear();
        } else if (c == '\n') {
            going = paster.place(line, fieldIndex, field);
            field.clear();
            ++line;
            fieldIndex = 0;
        } else {
            field += c;
        }
    }
    // The text's end ends its last field, unless the last line ended before
    // it: an empty line after the block must not blank a cell below it.
    if (going && (fieldIndex > 0 || !field.empty()))
        paster.place(line, fieldIndex, field);

    PasteResult result = paster.result();
    if (result.pasted)
        dataSet.markChanged();
    return result;
}

}  // namespace ombrix::core
