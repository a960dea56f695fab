#include "core/data_set.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>

namespace ombrix::core {
namespace {

TEST(AnalysisChoices, SelectedPairIndexCoversEveryPairOnce)
{
    std::array<int, SelectedPairCount> seen{};
    for (int i = 0; i <= TableColumns; ++i)
        for (int j = i + 1; j <= TableColumns; ++j) {
            const int index = selectedPairIndex(i, j);
            ASSERT_GE(index, 0);
            ASSERT_LT(index, SelectedPairCount);
            ++seen[index];
        }
    for (int count : seen)
        EXPECT_EQ(count, 1);
    EXPECT_EQ(selectedPairIndex(0, 1), 0);
    EXPECT_EQ(selectedPairIndex(0, 2), 1);
    EXPECT_EQ(selectedPairIndex(1, 2), 52);
    EXPECT_EQ(selectedPairIndex(2, 1), -1);
    EXPECT_EQ(selectedPairIndex(3, 3), -1);
}

TEST(DataSet, ChoosingAFormat)
{
    auto dataSet = std::make_unique<DataSet>();
    dataSet->resultsStale = false;
    dataSet->chooseFormat(DataFormat::MeanSEMN);
    EXPECT_FALSE(dataSet->choices.ShowSD);
    EXPECT_TRUE(dataSet->resultsStale);
    EXPECT_TRUE(dataSet->modified);
    dataSet->chooseFormat(DataFormat::MeanSDN);
    EXPECT_TRUE(dataSet->choices.ShowSD);
    dataSet->chooseFormat(DataFormat::XY);
    EXPECT_TRUE(dataSet->choices.ShowSD);
}

TEST(DataSet, TwoByTwoTakesTheFirstTwoCellsOfColumnsAAndB)
{
    auto empty = std::make_unique<DataSet>();
    empty->chooseFormat(DataFormat::TwoByTwo);
    EXPECT_TRUE(empty->twoByTwo.allBlank());

    auto dataSet = std::make_unique<DataSet>();
    dataSet->table.setValue(0, 0, 11);
    dataSet->table.setValue(1, 0, 12);
    dataSet->table.setValue(0, 1, 21);
    dataSet->table.setValue(1, 1, 22);
    dataSet->chooseFormat(DataFormat::TwoByTwo);
    EXPECT_EQ(dataSet->twoByTwo.counts, (std::array<Real, 4>{11, 12, 21, 22}));  // A, B, C, D

    // Counts already typed are never overwritten.
    dataSet->chooseFormat(DataFormat::Raw);
    dataSet->twoByTwo.counts = {1, MissingValue, MissingValue, MissingValue};
    dataSet->chooseFormat(DataFormat::TwoByTwo);
    EXPECT_EQ(dataSet->twoByTwo.counts, (std::array<Real, 4>{1, MissingValue, MissingValue, MissingValue}));
}

TEST(Notes, BufferOf8010CharactersEndedByCtrlZ)
{
    Notes notes;
    EXPECT_EQ(notes.buffer(), std::string(1, '\x1a'));
    EXPECT_EQ(notes.freeRoom(), 8009);
    EXPECT_TRUE(notes.appendLine("first"));
    EXPECT_EQ(notes.text(), "first\r\n");
    EXPECT_EQ(notes.freeRoom(), 8002);

    notes.setText(std::string(9000, 'n'));
    EXPECT_EQ(notes.text().size(), 8009u);
    EXPECT_FALSE(notes.appendLine(""));
    notes.setText("kept\x1a"
                  "dropped");
    EXPECT_EQ(notes.text(), "kept");
}

}  // namespace
}  // namespace ombrix::core
