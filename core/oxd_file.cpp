#include "core/oxd_file.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "core/text.h"

namespace ombrix::core {

namespace {

constexpr const char* HeaderLine = "Tarvenly Ombrix for Windows Version 3.10, 32 bit for Windows";
constexpr int OldColumns = 26;    // A..Z: what the older layout describes
constexpr int OldRows = 1000;
constexpr int OldPairCount = 351;  // 26 * 27 / 2 pair flags of the older program
// Files are read whole; anything larger is no data file of ours.
constexpr std::uintmax_t MaxFileSize = 256u * 1024 * 1024;

// ---------------------------------------------------------------- numbers

// The file's notation with the fewest digits that read back as value: the
// shortest decimal form, which for a value typed with a dozen decimals or
// fewer is exactly the trimmed fixed text of those decimals. The exponent
// form keeps at least four significant digits, as it always had.
std::string fileNumberText(Real value)
{
    if (!std::isfinite(value))
        return {};
    if (value == 0)
        return "0";
    char digits[80];
    if (!inExponentRange(value)) {
        const auto end = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed).ptr;
        return std::string(digits, end);
    }
    const auto end = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::scientific).ptr;
    const std::string_view text(digits, static_cast<size_t>(end - digits));
    const size_t e = text.find('e');
    std::string mantissa(text.substr(0, e));
    if (mantissa.find('.') == std::string::npos)
        mantissa += '.';
    while (mantissa.size() - mantissa.find('.') - 1 < 3)
        mantissa += '0';
    const char sign = text[e + 1];
    std::string exponent(text.substr(e + 2));
    while (exponent.size() < 2)
        exponent.insert(exponent.begin(), '0');
    return mantissa + 'E' + sign + exponent;
}

// ---------------------------------------------------------------- writing

class Writer {
public:
    explicit Writer(std::string& out) : m_out(out) {}

    void line(std::string_view text = {})
    {
        m_out.append(text);
        m_out.append("\r\n");
    }
    void flag(bool value) { line(value ? "T" : "F"); }
    void integer(long long value) { line(std::to_string(value)); }
    void summary(Real value) { line(isMissing(value) ? std::string() : summaryFileText(value)); }

private:
    std::string& m_out;
};

std::string withoutLineBreaks(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        if (c == '\r' || c == '\n' || c == Notes::EndMark)
            c = ' ';
    return result;
}

// A note line that reads like the end marker would end the notes early.
std::string escapedNoteLine(const std::string& line)
{
    return trimmedRight(line) == "<<END NOTES>>" ? " " + line : line;
}

struct Extent {
    int lastRow = 0;     // at most MaxFileRows - 1
    int lastColumn = 0;
};

Extent extentOf(const DataTable& table)
{
    return {std::min(table.lastUsedRow(), MaxFileRows - 1), table.lastUsedColumn()};
}

void writeRawData(Writer& w, const DataTable& table, const Extent& e)
{
    std::string row;
    for (int r = 0; r <= e.lastRow; ++r) {
        row.clear();
        for (int c = 0; c <= e.lastColumn; ++c) {
            const Real value = table.value(r, c);
            row += isMissing(value) ? std::string("*") : cellFileText(value);
            row += ',';
        }
        w.line(row);
    }
    w.line("<<END RAW DATA>>");
}

void writeColumnStatistics(Writer& w, const DataTable& table, int first, int last)
{
    for (int c = first; c <= last; ++c) {
        const ColumnRecord& r = table.column(c);
        w.integer(c);
        w.line(withoutLineBreaks(r.title));
        w.integer(r.n);
        for (const Real value : {r.mean, r.sd, r.sem, r.minimum, r.maximum, r.median, r.upper95, r.lower95})
            w.summary(value);
        w.line();
    }
}

// Pairs of selected columns in pair order: the older program's flag line
// holds those whose columns both lie in A..Z.
template <typename Visit>
void forEachSelectedPair(const DataTable& table, Visit visit)
{
    std::vector<int> selected;
    for (int c = 0; c < TableColumns; ++c)
        if (table.isSelected(c))
            selected.push_back(c);
    for (size_t i = 0; i < selected.size(); ++i)
        for (size_t j = i + 1; j < selected.size(); ++j)
            visit(static_cast<int>(i), static_cast<int>(j), selected[i] < OldColumns && selected[j] < OldColumns);
}

void writeColumnChoices(Writer& w, const DataSet& dataSet)
{
    const AnalysisChoices& c = dataSet.choices;
    w.integer(c.ColumnCategory);
    w.integer(c.OneColNonParametric);
    w.summary(c.HypotheticalValue);
    w.integer(c.OneColTwoSided);
    w.integer(c.OneColColumn);
    w.integer(c.HypotheticalChoice);
    w.integer(c.TwoColNonParametric);
    w.integer(c.TwoColUnpaired);
    w.integer(c.TwoColTwoSided);
    w.integer(c.TwoColFirst);
    w.integer(c.TwoColSecond);
    w.flag(c.TwoColEqualSD);
    w.integer(c.OrdinaryAnova);
    w.integer(c.MultiColNonParametric);
    w.integer(c.PostTestState);
    w.integer(c.PostTestPairs);
    w.integer(c.ControlColumn);
    w.integer(c.PostTestMethod);

    std::string pairs;
    int counter = 0;
    forEachSelectedPair(dataSet.table, [&](int i, int j, bool inOldRange) {
        ++counter;
        if (inOldRange) {
            const int index = selectedPairIndex(i, j);
            pairs += index >= 0 && c.SelectedPairs[index] ? 'T' : 'F';
        }
    });
    for (; counter < OldPairCount; ++counter)
        pairs += 'F';
    w.line(pairs);
    w.line("<<END CHOICES>>");
}

