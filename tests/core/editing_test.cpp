#include "core/editing.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <numbers>
#include <sstream>
#include <vector>

namespace ombrix::core {
namespace {

using enum TransformKind;

// Rows of cells separated by blanks: a number, "*" before an excluded one,
// "." for a blank.
void load(DataTable& table, const std::vector<std::string>& rows)
{
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        std::istringstream cells(rows[static_cast<size_t>(r)]);
        std::string cell;
        for (int c = 0; cells >> cell; ++c) {
            if (cell == ".")
                continue;
            const bool excluded = cell[0] == '*';
            table.setValue(r, c, std::stold(excluded ? cell.substr(1) : cell));
            table.setExcluded(r, c, excluded);
        }
    }
}

std::vector<std::string> dump(const DataTable& table)
{
    std::vector<std::string> rows;
    for (int r = 0; r < table.rowCount(); ++r) {
        std::string line;
        for (int c = 0; c < table.columnCount(); ++c) {
            if (c > 0)
                line += ' ';
            if (table.isBlank(r, c)) {
                line += '.';
                continue;
            }
            if (table.isExcluded(r, c))
                line += '*';
            line += fixedText(table.value(r, c), 2);
        }
        rows.push_back(line);
    }
    return rows;
}

AskYesNo answering(bool yes, std::vector<std::string>& asked)
{
    return [yes, &asked](const std::string& question) {
        asked.push_back(question);
        return yes;
    };
}

TEST(TransformValue, ResultsAndImpossibleValues)
{
    constexpr Real Huge = 1e4000L;
    const struct {
        TransformKind kind;
        Real y, k;
        std::optional<Real> expected;
    } cases[] = {
        {Square, Huge, 0, std::nullopt},  // beyond the range of Real
        {Log10, 1000, 0, 3},
        {Log10, 0, 0, std::nullopt},  // log of 0 counts as impossible
        {Ln, 0, 0, std::nullopt},
        {TenToY, 5000, 0, std::nullopt},
        {ExpY, 12000, 0, std::nullopt},
        {Reciprocal, 0, 0, std::nullopt},
        {Reciprocal, 1e-4940L, 0, std::nullopt},  // 1/Y would overflow
        {SquareRoot, -1, 0, std::nullopt},
        {Logit, 50, 100, 0},  // ln(50/50)
        {Logit, 100, 100, std::nullopt},
        {Arcsine, 1, 0, std::numbers::pi_v<Real> / 2},
        {Arcsine, -1.5L, 0, std::nullopt},
        {TimesK, Huge, Huge, std::nullopt},
        {PlusK, std::numeric_limits<Real>::max(), std::numeric_limits<Real>::max(), std::nullopt},
        {DividedByK, 2, 0, std::nullopt},
        {DividedByK, Huge, 1 / Huge, std::nullopt},
        {Square, MissingValue, 0, std::nullopt},  // a blank is never transformed
    };
    for (const auto& c : cases) {
        std::feclearexcept(FE_ALL_EXCEPT);
        const std::optional<Real> result = transformValue(c.kind, c.y, c.k);
        EXPECT_EQ(std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW), 0) << transformListText(c.kind);
        ASSERT_EQ(result.has_value(), c.expected.has_value()) << transformListText(c.kind) << " of " << double(c.y);
        if (c.expected) {
            EXPECT_NEAR(double(*result), double(*c.expected), 1e-15 * std::max(1.0, std::fabs(double(*c.expected))))
                << transformListText(c.kind);
        }
    }
}

TEST(TransformCells, AsksBeforeErasingAndOnlyAYesChangesTheCells)
{
    const struct {
        TransformKind kind;
        std::vector<std::string> before;
        bool yes;
        int asked;  // the count in the question; 0 for no question
        std::vector<std::string> after;
    } cases[] = {
        {Reciprocal, {"2", "0", "4"}, true, 1, {"0.50", ".", "0.25"}},
        {Reciprocal, {"2", "0", "4"}, false, 1, {"2.00", "0.00", "4.00"}},
        {Log10, {"-1", ".", "*100"}, true, 1, {".", ".", "*2.00"}},  // blanks never counted, marks kept
        {Square, {"3", ".", "-2"}, false, 0, {"9.00", ".", "4.00"}},
    };
    for (const auto& c : cases) {
        DataSet dataSet;
        dataSet.table = DataTable(3, 1);
        load(dataSet.table, c.before);
        dataSet.table.setMeanEntry(0, true);  // a number stored ends typed summary values
        std::vector<std::string> asked;
        const EditOutcome outcome = transformCells(dataSet, {0, 0, 2, 0}, c.kind, 0, answering(c.yes, asked));
        EXPECT_EQ(dump(dataSet.table), c.after) << transformListText(c.kind);
        EXPECT_EQ(dataSet.table.meanEntry(0), outcome != EditOutcome::Done);
        EXPECT_EQ(outcome, c.asked && !c.yes ? EditOutcome::Declined : EditOutcome::Done);
        if (c.asked)
            EXPECT_EQ(asked, std::vector{impossibleTransformQuestion(c.asked)});
        else
            EXPECT_TRUE(asked.empty());
    }
}

