#include "core/cell_entry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace ombrix::core {
namespace {

class CellEntryTest : public ::testing::Test {
protected:
    std::unique_ptr<DataSet> dataSet = std::make_unique<DataSet>();
    DataTable& table = dataSet->table;
    std::vector<std::string> questions;

    AskYesNo answer(bool yes)
    {
        return [this, yes](const std::string& question) {
            questions.push_back(question);
            return yes;
        };
    }
};

TEST_F(CellEntryTest, TextTypedIntoACell)
{
    const struct {
        const char* text;
        char separator;
        int autoBefore, fixedBefore;
        Real value;
        int autoAfter, fixedAfter;
        bool redraw;
    } cases[] = {
        {"1234567.5", '.', 0, -1, 1234567.5L, 1, -1, true},
        {"1234567.123456789", '.', 0, -1, 1234567.123456789L, 7, -1, true},  // capped at 14 digits in all
        {"123.45", '.', 5, -1, 123.45L, 5, -1, false},                       // never narrowed
        {"-42.125", '.', 0, -1, -42.125L, 3, -1, true},
        {"0.30000000000000004", '.', 0, -1, 0.30000000000000004L, 13, -1, true},  // 17 decimals, room for 13
        {"12345678", '.', 0, -1, 12345678, 0, -1, false},                         // exponent range: repaint only
        {"0.00001", '.', 0, -1, 0.00001L, 0, -1, false},
        {"1234567.891", '.', 0, 9, 1234567.891L, 0, 7, true},  // fixed decimals lowered to fit 14 digits
        {"1.5", '.', 0, 9, 1.5L, 0, 9, false},                 // fixed decimals that fit stay
        {"2,75", ',', 0, -1, 2.75L, 2, -1, true},              // the system's decimal comma
        {"1,5", '.', 0, -1, MissingValue, 0, -1, false},       // no number with '.' as separator
        {"n/a", '.', 0, -1, MissingValue, 0, -1, false},
    };
    for (const auto& c : cases) {
        // An excluded value was there: its mark stays unless a blank is stored.
        // A mean-entry flag without summary values goes, for a number, unasked.
        table.setMeanEntry(2, true);
        table.setValue(0, 2, 4);
        table.setExcluded(0, 2, true);
        table.setAutoDecimals(2, c.autoBefore);
        table.setFixedDecimals(2, c.fixedBefore);
        dataSet->modified = dataSet->resultsStale = false;
        const auto result = enterCellText(*dataSet, 0, 2, c.text, c.separator, answer(false));
        EXPECT_TRUE(result.stored && dataSet->modified && dataSet->resultsStale) << c.text;
        EXPECT_NEAR(table.value(0, 2), c.value, std::fabs(c.value) * 1e-15) << c.text;
        EXPECT_EQ(table.isExcluded(0, 2), c.value != MissingValue) << c.text;
        EXPECT_EQ(table.autoDecimals(2), c.autoAfter) << c.text;
        EXPECT_EQ(table.fixedDecimals(2), c.fixedAfter) << c.text;
        EXPECT_EQ(result.redrawColumn, c.redraw) << c.text;
        EXPECT_EQ(table.meanEntry(2), c.value == MissingValue) << c.text;
    }
    EXPECT_TRUE(questions.empty());
}

TEST_F(CellEntryTest, MeanEntryColumnAsksBeforeErasingSummaryValues)
{
    table.setMeanEntry(1, true);
    table.column(1).mean = 10;
    table.column(1).sd = 2;

    auto result = enterCellText(*dataSet, 0, 1, "7", '.', answer(false));
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0],
              "Column B contains data entered as mean and error. You cannot enter raw data without erasing the "
              "mean data. Erase mean data?");
    EXPECT_FALSE(result.stored);
    EXPECT_EQ(result.cellText, "");
    EXPECT_TRUE(table.isBlank(0, 1));
    EXPECT_TRUE(table.meanEntry(1));
    EXPECT_EQ(table.column(1).mean, 10);

    result = enterCellText(*dataSet, 0, 1, "7", '.', answer(true));
    EXPECT_TRUE(result.stored);
    EXPECT_TRUE(result.redrawGrid);
    EXPECT_FALSE(table.meanEntry(1));
    EXPECT_EQ(table.column(1).sd, MissingValue);
    EXPECT_EQ(table.value(0, 1), 7);
}