void writeNotes(Writer& w, const Notes& notes)
{
    // Lines end at CR; LF is dropped. A text ending in a line break has no
    // further (empty) line after it.
    std::string_view text = notes.text();
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            w.line(escapedNoteLine(line));
            line.clear();
        } else if (text[i] != '\n') {
            line += text[i];
        }
    }
    if (!line.empty())
        w.line(escapedNoteLine(line));
    w.line("<<END NOTES>>");
}

void writeSelection(Writer& w, const DataTable& table, int first, int last)
{
    for (int c = first; c <= last; ++c)
        w.flag(table.isSelected(c));
}

void writeRowTitles(Writer& w, const DataTable& table)
{
    for (int r = 0; r < table.rowCount(); ++r) {
        if (!table.hasRowTitle(r))
            continue;
        const std::string title = table.rowTitle(r);
        std::string index = std::to_string(r);
        index.resize(6, ' ');
        w.line(index + withoutLineBreaks(title));
    }
    w.line("<<END ROW TITLES>>");
}

void writeDecimals(Writer& w, const DataTable& table, int first, int last)
{
    for (int c = first; c <= last; ++c)
        w.integer(table.fixedDecimals(c));
}

void writeNormality(Writer& w, const DataTable& table, int first, int last)
{
    for (int c = first; c <= last; ++c) {
        const ColumnRecord& r = table.column(c);
        w.summary(r.normalityStatistic);
        w.summary(r.normalityP);
        w.flag(r.passedNormality);
    }
}

std::string exclusionRow(const DataTable& table, int row, int lastColumn)
{
    std::string flags;
    for (int c = 0; c <= lastColumn; ++c)
        flags += table.isExcluded(row, c) ? '*' : '.';
    return flags;
}

void writeOldExclusions(Writer& w, const DataTable& table, const Extent& e)
{
    w.line("<<START EXCLUDE FLAGS>>");
    const int lastColumn = std::min(e.lastColumn, OldColumns - 1);
    for (int r = 0; r <= std::min(e.lastRow, OldRows - 1); ++r)
        w.line(exclusionRow(table, r, lastColumn));
    w.line("<<END EXCLUDE FLAGS>>");
}

void writeExtraExclusions(Writer& w, const DataTable& table, const Extent& e)
{
    w.line("<<BEGIN EXCLUDE FLAGS EXTRA>>");
    if (e.lastRow >= OldRows || e.lastColumn >= OldColumns)
        for (int r = 0; r <= e.lastRow; ++r)
            w.line(exclusionRow(table, r, e.lastColumn));
    w.line("<<END EXCLUDE FLAGS EXTRA>>");
}

void writeTitlesX1(Writer& w, const DataTable& table, int first, int last)
{
    for (int c = first; c <= last; ++c)
        w.line(withoutLineBreaks(table.column(c).title));
}

void writeTitlesX2(Writer& w, const DataTable& table, int first, int last)
{
    for (int c = first; c <= last; ++c) {
        w.integer(c);
        w.line(withoutLineBreaks(table.column(c).title));
    }
}

void writeTitlesX4(Writer& w, const DataTable& table, int first, int last)
{
    for (int c = first; c <= last; ++c) {
        w.integer(c);
        w.line(withoutLineBreaks(table.column(c).title));
        w.integer(table.column(c).n);
        w.line();
    }
}

template <typename Body>
void extraSection(Writer& w, const char* name, Body body)
{
    w.line(std::string("<<BEGIN ") + name + " EXTRA>>");
    body();
    w.line(std::string("<<END ") + name + " EXTRA>>");
}

void writeColumnFormatBody(Writer& w, DataSet& dataSet, const Extent& e)
{
    const DataTable& table = dataSet.table;
    w.line(withoutLineBreaks(table.title()));
    // Averaged data live in the column records, but cells typed before the
    // format was changed are kept too: the file must not lose them, and any
    // reader takes raw rows in every column format.
    if (dataSet.format == DataFormat::Raw || !table.isEmpty())
        writeRawData(w, table, e);
    else
        w.line("<<END RAW DATA>>");
    writeColumnStatistics(w, table, 0, OldColumns - 1);
    w.line("<<END STAT DATA>>");
    writeColumnChoices(w, dataSet);
    writeNotes(w, dataSet.notes);
    writeSelection(w, table, 0, OldColumns - 1);
    w.line("<<END SELECTED FLAGS>>");
    writeRowTitles(w, table);
    writeDecimals(w, table, 0, OldColumns - 1);
    w.line("<<END DEC PT DATA>>");
    w.flag(dataSet.choices.AllColumns);
    w.line();
    writeNormality(w, table, 0, OldColumns - 1);
    w.line();
    writeOldExclusions(w, table, e);
    w.line();
    extraSection(w, "COLUMN STATISTIC", [&] { writeColumnStatistics(w, table, OldColumns, TableColumns - 1); });
    extraSection(w, "CHOICES DATA", [&] {
        std::string flags;
        for (const bool pair : dataSet.choices.SelectedPairs)
            flags += pair ? 'T' : 'F';
        flags += 'T';
        w.line(flags);
    });
    extraSection(w, "COLUMN SELECTION", [&] { writeSelection(w, table, OldColumns, TableColumns - 1); });
    extraSection(w, "DECIMAL POINT", [&] { writeDecimals(w, table, OldColumns, TableColumns - 1); });
    extraSection(w, "NORMALITY TEST", [&] { writeNormality(w, table, OldColumns, TableColumns - 1); });
    writeExtraExclusions(w, table, e);
}

