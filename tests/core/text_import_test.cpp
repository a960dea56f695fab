#include "core/text_import.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace ombrix::core {
namespace {

TextTable read(std::string_view text, char system = '.')
{
    return readTextTable(text, system);
}

std::vector<Real> columnValues(const DataTable& table, int column)
{
    std::vector<Real> values;
    for (int row = 0; row <= table.lastUsedRow(); ++row)
        values.push_back(table.value(row, column));
    return values;
}

TEST(TextImport, HeaderLinesAreTextOrBlank)
{
    const struct {
        const char* line;
        bool text;
    } cases[] = {
        {"Time,Dose", true}, {"1,2.5", false}, {"  -1.5e3;+2", false}, {"1\t2\t3", false}, {"1,2,x", true},
        {"5 mg", true},      {"*4,5", false},  {"Weight *", false},    {"", false},        {"\"1\",\"2\"", true},
        {"1E5 2e-3", false}, {"12:30", true},  {"\xC2\xB5g", true},    {"e5", true},       {".5", false},
        {"\t5\t6", false},   {"\tDose", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsTextLine(c.line), c.text) << c.line;

    EXPECT_EQ(countHeaderLines(splitLines("Title\n\n  \nA,B\n1,2\nx\n")), 4);
    EXPECT_EQ(countHeaderLines(splitLines("1,2\nA\n")), 0);
}

TEST(TextImport, LinesEndInLfCrLfOrCr)
{
    const std::vector<std::string_view> expected = {"a", "b", "", "c", "d"};
    EXPECT_EQ(splitLines("a\r\nb\n\rc\rd"), expected);
    EXPECT_EQ(splitLines("a\r\nb\n\rc\rd\r\n"), expected);
}

TEST(TextImport, DelimitersFoundFromTheDataLines)
{
    const struct {
        const char* text;
        char system;
        char delimiter, decimals;
    } cases[] = {
        {"Time,Dose\n1,2.5", '.', ',', '.'},
        {"1;2,5", ',', ';', ','},
        {"1;2,5", '.', ';', ','},  // only commas can be decimals
        {"1,5 2,5", '.', ' ', ','},
        {"1,5\t2.5", '.', '\t', '.'},
        {"1,5\t2.5", ',', '\t', ','},  // the system's separator seen wins
        {"1,2,3", ',', ',', '.'},      // the system's separator is the delimiter
        {"1.5;2", ',', ';', '.'},
        {"12", '.', '\t', '.'},
        {"1 2\n3\t4", '.', '\t', '.'},  // a tab on any line
        {"a b;c\n1 2", '.', ' ', '.'},  // the header line is not examined
    };
    for (const auto& c : cases) {
        const auto lines = splitLines(c.text);
        const Delimiters found = DetectDelimiters(lines, countHeaderLines(lines), c.system);
        EXPECT_EQ(found.delimiter, c.delimiter) << c.text;
        EXPECT_EQ(found.decimalSeparator, c.decimals) << c.text;
    }
}

TEST(TextImport, TokensKeepWhatANumberIsMadeOf)
{
    const struct {
        const char* line;
        Delimiters delimiters;
        std::vector<std::string> tokens;
    } cases[] = {
        {"1.5,,-3e2,", {',', '.'}, {"1.5", "", "-3e2"}},    // a delimiter ending the line ends it
        {"  1   22    3  ", {' ', '.'}, {"1", "22", "3"}},  // a run of blanks is one delimiter
        {"1,5;1.234,5", {';', ','}, {"1.5", "1234.5"}},     // a point groups thousands
        {"5 mg\t*7\tn/a", {'\t', '.'}, {"5", "*7", ""}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> tokens;
        size_t position = 0;
        for (int guard = 0; guard < 10; ++guard) {
            const Token token = ReadToken(c.line, position, c.delimiters);
            tokens.push_back(token.text);
            if (token.endOfLine)
                break;
        }
        EXPECT_EQ(tokens, c.tokens) << c.line;
    }
}

TEST(TextImport, ValuesTitlesAndDecimals)
{
    const struct {
        const char* text;
        char system;
        std::vector<std::vector<Real>> columns;
        std::vector<std::string> titles;
        const char* tableTitle;
        std::vector<int> decimals;
    } cases[] = {
        {"Time,Dose\n1,2.5\n", '.', {{1}, {2.5L}}, {"Time", "Dose"}, "", {0, 1}},
        {"1;2,5", ',', {{1}, {2.5L}}, {}, "", {0, 1}},
        {"1    2  3\n4 5 6\n", '.', {{1, 4}, {2, 5}, {3, 6}}, {}, "", {0, 0, 0}},
        // A first line that does not name every column is the table title.
        {"Trial 4\n\"Dose, mg\",Response\n0.5,12\n", '.', {{0.5L}, {12}}, {"Dose, mg", "Response"}, "Trial 4", {1, 0}},
        {"Trial 4\n\n\tDose\tResp\n1\t2\t3\n", '.', {{1}, {2}, {3}}, {"", "Dose", "Resp"}, "Trial 4", {0, 0, 0}},
        {"Dose\tResponse\n1.50\t2\n", '.', {{1.5L}, {2}}, {"Dose", "Response"}, "", {1, 0}},
        // The values the text holds, every digit of them.
        {"1234567.891234,0.1\n123456789012345.5,-0.000012\n1.5e3,3",
         '.',
         {{1234567.891234L, 123456789012345.5L, 1500}, {0.1L, -0.000012L, 3}},
         {},
         "",
         {6, 6}},
        {"Dose (\xC2\xB5g/ml)\n1\n", '.', {{1}}, {"Dose (\xC2\xB5g/ml)"}, "", {0}},
    };
    for (const auto& c : cases) {
        const TextTable t = read(c.text, c.system);
        EXPECT_EQ(t.columnsRead, static_cast<int>(c.columns.size())) << c.text;
        EXPECT_EQ(t.unreadableTokens, 0) << c.text;
        EXPECT_EQ(t.table.title(), c.tableTitle) << c.text;
        for (size_t k = 0; k < c.columns.size(); ++k) {
            const int column = static_cast<int>(k);
            EXPECT_EQ(columnValues(t.table, column), c.columns[k]) << c.text << " column " << k;
            EXPECT_EQ(t.table.column(column).title, k < c.titles.size() ? c.titles[k] : "") << c.text;
            EXPECT_EQ(t.table.autoDecimals(column), c.decimals[k]) << c.text << " column " << k;
        }
    }
}

TEST(TextImport, UnreadableTokensAreBlankAndCounted)
{
    // A line with letters is data once the data have begun.
    const TextTable t = read("A,B\n1,2\n-,none\n.,*\n*3,NA\n");
    EXPECT_EQ(t.unreadableTokens, 5);
    const std::vector<Real> a = {1, MissingValue, MissingValue, 3};
    const std::vector<Real> b = {2, MissingValue, MissingValue, MissingValue};
    EXPECT_EQ(columnValues(t.table, 0), a);
    EXPECT_EQ(columnValues(t.table, 1), b);
    EXPECT_FALSE(t.table.isExcluded(3, 0));
}

TEST(TextImport, OnlyTextIsAccepted)
{
    const struct {
        std::string bytes;
        bool ok;
        std::string text;
    } cases[] = {
        {"Dose (\xC2\xB5g/ml)\r\n1\r\n", true, "Dose (\xC2\xB5g/ml)\r\n1\r\n"},
        {"Dose (\xB5g/ml)\n1\n", true, "Dose (\xC2\xB5g/ml)\n1\n"},  // Latin-1
        {"\xEF\xBB\xBF"
         "A\n1\n\x1A",
         true, "A\n1\n"},
        {"1\f2\t3\n", true, "1\f2\t3\n"},
        {std::string("1\n2\0\n", 5), false, ""},
        {"1\n\x01\n", false, ""},
        {"1\x7F\n", false, ""},
    };
    for (const auto& c : cases) {
        const ImportText decoded = decodeImportText(c.bytes);
        EXPECT_EQ(decoded.ok, c.ok) << c.bytes;
        EXPECT_EQ(decoded.text, c.text);
        EXPECT_EQ(decoded.message, c.ok ? "" : NotTextFileMessage);
    }
}

TEST(TextImport, AtMostTenThousandRows)
{
    std::string text = "Count\n";
    for (int i = 1; i <= MaxImportRows + 1; ++i)
        text += std::to_string(i) + "\n";
    const TextTable over = read(text + "\n\n");
    EXPECT_TRUE(over.tooManyRows);
    EXPECT_EQ(over.table.lastUsedRow(), MaxImportRows - 1);
    EXPECT_EQ(over.table.value(MaxImportRows - 1, 0), MaxImportRows);

    // The header line and blank lines at the end are no rows of data.
    text.resize(text.rfind('\n', text.size() - 2) + 1);
    EXPECT_FALSE(read(text + "\n\n").tooManyRows);
}

class CopyIntoDocument : public ::testing::Test {
protected:
    std::unique_ptr<DataSet> dataSet = std::make_unique<DataSet>();
    DataTable& table = dataSet->table;
};

TEST_F(CopyIntoDocument, IndexedValuesGoToOneColumnPerGroup)
{
    table.setValue(20, 5, 9);
    table.setColumnTitle(5, "old");
    const TextTable source = read("Value,Group\n5,2\n6,1\n7,2\n8,\n1.25,1.5\n");
    ImportOptions options = defaultImportOptions(source);
    options.columns = ImportColumns::Indexed;
    options.valueColumn = 0;
    options.groupColumn = 1;
    const ImportResult result = copyIntoDataSet(source, options, *dataSet);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(table.column(0).title, "2");
    EXPECT_EQ(table.column(1).title, "1");
    EXPECT_EQ(table.column(2).title, "1.5");
    EXPECT_EQ(columnValues(table, 0), (std::vector<Real>{5, 7}));
    EXPECT_EQ(columnValues(table, 1), (std::vector<Real>{6, MissingValue}));
    EXPECT_EQ(table.value(0, 2), 1.25L);
    EXPECT_EQ(table.autoDecimals(2), 2);
    EXPECT_TRUE(table.isBlank(20, 5));  // the grid was cleared
    EXPECT_EQ(table.column(5).title, "");
    EXPECT_TRUE(dataSet->modified && dataSet->resultsStale);
}

TEST_F(CopyIntoDocument, SameValueAndGroupColumnChangesNothing)
{
    table.setValue(0, 0, 3);
    dataSet->modified = false;
    const TextTable source = read("5,2\n6,1\n");
    ImportOptions options = defaultImportOptions(source);
    options.columns = ImportColumns::Indexed;
    options.valueColumn = options.groupColumn = 1;
    const ImportResult result = copyIntoDataSet(source, options, *dataSet);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message, "The column with values and the column with group assignments must be different.");
    EXPECT_EQ(table.value(0, 0), 3);
    EXPECT_FALSE(dataSet->modified);
}

TEST_F(CopyIntoDocument, RowsAndColumnsChosen)
{
    const TextTable source = read("My trial\nA,B,C\n1,2,3\n4,5,30\n7.25,8,10\n10,11,\n13,14,12\n");
    const struct {
        const char* name;
        void (*choose)(ImportOptions&);
        std::vector<std::vector<Real>> columns;  // from the start cell on
        std::vector<std::string> titles;
    } cases[] = {
        {"all",
         [](ImportOptions&) {},
         {{1, 4, 7.25L, 10, 13}, {2, 5, 8, 11, 14}, {3, 30, 10, MissingValue, 12}},
         {"A", "B", "C"}},
        {"third >= 10",
         [](ImportOptions& o) {
             o.filter = true;
             o.filterColumn = 2;
             o.condition = FilterCondition::GreaterOrEqual;
             o.filterValue = 10;
         },
         {{4, 7.25L, 13}, {5, 8, 14}, {30, 10, 12}},
         {"A", "B", "C"}},
        {"rows 4 to 2, columns C to B",
         [](ImportOptions& o) {
             o.rowRange = true;
             o.fromRow = 3;
             o.toRow = 1;
             o.columns = ImportColumns::Range;
             o.fromColumn = 2;
             o.toColumn = 1;
         },
         {{5, 8, 11}, {30, 10, MissingValue}},
         {"B", "C"}},
    };
    for (const auto& c : cases) {
        dataSet = std::make_unique<DataSet>();
        DataTable& target = dataSet->table;
        target.setValue(8, 3, 99);  // below the block: untouched
        target.setAutoDecimals(3, 4);
        target.setMeanEntry(3, true);
        ImportOptions options = defaultImportOptions(source);
        c.choose(options);
        options.startRow = 2;
        options.startColumn = 3;
        ASSERT_TRUE(copyIntoDataSet(source, options, *dataSet).ok) << c.name;
        for (size_t k = 0; k < c.columns.size(); ++k) {
            const int column = 3 + static_cast<int>(k);
            for (size_t i = 0; i < c.columns[k].size(); ++i)
                EXPECT_EQ(target.value(2 + static_cast<int>(i), column), c.columns[k][i]) << c.name;
            EXPECT_TRUE(target.isBlank(2 + static_cast<int>(c.columns[k].size()), column)) << c.name;
            EXPECT_EQ(target.column(column).title, c.titles[k]) << c.name;
        }
        EXPECT_EQ(target.value(8, 3), 99) << c.name;
        EXPECT_EQ(target.autoDecimals(3), 4) << c.name;  // the larger of the two
        EXPECT_FALSE(target.meanEntry(3)) << c.name;
        EXPECT_TRUE(target.isBlank(2, 2)) << c.name;
        EXPECT_EQ(target.title(), "My trial") << c.name;
    }
}

TEST_F(CopyIntoDocument, StopsAtTheLastRowAndColumn)
{
    const TextTable source = read("1,2,3\n4,5,6\n");
    ImportOptions options = defaultImportOptions(source);
    options.startRow = MaxImportRows - 1;
    options.startColumn = TableColumns - 2;
    EXPECT_EQ(copyIntoDataSet(source, options, *dataSet).rowsCopied, 1);
    EXPECT_EQ(table.value(MaxImportRows - 1, TableColumns - 1), 2);
    EXPECT_TRUE(table.isBlank(MaxImportRows, TableColumns - 1));
}

}  // namespace
}  // namespace ombrix::core
