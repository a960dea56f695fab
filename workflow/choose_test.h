#pragma once

#include <string>
#include <vector>

#include "core/analysis_choices.h"
#include "core/data_set.h"

// The state behind the choose-test step: which page a format shows, the
// "will perform" labels and the post-test list, as plain functions over the
// analysis choices so that the window only mirrors them.
namespace ombrix::workflow {

using core::AnalysisChoices;
using core::HypotheticalChoice;
using core::PostTestMethod;
using core::PostTestPairs;
using core::PostTestState;

// The post-test list: parametric items 0..6, nonparametric items 0..2.
std::vector<std::string> postTestListItems(bool nonParametric);

// The list index shown for the stored choices; never changes them.
int postTestListIndex(const AnalysisChoices& choices, bool nonParametric);

// Choosing list item `index`: sets method and pairs; index 0 also means no
// post test (and unchecks "only if P < 0.05"). Returns the new state of that
// check box.
bool choosePostTestItem(AnalysisChoices& choices, int index, bool onlyIfSignificantChecked);

// The "Only perform post test if P<0.05." check box.
void setOnlyIfSignificant(AnalysisChoices& choices, bool checked, int listIndex);

inline constexpr const char* OnlyIfSignificantCaption = "Only perform post test if P<0.05.";

// "Will perform" labels of the two-column and three-or-more-column pages.
std::string UpdateSelTest2(const AnalysisChoices& choices);
std::string UpdateSelTest3(const AnalysisChoices& choices);

// "Hypothetical mean=" for the t test, "Hypothetical median=" for the Wilcoxon test.
std::string hypotheticalValueLabel(const AnalysisChoices& choices);
// The value HypotheticalChoice names; the typed value for Typed.
Real hypotheticalValueOfChoice(const AnalysisChoices& choices);

enum class ChooseTestPage { None, OneColumn, TwoColumns, ThreeOrMoreColumns, XYFit, TwoByTwo, MultipleRegression };

// Column category from the count of selected columns with data.
core::ColumnCategory columnCategory(int selectedColumnsWithData);

// Refreshes the column statistics where the format needs them, settles the
// selection and ColumnCategory, and tells which page to show. For multiple
// regression a dependent column without data is replaced by the first
// column with data.
ChooseTestPage prepareChooseTest(core::DataSet& dataSet);

// The visibility and enabling rules of the post-test controls.
struct PostTestControls {
    bool selectPairsVisible = false;
    bool selectPairsEnabled = false;
    bool controlColumnVisible = false;
    bool controlColumnEnabled = false;
};
PostTestControls postTestControls(int listIndex, int selectedColumnsWithData);

}  // namespace ombrix::workflow
