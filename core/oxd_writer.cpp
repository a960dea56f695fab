#include <algorithm>
#include <charconv>
#include <cmath>

#include "core/atomic_file.h"
#include "core/choice_table.h"
#include "core/oxd_file.h"
#include "core/oxd_layout.h"
#include "core/text.h"

// Writing a data set as a data file.
namespace ombrix::core {

namespace {

using namespace oxd;

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

class Writer {
public:
    explicit Writer(std::string& out)
        : m_out(out)
    {
    }

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

// One line per choice of the group, in table order.
void writeChoiceGroup(Writer& w, const AnalysisChoices& choices, ChoiceGroup group)
{
    for (const ChoiceDescriptor& choice : choiceTable()) {
        if (choice.group != group)
            continue;
        switch (choice.line) {
        case ChoiceLine::Letter: w.flag(choice.get(choices) != 0); break;
        case ChoiceLine::Integer: w.integer(choice.get(choices)); break;
        case ChoiceLine::Number: w.summary(choices.*choice.number); break;
        case ChoiceLine::None: break;
        }
    }
}

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
    int lastRow = 0;  // at most MaxFileRows - 1
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

void writeColumnChoices(Writer& w, const DataSet& dataSet)
{
    const AnalysisChoices& c = dataSet.choices;
    writeChoiceGroup(w, c, ChoiceGroup::ColumnFormats);

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

template <typename Body> void extraSection(Writer& w, const char* name, Body body)
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
    writeChoiceGroup(w, dataSet.choices, ChoiceGroup::ColumnFormatsTail);
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
    w.line(withoutLineBreaks(table.title()));
    writeChoiceGroup(w, dataSet.choices, ChoiceGroup::XY);
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
    writeChoiceGroup(w, c, ChoiceGroup::MultipleRegression);
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
    writeChoiceGroup(w, c, ChoiceGroup::TwoByTwo);
    for (const Real count : t.counts)
        w.summary(count);
    for (const std::string& title : t.titles)
        w.line(withoutLineBreaks(title));
    w.line(withoutLineBreaks(dataSet.table.title()));
    w.line("<<END CHOICES>>");
    writeNotes(w, dataSet.notes);
    w.line();
    writeChoiceGroup(w, c, ChoiceGroup::TwoByTwoTail);
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

}  // namespace

std::string cellFileText(Real value)
{
    return fileNumberText(value);
}

std::string summaryFileText(Real value)
{
    return fileNumberText(value);
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
    const std::string text = writeDataSetText(dataSet);
    result.currentLayout = needsCurrentLayout(dataSet);
    result.error = replaceFileAtomically(path, text);
    result.ok = result.error.empty();
    if (result.ok)
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

}  // namespace ombrix::core
