#include "analyses/post_tests.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/golden_file.h"

// Each case is one post-test section, written from the summaries an ANOVA
// hands on, against tests/golden/post_tests/<name>.txt. The goldens were
// checked against R 4: qt/pt for Bonferroni (pairwise t with the pooled
// residual), qtukey/ptukey for the Tukey and Student-Newman-Keuls levels,
// Dunnett's critical values by integrating the equicorrelated normal over
// the chi distribution, anova(lm()) and pf for the trend sums (the trend
// cases' sums below are R's for the data named beside them). Where the
// method differs by design: Tukey and Dunnett give the level reached in the
// tables, not an exact P, and their limits use the tabled critical value
// (4.046 for q(0.05; 4, 16), so some limits differ from qtukey's in the
// fourth digit); Bonferroni's t comes from a bisection to 1e-4, which moves
// a limit near 0 in its fourth digit; with unequal N the trend's linear SS
// is that of the fixed contrast, not of a weighted regression on column number.
namespace ombrix::analyses {
namespace {

using core::PostTestMethod;

struct Case {
    const char* name;
    PostTestMethod method;
    std::vector<std::pair<Real, int>> columns;  // mean and N, titled A, B, C, ...
    int df;
    Real ms;
    AnovaDesign design = AnovaDesign::Ordinary;
    std::vector<std::pair<int, int>> pairs = {};  // only these when not empty
    int control = 0;
    AnovaSums sums = {};
};

const std::vector<std::pair<Real, int>> Four = {{10, 5}, {12, 6}, {15, 5}, {11, 4}};
const std::vector<std::pair<Real, int>> Five = {{10, 5}, {12, 5}, {15, 5}, {11, 5}, {13, 5}};

const Case Cases[] = {
    {"bonferroni_4_columns", PostTestMethod::Bonferroni, Four, 16, 4},
    // Also holds P values above 1 (12 vs 13: 10 x 0.44).
    {"bonferroni_5_columns_warning", PostTestMethod::Bonferroni, Five, 20, 4},
    {"bonferroni_selected_pairs",
     PostTestMethod::Bonferroni,
     Five,
     20,
     4,
     AnovaDesign::Ordinary,
     {{0, 1}, {0, 4}, {2, 3}}},
    {"bonferroni_repeated_measures",
     PostTestMethod::Bonferroni,
     {{5, 5}, {7, 5}, {10, 5}},
     8,
     13.0L / 12,
     AnovaDesign::RepeatedMeasures},
    {"tukey_kramer", PostTestMethod::Tukey, Four, 16, 4},
    {"snk_1_2_10", PostTestMethod::StudentNewmanKeuls, {{10, 5}, {1, 5}, {2, 5}}, 12, 4},
    {"snk_nonsignificant_range", PostTestMethod::StudentNewmanKeuls, {{1, 5}, {2, 5}, {3, 5}, {10, 5}}, 16, 4},
    {"dunnett_df_4", PostTestMethod::Dunnett, {{10, 2}, {20, 3}, {13, 2}}, 4, 4},
    {"dunnett_df_5", PostTestMethod::Dunnett, {{10, 2}, {20, 3}, {13, 3}}, 5, 4, AnovaDesign::Ordinary, {}, 1},
    {"dunnett_control_outside_columns",
     PostTestMethod::Dunnett,
     {{10, 2}, {20, 3}, {13, 3}},
     5,
     4,
     AnovaDesign::Ordinary,
     {},
     7},
    // A: 3 5 4 6, B: 6 7 5 8 9, C: 9 8 11 12 (and D: 8 10 9 12 11).
    {"trend_3_columns",
     PostTestMethod::LinearTrend,
     {{4.5L, 4}, {7, 5}, {10, 4}},
     10,
     2.5L,
     AnovaDesign::Ordinary,
     {},
     0,
     {789.0L / 13, 25, 1114.0L / 13, 0, 2, 10, 12, 0, 2.5L}},
    {"trend_4_columns",
     PostTestMethod::LinearTrend,
     {{4.5L, 4}, {7, 5}, {9.5L, 4}, {10, 5}},
     14,
     30.0L / 14,
     AnovaDesign::Ordinary,
     {},
     0,
     {82.5L, 30, 112.5L, 0, 3, 14, 17, 0, 30.0L / 14}},
    // Means on a line whose decimals are not exact in binary: no nonlinear part.
    {"trend_means_on_a_line",
     PostTestMethod::LinearTrend,
     {{1.1L, 5}, {2.2L, 5}, {3.3L, 5}},
     12,
     0.5L,
     AnovaDesign::Ordinary,
     {},
     0,
     {12.1L, 6, 18.1L, 0, 2, 12, 14, 0, 0.5L}},
    {"trend_2_columns",
     PostTestMethod::LinearTrend,
     {{4.5L, 4}, {7, 5}},
     7,
     15.0L / 7,
     AnovaDesign::Ordinary,
     {},
     0,
     {125.0L / 9, 15, 260.0L / 9, 0, 1, 7, 8, 0, 15.0L / 7}},
    // Rows of A: 3 5 4 6 7, B: 6 7 5 8 9, C: 9 8 11 10 12 (and D: 8 9 8 12 11).
    {"trend_3_columns_repeated_measures",
     PostTestMethod::LinearTrend,
     {{5, 5}, {7, 5}, {10, 5}},
     8,
     13.0L / 12,
     AnovaDesign::RepeatedMeasures,
     {},
     0,
     {190.0L / 3, 26.0L / 3, 280.0L / 3, 64.0L / 3, 2, 8, 14, 4, 13.0L / 12}},
    {"trend_4_columns_repeated_measures",
     PostTestMethod::LinearTrend,
     {{5, 5}, {7, 5}, {10, 5}, {9.6L, 5}},
     12,
     11.9L / 12,
     AnovaDesign::RepeatedMeasures,
     {},
     0,
     {82.6L, 11.9L, 125.8L, 31.3L, 3, 12, 19, 4, 11.9L / 12}},
};

TEST(PostTests, SectionsMatchTheirGoldens)
{
    for (const Case& c : Cases) {
        SCOPED_TRACE(c.name);
        PostTestContext context{{}, c.df, c.ms, c.design};
        for (const auto& [mean, n] : c.columns) {
            core::ColumnRecord record;
            record.title = std::string(1, static_cast<char>('A' + context.columns.size()));
            record.mean = mean;
            record.n = n;
            context.columns.push_back(record);
        }
        PostTestChoice choice;
        choice.method = c.method;
        choice.controlColumn = c.control;
        choice.selectedPairsOnly = !c.pairs.empty();
        for (const auto& [i, j] : c.pairs)
            choice.selectedPairs[static_cast<size_t>(core::selectedPairIndex(i, j))] = true;
        ResultsBuffer out;
        std::feclearexcept(FE_ALL_EXCEPT);
        EXPECT_EQ(WritePostTest(out, context, choice, c.sums), 0);
        EXPECT_FALSE(std::fetestexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW));
        EXPECT_TRUE(ombrix::testing::matchesGolden(out.text(), std::string("post_tests/") + c.name + ".txt"));
    }
}

}  // namespace
}  // namespace ombrix::analyses
