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
    if (choices.PostTestState == PostTestState::None) {
        index = 0;
    } else {
        switch (choices.PostTestMethod) {
        case PostTestMethod::Bonferroni: index = choices.PostTestPairs == PostTestPairs::Selected ? 1 : 2; break;
        case PostTestMethod::Tukey: index = 3; break;
        case PostTestMethod::Dunnett: index = 5; break;
        case PostTestMethod::StudentNewmanKeuls: index = 4; break;
        case PostTestMethod::LinearTrend: index = 6; break;
        }
    }
    return nonParametric ? std::min(index, 2) : index;
}

bool choosePostTestItem(AnalysisChoices& choices, int index, bool onlyIfSignificantChecked)
{
    using M = PostTestMethod;
    using P = PostTestPairs;
    // Item 0 is "(No post test)" and sets neither.
    static constexpr struct {
        M method;
        P pairs;
    } effects[] = {{M::Tukey, P::All},      {M::Bonferroni, P::Selected},    {M::Bonferroni, P::All},
                   {M::Tukey, P::All},      {M::StudentNewmanKeuls, P::All}, {M::Dunnett, P::VersusControl},
                   {M::LinearTrend, P::All}};
    if (index < 0 || index > 6)
        return onlyIfSignificantChecked;
    if (index == 0) {
        choices.PostTestState = PostTestState::None;
        return false;
    }
    choices.PostTestMethod = effects[index].method;
    choices.PostTestPairs = effects[index].pairs;
    choices.PostTestState = onlyIfSignificantChecked ? PostTestState::OnlyIfSignificant : PostTestState::Perform;
    return onlyIfSignificantChecked;
}

void setOnlyIfSignificant(AnalysisChoices& choices, bool checked, int listIndex)
{
    if (checked)
        choices.PostTestState = PostTestState::OnlyIfSignificant;
    else
        choices.PostTestState = listIndex == 0 ? PostTestState::None : PostTestState::Perform;
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
    case HypotheticalChoice::Zero: return 0;
    case HypotheticalChoice::One: return 1;
    case HypotheticalChoice::Hundred: return 100;
    case HypotheticalChoice::Typed: break;
    }
    return choices.HypotheticalValue;
}

core::ColumnCategory columnCategory(int selectedColumnsWithData)
{
    return static_cast<core::ColumnCategory>(std::clamp(selectedColumnsWithData, 0, 3));
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
    case core::ColumnCategory::None: break;
    case core::ColumnCategory::One: return ChooseTestPage::OneColumn;
    case core::ColumnCategory::Two: return ChooseTestPage::TwoColumns;
    case core::ColumnCategory::ThreeOrMore: return ChooseTestPage::ThreeOrMoreColumns;
    }
    return ChooseTestPage::None;
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