// What XY and larger-table files share after their titles.
void writeTitledTableRest(Writer& w, const DataSet& dataSet, const Extent& e, const char* extraTitles,
                          void (*writeTitles)(Writer&, const DataTable&, int, int))
{
    const DataTable& table = dataSet.table;
    writeRawData(w, table, e);
    writeNotes(w, dataSet.notes);
    writeRowTitles(w, table);
    writeDecimals(w, table, 0, OldColumns - 1);
    w.line("<<END DEC PT DATA>>");
    writeOldExclusions(w, table, e);
    w.line();
    extraSection(w, extraTitles, [&] { writeTitles(w, table, OldColumns, TableColumns - 1); });
    extraSection(w, "DECIMAL POINT", [&] { writeDecimals(w, table, OldColumns, TableColumns - 1); });
    writeExtraExclusions(w, table, e);
}

void writeXYBody(Writer& w, DataSet& dataSet, const Extent& e)
{
    const DataTable& table = dataSet.table;
    const AnalysisChoices& c = dataSet.choices;
    w.line(withoutLineBreaks(table.title()));
    w.flag(c.DoRegression);
    w.flag(c.RunsTest);
    w.flag(c.ForceThroughPoint);
    w.summary(c.ForceX);
    w.summary(c.ForceY);
    w.integer(c.XYTest);
    w.flag(c.StandardCurve);
    w.line("<<END CHOICES>>");
    writeTitlesX2(w, table, 0, OldColumns - 1);
    w.line("<<TITLES>>");
    writeTitledTableRest(w, dataSet, e, "COLUMN TITLES X2", writeTitlesX2);
}

void writeLargerTableBody(Writer& w, DataSet& dataSet, const Extent& e)
{
    const DataTable& table = dataSet.table;
    w.line(withoutLineBreaks(table.title()));
    writeTitlesX4(w, table, 0, OldColumns - 1);
    w.line("<<END STAT DATA>>");
    writeTitledTableRest(w, dataSet, e, "COLUMN TITLES X4", writeTitlesX4);
}

void writeMultipleRegressionBody(Writer& w, DataSet& dataSet, const Extent& e)
{
    const DataTable& table = dataSet.table;
    const AnalysisChoices& c = dataSet.choices;
    w.line(withoutLineBreaks(table.title()));
    writeRawData(w, table, e);
    writeTitlesX1(w, table, 0, OldColumns - 1);
    w.integer(c.MultRegAnalysis);
    w.integer(c.DependentColumn);
    w.flag(dataSet.graph.analysedDataOnly);
    for (int col = 0; col < OldColumns; ++col)
        w.flag(c.IndependentColumns[col]);
    w.line(withoutLineBreaks(dataSet.graph.multipleRegressionX));
    w.line(withoutLineBreaks(dataSet.graph.multipleRegressionY));
    w.line("<<END CHOICES>>");
    writeNotes(w, dataSet.notes);
    writeRowTitles(w, table);
    w.line();
    writeOldExclusions(w, table, e);
    w.line();
    extraSection(w, "COLUMN TITLES X1", [&] { writeTitlesX1(w, table, OldColumns, TableColumns - 1); });
    extraSection(w, "MULTIREG CHOICES", [&] {
        for (int col = OldColumns; col < TableColumns; ++col)
            w.flag(c.IndependentColumns[col]);
    });
    writeExtraExclusions(w, table, e);
}

void writeTwoByTwoBody(Writer& w, DataSet& dataSet)
{
    const AnalysisChoices& c = dataSet.choices;
    const TwoByTwoRecord& t = dataSet.twoByTwo;
    w.integer(c.TwoByTwoTest);
    w.flag(c.TwoByTwoYates);
    w.integer(c.TwoByTwoTwoSided);
    w.flag(c.TwoByTwoProportions);
    w.flag(c.TwoByTwoOddsRatio);
    w.flag(c.TwoByTwoRelativeRisk);
    for (const Real count : t.counts)
        w.summary(count);
    for (const std::string& title : t.titles)
        w.line(withoutLineBreaks(title));
    w.line(withoutLineBreaks(dataSet.table.title()));
    w.line("<<END CHOICES>>");
    writeNotes(w, dataSet.notes);
    w.line();
    w.flag(c.TwoByTwoSensitivity);
    w.line();
}

bool anyExtraColumnTitle(const DataTable& table)
{
    for (int c = OldColumns; c < TableColumns; ++c)
        if (!table.column(c).title.empty())
            return true;
    return false;
}

bool sizeTest(const DataTable& table)
{
    return table.lastUsedRow() >= OldRows || table.lastUsedColumn() >= OldColumns || anyExtraColumnTitle(table);
}

bool summaryTest(const DataTable& table)
{
    for (int c = OldColumns; c < TableColumns; ++c) {
        const ColumnRecord& r = table.column(c);
        if (!r.title.empty() || r.n > 0 || !isMissing(r.mean) || !isMissing(r.sd) || !isMissing(r.sem) ||
            !isMissing(r.median))
            return true;
    }
    return false;
}

// ---------------------------------------------------------------- reading

// Hands out the lines of a file, CR LF or LF ended. At the end every further
// line is empty, so a truncated file reads as one whose sections are empty.
class LineReader {
public:
    explicit LineReader(std::string_view text) : m_text(text) {}

    bool atEnd() const { return m_pos >= m_text.size(); }
    std::string_view text() const { return m_text; }
    size_t position() const { return m_pos; }
    void seek(size_t position) { m_pos = position; }

    std::string_view next()
    {
        if (atEnd())
            return {};
        const size_t end = m_text.find('\n', m_pos);
        std::string_view line =
            end == std::string_view::npos ? m_text.substr(m_pos) : m_text.substr(m_pos, end - m_pos);
        m_pos = end == std::string_view::npos ? m_text.size() : end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        return line;
    }

