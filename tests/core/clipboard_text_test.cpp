#include "core/clipboard_text.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace ombrix::core {
namespace {

using namespace std::literals;

TEST(Copy, AsTheGridShowsIt)
{
    DataTable table;
    table.setColumnTitle(1, "Dose <mg>");
    table.setColumnTitle(2, "Resp");
    table.setRowTitle(1, "Rat 2");
    table.setValue(0, 1, 1.5L);
    table.setValue(2, 1, 12345678);
    table.setValue(0, 2, 2);
    table.setValue(1, 2, 3.25L);
    table.setExcluded(1, 2, true);
    table.setValue(5, 3, 1);  // outside the copied columns
    table.setAutoDecimals(1, 2);
    table.setAutoDecimals(2, 2);
    const struct {
        CopyOptions options;
        const char* text;
    } cases[] = {
        {{{0, 1, 9999, 1}, false, true, '.'}, "Dose <mg>\r\n1.50\r\n\r\n1.235E+07\r\n"},
        {{{0, 1, 9999, 2}, true, true, ','},
         "\tDose <mg>\tResp\r\n1\t1,50\t2,00\r\nRat 2\t\t*3,25\r\n3\t1,235E+07\t\r\n"},
        {{{1, 2, 0, 1}, true, false, '.'}, "1\t1.50\t2.00\r\nRat 2\t\t*3.25\r\n"},
        {{{3, 1, 9999, 2}, false, false, '.'}, ""},  // no value in the block
    };
    for (const auto& c : cases)
        EXPECT_EQ(copyCellsText(table, c.options), c.text);
    EXPECT_EQ(copyCellsHtml(table, {{1, 1, 1, 2}, true, true, '.'}),
              "<table>\n<tr><th></th><th>Dose &lt;mg&gt;</th><th>Resp</th></tr>\n"
              "<tr><th>Rat 2</th><td></td><td>*3.25</td></tr>\n</table>\n");
    EXPECT_EQ(copyGridText({{"", "A"}, {"Mean", "2.5"}}), "\tA\r\nMean\t2.5\r\n");
}

// A full table is copied whole, however long the text, and pastes back cell
// for cell.
TEST(Copy, FullTableWholeAndPastedBack)
{
    DataTable full;
    for (int r = 0; r < 10000; ++r)
        for (int c = 0; c < TableColumns; ++c)
            full.setValue(r, c, r * 0.25L + c);
    for (int c = 0; c < TableColumns; ++c)
        full.setAutoDecimals(c, 2);
    const std::string text = copyCellsText(full, {{0, 0, TableRows - 1, TableColumns - 1}, false, false, ','});
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 10000);

    DataSet dataSet;
    const PasteResult result = pasteCellsText(dataSet, text, {{0, 0}, false, ','});
    EXPECT_EQ(result.cellsPasted, 10000 * TableColumns);
    for (int r = 0; r < 10000; r += 999)
        for (int c = 0; c < TableColumns; c += 7)
            ASSERT_EQ(dataSet.table.value(r, c), r * 0.25L + c) << r << " " << c;
}

