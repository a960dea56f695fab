#include "core/text_import.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "core/oxd_file.h"
#include "core/text.h"

namespace ombrix::core {

namespace {

bool isTextByte(unsigned char b)
{
    return b >= 0x20 ? b != 0x7F : b == '\t' || b == '\n' || b == '\r' || b == '\f';
}

bool isNumberLineChar(char c)
{
    return c == '\t' || c == ' ' || c == '+' || c == ',' || c == '-' || c == '.' || (c >= '0' && c <= '9') ||
           c == ';' || c == 'E' || c == 'e';
}

// The fields of a title line, split outside double quotes; the quotes go.
std::vector<std::string> titleFields(std::string_view line, char delimiter)
{
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"' && quoted && i + 1 < line.size() && line[i + 1] == '"')
            fields.back() += line[++i];  // a doubled quote inside quotes is one quote
        else if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == '\t' || c == ',' || (c == delimiter && delimiter != ' ')))
            fields.emplace_back();
        else
            fields.back() += c;
    }
    for (std::string& field : fields)
        field = std::string(trimmed(field));
    return fields;
}

void raiseAutoDecimals(DataTable& table, int column, const DecimalShape& shape)
{
    if (shape.integerDigits + shape.decimals <= MaxShownDigits && shape.decimals > table.autoDecimals(column))
        table.setAutoDecimals(column, shape.decimals);
}

// Raises the column's automatic decimals to those of the value's shortest
// text, as long as the value still fits in the digits a cell shows.
void raiseAutoDecimals(DataTable& table, int column, Real value)
{
    if (!isMissing(value))
        raiseAutoDecimals(table, column, shortestDecimalShape(value));
}

// The shape of a number as its text writes it, trailing zeros aside; the
// same as the shortest text of the value read from it, found without the
// cost of writing that text, except for the exponent form.
DecimalShape textDecimalShape(std::string_view text, Real value)
{
    if (text.find_first_of("eE") != std::string_view::npos)
        return shortestDecimalShape(value);
    if (!text.empty() && (text.front() == '+' || text.front() == '-'))
        text.remove_prefix(1);
    const size_t point = std::min(text.find('.'), text.size());
    std::string_view whole = text.substr(0, point);
    std::string_view decimals = point < text.size() ? text.substr(point + 1) : std::string_view();
    while (!whole.empty() && whole.front() == '0')
        whole.remove_prefix(1);
    while (!decimals.empty() && decimals.back() == '0')
        decimals.remove_suffix(1);
    return {static_cast<int>(decimals.size()), std::max(static_cast<int>(whole.size()), 1)};
}

}  // namespace

ImportText decodeImportText(std::string_view bytes)
{
    ImportText result;
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    // Old editors end a text file with Ctrl+Z.
    if (!bytes.empty() && bytes.back() == '\x1A')
        bytes.remove_suffix(1);
    for (const char c : bytes) {
        if (!isTextByte(static_cast<unsigned char>(c))) {
            result.message = NotTextFileMessage;
            return result;
        }
    }
    result.ok = true;
    result.text = isValidUtf8(bytes) ? std::string(bytes) : latin1ToUtf8(bytes);
    return result;
}

ImportText readImportFile(const std::string& path)
{
    ImportText result;
    std::error_code error;
    // Only a plain file: a device or a pipe could be endless.
    if (!std::filesystem::is_regular_file(path, error)) {
        result.message = std::filesystem::exists(path, error) ? NotTextFileMessage : std::strerror(ENOENT);
        return result;
    }
    const auto size = std::filesystem::file_size(path, error);
    if (error || size > MaxFileBytes) {
        result.message = error ? error.message() : TooLargeMessage;
        return result;
    }
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        result.message = errno != 0 ? std::strerror(errno) : std::strerror(EACCES);
        return result;
    }
    std::string bytes(static_cast<size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return decodeImportText(bytes);
}

bool IsTextLine(std::string_view line)
{
    if (line.empty() || line.find('*') != std::string_view::npos)
        return false;
    const char first = line.front();
    // A first empty field (a tab) still starts a line of data.
    if (!(first == ' ' || first == '\t' || first == '+' || first == ',' || first == '-' || first == '.' ||
          (first >= '0' && first <= '9') || first == ';'))
        return true;
    return !std::all_of(line.begin(), line.end(), isNumberLineChar);
}