    // Moves past the next line that is exactly marker; false (and the
    // position unchanged) when there is none.
    bool findMarker(std::string_view marker)
    {
        const size_t start = m_pos;
        while (!atEnd())
            if (trimmedRight(next()) == marker)
                return true;
        m_pos = start;
        return false;
    }

    void skipPast(std::string_view marker)
    {
        while (!atEnd())
            if (trimmedRight(next()) == marker)
                return;
    }

private:
    std::string_view m_text;
    size_t m_pos = 0;
};

bool isMarker(std::string_view line, std::string_view marker)
{
    return trimmedRight(line) == marker;
}

// Text from the file as UTF-8: lines that are not valid UTF-8 come from
// 8-bit files and are read as Latin-1. Control characters become spaces.
std::string fileText(std::string_view line, int maxChars)
{
    std::string utf8;
    bool valid = true;
    for (size_t i = 0; i < line.size() && valid;) {
        const auto b = static_cast<unsigned char>(line[i]);
        size_t length = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
        if (length == 0 || i + length > line.size()) {
            valid = false;
            break;
        }
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(line[i + k]) & 0xC0) != 0x80)
                valid = false;
        i += length;
    }
    if (valid) {
        utf8.assign(line);
    } else {
        for (const char ch : line) {
            const auto b = static_cast<unsigned char>(ch);
            if (b < 0x80) {
                utf8 += ch;
            } else {
                utf8 += static_cast<char>(0xC0 | (b >> 6));
                utf8 += static_cast<char>(0x80 | (b & 0x3F));
            }
        }
    }
    for (char& ch : utf8)
        if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F)
            ch = ' ';
    return truncatedText(utf8, maxChars);
}

Real fileNumber(std::string_view line)
{
    return parseNumber(line).value_or(MissingValue);
}

long long fileInteger(std::string_view line, long long fallback)
{
    const auto value = parseNumber(line);
    if (!value || *value != std::trunc(*value) || std::fabs(*value) > 2147483647.0L)
        return fallback;
    return static_cast<long long>(*value);
}

int fileIntegerIn(std::string_view line, int low, int high, int fallback)
{
    const long long value = fileInteger(line, fallback);
    return value < low || value > high ? fallback : static_cast<int>(value);
}

bool fileFlag(std::string_view line)
{
    return trimmed(line) == "T";
}

bool fileBool(std::string_view line, bool fallback)
{
    return fileIntegerIn(line, 0, 1, fallback ? 1 : 0) == 1;
}

// Decimals and integer digits of a number as written in fixed notation
// (trailing zeros are no decimals); the exponent form counts as none.
DecimalShape decimalShapeOfText(std::string_view token)
{
    DecimalShape shape;
    if (token.find_first_of("eE") != std::string_view::npos)
        return shape;
    const size_t point = token.find('.');
    std::string_view whole = token.substr(0, point);
    if (!whole.empty() && (whole.front() == '-' || whole.front() == '+'))
        whole.remove_prefix(1);
    while (whole.size() > 1 && whole.front() == '0')
        whole.remove_prefix(1);
    shape.integerDigits = std::max<int>(1, static_cast<int>(whole.size()));
    if (point != std::string_view::npos) {
        std::string_view fraction = token.substr(point + 1);
        while (!fraction.empty() && fraction.back() == '0')
            fraction.remove_suffix(1);
        shape.decimals = static_cast<int>(fraction.size());
    }
    return shape;
}

// Choices read from the next line; at the end of a truncated file the
// choice keeps the default of a new document.
bool nextFlag(LineReader& in, bool current)
{
    return in.atEnd() ? current : fileFlag(in.next());
}

bool nextBool(LineReader& in, bool current)
{
    return in.atEnd() ? current : fileBool(in.next(), current);
}

int nextInteger(LineReader& in, int low, int high, int current)
{
    return in.atEnd() ? current : fileIntegerIn(in.next(), low, high, current);
}

void readRawData(LineReader& in, DataTable& table)
{
    table.setAllMeanEntry(true);
    for (int row = 0; !in.atEnd(); ++row) {
        const std::string_view line = in.next();
        if (isMarker(line, "<<END RAW DATA>>"))
            break;
        if (row >= MaxFileRows)
            continue;
        size_t start = 0;
        for (int column = 0; start <= line.size() && column < TableColumns; ++column) {
            size_t end = line.find(',', start);
            if (end == std::string_view::npos)
                end = line.size();
            const std::string_view token = trimmed(line.substr(start, end - start));
            if (end == line.size() && token.empty())
                break;
            start = end + 1;
            if (token == "*" || token.empty())
                continue;
            const Real value = fileNumber(token);
            if (isMissing(value))
                continue;
            table.setValue(row, column, value);
            table.setMeanEntry(column, false);
            if (!inExponentRange(value)) {
                const DecimalShape shape = decimalShapeOfText(token);
                if (shape.integerDigits + shape.decimals < 15 && shape.decimals > table.autoDecimals(column))
                    table.setAutoDecimals(column, shape.decimals);
            }
        }
    }
    table.setAllColumnsChanged(false);
}

void readColumnStatistics(LineReader& in, DataTable& table, std::string_view terminator)
{
    while (!in.atEnd()) {
        const std::string_view indexLine = in.next();
        if (isMarker(indexLine, terminator))
            return;
        const int column = fileIntegerIn(indexLine, 0, TableColumns - 1, -1);
        const std::string title = fileText(in.next(), MaxColumnTitleLength);
        const long long n = fileInteger(in.next(), 0);
        Real values[8];
        for (Real& value : values)
            value = fileNumber(in.next());
        in.next();  // the empty line after each column
        if (column < 0)
            continue;
        ColumnRecord& r = table.column(column);
        r.title = title;
        r.n = n < 0 ? 0 : static_cast<std::int32_t>(n);
        r.mean = values[0];
        r.sd = values[1];
        r.sem = values[2];
        r.minimum = values[3];
        r.maximum = values[4];
        r.median = values[5];
        r.upper95 = values[6];
        r.lower95 = values[7];
    }
}

