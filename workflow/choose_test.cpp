#include "workflow/choose_test.h"

#include <algorithm>

#include "analyses/column_statistics.h"

namespace ombrix::workflow {

std::vector<std::string> postTestListItems(bool nonParametric)
{
    if (nonParametric)
        return {"(No post test)", "Dunn: Compare selected pairs of columns.", "Dunn: Compare all pairs of columns."};
    return {
        "(No post test)",
        "Bonferroni: Compare selected pairs of columns.",
        "Bonferroni: Compare all pairs of columns.",
        "Tukey: Compare all pairs of columns.",
        "Student-Newman-Keuls: Compare all pairs of columns.",
        "Dunnett: Compare all vs. control.",
        "Test for linear trend between column mean and column number",
    };
}

int postTestListIndex(const AnalysisChoices& choices, bool nonParametric)
{
    int index = 0;
    if (choices.PostTestState == 1)
        index = 0;
    else if (choices.PostTestMethod == 0)
        index = choices.PostTestPairs == 1 ? 1 : 2;
    else if (choices.PostTestMethod == 1)
        index = 3;
    else if (choices.PostTestMethod == 2)
        index = 5;
    else if (choices.PostTestMethod == 3)
        index = 4;
    else
        index = 6;
    return nonParametric ? std::min(index, 2) : index;
}

bool choosePostTestItem(AnalysisChoices& choices, int index, bool onlyIfSignificantChecked)
{
    static constexpr struct {
        int method;
        int pairs;
    } effects[] = {{-1, -1}, {0, 1}, {0, 0}, {1, 0}, {3, 0}, {2, 2}, {4, 0}};
    if (index < 0 || index > 6)
        return onlyIfSignificantChecked;
    if (index == 0) {
        choices.PostTestState = 1;
        return false;
    }
    choices.PostTestMethod = effects[index].method;
    choices.PostTestPairs = effects[index].pairs;
    choices.PostTestState = onlyIfSignificantChecked ? 2 : 0;
    return onlyIfSignificantChecked;
}

void setOnlyIfSignificant(AnalysisChoices& choices, bool checked, int listIndex)
{
    if (checked)
        choices.PostTestState = 2;
    else
        choices.PostTestState = listIndex == 0 ? 1 : 0;
}

std::string UpdateSelTest2(const AnalysisChoices& choices)
{
    if (choices.TwoColUnpaired) {
        if (choices.TwoColNonParametric)
            return "Mann-Whitney test";
        return choices.TwoColEqualSD ? "Unpaired t test" : "Unpaired t test, Welch corrected";
    }
    return choices.TwoColNonParametric ? "Wilcoxon matched pairs test" : "Paired t test";
}

std::string UpdateSelTest3(const AnalysisChoices& choices)
{
    std::string label;
    if (choices.OrdinaryAnova)
        label = choices.MultiColNonParametric ? "Kruskal-Wallis test" : "One-way ANOVA";
    else
        label = choices.MultiColNonParametric ? "Friedman test" : "Repeated measures ANOVA";
    const bool noPostTest = postTestListIndex(choices, choices.MultiColNonParametric) == 0;
    return label + (noPostTest ? " without post-test" : " with post-test");
}

std::string hypotheticalValueLabel(const AnalysisChoices& choices)
{
    return choices.OneColNonParametric ? "Hypothetical median=" : "Hypothetical mean=";
}

Real hypotheticalValueOfChoice(const AnalysisChoices& choices)
{
    switch (choices.HypotheticalChoice) {
    case 0: return 0;
    case 1: return 1;
    case 2: return 100;
    default: return choices.HypotheticalValue;
    }
}

int columnCategory(int selectedColumnsWithData)
{
    return std::clamp(selectedColumnsWithData, 0, 3);
}

ChooseTestPage prepareChooseTest(core::DataSet& dataSet)
{
    core::DataTable& table = dataSet.table;
    switch (dataSet.format) {
    case core::DataFormat::XY: return ChooseTestPage::XYFit;
    case core::DataFormat::TwoByTwo: return ChooseTestPage::TwoByTwo;
    case core::DataFormat::LargerTable: return ChooseTestPage::None;
    case core::DataFormat::MultipleRegression: {
        analyses::UpdateColumnStatistics(table);
        const int dependent = dataSet.choices.DependentColumn;
        if (!core::DataTable::isValidColumn(dependent) || table.column(dependent).n <= 0) {
            for (int c = 0; c < core::TableColumns; ++c)
                if (table.column(c).n > 0) {
                    dataSet.choices.DependentColumn = c;
                    break;
                }
        }
        return ChooseTestPage::MultipleRegression;
    }
    case core::DataFormat::Raw:
    case core::DataFormat::MeanSDN:
    case core::DataFormat::MeanSEMN: break;
    }

    // Summary columns are refreshed too: their records complete the typed values.
    analyses::UpdateColumnStatistics(table);
    if (table.countSelectedColumnsWithData() == 0)
        table.selectAllColumnsWithData();
    dataSet.choices.ColumnCategory = columnCategory(table.countSelectedColumnsWithData());
    switch (dataSet.choices.ColumnCategory) {
    case 1: return ChooseTestPage::OneColumn;
    case 2: return ChooseTestPage::TwoColumns;
    case 3: return ChooseTestPage::ThreeOrMoreColumns;
    default: return ChooseTestPage::None;
    }
}

PostTestControls postTestControls(int listIndex, int selectedColumnsWithData)
{
    PostTestControls controls;
    controls.selectPairsVisible = listIndex == 1;
    controls.selectPairsEnabled = selectedColumnsWithData >= 2;
    controls.controlColumnVisible = listIndex == 5;
    controls.controlColumnEnabled = selectedColumnsWithData >= 1;
    return controls;
}

}  // namespace ombrix::workflow
