#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "core/choice_table.h"
#include "core/oxd_file.h"
#include "core/oxd_layout.h"
#include "core/text.h"

// Reading a data file into a data set.
namespace ombrix::core {

namespace {

using namespace oxd;

constexpr std::string_view EndChoices = "<<END CHOICES>>";

// Hands out the lines of a file, CR LF or LF ended. At the end every further
// line is empty, so a truncated file reads as one whose sections are empty.
class LineReader {
public:
    explicit LineReader(std::string_view text)
        : m_text(text)
    {
    }

    bool atEnd() const { return m_pos >= m_text.size(); }
    std::string_view text() const { return m_text; }
    size_t position() const { return m_pos; }

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
    std::string utf8 = isValidUtf8(line) ? std::string(line) : latin1ToUtf8(line);
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

// One line per choice of the group, in table order. At the end of a
// truncated file, and once the block's end marker turns up early, the rest
// keep the defaults of a new document. False when the end marker was met.
bool readChoiceGroup(LineReader& in, AnalysisChoices& choices, ChoiceGroup group, std::string_view endMarker = {})
{
    for (const ChoiceDescriptor& choice : choiceTable()) {
        if (choice.group != group || choice.line == ChoiceLine::None)
            continue;
        if (in.atEnd())
            return true;
        const std::string_view line = in.next();
        if (!endMarker.empty() && isMarker(line, endMarker))
            return false;
        switch (choice.line) {
        case ChoiceLine::Letter: choice.set(choices, fileFlag(line)); break;
        case ChoiceLine::Integer:
            choice.set(choices, fileIntegerIn(line, choice.low, choice.high, choice.get(choices)));
            break;
        case ChoiceLine::Number:
            if (const Real value = fileNumber(line); !isMissing(value))
                choices.*choice.number = value;
            break;
        case ChoiceLine::None: break;
        }
    }
    return true;
}

// Counts the data rows beyond what a table holds into rowsDropped.
void readRawData(LineReader& in, DataTable& table, int& rowsDropped)
{
    table.setAllMeanEntry(true);
    for (int row = 0; !in.atEnd(); ++row) {
        const std::string_view line = in.next();
        if (isMarker(line, "<<END RAW DATA>>"))
            break;
        if (row >= MaxFileRows) {
            ++rowsDropped;
            continue;
        }
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

// The column choices; gives back the older program's pair line that follows
// them (empty when there is none).
std::string_view readColumnChoices(LineReader& in, AnalysisChoices& choices)
{
    if (!readChoiceGroup(in, choices, ChoiceGroup::ColumnFormats, EndChoices))
        return {};
    const std::string_view pairLine = in.next();
    if (isMarker(pairLine, EndChoices))
        return {};
    in.skipPast(EndChoices);
    return pairLine;
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
template <typename Body> void readExtraSection(LineReader& in, const char* name, Body body)
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
        // N is kept as the file says, like the other column statistics; the
        // document recomputes it from the cells after reading.
        const int n = withN ? fileIntegerIn(in.next(), 0, MaxFileRows, 0) : 0;
        if (withN)
            in.next();  // empty line
        if (column >= 0) {
            table.setColumnTitle(column, title);
            if (withN)
                table.column(column).n = n;
        }
    }
}

void readColumnFormatBody(LineReader& in, DataSet& dataSet, int& rowsDropped)
{
    DataTable& table = dataSet.table;
    table.setTitle(fileText(in.next(), MaxTableTitleLength));
    readRawData(in, table, rowsDropped);
    readColumnStatistics(in, table, "<<END STAT DATA>>");
    const std::string_view oldPairs = readColumnChoices(in, dataSet.choices);
    readNotes(in, dataSet.notes);
    readSelection(in, table, 0, OldColumns - 1, "<<END SELECTED FLAGS>>");
    // The older program's pair flags count the pairs of selected columns.
    applyOldPairFlags(oldPairs, dataSet);
    if (in.atEnd())
        return;
    readRowTitles(in, table);
    if (in.atEnd())
        return;
    readDecimals(in, table, 0, OldColumns - 1, "<<END DEC PT DATA>>");
    readChoiceGroup(in, dataSet.choices, ChoiceGroup::ColumnFormatsTail);
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
void readTitledTableRest(LineReader& in, DataSet& dataSet, const char* extraTitles, bool titlesWithN, int& rowsDropped)
{
    DataTable& table = dataSet.table;
    readRawData(in, table, rowsDropped);
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

void readXYBody(LineReader& in, DataSet& dataSet, int& rowsDropped)
{
    DataTable& table = dataSet.table;
    table.setTitle(fileText(in.next(), MaxTableTitleLength));
    if (readChoiceGroup(in, dataSet.choices, ChoiceGroup::XY, EndChoices) && !isMarker(in.next(), EndChoices))
        in.skipPast(EndChoices);
    readIndexedTitles(in, table, "<<TITLES>>", false);
    readTitledTableRest(in, dataSet, "COLUMN TITLES X2", false, rowsDropped);
}

void readLargerTableBody(LineReader& in, DataSet& dataSet, int& rowsDropped)
{
    DataTable& table = dataSet.table;
    table.setTitle(fileText(in.next(), MaxTableTitleLength));
    readIndexedTitles(in, table, "<<END STAT DATA>>", true);
    readTitledTableRest(in, dataSet, "COLUMN TITLES X4", true, rowsDropped);
}

void readMultipleRegressionBody(LineReader& in, DataSet& dataSet, int& rowsDropped)
{
    DataTable& table = dataSet.table;
    AnalysisChoices& c = dataSet.choices;
    table.setTitle(fileText(in.next(), MaxTableTitleLength));
    readRawData(in, table, rowsDropped);
    readTitlesX1(in, table, 0, OldColumns - 1);
    readChoiceGroup(in, c, ChoiceGroup::MultipleRegression);
    dataSet.graph.analysedDataOnly = nextFlag(in, dataSet.graph.analysedDataOnly);
    for (int col = 0; col < OldColumns; ++col)
        c.IndependentColumns[col] = nextFlag(in, c.IndependentColumns[col]);
    dataSet.graph.multipleRegressionX = fileText(in.next(), MaxColumnTitleLength);
    dataSet.graph.multipleRegressionY = fileText(in.next(), MaxColumnTitleLength);
    if (!isMarker(in.next(), EndChoices))
        in.skipPast(EndChoices);
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
    readChoiceGroup(in, c, ChoiceGroup::TwoByTwo);
    for (Real& count : t.counts)
        count = fileNumber(in.next());
    for (std::string& title : t.titles)
        title = fileText(in.next(), MaxTwoByTwoTitleLength);
    dataSet.table.setTitle(fileText(in.next(), MaxTwoByTwoTableTitleLength));
    if (!isMarker(in.next(), EndChoices))
        in.skipPast(EndChoices);
    readNotes(in, dataSet.notes);
    in.next();
    readChoiceGroup(in, c, ChoiceGroup::TwoByTwoTail);
}

std::optional<std::string> readWholeFile(const std::string& path)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size > MaxFileBytes)
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
    int rowsDropped = 0;
    switch (*format) {
    case DataFormat::Raw:
    case DataFormat::MeanSDN:
    case DataFormat::MeanSEMN: readColumnFormatBody(in, *dataSet, rowsDropped); break;
    case DataFormat::XY: readXYBody(in, *dataSet, rowsDropped); break;
    case DataFormat::LargerTable: readLargerTableBody(in, *dataSet, rowsDropped); break;
    case DataFormat::MultipleRegression: readMultipleRegressionBody(in, *dataSet, rowsDropped); break;
    case DataFormat::TwoByTwo: readTwoByTwoBody(in, *dataSet); break;
    }
    if (rowsDropped > 0)
        result.warning = TooManyRowsMessage;
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
    if (std::filesystem::file_size(path, error) > MaxFileBytes) {
        OpenResult result;
        result.message = TooLargeMessage;
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