void readColumnChoices(LineReader& in, DataSet& dataSet)
{
    AnalysisChoices& c = dataSet.choices;
    c.ColumnCategory = nextInteger(in, 0, 3, c.ColumnCategory);
    c.OneColNonParametric = nextBool(in, c.OneColNonParametric);
    const Real hypothetical = fileNumber(in.next());
    if (!isMissing(hypothetical))
        c.HypotheticalValue = hypothetical;
    c.OneColTwoSided = nextBool(in, c.OneColTwoSided);
    c.OneColColumn = nextInteger(in, -1, TableColumns - 1, c.OneColColumn);
    c.HypotheticalChoice = nextInteger(in, 0, 3, c.HypotheticalChoice);
    c.TwoColNonParametric = nextBool(in, c.TwoColNonParametric);
    c.TwoColUnpaired = nextBool(in, c.TwoColUnpaired);
    c.TwoColTwoSided = nextBool(in, c.TwoColTwoSided);
    c.TwoColFirst = nextInteger(in, -1, TableColumns - 1, c.TwoColFirst);
    c.TwoColSecond = nextInteger(in, -1, TableColumns - 1, c.TwoColSecond);
    c.TwoColEqualSD = nextFlag(in, c.TwoColEqualSD);
    c.OrdinaryAnova = nextBool(in, c.OrdinaryAnova);
    c.MultiColNonParametric = nextBool(in, c.MultiColNonParametric);
    c.PostTestState = nextInteger(in, 0, 2, c.PostTestState);
    c.PostTestPairs = nextInteger(in, 0, 2, c.PostTestPairs);
    c.ControlColumn = nextInteger(in, -1, TableColumns - 1, c.ControlColumn);
    c.PostTestMethod = nextInteger(in, 0, 4, c.PostTestMethod);
    const std::string_view pairLine = in.next();
    if (!isMarker(pairLine, "<<END CHOICES>>"))
        in.skipPast("<<END CHOICES>>");
}

// The older program's pair flags, taken as the pairs of selected columns in A..Z.
void applyOldPairFlags(std::string_view flags, DataSet& dataSet)
{
    size_t k = 0;
    forEachSelectedPair(dataSet.table, [&](int i, int j, bool inOldRange) {
        if (!inOldRange || k >= flags.size())
            return;
        const int index = selectedPairIndex(i, j);
        if (index >= 0)
            dataSet.choices.SelectedPairs[index] = flags[k] == 'T';
        ++k;
    });
}

void readNotes(LineReader& in, Notes& notes)
{
    std::string text;
    while (!in.atEnd()) {
        const std::string_view line = in.next();
        if (isMarker(line, "<<END NOTES>>"))
            break;
        if (text.size() >= 8006)
            continue;
        std::string clean(line);
        clean.erase(std::remove(clean.begin(), clean.end(), Notes::EndMark), clean.end());
        text += clean;
        text += "\r\n";
    }
    notes.setText(text);
}

// One line per column from first on, up to the terminator; lines beyond
// last are read past.
template <typename Apply>
void readColumnLines(LineReader& in, int first, int last, std::string_view terminator, Apply apply)
{
    for (int c = first; !in.atEnd(); ++c) {
        const std::string_view line = in.next();
        if (isMarker(line, terminator))
            return;
        if (c <= last)
            apply(c, line);
    }
}

void readSelection(LineReader& in, DataTable& table, int first, int last, std::string_view terminator)
{
    readColumnLines(in, first, last, terminator,
                    [&](int c, std::string_view line) { table.setSelected(c, fileFlag(line)); });
}

void readRowTitles(LineReader& in, DataTable& table)
{
    while (!in.atEnd()) {
        const std::string_view line = in.next();
        if (isMarker(line, "<<END ROW TITLES>>"))
            return;
        const int row = fileIntegerIn(line.substr(0, std::min<size_t>(6, line.size())), 0, table.rowCount() - 1, -1);
        if (row >= 0)
            table.setRowTitle(row, fileText(line.size() > 6 ? line.substr(6) : std::string_view(), MaxRowTitleLength));
    }
}

void readDecimals(LineReader& in, DataTable& table, int first, int last, std::string_view terminator)
{
    readColumnLines(in, first, last, terminator, [&](int c, std::string_view line) {
        table.setFixedDecimals(c, fileIntegerIn(line, -1, MaxShownDigits, -1));
    });
}

void readNormality(LineReader& in, DataTable& table, int first, int last)
{
    for (int c = first; c <= last; ++c) {
        ColumnRecord& r = table.column(c);
        r.normalityStatistic = fileNumber(in.next());
        r.normalityP = fileNumber(in.next());
        r.passedNormality = fileFlag(in.next());
    }
}

void readExclusionRows(LineReader& in, DataTable& table, std::string_view terminator)
{
    for (int row = 0; !in.atEnd(); ++row) {
        const std::string_view line = in.next();
        if (isMarker(line, terminator))
            return;
        if (row >= MaxFileRows)
            continue;
        const int columns = static_cast<int>(std::min<size_t>(line.size(), TableColumns));
        for (int c = 0; c < columns; ++c)
            if (line[c] == '*')
                table.setExcluded(row, c, true);
    }
}

void readOldExclusions(LineReader& in, DataTable& table)
{
    if (in.findMarker("<<START EXCLUDE FLAGS>>"))
        readExclusionRows(in, table, "<<END EXCLUDE FLAGS>>");
}

