#include "core/text_import.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace ombrix::core {
namespace {

using Column = std::vector<Real>;

Column columnValues(const DataTable& table, int column)
{
    Column values;
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
        {"Time,Dose", true}, {"1,2.5", false}, {"  -1.5e3;+2", false}, {"1,2,x", true},     {"5 mg", true},
        {"Weight *", false}, {"", false},      {"\"1\",\"2\"", true},  {"1E5 2e-3", false}, {"12:30", true},
        {"\xC2\xB5g", true}, {"e5", true},     {".5", false},          {"\t5\t6", false},   {"\tDose", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsTextLine(c.line), c.text) << c.line;
    EXPECT_EQ(countHeaderLines(splitLines("Title\n\n  \nA,B\n1,2\nx\n")), 4);
}

TEST(TextImport, DelimitersFoundFromTheDataLines)
{
    const struct {
        const char* text;
        char system, delimiter, decimals;
    } cases[] = {
        {"Time,Dose\n1,2.5", '.', ',', '.'},
        {"1;2,5", ',', ';', ','},
        {"1;2,5", '.', ';', ','},  // only commas can be decimals
        {"1,5 2,5", '.', ' ', ','},
        {"1,5\t2.5", '.', '\t', '.'},
        {"1,5\t2.5", ',', '\t', ','},  // the system's separator seen wins
        {"1,2,3", ',', ',', '.'},      // unless it is the delimiter
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

TEST(TextImport, ValuesTitlesAndDecimals)
{
    const struct {
        const char* text;
        char system;
        std::vector<Column> columns;
        std::vector<std::string> titles;
        const char* tableTitle;
        std::vector<int> decimals;
    } cases[] = {
        {"Time,Dose\r\n1,2.5\r3,4\n", '.', {{1, 3}, {2.5L, 4}}, {"Time", "Dose"}, "", {0, 1}},
        {"1;2,5\n1.234,5;-1", ',', {{1, 1234.5L}, {2.5L, -1}}, {}, "", {1, 1}},  // a point groups thousands
        {"  1    2  3  \n4 5 6\n", '.', {{1, 4}, {2, 5}, {3, 6}}, {}, "", {0, 0, 0}},
        {"Trial 4\n\"Dose, mg\",Response\n0.5,12\n", '.', {{0.5L}, {12}}, {"Dose, mg", "Response"}, "Trial 4", {1, 0}},
        {"Trial 4\n\n\tDose\tResp\n1\t2\t3\n", '.', {{1}, {2}, {3}}, {"", "Dose", "Resp"}, "Trial 4", {0, 0, 0}},
        {"Dose\tResponse\n1.50\t2\n3\t5 mg\n", '.', {{1.5L, 3}, {2, 5}}, {"Dose", "Response"}, "", {1, 0}},
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
        const TextTable t = readTextTable(c.text, c.system);
        EXPECT_EQ(t.columnsRead, static_cast<int>(c.columns.size())) << c.text;
        EXPECT_EQ(t.unreadableTokens, 0) << c.text;
        EXPECT_EQ(t.table.title(), c.tableTitle) << c.text;
        for (int k = 0; k < static_cast<int>(c.columns.size()); ++k) {
            EXPECT_EQ(columnValues(t.table, k), c.columns[k]) << c.text << " column " << k;
            EXPECT_EQ(t.table.column(k).title, k < static_cast<int>(c.titles.size()) ? c.titles[k] : "") << c.text;
            EXPECT_EQ(t.table.autoDecimals(k), c.decimals[k]) << c.text << " column " << k;
        }
    }
}

TEST(TextImport, UnreadableTokensAreBlankAndCounted)
{
    // A line with letters is data once the data have begun.
    const TextTable t = readTextTable("A,B\n1,2\n-,none\n.,*\n*3,NA\n", '.');
    EXPECT_EQ(t.unreadableTokens, 5);
    EXPECT_EQ(columnValues(t.table, 0), (Column{1, MissingValue, MissingValue, 3}));
    EXPECT_EQ(columnValues(t.table, 1), (Column{2, MissingValue, MissingValue, MissingValue}));
}

TEST(TextImport, OnlyTextIsAccepted)
{
    const struct {
        std::string bytes;
        std::string text;  // empty: refused
    } cases[] = {
        {"Dose (\xC2\xB5g/ml)\r\n1\r\n", "Dose (\xC2\xB5g/ml)\r\n1\r\n"},
        {"Dose (\xB5g/ml)\n1\n", "Dose (\xC2\xB5g/ml)\n1\n"},  // Latin-1
        {"\uFEFFA\n1\n\x1A", "A\n1\n"},
        {"1\f2\t3\n", "1\f2\t3\n"},
        {std::string("1\n2\0\n", 5), ""},
        {"1\n\x01\n", ""},
        {"1\x7F\n", ""},
    };
    for (const auto& c : cases) {
        const ImportText decoded = decodeImportText(c.bytes);
        EXPECT_EQ(decoded.ok, !c.text.empty()) << c.bytes;
        EXPECT_EQ(decoded.text, c.text);
        EXPECT_EQ(decoded.message, c.text.empty() ? NotTextFileMessage : "");
    }
}

TEST(TextImport, AtMostTenThousandRows)
{
    std::string text = "Count\n";
    for (int i = 1; i <= MaxImportRows + 1; ++i)
        text += std::to_string(i) + "\n";
    const TextTable over = readTextTable(text + "\n\n", '.');
    EXPECT_TRUE(over.tooManyRows);
    EXPECT_EQ(over.table.lastUsedRow(), MaxImportRows - 1);
    EXPECT_EQ(over.table.value(MaxImportRows - 1, 0), MaxImportRows);
    // The header line and blank lines at the end are no rows of data.
    text.resize(text.rfind('\n', text.size() - 2) + 1);
    EXPECT_FALSE(readTextTable(text + "\n\n", '.').tooManyRows);
}

TEST(CopyIntoDocument, IndexedValuesGoToOneColumnPerGroup)
{
    auto dataSet = std::make_unique<DataSet>();
    DataTable& table = dataSet->table;
    table.setValue(20, 5, 9);
    table.setColumnTitle(5, "old");
    const TextTable source = readTextTable("Value,Group\n5,2\n6,1\n7,2\n8,\n1.25,1.5\n", '.');
    ImportOptions options{.columns = ImportColumns::Indexed, .valueColumn = 0, .groupColumn = 0};
    EXPECT_EQ(copyIntoDataSet(source, options, *dataSet).message,
              "The column with values and the column with group assignments must be different.");
    EXPECT_EQ(table.value(20, 5), 9);
    EXPECT_FALSE(dataSet->modified);

    options.groupColumn = 1;
    ASSERT_TRUE(copyIntoDataSet(source, options, *dataSet).ok);
    EXPECT_EQ(table.column(0).title, "2");
    EXPECT_EQ(table.column(1).title, "1");
    EXPECT_EQ(table.column(2).title, "1.5");
    EXPECT_EQ(columnValues(table, 0), (Column{5, 7}));
    EXPECT_EQ(columnValues(table, 1), (Column{6, MissingValue}));
    EXPECT_EQ(table.value(0, 2), 1.25L);
    EXPECT_EQ(table.autoDecimals(2), 2);
    EXPECT_TRUE(table.isBlank(20, 5));  // the grid was cleared
    EXPECT_EQ(table.column(5).title, "");
    EXPECT_TRUE(dataSet->modified && dataSet->resultsStale);
}

TEST(CopyIntoDocument, RowsAndColumnsChosen)
{
    const TextTable source = readTextTable("My trial\nA,B,C\n1,2,3\n4,5,30\n7.25,8,10\n10,11,\n13,14,12\n", '.');
    const struct {
        ImportOptions options;
        std::vector<Column> columns;  // from the start cell on
        std::vector<std::string> titles;
    } cases[] = {
        {{}, {{1, 4, 7.25L, 10, 13}, {2, 5, 8, 11, 14}, {3, 30, 10, MissingValue, 12}}, {"A", "B", "C"}},
        {{.filter = true, .filterColumn = 2, .condition = FilterCondition::GreaterOrEqual, .filterValue = 10},
         {{4, 7.25L, 13}, {5, 8, 14}, {30, 10, 12}},
         {"A", "B", "C"}},
        {{.rowRange = true, .fromRow = 3, .toRow = 1, .columns = ImportColumns::Range, .fromColumn = 2, .toColumn = 1},
         {{5, 8, 11}, {30, 10, MissingValue}},
         {"B", "C"}},
    };
    for (const auto& c : cases) {
        auto dataSet = std::make_unique<DataSet>();
        DataTable& target = dataSet->table;
        target.setValue(8, 3, 99);  // below the block: untouched
        target.setAutoDecimals(3, 4);
        target.setMeanEntry(3, true);
        ImportOptions options = c.options;
        options.startRow = 2;
        options.startColumn = 3;
        ASSERT_TRUE(copyIntoDataSet(source, options, *dataSet).ok);
        for (int k = 0; k < static_cast<int>(c.columns.size()); ++k) {
            Column expected(2, MissingValue);
            expected.insert(expected.end(), c.columns[k].begin(), c.columns[k].end());
            expected.resize(9, MissingValue);
            expected[8] = k == 0 ? 99 : MissingValue;
            EXPECT_EQ(columnValues(target, 3 + k), expected) << c.titles[k];
            EXPECT_EQ(target.column(3 + k).title, c.titles[k]);
        }
        EXPECT_EQ(target.autoDecimals(3), 4);  // the larger of the two
        EXPECT_FALSE(target.meanEntry(3));
        EXPECT_EQ(target.title(), "My trial");
    }
}

TEST(CopyIntoDocument, StopsAtTheLastRowAndColumn)
{
    auto dataSet = std::make_unique<DataSet>();
    DataTable& table = dataSet->table;
    const TextTable source = readTextTable("1,2,3\n4,5,6\n", '.');
    const ImportOptions options{.startRow = MaxImportRows - 1, .startColumn = TableColumns - 2};
    EXPECT_EQ(copyIntoDataSet(source, options, *dataSet).rowsCopied, 1);
    EXPECT_EQ(table.value(MaxImportRows - 1, TableColumns - 1), 2);
    EXPECT_TRUE(table.isBlank(MaxImportRows, TableColumns - 1));
}

}  // namespace
}  // namespace ombrix::core