TEST(Paste, FieldsLandInTheirCells)
{
    struct Cell {
        int row, column;
        Real value;
    };
    const struct {
        std::string_view text;
        char system;
        bool transpose;
        PasteStart start;
        std::vector<Cell> cells;
        int autoDecimals;  // of column B
    } cases[] = {
        {"1,5", ',', false, {0, 0}, {{0, 0, 1.5L}, {0, 1, 9}}, 0},
        {"1,5", '.', false, {0, 0}, {{0, 0, 1}, {0, 1, 5}}, 0},
        {"1.234,5", ',', false, {0, 0}, {{0, 0, 1234.5L}}, 0},
        {"1.5\t2", ',', false, {0, 0}, {{0, 0, 1.5L}, {0, 1, 2}}, 0},
        {"3#\t4", '.', false, {0, 0}, {{0, 0, MissingValue}, {0, 1, 4}}, 0},
        {"1\t2\t3\r\n4\t5\t6\r\n",
         '.',
         true,
         {0, 0},
         {{0, 0, 1}, {1, 0, 2}, {2, 0, 3}, {0, 1, 4}, {1, 1, 5}, {2, 1, 6}, {3, 0, 9}},
         0},
        // A block from a spreadsheet with a decimal comma: CR LF lines,
        // empty cells, the current cell at B3.
        {"1,5\t2,25\r\n\t-3\r\n4;5\r\n",
         ',',
         false,
         {2, 1},
         {{2, 1, 1.5L}, {2, 2, 2.25L}, {3, 1, MissingValue}, {3, 2, -3}, {4, 1, 4}, {4, 2, 5}, {5, 1, 9}, {2, 0, 9}},
         1},
        {"1\t2\0\t3"sv, '.', false, {0, 0}, {{0, 0, 1}, {0, 1, 2}, {0, 2, 9}}, 0},
        {"0.1234567890123456\t0.1234567", '.', false, {0, 0}, {{0, 0, 0.1234567890123456L}, {0, 1, 0.1234567L}}, 7},
        {"12345678901.345", '.', false, {0, 1}, {{0, 1, 12345678901.345L}}, 3},
        {"123456789012.345", '.', false, {0, 1}, {{0, 1, 123456789012.345L}}, 0},  // 15 digits
        {"1e3\tn/a\t-\t",
         '.',
         false,
         {0, 0},
         {{0, 0, 1000}, {0, 1, MissingValue}, {0, 2, MissingValue}, {0, 3, MissingValue}},
         0},
    };
    for (const auto& c : cases) {
        DataSet dataSet;
        for (int r = 0; r < 6; ++r)
            for (int col = 0; col < 4; ++col)
                dataSet.table.setValue(r, col, 9);
        dataSet.table.setMeanEntry(1, true);
        pasteCellsText(dataSet, c.text, {c.start, c.transpose, c.system});
        for (const Cell& cell : c.cells)
            EXPECT_EQ(dataSet.table.value(cell.row, cell.column), cell.value)
                << c.text << " at " << cell.row << "," << cell.column;
        EXPECT_EQ(dataSet.table.autoDecimals(1), c.autoDecimals) << c.text;
        EXPECT_TRUE(dataSet.modified && dataSet.resultsStale) << c.text;
    }
}

TEST(Paste, TitlesExclusionsAndLimits)
{
    DataSet dataSet;
    DataTable& table = dataSet.table;
    const std::string longTitle(100, 'x');
    const PasteStart sheet = pasteStart(GridSelection::WholeSheet, 3, 4);
    pasteCellsText(dataSet, "corner\tDose\t" + longTitle + "\r\nRat 1\t*5\t6\r\n", {sheet, false, '.'});
    EXPECT_EQ(table.column(0).title, "Dose");
    EXPECT_EQ(table.column(1).title, std::string(80, 'x'));
    EXPECT_EQ(table.rowTitle(0), "Rat 1");
    EXPECT_EQ(table.value(0, 0), 5);
    EXPECT_TRUE(table.isExcluded(0, 0));
    EXPECT_FALSE(table.isExcluded(0, 1));

    const PasteResult atEnd = pasteCellsText(dataSet, "1\n2\n3\n", {{MaxPasteRows - 2, 50}, false, '.'});
    EXPECT_TRUE(atEnd.stoppedAtLastRow);
    EXPECT_EQ(atEnd.cellsPasted, 2);
    EXPECT_TRUE(table.isBlank(MaxPasteRows, 50));
    // Beyond the last column: skipped, or (transposed) the end of the paste.
    EXPECT_EQ(pasteCellsText(dataSet, "1\t2\t3\n4\n", {{0, 50}, false, '.'}).cellsPasted, 3);
    EXPECT_EQ(table.value(1, 50), 4);
    EXPECT_EQ(pasteCellsText(dataSet, "1\n2\n3\n", {{0, 50}, true, '.'}).cellsPasted, 2);
}

}  // namespace
}  // namespace ombrix::core