// An EXTRA section is looked for from the current position on; when it is
// absent nothing is read and the position stays, so the sections after it
// are still found. Its body is read from the lines between its markers only.
template <typename Body>
void readExtraSection(LineReader& in, const char* name, Body body)
{
    if (!in.findMarker(std::string("<<BEGIN ") + name + " EXTRA>>"))
        return;
    const std::string end = std::string("<<END ") + name + " EXTRA>>";
    const size_t start = in.position();
    size_t stop = start;
    while (!in.atEnd()) {
        stop = in.position();
        if (isMarker(in.next(), end))
            break;
        stop = in.position();
    }
    LineReader section(in.text().substr(start, stop - start));
    body(section, end);
}

void readTitlesX1(LineReader& in, DataTable& table, int first, int last)
{
    for (int c = first; c <= last; ++c)
        table.setColumnTitle(c, fileText(in.next(), MaxColumnTitleLength));
}

void readIndexedTitles(LineReader& in, DataTable& table, std::string_view terminator, bool withN)
{
    while (!in.atEnd()) {
        const std::string_view indexLine = in.next();
        if (isMarker(indexLine, terminator))
            return;
        const int column = fileIntegerIn(indexLine, 0, TableColumns - 1, -1);
        const std::string title = fileText(in.next(), MaxColumnTitleLength);
        if (withN) {
            in.next();  // N: recomputed from the cells
            in.next();  // empty line
        }
        if (column >= 0)
            table.setColumnTitle(column, title);
    }
}

void readColumnFormatBody(LineReader& in, DataSet& dataSet)
{
    DataTable& table = dataSet.table;
    table.setTitle(fileText(in.next(), MaxTableTitleLength));
    readRawData(in, table);
    readColumnStatistics(in, table, "<<END STAT DATA>>");
    // The older program's pair flags need the selection, which comes later.
    const size_t choicesStart = in.position();
    readColumnChoices(in, dataSet);
    readNotes(in, dataSet.notes);
    readSelection(in, table, 0, OldColumns - 1, "<<END SELECTED FLAGS>>");
    {
        LineReader pairs = in;
        pairs.seek(choicesStart);
        for (int i = 0; i < 18; ++i)
            pairs.next();
        const std::string_view flags = pairs.next();
        if (!isMarker(flags, "<<END CHOICES>>"))
            applyOldPairFlags(flags, dataSet);
    }
    if (in.atEnd())
        return;
    readRowTitles(in, table);
    if (in.atEnd())
        return;
    readDecimals(in, table, 0, OldColumns - 1, "<<END DEC PT DATA>>");
    dataSet.choices.AllColumns = in.atEnd() ? dataSet.choices.AllColumns : fileFlag(in.next());
    in.next();
    if (!in.atEnd())
        readNormality(in, table, 0, OldColumns - 1);
    in.next();
    readOldExclusions(in, table);
    readExtraSection(in, "COLUMN STATISTIC",
                     [&](LineReader& section, const std::string& end) { readColumnStatistics(section, table, end); });
    readExtraSection(in, "CHOICES DATA", [&](LineReader& section, const std::string&) {
        const std::string_view flags = section.next();
        const size_t count = std::min<size_t>(flags.size(), SelectedPairCount);
        for (size_t i = 0; i < count; ++i)
            dataSet.choices.SelectedPairs[i] = flags[i] == 'T';
    });
    readExtraSection(in, "COLUMN SELECTION", [&](LineReader& section, const std::string& end) {
        readSelection(section, table, OldColumns, TableColumns - 1, end);
    });
    readExtraSection(in, "DECIMAL POINT", [&](LineReader& section, const std::string& end) {
        readDecimals(section, table, OldColumns, TableColumns - 1, end);
    });
    readExtraSection(in, "NORMALITY TEST", [&](LineReader& section, const std::string&) {
        readNormality(section, table, OldColumns, TableColumns - 1);
    });
    readExtraSection(in, "EXCLUDE FLAGS",
                     [&](LineReader& section, const std::string& end) { readExclusionRows(section, table, end); });
}

// What XY and larger-table files share after their titles: cells, notes,
// row titles, decimals, exclusions and the EXTRA sections of the same.
void readTitledTableRest(LineReader& in, DataSet& dataSet, const char* extraTitles, bool titlesWithN)
{
    DataTable& table = dataSet.table;
    readRawData(in, table);
    readNotes(in, dataSet.notes);
    if (in.atEnd())
        return;
    readRowTitles(in, table);
    if (in.atEnd())
        return;
    readDecimals(in, table, 0, OldColumns - 1, "<<END DEC PT DATA>>");
    readOldExclusions(in, table);
    readExtraSection(in, extraTitles, [&](LineReader& section, const std::string& end) {
        readIndexedTitles(section, table, end, titlesWithN);
    });
    readExtraSection(in, "DECIMAL POINT", [&](LineReader& section, const std::string& end) {
        readDecimals(section, table, OldColumns, TableColumns - 1, end);
    });
    readExtraSection(in, "EXCLUDE FLAGS",
                     [&](LineReader& section, const std::string& end) { readExclusionRows(section, table, end); });
}