TEST_F(CellEntryTest, SummaryGridRowsAndNRules)
{
    dataSet->choices.ShowSD = true;
    EXPECT_TRUE(enterSummaryText(*dataSet, 2, 0, "10.5", '.'));
    EXPECT_TRUE(enterSummaryText(*dataSet, 3, 0, "2", '.'));
    EXPECT_TRUE(enterSummaryText(*dataSet, 6, 0, "0,5", ','));
    EXPECT_FALSE(enterSummaryText(*dataSet, 5, 0, "1", '.'));
    const ColumnRecord& record = table.column(0);
    EXPECT_EQ(record.mean, 10.5L);
    EXPECT_EQ(record.sd, 2);
    EXPECT_EQ(record.sem, 0.5L);
    EXPECT_TRUE(table.meanEntry(0));

    dataSet->choices.ShowSD = false;
    enterSummaryText(*dataSet, 3, 0, "0.25", '.');
    EXPECT_EQ(table.column(0).sem, 0.25L);

    const struct {
        const char* text;
        int n;
    } nCases[] = {{"1", 0},          {"2", 2},    {"2.9", 2}, {"", 0}, {"-5", 0}, {"2147483647", 2147483647},
                  {"2147483648", 0}, {"1e12", 0}, {"x", 0}};
    for (const auto& c : nCases) {
        enterSummaryText(*dataSet, 4, 0, c.text, '.');
        EXPECT_EQ(table.column(0).n, c.n) << c.text;
    }
}

TEST_F(CellEntryTest, ExcludeCommandTogglesABlock)
{
    // One excluded and two plain values: the first use removes the mark, the
    // second marks all three; the blank cell is never marked.
    table.setValue(0, 0, 1);
    table.setValue(1, 0, 2);
    table.setValue(2, 0, 3);
    table.setExcluded(1, 0, true);
    const CellBlock block{0, 0, 3, 0};

    toggleExclusion(*dataSet, block);
    for (int r = 0; r < 3; ++r)
        EXPECT_FALSE(table.isExcluded(r, 0)) << r;

    toggleExclusion(*dataSet, block);
    for (int r = 0; r < 3; ++r)
        EXPECT_TRUE(table.isExcluded(r, 0)) << r;
    EXPECT_FALSE(table.isExcluded(3, 0));

    // A block given backwards or beyond the table is still handled.
    toggleExclusion(*dataSet, CellBlock{20000, 60, -3, -1});
    EXPECT_FALSE(table.isExcluded(0, 0));
}

TEST_F(CellEntryTest, NumericColumnTitleMayMoveToTheFirstRow)
{
    bool ask = true;
    enterColumnTitle(*dataSet, 2, "12.5", '.', ask, answer(true), nullptr);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0], NumericTitleQuestion);
    EXPECT_EQ(table.column(2).title, "");
    EXPECT_EQ(table.value(0, 2), 12.5L);
    EXPECT_EQ(table.autoDecimals(2), 1);

    enterColumnTitle(*dataSet, 3, "1998", '.', ask, answer(false), nullptr);
    EXPECT_EQ(table.column(3).title, "1998");
    EXPECT_FALSE(ask);
    EXPECT_TRUE(table.isBlank(0, 3));

    // The question stays off for the session.
    enterColumnTitle(*dataSet, 4, "7", '.', ask, answer(true), nullptr);
    EXPECT_EQ(questions.size(), 2u);
    EXPECT_EQ(table.column(4).title, "7");

    enterColumnTitle(*dataSet, 5, "Control", '.', ask, answer(true), nullptr);
    EXPECT_EQ(table.column(5).title, "Control");
}

}  // namespace
}  // namespace ombrix::core