std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || text[i] == '\r') {
            lines.push_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

int countHeaderLines(const std::vector<std::string_view>& lines)
{
    int count = 0;
    for (const std::string_view line : lines) {
        if (!trimmed(line).empty() && !IsTextLine(line))
            break;
        ++count;
    }
    return count;
}

Delimiters DetectDelimiters(const std::vector<std::string_view>& lines, int headerLines, char systemDecimalSeparator)
{
    bool tab = false, dot = false, comma = false, semicolon = false, blank = false, system = false;
    for (size_t i = static_cast<size_t>(std::max(headerLines, 0)); i < lines.size(); ++i) {
        for (const char c : trimmed(lines[i])) {
            switch (c) {
            case '\t': tab = true; break;
            case '.': dot = true; break;
            case ',': comma = true; break;
            case ';': semicolon = true; break;
            case ' ': blank = true; break;
            default: break;
            }
            if (c == systemDecimalSeparator)
                system = true;
        }
    }

    Delimiters result;
    result.delimiter = tab ? '\t' : semicolon ? ';' : blank ? ' ' : comma ? ',' : '\t';
    if (!dot || system) {
        if (system && systemDecimalSeparator != result.delimiter)
            result.decimalSeparator = systemDecimalSeparator;
        else if (comma && !dot && result.delimiter != ',')
            result.decimalSeparator = ',';
    }
    return result;
}

Token ReadToken(std::string_view line, size_t& position, const Delimiters& delimiters)
{
    Token token;
    const char delimiter = delimiters.delimiter;
    size_t i = position;
    if (delimiter == ' ')
        while (i < line.size() && line[i] == ' ')
            ++i;
    for (; i < line.size() && line[i] != delimiter && line[i] != '\r'; ++i) {
        const char c = line[i];
        if (c != ' ' && c != '\t')
            token.empty = false;
        if (c == delimiters.decimalSeparator)
            token.text += '.';
        else if ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '*' || c == 'E' || c == 'e')
            token.text += c;
    }
    if (i < line.size() && line[i] == delimiter) {
        ++i;
        // A run of blanks ending the line ends the line, not one more field.
        if (delimiter == ' ')
            while (i < line.size() && line[i] == ' ')
                ++i;
    }
    token.endOfLine = i >= line.size() || line[i] == '\r';
    position = i;
    return token;
}

HeaderTitles titlesFromHeader(const std::vector<std::string_view>& headerLines, int columnsRead, char delimiter)
{
    HeaderTitles titles;
    std::vector<std::string_view> lines;
    for (const std::string_view line : headerLines)
        if (!trimmed(line).empty())
            lines.push_back(line);
    if (lines.empty())
        return titles;

    std::vector<std::string> fields = titleFields(lines[0], delimiter);
    const auto nonEmpty = std::count_if(fields.begin(), fields.end(), [](const std::string& f) { return !f.empty(); });
    if (nonEmpty != columnsRead) {
        titles.tableTitle = std::string(trimmed(lines[0]));
        if (lines.size() < 2)
            return titles;
        fields = titleFields(lines[1], delimiter);
    }
    if (fields.size() > static_cast<size_t>(TableColumns))
        fields.resize(TableColumns);
    titles.columnTitles = std::move(fields);
    return titles;
}

TextTable readTextTable(std::string_view text, char systemDecimalSeparator)
{
    TextTable result;
    std::vector<std::string_view> lines = splitLines(text);
    // Blank lines at the end are no rows.
    while (!lines.empty() && trimmed(lines.back()).empty())
        lines.pop_back();
    result.headerLines = countHeaderLines(lines);
    result.delimiters = DetectDelimiters(lines, result.headerLines, systemDecimalSeparator);

    DataTable& table = result.table;
    const size_t firstData = static_cast<size_t>(result.headerLines);
    const size_t dataLines = lines.size() - firstData;
    result.tooManyRows = dataLines > static_cast<size_t>(MaxImportRows);
    const int rows = static_cast<int>(std::min(dataLines, static_cast<size_t>(MaxImportRows)));

    for (int row = 0; row < rows; ++row) {
        const std::string_view line = lines[firstData + static_cast<size_t>(row)];
        size_t position = 0;
        for (int column = 0; column < TableColumns && position < line.size(); ++column) {
            Token token = ReadToken(line, position, result.delimiters);
            if (!token.empty) {
                result.columnsRead = std::max(result.columnsRead, column + 1);
                // A starred value is one the exporting program had excluded.
                if (const size_t star = token.text.find('*'); star != std::string::npos)
                    token.text.erase(star, 1);
                if (const auto value = parseNumber(token.text)) {
                    table.setValue(row, column, *value);
                    raiseAutoDecimals(table, column, textDecimalShape(token.text, *value));
                } else {
                    ++result.unreadableTokens;
                }
            }
            if (token.endOfLine)
                break;
        }
    }

    std::vector<std::string_view> header(lines.begin(), lines.begin() + result.headerLines);
    const HeaderTitles titles = titlesFromHeader(header, result.columnsRead, result.delimiters.delimiter);
    table.setTitle(titles.tableTitle);
    for (size_t c = 0; c < titles.columnTitles.size(); ++c)
        table.setColumnTitle(static_cast<int>(c), titles.columnTitles[c]);
    return result;
}

ImportOptions defaultImportOptions(const TextTable& source)
{
    ImportOptions options;
    const DataTable& table = source.table;
    options.toRow = table.isEmpty() ? 0 : table.lastUsedRow();
    options.toColumn = std::max(source.columnsRead - 1, table.isEmpty() ? 0 : table.lastUsedColumn());
    return options;
}

bool satisfiesFilter(Real value, FilterCondition condition, Real filterValue)
{
    // A blank has no value to compare: its row is never taken.
    if (isMissing(value))
        return false;
    switch (condition) {
    case FilterCondition::Equal: return value == filterValue;
    case FilterCondition::Greater: return value > filterValue;
    case FilterCondition::GreaterOrEqual: return value >= filterValue;
    case FilterCondition::Less: return value < filterValue;
    case FilterCondition::LessOrEqual: return value <= filterValue;
    case FilterCondition::NotEqual: return value != filterValue;
    }
    return false;
}

