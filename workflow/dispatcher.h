#pragma once

#include "analyses/analysis_inputs.h"
#include "analyses/results_buffer.h"
#include "core/data_set.h"
#include "workflow/progress.h"

// Calculate: from a data set and its choices to exactly one report.
namespace ombrix::workflow {

inline constexpr const char* NoDataMessage = "Until you enter data, you won't see any results!";
inline constexpr const char* NoPairSelectedMessage = "At least one column pair must be selected.";
inline constexpr const char* NoDependentMessage = "You must choose a dependent (Y) variable.";
inline constexpr const char* NoIndependentMessage = "You must choose one or more independent (X) variables.";
inline constexpr const char* TooFewVariablesMessage = "You must choose two or more variables to analyze.";

// What a document keeps between calculations besides its data set.
struct CalculationTarget {
    analyses::ResultsBuffer& results;
    // The line the last linear regression left for the graph.
    analyses::RegressionForGraph& regression;
    CalculationProgress& progress;
    // The calculating document's status panel; null where nothing is shown.
    StatusView* view = nullptr;
    // The analysis error code that decided the last calculated report (0 for
    // a report); the report itself then holds the code's message.
    int reportCode = 0;
};

enum class CalculateOutcome {
    Message,    // validation refused: the report is the message alone
    Unchanged,  // nothing changed since the last report, which is shown as it is
    Calculated,
};

// Validates the choices against the data, runs the one analysis they select
// and leaves the closed report in target.results. Validation may select
// columns and settle derived choices in the document; the analysis then reads
// a working copy of the table, so the document's titles, N, last used column
// and analysis mode never change while it runs.
CalculateOutcome Calculate(core::DataSet& dataSet, CalculationTarget& target);

// The post-test method and pairs the three-or-more-column analysis is given,
// from the stored choices.
struct EffectivePostTest {
    core::PostTestMethod method = core::PostTestMethod::Tukey;
    bool selectedPairsOnly = false;
    std::array<bool, core::SelectedPairCount> pairs{};
};
EffectivePostTest effectivePostTest(const core::AnalysisChoices& choices);

// The four titles given to the two-by-two analysis (row 1, row 2, column 1,
// column 2), blank ones replaced by their defaults.
std::array<std::string, 4> twoByTwoTitles(const core::TwoByTwoRecord& record);

}  // namespace ombrix::workflow
