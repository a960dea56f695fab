#include <QListWidget>
#include <QPushButton>

#include "analyses/column_statistics.h"
#include "app/selection_dialogs.h"
#include "tests/app/app_test_support.h"

namespace ombrix::app::testing {
namespace {

QStringList items(const QListWidget& list)
{
    QStringList texts;
    for (int row = 0; row < list.count(); ++row)
        texts.append(list.item(row)->text());
    return texts;
}

TEST(SelectColumnsDialog, ListsTheColumnsWithDataAndAppliesTheChecks)
{
    core::DataSet dataSet;
    typeColumn(dataSet, 0, {"1", "2"}, "Control");
    typeColumn(dataSet, 2, {"3", "4"});
    typeColumn(dataSet, 27, {"5"}, "Dose");
    analyses::UpdateColumnStatistics(dataSet.table);
    dataSet.table.selectAllColumnsWithData();

    SelectColumnsDialog dialog(dataSet.table);
    QListWidget* list = dialog.list();
    EXPECT_EQ(items(*list), (QStringList{QStringLiteral("A: Control"), QStringLiteral("C: "), QStringLiteral("AB: Dose")}));
    for (int row = 0; row < list->count(); ++row)
        list->item(row)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(dialog.okButton()->isEnabled()) << "at least one column must be analysed";
    list->item(1)->setCheckState(Qt::Checked);
    EXPECT_TRUE(dialog.okButton()->isEnabled());

    dataSet.table.setSelected(5, true);  // no data: not listed, left alone
    EXPECT_TRUE(dialog.apply(dataSet.table));
    EXPECT_FALSE(dataSet.table.isSelected(0) || dataSet.table.isSelected(27));
    EXPECT_TRUE(dataSet.table.isSelected(2) && dataSet.table.isSelected(5));
    EXPECT_FALSE(dialog.apply(dataSet.table)) << "nothing left to change";
}

TEST(SelectPairsDialog, ListsEveryPairAndEditsOnlyThose)
{
    const std::vector<AnalysedColumn> columns = {{0, "Control"}, {1, "Low"}, {3, ""}};
    std::array<bool, core::SelectedPairCount> pairs = core::AnalysisChoices::allPairsSelected();
    pairs[core::selectedPairIndex(0, 2)] = false;

    SelectPairsDialog dialog(columns, pairs);
    QListWidget* list = dialog.list();
    EXPECT_EQ(items(*list), (QStringList{QStringLiteral("A: Control vs. B: Low"), QStringLiteral("A: Control vs. D"),
                                         QStringLiteral("B: Low vs. D")}));
    EXPECT_EQ(list->item(1)->checkState(), Qt::Unchecked) << "pairs count by position among the analysed columns";

    dialog.deselectAllButton()->click();
    EXPECT_FALSE(dialog.pairs()[core::selectedPairIndex(1, 2)]);
    EXPECT_TRUE(dialog.pairs()[core::selectedPairIndex(0, 3)]) << "not a listed pair";
    dialog.selectAllButton()->click();
    EXPECT_TRUE(dialog.pairs()[core::selectedPairIndex(0, 2)]);
}

}  // namespace
}  // namespace ombrix::app::testing