namespace {

// The source rows the row options accept, in order.
std::vector<int> acceptedRows(const TextTable& source, const ImportOptions& options)
{
    std::vector<int> rows;
    const DataTable& table = source.table;
    if (table.isEmpty())
        return rows;
    const int low = std::min(options.fromRow, options.toRow);
    const int high = std::max(options.fromRow, options.toRow);
    for (int row = 0; row <= table.lastUsedRow(); ++row) {
        if (options.rowRange && (row < low || row > high))
            continue;
        if (options.filter &&
            !satisfiesFilter(table.value(row, options.filterColumn), options.condition, options.filterValue))
            continue;
        rows.push_back(row);
    }
    return rows;
}

std::string groupTitle(Real identifier)
{
    std::string text = fixedText(identifier, 2);
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0')
            text.pop_back();
        if (text.back() == '.')
            text.pop_back();
    }
    return text;
}

void clearGrid(DataTable& table)
{
    if (!table.isEmpty())
        for (int row = 0; row <= table.lastUsedRow(); ++row)
            for (int column = 0; column <= table.lastUsedColumn(); ++column)
                table.setValue(row, column, MissingValue);
    table.recomputeLastUsed();
    for (int column = 0; column < TableColumns; ++column) {
        table.setColumnTitle(column, "");
        table.setAutoDecimals(column, 0);
        table.setColumnChanged(column, true);
    }
}

ImportResult copyIndexed(const TextTable& source, const ImportOptions& options, DataSet& target)
{
    ImportResult result;
    DataTable& table = target.table;
    clearGrid(table);

    std::vector<Real> groups;
    std::vector<int> nextRow;
    for (const int row : acceptedRows(source, options)) {
        const Real identifier = source.table.value(row, options.groupColumn);
        if (isMissing(identifier))
            continue;
        const auto found = std::find(groups.begin(), groups.end(), identifier);
        const int group = static_cast<int>(found - groups.begin());
        if (found == groups.end()) {
            if (group >= TableColumns)
                continue;
            groups.push_back(identifier);
            nextRow.push_back(0);
            table.setColumnTitle(group, groupTitle(identifier));
            table.setMeanEntry(group, false);
        }
        const int targetRow = nextRow[static_cast<size_t>(group)]++;
        if (targetRow >= MaxImportRows)
            continue;
        const Real value = source.table.value(row, options.valueColumn);
        table.setValue(targetRow, group, value);
        raiseAutoDecimals(table, group, value);
        ++result.rowsCopied;
    }
    result.ok = true;
    return result;
}

ImportResult copyBlock(const TextTable& source, const ImportOptions& options, DataSet& target)
{
    ImportResult result;
    DataTable& table = target.table;
    const DataTable& from = source.table;
    result.ok = true;
    // Nothing to copy: the document's columns keep their titles and decimals.
    if (source.columnsRead == 0 && from.isEmpty())
        return result;

    int firstColumn = 0;
    int lastColumn = defaultImportOptions(source).toColumn;
    if (options.columns == ImportColumns::Range) {
        firstColumn = std::clamp(std::min(options.fromColumn, options.toColumn), 0, TableColumns - 1);
        lastColumn = std::clamp(std::max(options.fromColumn, options.toColumn), 0, TableColumns - 1);
    }
    const int startColumn = std::clamp(options.startColumn, 0, TableColumns - 1);
    const int columns = std::min(lastColumn - firstColumn + 1, TableColumns - startColumn);

    int targetRow = std::max(options.startRow, 0);
    for (const int row : acceptedRows(source, options)) {
        if (targetRow >= MaxImportRows)
            break;
        for (int k = 0; k < columns; ++k)
            table.setValue(targetRow, startColumn + k, from.value(row, firstColumn + k));
        ++targetRow;
        ++result.rowsCopied;
    }

    // The columns keep what they came with: their titles and their decimals.
    for (int k = 0; k < columns; ++k) {
        const int column = startColumn + k;
        table.setColumnTitle(column, from.column(firstColumn + k).title);
        table.setAutoDecimals(column, std::max(table.autoDecimals(column), from.autoDecimals(firstColumn + k)));
        table.setMeanEntry(column, false);
        table.setColumnChanged(column, true);
    }
    return result;
}

}  // namespace

ImportResult copyIntoDataSet(const TextTable& source, const ImportOptions& options, DataSet& target)
{
    if (options.columns == ImportColumns::Indexed && options.valueColumn == options.groupColumn) {
        ImportResult refused;
        refused.message = SameValueAndGroupColumnMessage;
        return refused;
    }
    const ImportResult result = options.columns == ImportColumns::Indexed ? copyIndexed(source, options, target)
                                                                          : copyBlock(source, options, target);
    if (!source.table.title().empty())
        target.table.setTitle(source.table.title());
    target.markChanged();
    return result;
}

}  // namespace ombrix::core
