#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

#include "analyses/column_statistics.h"
#include "app/selection_dialogs.h"
#include "tests/app/app_test_support.h"

namespace ombrix::app::testing {
namespace {

TEST(SelectColumnsDialog, ListsTheColumnsWithDataAndAppliesTheChecks)
{
    core::DataSet dataSet;
    typeColumn(dataSet, 0, {"1", "2"}, "Control");
    typeColumn(dataSet, 2, {"3", "4"});
    typeColumn(dataSet, 27, {"5"}, "Dose");
    analyses::UpdateColumnStatistics(dataSet.table);
    dataSet.table.selectAllColumnsWithData();

    SelectColumnsDialog dialog(dataSet.table);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Select Columns"));
    QListWidget* list = dialog.list();
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("A: Control"));
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("C: "));
    EXPECT_EQ(list->item(2)->text(), QStringLiteral("AB: Dose"));

    for (int row = 0; row < list->count(); ++row)
        list->item(row)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(dialog.okButton()->isEnabled()) << "at least one column must be analysed";
    list->item(1)->setCheckState(Qt::Checked);
    EXPECT_TRUE(dialog.okButton()->isEnabled());

    dataSet.table.setSelected(5, true);  // no data: not listed, left alone
    EXPECT_TRUE(dialog.apply(dataSet.table));
    EXPECT_FALSE(dataSet.table.isSelected(0));
    EXPECT_TRUE(dataSet.table.isSelected(2));
    EXPECT_FALSE(dataSet.table.isSelected(27));
    EXPECT_TRUE(dataSet.table.isSelected(5));
    EXPECT_FALSE(dialog.apply(dataSet.table)) << "nothing left to change";
}

TEST(SelectPairsDialog, ListsEveryPairAndEditsOnlyThose)
{
    const std::vector<AnalysedColumn> columns = {{0, "Control"}, {1, "Low"}, {3, ""}};
    std::array<bool, core::SelectedPairCount> pairs = core::AnalysisChoices::allPairsSelected();
    pairs[core::selectedPairIndex(0, 2)] = false;

    SelectPairsDialog dialog(columns, pairs);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Select Pairs"));
    QListWidget* list = dialog.list();
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("A: Control vs. B: Low"));
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("A: Control vs. D"));
    EXPECT_EQ(list->item(2)->text(), QStringLiteral("B: Low vs. D"));
    EXPECT_EQ(list->item(1)->checkState(), Qt::Unchecked) << "pairs count by position among the analysed columns";

    dialog.deselectAllButton()->click();
    EXPECT_EQ(dialog.deselectAllButton()->text(), QStringLiteral("Deselect all"));
    std::array<bool, core::SelectedPairCount> edited = dialog.pairs();
    EXPECT_FALSE(edited[core::selectedPairIndex(0, 1)]);
    EXPECT_FALSE(edited[core::selectedPairIndex(1, 2)]);
    EXPECT_TRUE(edited[core::selectedPairIndex(0, 3)]) << "not a listed pair";

    dialog.selectAllButton()->click();
    EXPECT_EQ(dialog.selectAllButton()->text(), QStringLiteral("Select All"));
    edited = dialog.pairs();
    EXPECT_TRUE(edited[core::selectedPairIndex(0, 1)]);
    EXPECT_TRUE(edited[core::selectedPairIndex(0, 2)]);
    EXPECT_TRUE(edited[core::selectedPairIndex(1, 2)]);
}

}  // namespace
}  // namespace ombrix::app::testing