// Computed values widen a column's automatic decimals to four significant
// digits (or the value's own, when fewer); fixed decimals stay.
TEST(TransformCells, ComputedValuesShowTheirDigits)
{
    const struct {
        TransformKind kind;
        Real k;
        std::vector<Real> values;
        int fixed;
        int decimals;       // automatic decimals afterwards
        const char* shown;  // the first cell as the grid shows it
    } cases[] = {
        {Ln, 0, {2, 10}, -1, 4, "0.6931"},             // ln 2 = 0.6931, ln 10 = 2.303
        {Reciprocal, 0, {2, 4}, -1, 2, "0.50"},        // 0.5 and 0.25 as they are
        {TimesK, 1000, {2, 3}, -1, 0, "2000"},         // whole numbers stay whole
        {ExpY, 0, {3}, -1, 2, "20.09"},                // e^3 = 20.0855
        {Ln, 0, {2}, 1, 0, "0.7"},                     // fixed decimals win
        {Reciprocal, 0, {30000}, -1, 0, "3.333E-05"},  // exponent form needs no decimals
    };
    for (const auto& c : cases) {
        DataSet dataSet;
        int row = 0;
        for (const Real x : c.values)
            dataSet.table.setValue(row++, 0, x);
        dataSet.table.setFixedDecimals(0, c.fixed);
        ASSERT_EQ(transformCells(dataSet, {0, 0, row - 1, 0}, c.kind, c.k, nullptr), EditOutcome::Done);
        EXPECT_EQ(dataSet.table.autoDecimals(0), c.decimals) << transformListText(c.kind);
        EXPECT_EQ(dataSet.table.FormatCell(0, dataSet.table.value(0, 0), false, CellDecimals::OfColumn), c.shown)
            << transformListText(c.kind);
    }
}

TEST(CombineColumns, EachOperatorRowByRow)
{
    // A | B | C: rows where A or B is blank, or B is 0 for a division, keep C.
    const std::vector<std::string> before = {"6 2 1", "4 0 1", ". 5 1", "9 3 ."};
    const struct {
        CombineOperator op;
        const char* title;
        std::vector<std::string> after;
    } cases[] = {
        {CombineOperator::Minus, "A-B", {"6.00 2.00 4.00", "4.00 0.00 4.00", ". 5.00 1.00", "9.00 3.00 6.00"}},
        {CombineOperator::DividedBy, "A/B", {"6.00 2.00 3.00", "4.00 0.00 1.00", ". 5.00 1.00", "9.00 3.00 3.00"}},
    };
    for (const auto& c : cases) {
        DataSet dataSet;
        dataSet.table = DataTable(4, 3);
        load(dataSet.table, before);
        combineColumns(dataSet, 2, 0, c.op, 1);
        EXPECT_EQ(dump(dataSet.table), c.after) << c.title;
        EXPECT_EQ(dataSet.table.column(2).title, c.title);
    }
}

