#include "core/data_table.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace ombrix::core {
namespace {

TEST(ColumnName, LettersAtTheBoundaries)
{
    const struct {
        int index;
        const char* name;
    } cases[] = {{0, "A"}, {1, "B"}, {25, "Z"}, {26, "AA"}, {27, "AB"}, {51, "AZ"}, {52, "?"}, {-1, "?"}};
    for (const auto& c : cases)
        EXPECT_EQ(columnName(c.index), c.name) << c.index;
}

TEST(FormatCell, FixedAndExponentForms)
{
    std::ifstream file(std::string(OMBRIX_TEST_DATA_DIR) + "/data/cell_texts.txt");
    ASSERT_TRUE(file);
    for (std::string line; std::getline(file, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string value, decimals, text;
        int autoDecimals = 0, fixedDecimals = 0;
        bool excluded = false;
        fields >> value >> autoDecimals >> fixedDecimals >> excluded >> decimals >> text;
        DataTable table(2, 2);
        table.setAutoDecimals(0, autoDecimals);
        table.setFixedDecimals(0, fixedDecimals);
        EXPECT_EQ(table.FormatCell(0, std::stold(value), excluded,
                                   decimals == "column" ? CellDecimals::OfColumn : CellDecimals::Default),
                  text == "-" ? "" : text)
            << line;
    }
}

class TableTest : public ::testing::Test {
protected:
    // The full-size table, as every document has.
    std::unique_ptr<DataTable> table = std::make_unique<DataTable>();
};

TEST_F(TableTest, OutOfRangeAccessIsHarmless)
{
    table->setValue(10001, 0, 1);
    table->setValue(0, 52, 1);
    table->setValue(-1, -1, 1);
    table->setExcluded(20000, 3, true);
    table->column(99).title = "ignored";
    EXPECT_TRUE(table->isEmpty());
    EXPECT_EQ(table->value(-5, 0), MissingValue);
    EXPECT_EQ(table->GetAnalysisValue(0, 60), MissingValue);
    EXPECT_EQ(table->column(99).title, "");
    EXPECT_EQ(table->rowTitle(10001), "");
}

TEST_F(TableTest, LastUsedRowAndColumnGrowOnStoreAndShrinkOnRecompute)
{
    table->setValue(4, 2, 1);
    EXPECT_FALSE(table->firstValueInColumnA());
    table->setValue(1, 6, 2);
    EXPECT_EQ(table->lastUsedRow(), 4);
    EXPECT_EQ(table->lastUsedColumn(), 6);
    EXPECT_FALSE(table->isEmpty());

    // A blank store does not lower them; the recomputation does.
    table->setValue(1, 6, MissingValue);
    EXPECT_EQ(table->lastUsedColumn(), 6);
    table->recomputeLastUsed();
    EXPECT_EQ(table->lastUsedRow(), 4);
    EXPECT_EQ(table->lastUsedColumn(), 2);

    table->setValue(10000, 51, 9);
    EXPECT_EQ(table->lastUsedRow(), 10000);
    EXPECT_EQ(table->lastUsedColumn(), 51);
    table->setValue(4, 2, MissingValue);
    table->setValue(0, 0, 1);
    table->setValue(10000, 51, MissingValue);
    table->recomputeLastUsed();
    EXPECT_EQ(table->lastUsedRow(), 0);
    EXPECT_EQ(table->lastUsedColumn(), 0);
    EXPECT_FALSE(table->isEmpty());
}

TEST_F(TableTest, ExclusionMarksOnlyNumbersAndChangesTheColumn)
{
    table->setExcluded(0, 0, true);
    EXPECT_FALSE(table->isExcluded(0, 0));

    table->setValue(0, 0, 5);
    table->setAllColumnsChanged(false);
    table->setExcluded(0, 0, true);
    EXPECT_TRUE(table->isExcluded(0, 0));
    EXPECT_TRUE(table->columnChanged(0));
    EXPECT_FALSE(table->columnChanged(1));
}

TEST_F(TableTest, AnalysisReadSkipsBlanksExclusionsAndUnselectedColumns)
{
    // Column A: 3, blank, 5, 7 (excluded). Column B: 1, 2 and unselected.
    table->setValue(0, 0, 3);
    table->setValue(2, 0, 5);
    table->setValue(3, 0, 7);
    table->setExcluded(3, 0, true);
    table->setValue(0, 1, 1);
    table->setValue(1, 1, 2);
    table->setSelected(1, false);

    const struct {
        int row, column;
        bool analysisMode;
        Real expected;
    } cases[] = {
        {0, 0, false, 3},
        {1, 0, false, MissingValue},
        {2, 0, false, 5},
        {3, 0, false, MissingValue},
        {0, 1, false, 1},
        {1, 1, false, 2},
        {0, 1, true, MissingValue},
        {1, 1, true, MissingValue},
        {2, 0, true, 5},
    };
    for (const auto& c : cases) {
        table->setAnalysisMode(c.analysisMode);
        EXPECT_EQ(table->GetAnalysisValue(c.row, c.column), c.expected)
            << c.row << "," << c.column << " mode " << c.analysisMode;
    }
    // The raw read still sees the excluded value.
    EXPECT_EQ(table->value(3, 0), 7);
}

TEST_F(TableTest, ColumnMapKeepsSelectedColumnsWithData)
{
    for (int c : {0, 2, 3, 5}) {
        table->setValue(0, c, 10 + c);
        table->column(c).n = 1;
    }
    table->setSelected(3, false);
    table->buildColumnMap();
    ASSERT_EQ(table->columnMapCount(), 3);
    EXPECT_EQ(table->GetAnalysisValue(0, 0), 10);
    EXPECT_EQ(table->GetAnalysisValue(0, 1), 12);
    EXPECT_EQ(table->GetAnalysisValue(0, 2), 15);
    EXPECT_EQ(table->GetAnalysisValue(0, 3), MissingValue);  // beyond the map

    table->SetAnalysisValue(1, 1, 99);
    EXPECT_EQ(table->value(1, 2), 99);
    // The auxiliary column lies outside the map and the table.
    table->SetAnalysisValue(7, AuxiliaryColumn, 2.5L);
    EXPECT_EQ(table->GetAnalysisValue(7, AuxiliaryColumn), 2.5L);
    EXPECT_EQ(table->lastUsedRow(), 1);

    table->resetColumnMap();
    EXPECT_EQ(table->GetAnalysisValue(0, 3), 13);
    EXPECT_EQ(table->GetAnalysisValue(0, 5), 15);
}

// Copies share their cell blocks until one side writes: each write must
// reach its own table only, whichever side writes first.
TEST_F(TableTest, CopiesAreIndependent)
{
    table->setValue(0, 0, 1);
    table->setValue(300, 1, 2);
    table->setExcluded(300, 1, true);
    table->setColumnTitle(0, "Dose");
    table->setRowTitle(2, "Mouse");
    table->setSelected(1, false);
    table->setTitle("Assay");
    DataTable copy = *table;
    copy.setValue(0, 0, 10);
    copy.setExcluded(300, 1, false);
    table->setValue(300, 1, 20);
    copy.column(0).title = "Copy";
    EXPECT_EQ(table->value(0, 0), 1);
    EXPECT_EQ(copy.value(0, 0), 10);
    EXPECT_EQ(copy.value(300, 1), 2);
    EXPECT_TRUE(table->isExcluded(300, 1));
    EXPECT_FALSE(copy.isExcluded(300, 1));
    EXPECT_EQ(table->column(0).title, "Dose");
    EXPECT_EQ(copy.rowTitle(2), "Mouse");
    EXPECT_FALSE(copy.isSelected(1));
    EXPECT_EQ(copy.title(), "Assay");
    EXPECT_EQ(copy.lastUsedRow(), 300);
    *table = copy;
    EXPECT_EQ(table->value(0, 0), 10);
}

TEST_F(TableTest, ColumnCountsAndSelection)
{
    table->column(1).n = 4;
    table->column(4).n = 1;
    table->column(9).n = -1;  // never counts as data
    EXPECT_EQ(table->highestColumnWithData(), 4);
    EXPECT_EQ(table->countColumnsWithData(), 2);

    table->selectAllColumnsWithData();
    EXPECT_TRUE(table->isSelected(1));
    EXPECT_TRUE(table->isSelected(4));
    EXPECT_TRUE(table->isSelected(9));  // N is not 0
    EXPECT_FALSE(table->isSelected(0));
    EXPECT_EQ(table->countSelectedColumnsWithData(), 2);
    table->setSelected(4, false);
    EXPECT_EQ(table->countSelectedColumnsWithData(), 1);
}

TEST_F(TableTest, TitlesAreCutToTheirLimits)
{
    table->setColumnTitle(0, std::string(100, 'x'));
    EXPECT_EQ(table->column(0).title.size(), 80u);
    table->setRowTitle(0, "Mouse number seven");
    EXPECT_EQ(table->rowTitle(0), "Mouse numb");
    table->setTitle(std::string(120, 't'));
    EXPECT_EQ(table->title().size(), 100u);
    // A multi-byte character is never cut in two.
    table->setRowTitle(1, "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9");
    EXPECT_EQ(table->rowTitle(1).size(), 20u);
}

}  // namespace
}  // namespace ombrix::core
