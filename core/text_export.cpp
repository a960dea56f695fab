#include "core/text_export.h"

#include <cctype>

#include "core/oxd_file.h"

namespace ombrix::core {

namespace {

constexpr std::string_view LineEnd = "\r\n";

std::string numberText(Real value, char decimalSeparator)
{
    std::string text = cellFileText(value);
    if (decimalSeparator != '.')
        for (char& c : text)
            if (c == '.')
                c = decimalSeparator;
    return text;
}

std::string titleField(std::string_view title, char separator)
{
    std::string text;
    bool quote = false;
    for (const char c : title) {
        // A line break inside a title would start a new row.
        const char ch = c == '\r' || c == '\n' ? ' ' : c;
        // An importing program splits titles at tabs and commas as well.
        quote = quote || ch == separator || ch == '\t' || ch == ',' || ch == '"';
        text += ch;
        if (ch == '"')
            text += '"';
    }
    return quote ? '"' + text + '"' : text;
}

}  // namespace

char exportSeparatorFor(std::string_view path)
{
    if (path.size() < 4)
        return ',';
    const std::string_view extension = path.substr(path.size() - 4);
    const bool txt = extension[0] == '.' && std::toupper(static_cast<unsigned char>(extension[1])) == 'T' &&
                     std::toupper(static_cast<unsigned char>(extension[2])) == 'X' &&
                     std::toupper(static_cast<unsigned char>(extension[3])) == 'T';
    return txt ? '\t' : ',';
}

std::string exportDataText(const DataTable& table, const ExportOptions& options)
{
    const char decimal = options.decimalSeparator;
    const char separator = options.separator == ',' && decimal == ',' ? ';' : options.separator;
    const int lastRow = table.isEmpty() ? -1 : table.lastUsedRow();
    const int lastColumn = table.lastUsedColumn();

    std::string text;
    if (options.sheetTitle) {
        for (const char c : table.title())
            text += c == '\r' || c == '\n' ? ' ' : c;
        text += LineEnd;
    }

    if (options.arrangement == ExportArrangement::Index) {
        if (options.columnTitles) {
            text += "value";
            text += separator;
            text += "group";
            text += LineEnd;
        }
        for (int column = 0; column <= lastColumn; ++column) {
            for (int row = 0; row <= lastRow; ++row) {
                const Real value = table.value(row, column);
                if (isMissing(value))
                    continue;
                text += numberText(value, decimal);
                text += separator;
                text += std::to_string(column + 1);
                text += LineEnd;
            }
        }
        return text;
    }

    if (options.columnTitles) {
        std::string line;
        bool anyTitle = false;
        for (int column = 0; column <= lastColumn; ++column) {
            if (column > 0)
                line += separator;
            const std::string& title = table.column(column).title;
            anyTitle = anyTitle || !title.empty();
            line += titleField(title, separator);
        }
        if (anyTitle) {
            text += line;
            text += LineEnd;
        }
    }
    for (int row = 0; row <= lastRow; ++row) {
        for (int column = 0; column <= lastColumn; ++column) {
            if (column > 0)
                text += separator;
            const Real value = table.value(row, column);
            if (!isMissing(value))
                text += numberText(value, decimal);
        }
        text += LineEnd;
    }
    return text;
}

std::string exportReportText(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += LineEnd;
    }
    return text;
}

}  // namespace ombrix::core