void readXYBody(LineReader& in, DataSet& dataSet)
{
    DataTable& table = dataSet.table;
    AnalysisChoices& c = dataSet.choices;
    table.setTitle(fileText(in.next(), MaxTableTitleLength));
    c.DoRegression = nextFlag(in, c.DoRegression);
    c.RunsTest = nextFlag(in, c.RunsTest);
    c.ForceThroughPoint = nextFlag(in, c.ForceThroughPoint);
    const Real forceX = fileNumber(in.next());
    const Real forceY = fileNumber(in.next());
    c.ForceX = isMissing(forceX) ? 0 : forceX;
    c.ForceY = isMissing(forceY) ? 0 : forceY;
    c.XYTest = nextInteger(in, 0, 2, c.XYTest);
    c.StandardCurve = nextFlag(in, c.StandardCurve);
    if (!isMarker(in.next(), "<<END CHOICES>>"))
        in.skipPast("<<END CHOICES>>");
    readIndexedTitles(in, table, "<<TITLES>>", false);
    readTitledTableRest(in, dataSet, "COLUMN TITLES X2", false);
}

void readLargerTableBody(LineReader& in, DataSet& dataSet)
{
    DataTable& table = dataSet.table;
    table.setTitle(fileText(in.next(), MaxTableTitleLength));
    readIndexedTitles(in, table, "<<END STAT DATA>>", true);
    readTitledTableRest(in, dataSet, "COLUMN TITLES X4", true);
}

void readMultipleRegressionBody(LineReader& in, DataSet& dataSet)
{
    DataTable& table = dataSet.table;
    AnalysisChoices& c = dataSet.choices;
    table.setTitle(fileText(in.next(), MaxTableTitleLength));
    readRawData(in, table);
    readTitlesX1(in, table, 0, OldColumns - 1);
    c.MultRegAnalysis = nextBool(in, c.MultRegAnalysis);
    c.DependentColumn = nextInteger(in, 0, TableColumns - 1, c.DependentColumn);
    dataSet.graph.analysedDataOnly = nextFlag(in, dataSet.graph.analysedDataOnly);
    for (int col = 0; col < OldColumns; ++col)
        c.IndependentColumns[col] = nextFlag(in, c.IndependentColumns[col]);
    dataSet.graph.multipleRegressionX = fileText(in.next(), MaxColumnTitleLength);
    dataSet.graph.multipleRegressionY = fileText(in.next(), MaxColumnTitleLength);
    if (!isMarker(in.next(), "<<END CHOICES>>"))
        in.skipPast("<<END CHOICES>>");
    readNotes(in, dataSet.notes);
    if (in.atEnd())
        return;
    readRowTitles(in, table);
    if (in.atEnd())
        return;
    readOldExclusions(in, table);
    readExtraSection(in, "COLUMN TITLES X1", [&](LineReader& section, const std::string&) {
        readTitlesX1(section, table, OldColumns, TableColumns - 1);
    });
    readExtraSection(in, "MULTIREG CHOICES", [&](LineReader& section, const std::string&) {
        for (int col = OldColumns; col < TableColumns; ++col)
            c.IndependentColumns[col] = fileFlag(section.next());
    });
    readExtraSection(in, "EXCLUDE FLAGS",
                     [&](LineReader& section, const std::string& end) { readExclusionRows(section, table, end); });
}

void readTwoByTwoBody(LineReader& in, DataSet& dataSet)
{
    AnalysisChoices& c = dataSet.choices;
    TwoByTwoRecord& t = dataSet.twoByTwo;
    c.TwoByTwoTest = nextInteger(in, 0, 1, c.TwoByTwoTest);
    c.TwoByTwoYates = nextFlag(in, c.TwoByTwoYates);
    c.TwoByTwoTwoSided = nextBool(in, c.TwoByTwoTwoSided);
    c.TwoByTwoProportions = nextFlag(in, c.TwoByTwoProportions);
    c.TwoByTwoOddsRatio = nextFlag(in, c.TwoByTwoOddsRatio);
    c.TwoByTwoRelativeRisk = nextFlag(in, c.TwoByTwoRelativeRisk);
    for (Real& count : t.counts)
        count = fileNumber(in.next());
    for (std::string& title : t.titles)
        title = fileText(in.next(), MaxTwoByTwoTitleLength);
    dataSet.table.setTitle(fileText(in.next(), MaxTwoByTwoTableTitleLength));
    if (!isMarker(in.next(), "<<END CHOICES>>"))
        in.skipPast("<<END CHOICES>>");
    readNotes(in, dataSet.notes);
    in.next();
    if (!in.atEnd())
        c.TwoByTwoSensitivity = nextFlag(in, c.TwoByTwoSensitivity);
}

std::optional<std::string> readWholeFile(const std::string& path)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size > MaxFileSize)
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        // A file that is being written by another program may be locked for a moment.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        in.open(path, std::ios::binary);
        if (!in)
            return std::nullopt;
    }
    std::string text(static_cast<size_t>(size), '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    return text;
}

}  // namespace

std::string cellFileText(Real value)
{
    return fileNumberText(value);
}

std::string summaryFileText(Real value)
{
    return fileNumberText(value);
}

std::optional<DataFormat> dataFormatOfNumber(int formatNumber)
{
    switch (formatNumber) {
    case 1: return DataFormat::Raw;
    case 2: return DataFormat::MeanSDN;
    case 3: return DataFormat::MeanSEMN;
    case 4: return DataFormat::LargerTable;
    case 5: return DataFormat::TwoByTwo;
    case 6: return DataFormat::XY;
    case 7: return DataFormat::MultipleRegression;
    default: return std::nullopt;
    }
}

int detectFormatOfText(std::string_view text)
{
    LineReader in(text);
    in.next();
    in.next();
    const std::string_view codeLine = in.next();
    const std::string_view subFormatLine = in.next();
    long long code = fileInteger(codeLine, 0);
    if (code >= 100)
        code -= 100;
    if (code == 1)
        return fileInteger(subFormatLine, 0) == 1 ? 7 : 1;
    return code >= 2 && code <= 7 ? static_cast<int>(code) : 0;
}

int DetectFileFormat(const std::string& path)
{
    const auto text = readWholeFile(path);
    return text ? detectFormatOfText(*text) : 0;
}

