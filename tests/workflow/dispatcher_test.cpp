#include "workflow/dispatcher.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/fakes.h"
#include "workflow/choose_test.h"

namespace ombrix::workflow {
namespace {

using core::DataFormat;
using ombrix::testing::FakeClock;
using ombrix::testing::FakeView;
using M = core::PostTestMethod;
using P = core::PostTestPairs;
using S = core::PostTestState;

class DispatcherTest : public ::testing::Test {
protected:
    std::unique_ptr<core::DataSet> dataSet = std::make_unique<core::DataSet>();
    analyses::ResultsBuffer results;
    analyses::RegressionForGraph regression;
    SteadyClock clock;
    CalculationProgress progress{clock};
    CalculationTarget target{results, regression, progress, nullptr};

    // Fills columns A, B, ... with the values given.
    void fill(std::initializer_list<std::initializer_list<Real>> columns)
    {
        int column = 0;
        for (const auto& values : columns) {
            int row = 0;
            for (Real x : values)
                dataSet->table.setValue(row++, column, x);
            ++column;
        }
        dataSet->markChanged();
    }
    std::string report() const { return std::string(results.text()); }
};

TEST_F(DispatcherTest, EmptyTableGivesTheNoDataMessage)
{
    for (const DataFormat format :
         {DataFormat::Raw, DataFormat::XY, DataFormat::MultipleRegression, DataFormat::LargerTable}) {
        dataSet->format = format;
        EXPECT_EQ(Calculate(*dataSet, target), CalculateOutcome::Message);
        EXPECT_EQ(results.line(0), "");
        EXPECT_EQ(results.line(1), NoDataMessage);
    }
}

TEST_F(DispatcherTest, UnselectedOnlyColumnIsSelectedAgain)
{
    fill({{}, {1, 2, 3}});
    dataSet->choices.AllColumns = false;
    dataSet->table.setSelected(1, false);
    EXPECT_EQ(Calculate(*dataSet, target), CalculateOutcome::Calculated);
    EXPECT_EQ(dataSet->choices.ColumnCategory, core::ColumnCategory::One);
    EXPECT_EQ(dataSet->choices.OneColColumn, 1);
    EXPECT_TRUE(dataSet->table.isSelected(1));
}

TEST_F(DispatcherTest, TwoSelectedColumnsInColumnOrderWithTemporaryTitles)
{
    fill({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
    dataSet->table.setColumnTitle(2, "Kept");
    dataSet->table.setTitle("Enzyme assay");
    dataSet->choices.AllColumns = false;
    dataSet->table.setSelected(1, false);
    EXPECT_EQ(Calculate(*dataSet, target), CalculateOutcome::Calculated);
    EXPECT_EQ(dataSet->choices.ColumnCategory, core::ColumnCategory::Two);
    EXPECT_EQ(dataSet->choices.TwoColFirst, 0);
    EXPECT_EQ(dataSet->choices.TwoColSecond, 2);
    EXPECT_EQ(results.line(0), "Enzyme assay");
    EXPECT_EQ(results.line(1), "");
    EXPECT_NE(report().find("Do the means of Column A and Kept differ significantly?"), std::string::npos);
    EXPECT_EQ(dataSet->table.column(0).title, "");
}

// The user's events run inside the analysis's progress calls; whatever they
// look at must be the document as the user left it.
TEST_F(DispatcherTest, DocumentIsUntouchedWhileEventsAreProcessed)
{
    fill({{1, 4, 7}, {2, 5, 8}, {3, 6, 9}});
    dataSet->choices.AllColumns = false;
    dataSet->choices.TwoColNonParametric = true;
    dataSet->table.setSelected(1, false);
    FakeClock ticking;
    FakeView view(ticking);
    CalculationProgress slow{ticking};
    int rounds = 0;
    view.onEvents = [&] {
        ++rounds;
        ticking.now += 1000;
        EXPECT_EQ(dataSet->table.column(0).title, "");
        EXPECT_EQ(dataSet->table.column(1).n, 3);
        EXPECT_FALSE(dataSet->table.analysisMode());
    };
    CalculationTarget watched{results, regression, slow, &view};
    EXPECT_EQ(Calculate(*dataSet, watched), CalculateOutcome::Calculated);
    EXPECT_GT(rounds, 0);
}

TEST_F(DispatcherTest, NotStaleShowsTheSameReportWithoutRecomputing)
{
    fill({{1, 2, 3}});
    EXPECT_EQ(Calculate(*dataSet, target), CalculateOutcome::Calculated);
    EXPECT_FALSE(dataSet->resultsStale);
    const std::string first = report();
    EXPECT_EQ(Calculate(*dataSet, target), CalculateOutcome::Unchanged);
    EXPECT_EQ(report(), first);
    dataSet->markChanged();
    EXPECT_EQ(Calculate(*dataSet, target), CalculateOutcome::Calculated);

    // A two-by-two table is recomputed at every visit.
    dataSet->chooseFormat(DataFormat::TwoByTwo);
    EXPECT_EQ(Calculate(*dataSet, target), CalculateOutcome::Calculated);
    EXPECT_EQ(Calculate(*dataSet, target), CalculateOutcome::Calculated);
}

TEST_F(DispatcherTest, SelectedPairsPostTestNeedsAPair)
{
    fill({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
    dataSet->choices.PostTestMethod = M::Bonferroni;
    dataSet->choices.PostTestPairs = P::Selected;
    dataSet->choices.SelectedPairs.fill(false);
    EXPECT_EQ(Calculate(*dataSet, target), CalculateOutcome::Message);
    EXPECT_EQ(results.line(1), NoPairSelectedMessage);
    EXPECT_EQ(dataSet->table.column(2).n, 3);

    // A pair beyond the analysed columns does not count.
    dataSet->choices.SelectedPairs[core::selectedPairIndex(0, 5)] = true;
    EXPECT_EQ(Calculate(*dataSet, target), CalculateOutcome::Message);
    dataSet->choices.SelectedPairs[core::selectedPairIndex(1, 2)] = true;
    EXPECT_EQ(Calculate(*dataSet, target), CalculateOutcome::Calculated);
}

TEST_F(DispatcherTest, MultipleRegressionChecks)
{
    dataSet->format = DataFormat::MultipleRegression;
    fill({{1, 2, 3}});
    dataSet->choices.DependentColumn = 0;
    EXPECT_EQ(Calculate(*dataSet, target), CalculateOutcome::Message);
    EXPECT_EQ(results.line(1), NoDependentMessage);

    fill({{1, 2, 3}, {4, 5, 7}});
    EXPECT_EQ(Calculate(*dataSet, target), CalculateOutcome::Message);
    EXPECT_EQ(results.line(1), NoIndependentMessage);

    dataSet->choices.IndependentColumns[1] = true;
    EXPECT_EQ(Calculate(*dataSet, target), CalculateOutcome::Calculated);

    dataSet->choices.MultRegAnalysis = false;
    dataSet->markChanged();
    EXPECT_EQ(Calculate(*dataSet, target), CalculateOutcome::Message);
    EXPECT_EQ(results.line(1), TooFewVariablesMessage);
}

TEST_F(DispatcherTest, XYKeepsColumnStatisticsAndClearsTheLineWithoutAFit)
{
    // The fitted line is handed on for the graph (slope 5/2 by hand); two
    // rows are too few for a line, and then the previous one must go.
    dataSet->format = DataFormat::XY;
    fill({{1, 2, 3}, {2, 4, 7}});
    EXPECT_EQ(Calculate(*dataSet, target), CalculateOutcome::Calculated);
    ASSERT_TRUE(regression.has_value());
    EXPECT_NEAR(regression->slope, 2.5L, 1e-15L);
    EXPECT_EQ(regression->n, 3);
    fill({{1, 2, MissingValue}, {2, 4, MissingValue}});
    EXPECT_EQ(Calculate(*dataSet, target), CalculateOutcome::Calculated);
    EXPECT_FALSE(regression.has_value());
    dataSet->format = DataFormat::Raw;
    dataSet->markChanged();
    EXPECT_EQ(Calculate(*dataSet, target), CalculateOutcome::Calculated);
    EXPECT_EQ(dataSet->choices.ColumnCategory, core::ColumnCategory::Two);
}

TEST(EffectivePostTest, MethodAndPairsFromTheChoices)
{
    core::AnalysisChoices choices;
    choices.PostTestMethod = M::StudentNewmanKeuls;
    choices.PostTestPairs = P::All;
    EXPECT_EQ(effectivePostTest(choices).method, M::StudentNewmanKeuls);
    EXPECT_FALSE(effectivePostTest(choices).selectedPairsOnly);
    choices.PostTestPairs = P::Selected;
    EXPECT_EQ(effectivePostTest(choices).method, M::Bonferroni);
    EXPECT_TRUE(effectivePostTest(choices).selectedPairsOnly);
    choices.PostTestPairs = P::VersusControl;
    EXPECT_EQ(effectivePostTest(choices).method, M::Dunnett);

    // Dunnett chosen, then nonparametric and ordinary: Dunn on the pairs with the control.
    choices.MultiColNonParametric = true;
    choices.ControlColumn = 1;
    const EffectivePostTest dunn = effectivePostTest(choices);
    EXPECT_EQ(dunn.method, M::Tukey);
    EXPECT_TRUE(dunn.selectedPairsOnly);
    EXPECT_TRUE(dunn.pairs[core::selectedPairIndex(0, 1)]);
    EXPECT_TRUE(dunn.pairs[core::selectedPairIndex(1, 2)]);
    EXPECT_FALSE(dunn.pairs[core::selectedPairIndex(0, 2)]);
    EXPECT_TRUE(choices.SelectedPairs[core::selectedPairIndex(0, 2)]);  // the user's pairs are kept

    choices.OrdinaryAnova = false;
    EXPECT_EQ(effectivePostTest(choices).method, M::Dunnett);
    choices.PostTestPairs = P::All;
    EXPECT_EQ(effectivePostTest(choices).method, M::Tukey);
}

TEST(ChooseTest, PostTestListIndexBothWays)
{
    core::AnalysisChoices choices;
    const struct {
        S state;
        M method;
        P pairs;
        int parametricIndex, nonParametricIndex;
    } cases[] = {
        {S::None, M::StudentNewmanKeuls, P::All, 0, 0},
        {S::OnlyIfSignificant, M::Bonferroni, P::Selected, 1, 1},
        {S::Perform, M::Bonferroni, P::All, 2, 2},
        {S::OnlyIfSignificant, M::Tukey, P::All, 3, 2},
        {S::OnlyIfSignificant, M::StudentNewmanKeuls, P::All, 4, 2},
        {S::OnlyIfSignificant, M::Dunnett, P::VersusControl, 5, 2},
        {S::Perform, M::LinearTrend, P::All, 6, 2},
    };
    for (const auto& c : cases) {
        choices.PostTestState = c.state;
        choices.PostTestMethod = c.method;
        choices.PostTestPairs = c.pairs;
        EXPECT_EQ(postTestListIndex(choices, false), c.parametricIndex);
        EXPECT_EQ(postTestListIndex(choices, true), c.nonParametricIndex);
    }
    for (int index = 1; index <= 6; ++index) {
        core::AnalysisChoices chosen;
        choosePostTestItem(chosen, index, true);
        EXPECT_EQ(postTestListIndex(chosen, false), index) << index;
        EXPECT_EQ(chosen.PostTestState, S::OnlyIfSignificant);
        choosePostTestItem(chosen, index, false);
        EXPECT_EQ(chosen.PostTestState, S::Perform);
    }
    EXPECT_FALSE(choosePostTestItem(choices, 0, true));
    EXPECT_EQ(choices.PostTestState, S::None);
    setOnlyIfSignificant(choices, false, 0);
    EXPECT_EQ(choices.PostTestState, S::None);
    setOnlyIfSignificant(choices, false, 3);
    EXPECT_EQ(choices.PostTestState, S::Perform);
    setOnlyIfSignificant(choices, true, 3);
    EXPECT_EQ(choices.PostTestState, S::OnlyIfSignificant);
}

}  // namespace
}  // namespace ombrix::workflow
