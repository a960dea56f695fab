#pragma once

#include <array>
#include <string_view>
#include <vector>

#include "analyses/analysis_inputs.h"
#include "analyses/anova_tables.h"
#include "analyses/results_buffer.h"
#include "core/analysis_choices.h"
#include "core/data_table.h"
#include "core/real.h"

// The post tests that follow a one-way or repeated-measures ANOVA: Bonferroni
// (all or selected pairs), Tukey-Kramer, Student-Newman-Keuls, Dunnett
// against a control column, and the test for linear trend between column
// means and column number. Each appends its section to the ANOVA's report
// and returns an analysis error code (0, or 10 when the buffer for its
// second table cannot be had; nothing is written then).
namespace ombrix::analyses {

enum class AnovaDesign { Ordinary, RepeatedMeasures };

// What every post test is given by the ANOVA it follows.
struct PostTestContext {
    // The analysed columns that hold values, in data-set order (title, N, mean).
    std::vector<core::ColumnRecord> columns;
    int dfResidual = 0;
    Real msResidual = 0;
    AnovaDesign design = AnovaDesign::Ordinary;
};

// The post test chosen, as the dispatcher hands it on. selectedPairs holds
// one flag per pair (i < j) of analysed columns at core::selectedPairIndex(i, j);
// controlColumn is a position among the analysed columns.
struct PostTestChoice {
    core::PostTestMethod method = core::PostTestMethod::Tukey;
    bool selectedPairsOnly = false;
    std::array<bool, core::SelectedPairCount> selectedPairs{};
    int controlColumn = 0;
    bool dunnettTwoSided = true;
};

int WriteBonferroniPostTest(ResultsBuffer& out, const PostTestContext& context, bool selectedPairsOnly,
                            const std::array<bool, core::SelectedPairCount>& selectedPairs);
// Tukey-Kramer, or with studentNewmanKeuls the stepwise Student-Newman-Keuls test.
int WriteTukeyPostTest(ResultsBuffer& out, const PostTestContext& context, bool studentNewmanKeuls);
int WriteDunnettPostTest(ResultsBuffer& out, const PostTestContext& context, int controlColumn, bool twoSided);
int WriteLinearTrendPostTest(ResultsBuffer& out, const PostTestContext& context, const AnovaSums& sums);

// The Dunnett tables, shared with the comparisons with a control after the
// Friedman test: the headers of the first table (in out) and of the second
// (the confidence intervals, in second), then one row of each per compared
// column. level is 0.01, 0.05 or 1 (shown as P<0.01, P<0.05 or P>0.05).
struct DunnettRow {
    std::string_view control;
    std::string_view other;
    Real difference = 0;
    Real q = 0;
    Real level = 1;
    Real lower = 0;
    Real upper = 0;
};
void WriteDunnettHeaders(ResultsBuffer& out, ResultsBuffer& second);
void WriteDunnettRow(ResultsBuffer& out, ResultsBuffer& second, const DunnettRow& row);

// The post test the dispatcher chose (dunnettTwoSided is always true there).
PostTestChoice postTestChoiceOf(const MultiColumnTestInput& input);

// Whether the chosen post test runs after an ANOVA whose overall P is p:
// always when asked to perform it, when asked only for P <= 0.05 then so.
bool postTestRuns(core::PostTestState state, Real p);

// What stands in the report instead when the post test was to run only for
// P <= 0.05 and P is above it: the "Post tests" heading and two lines.
void WritePostTestsNotCalculated(ResultsBuffer& out);

// The chosen post test; the ANOVA reports call this.
int WritePostTest(ResultsBuffer& out, const PostTestContext& context, const PostTestChoice& choice,
                  const AnovaSums& sums);

}  // namespace ombrix::analyses