std::optional<Real> ReadFileVersion(const std::string& path)
{
    const auto text = readWholeFile(path);
    if (!text)
        return std::nullopt;
    LineReader in(*text);
    in.next();
    return parseNumber(in.next());
}

bool needsCurrentLayout(const DataSet& dataSet)
{
    const DataTable& table = dataSet.table;
    switch (dataSet.format) {
    case DataFormat::Raw: return sizeTest(table) || summaryTest(table);
    case DataFormat::MeanSDN:
    case DataFormat::MeanSEMN: return summaryTest(table) || (!table.isEmpty() && sizeTest(table));
    case DataFormat::XY:
    case DataFormat::LargerTable:
    case DataFormat::MultipleRegression: return sizeTest(table);
    case DataFormat::TwoByTwo: return false;
    }
    return false;
}

std::string writeDataSetText(DataSet& dataSet)
{
    dataSet.table.recomputeLastUsed();
    const bool current = needsCurrentLayout(dataSet);
    std::string out;
    Writer w(out);
    w.line(HeaderLine);
    w.line(current ? "3.10" : "3.00");
    w.integer(formatFileCode(dataSet.format) + (current ? 100 : 0));
    w.line(dataSet.format == DataFormat::MultipleRegression ? "1" : "");
    w.line();
    w.line();

    const Extent extent = extentOf(dataSet.table);
    switch (dataSet.format) {
    case DataFormat::Raw:
    case DataFormat::MeanSDN:
    case DataFormat::MeanSEMN: writeColumnFormatBody(w, dataSet, extent); break;
    case DataFormat::XY: writeXYBody(w, dataSet, extent); break;
    case DataFormat::LargerTable: writeLargerTableBody(w, dataSet, extent); break;
    case DataFormat::MultipleRegression: writeMultipleRegressionBody(w, dataSet, extent); break;
    case DataFormat::TwoByTwo: writeTwoByTwoBody(w, dataSet); break;
    }
    return out;
}

SaveResult saveDataSet(DataSet& dataSet, const std::string& path)
{
    SaveResult result;
    result.currentLayout = needsCurrentLayout(dataSet);
    const std::string text = writeDataSetText(dataSet);
    result.currentLayout = needsCurrentLayout(dataSet);

    const std::filesystem::path target(path);
    std::string temporary = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    std::vector<char> name(temporary.begin(), temporary.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        result.error = std::strerror(errno);
        return result;
    }
    temporary = name.data();
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        written += static_cast<size_t>(n);
    }
    int error = written == text.size() ? 0 : errno;
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    // mkstemp makes the file private: give it the permissions of the file it
    // replaces, or those of any new file the user saves.
    if (error == 0) {
        struct stat existing {};
        if (::stat(path.c_str(), &existing) == 0) {
            ::chmod(temporary.c_str(), existing.st_mode & 07777);
        } else {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            ::chmod(temporary.c_str(), 0666 & ~mask);
        }
    }
    if (error == 0 && std::rename(temporary.c_str(), path.c_str()) != 0)
        error = errno;
    if (error != 0) {
        std::remove(temporary.c_str());
        result.error = std::strerror(error);
        return result;
    }
    result.ok = true;
    dataSet.modified = false;
    return result;
}

bool compatibilityWarningDue(DataSet& dataSet, const SaveResult& result, bool warningEnabled)
{
    if (!result.ok)
        return false;
    if (!result.currentLayout) {
        dataSet.compatibilityWarningShown = false;
        return false;
    }
    if (!warningEnabled || dataSet.compatibilityWarningShown)
        return false;
    dataSet.compatibilityWarningShown = true;
    return true;
}

OpenResult readDataSetText(std::string_view text)
{
    OpenResult result;
    const auto format = dataFormatOfNumber(detectFormatOfText(text));
    if (!format) {
        result.message = NotADataFileMessage;
        return result;
    }
    LineReader in(text);
    in.next();
    const auto version = parseNumber(in.next());
    if (version && *version > 3.1L) {
        result.message = NewerVersionMessage;
        return result;
    }
    for (int i = 0; i < 4; ++i)
        in.next();

    auto dataSet = std::make_unique<DataSet>();
    dataSet->format = *format;
    switch (*format) {
    case DataFormat::Raw:
    case DataFormat::MeanSDN:
    case DataFormat::MeanSEMN: readColumnFormatBody(in, *dataSet); break;
    case DataFormat::XY: readXYBody(in, *dataSet); break;
    case DataFormat::LargerTable: readLargerTableBody(in, *dataSet); break;
    case DataFormat::MultipleRegression: readMultipleRegressionBody(in, *dataSet); break;
    case DataFormat::TwoByTwo: readTwoByTwoBody(in, *dataSet); break;
    }
    if (*format == DataFormat::MeanSDN || *format == DataFormat::MeanSEMN)
        dataSet->table.setAllMeanEntry(true);
    if (*format == DataFormat::MeanSDN)
        dataSet->choices.ShowSD = true;
    else if (*format == DataFormat::MeanSEMN)
        dataSet->choices.ShowSD = false;
    dataSet->modified = false;
    dataSet->resultsStale = true;
    result.dataSet = std::move(dataSet);
    return result;
}

OpenResult openDataFile(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        OpenResult result;
        result.message = std::filesystem::exists(path, error) ? NotADataFileMessage : std::strerror(ENOENT);
        return result;
    }
    errno = 0;
    const auto text = readWholeFile(path);
    if (!text) {
        OpenResult result;
        result.message = errno != 0 ? std::strerror(errno) : NotADataFileMessage;
        return result;
    }
    return readDataSetText(*text);
}

}  // namespace ombrix::core