TEST(NumberFormat, ColumnsLabelAndOpeningState)
{
    const struct {
        GridSelection selection;
        CellBlock block;
        int current;
        const char* label;
    } cases[] = {
        {GridSelection::WholeSheet, {0, 0, 10000, 51}, 3, "For columns A-Z:"},
        {GridSelection::WholeColumns, {0, 2, 10000, 4}, 3, "For columns C-E:"},
        {GridSelection::WholeColumns, {0, 27, 10000, 27}, 27, "For column AB:"},
        {GridSelection::Block, {3, 1, 5, 6}, 1, "For column B:"},
        {GridSelection::WholeRows, {3, 0, 3, 51}, 5, "For column F:"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(numberFormatLabel(c.selection, numberFormatColumns(c.selection, c.block, c.current)), c.label);

    DataSet dataSet;
    EXPECT_EQ(sharedFixedDecimals(dataSet.table, {0, 51}), -1);  // all automatic: the automatic choice
    EXPECT_EQ(setColumnDecimals(dataSet, {2, 4}, 3), EditOutcome::Done);
    EXPECT_EQ(sharedFixedDecimals(dataSet.table, {2, 4}), 3);
    EXPECT_EQ(sharedFixedDecimals(dataSet.table, {0, 51}), std::nullopt);
    dataSet.modified = false;
    EXPECT_EQ(setColumnDecimals(dataSet, {2, 4}, 3), EditOutcome::Unchanged);
    EXPECT_FALSE(dataSet.modified);
}

TEST(InsertAndDelete, CellsRowsAndColumnsMoveWithTheirMarks)
{
    const std::vector<std::string> before = {"1 2 3 .", "4 *5 6 .", "7 8 9 .", ". . . ."};
    const CellBlock middle = {1, 1, 1, 1};  // B2
    const struct {
        bool insert;
        ShiftKind kind;
        std::vector<std::string> after;
    } cases[] = {
        {true, ShiftKind::Cells, {"1.00 2.00 3.00 .", "4.00 . 6.00 .", "7.00 *5.00 9.00 .", ". 8.00 . ."}},
        {true, ShiftKind::EntireRows, {"1.00 2.00 3.00 .", ". . . .", "4.00 *5.00 6.00 .", "7.00 8.00 9.00 ."}},
        {true, ShiftKind::EntireColumns, {"1.00 . 2.00 3.00", "4.00 . *5.00 6.00", "7.00 . 8.00 9.00", ". . . ."}},
        {false, ShiftKind::Cells, {"1.00 2.00 3.00 .", "4.00 8.00 6.00 .", "7.00 . 9.00 .", ". . . ."}},
        {false, ShiftKind::EntireRows, {"1.00 2.00 3.00 .", "7.00 8.00 9.00 .", ". . . .", ". . . ."}},
        {false, ShiftKind::EntireColumns, {"1.00 3.00 . .", "4.00 6.00 . .", "7.00 9.00 . .", ". . . ."}},
    };
    for (const auto& c : cases) {
        DataSet dataSet;
        dataSet.table = DataTable(4, 4);
        load(dataSet.table, before);
        dataSet.table.setAllColumnsChanged(false);
        // Nothing is lost (the last row is blank), so nothing is asked.
        const EditOutcome outcome =
            c.insert ? insertCells(dataSet, middle, c.kind, nullptr) : deleteCells(dataSet, middle, c.kind);
        EXPECT_EQ(outcome, EditOutcome::Done);
        EXPECT_EQ(dump(dataSet.table), c.after) << c.insert << static_cast<int>(c.kind);
        EXPECT_TRUE(dataSet.table.columnChanged(1));
        EXPECT_EQ(dataSet.table.columnChanged(0), c.kind == ShiftKind::EntireRows);
        EXPECT_TRUE(dataSet.modified && dataSet.resultsStale);
    }
}

// Entire rows take their typed titles along (a default title stays the row
// number); entire columns their titles, decimals and mean-entry flags.
TEST(InsertAndDelete, TitlesFollowEntireRowsAndColumns)
{
    DataSet dataSet;
    DataTable& table = dataSet.table;
    table = DataTable(4, 4);
    load(table, {"1 2 3 ."});
    table.setRowTitle(0, "first");
    table.setColumnTitle(1, "dose");
    table.setFixedDecimals(1, 3);
    table.setMeanEntry(1, true);

    insertCells(dataSet, {0, 0, 0, 0}, ShiftKind::EntireRows, nullptr);
    EXPECT_EQ(table.rowTitle(0) + table.rowTitle(1) + table.rowTitle(2), "1first3");
    deleteCells(dataSet, {0, 0, 0, 0}, ShiftKind::EntireRows);
    EXPECT_EQ(table.rowTitle(0) + table.rowTitle(1), "first2");

    insertCells(dataSet, {0, 0, 0, 0}, ShiftKind::EntireColumns, nullptr);
    EXPECT_EQ(table.column(2).title, "dose");
    EXPECT_EQ(table.fixedDecimals(2), 3);
    EXPECT_TRUE(table.meanEntry(2));
}

TEST(InsertAndDelete, ValuesPushedOutOfTheTableOnlyAfterAYes)
{
    const struct {
        ShiftKind kind;
        CellBlock block;
        int lost;
    } cases[] = {
        {ShiftKind::Cells, {1, 0, 2, 0}, 2},          // A3 and A4 fall off; B4 stays
        {ShiftKind::EntireRows, {2, 0, 2, 0}, 2},     // row 4: A4 and B4
        {ShiftKind::EntireColumns, {0, 0, 0, 1}, 2},  // columns B and C: B1 and B4
        {ShiftKind::EntireColumns, {0, 2, 0, 2}, 0},  // column C was blank
    };
    for (const auto& c : cases)
        for (const bool yes : {false, true}) {
            DataSet dataSet;
            dataSet.table = DataTable(4, 3);
            load(dataSet.table, {"1 9", "2 .", "3 .", "4 5"});
            const auto original = dump(dataSet.table);
            std::vector<std::string> asked;
            const EditOutcome outcome = insertCells(dataSet, c.block, c.kind, answering(yes, asked));
            EXPECT_EQ(asked, c.lost ? std::vector{valuesLostQuestion(c.lost)} : std::vector<std::string>{});
            EXPECT_EQ(outcome, yes || !c.lost ? EditOutcome::Done : EditOutcome::Declined);
            EXPECT_TRUE(outcome != EditOutcome::Declined || dump(dataSet.table) == original);
        }
}

}  // namespace
}  // namespace ombrix::core
