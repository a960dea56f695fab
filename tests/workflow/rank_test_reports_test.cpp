#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>

#include "tests/support/golden_file.h"
#include "tests/workflow/report_fixture.h"

// The Wilcoxon and Mann-Whitney reports as the results step produces them,
// from typed data sets.
//
// Where the numbers in the golden files come from (R 4, checked line by line):
// - Signed rank statistics: rank(abs(d)) over the non-zero differences d.
//   Exact P: psignrank; with ties the program counts the integer ranks 1..n,
//   so P is 1 - psignrank(ceiling(T) - 1, n) with T the larger of T+ and |T-|.
// - Mann-Whitney: U, rank sums by rank(); exact P: pwilcox (as wilcox.test).
// - Approximate P: the normal approximation written out in R with the
//   program's continuity correction (0.5) and tie term, and pt(-|z|, 5000)
//   as the tail, since the program reads every normal deviate as t with 5000
//   degrees of freedom. wilcox.test's pnorm moves these P values only in the
//   fifth decimal or beyond.
// - Spearman r of the pairs: cor() of the ranks; its exact P counted in R
//   over all n! rankings, as the correlation defines it.
// - Column summaries: mean, sd, median of R; limits with the column
//   statistics' three-decimal critical t.
namespace ombrix::workflow::testing {
namespace {

constexpr const char* StudyTitle = "Rank test study";

struct ReportCase {
    const char* golden;
    std::function<void(ReportFixture&)> setUp;
};

void PrintTo(const ReportCase& c, std::ostream* os) { *os << c.golden; }

std::string caseName(const ::testing::TestParamInfo<ReportCase>& info)
{
    const std::string file = info.param.golden;
    return file.substr(0, file.find('.'));
}

void wilcoxon(ReportFixture& f, Real median, bool twoSided)
{
    f.dataSet->table.setTitle(StudyTitle);
    f.dataSet->choices.OneColNonParametric = true;
    f.dataSet->choices.HypotheticalChoice = 3;
    f.dataSet->choices.HypotheticalValue = median;
    f.dataSet->choices.OneColTwoSided = twoSided;
}

void rankTwoColumns(ReportFixture& f, bool paired, bool twoSided)
{
    f.dataSet->table.setTitle(StudyTitle);
    f.dataSet->choices.TwoColNonParametric = true;
    f.dataSet->choices.TwoColUnpaired = !paired;
    f.dataSet->choices.TwoColTwoSided = twoSided;
}

void weightGain(ReportFixture& f)
{
    f.column(0, {"12.1", "9.8", "15.3", "11.2", "8.7", "13.9", "14.6", "10.4", "16.8", "7.5"}, "Weight gain");
}

void controlAndTreated(ReportFixture& f)
{
    f.column(0, {"3.1", "4.7", "2.8", "5.2", "3.9", "4.4", "2.5"}, "Control");
    f.column(1, {"5.8", "4.9", "6.3", "3.6", "7.1", "5.5", "6.8", "4.2", "6.0"}, "Treated");
}

void beforeAndAfter(ReportFixture& f)
{
    f.column(0, {"142", "155", "128", "167", "139", "150", "171", "133", "160"}, "Before");
    f.column(1, {"135", "150", "130", "155", "139", "146", "158", "124", "149"}, "After");
}

const ReportCase Cases[] = {
    // T+ 44, T- -11; P = 2 * 54/1024.
    {"wilcoxon_exact_two_tailed.txt",
     [](ReportFixture& f) {
         wilcoxon(f, 10, true);
         weightGain(f);
     }},
    // Median 5: two zero differences, ties among the rest (tie term 42);
    // T+ 34.5, T- -20.5, P = 2 * 252/1024 from the integer ranks.
    {"wilcoxon_ties_and_zeros.txt",
     [](ReportFixture& f) {
         wilcoxon(f, 5, true);
         f.column(0, {"5", "7", "3", "8", "5", "2", "9", "7", "10", "1", "6", "4"}, "Score");
     }},
    // Five positive differences: P = 2/32, and 32 arrangements cannot give
    // a two-tailed P below 0.05.
    {"wilcoxon_five_values.txt",
     [](ReportFixture& f) {
         wilcoxon(f, 2, true);
         f.column(0, {"3.2", "4.1", "5.7", "2.9", "6.3"}, "Yield");
     }},
    // 32 non-zero differences: no exact P. T+ 292, T- -236, tie term 30,
    // one-tailed P 0.30354.
    {"wilcoxon_approximate_one_tailed.txt",
     [](ReportFixture& f) {
         wilcoxon(f, 50, false);
         f.column(0,
                  {"52.4", "47.9", "55.1", "38.7", "49.2", "50.0", "58.7", "53.3", "46.1", "57.8", "44.6",
                   "51.9", "36.8", "48.5", "56.4", "42.1", "52.4", "44.7", "60.1", "55.5", "43.8", "57.2",
                   "49.9", "41.4", "51.1", "54.0", "58.2", "45.3", "56.9", "53.0", "39.2", "52.4", "57.8"},
                  "Glucose");
     }},
    // Eight non-zero differences, one pair equal: T+ 35, T- -1, P = 2 * 2/256.
    // Spearman rs = 0.95 over 9 pairs, P = 2 * 64/9!.
    {"matched_pairs_exact.txt",
     [](ReportFixture& f) {
         rankTwoColumns(f, true, true);
         beforeAndAfter(f);
     }},
    // Five positive differences (P = 2/32, the few-pairs lines); rs = -0.2.
    {"matched_pairs_five_pairs.txt",
     [](ReportFixture& f) {
         rankTwoColumns(f, true, true);
         f.column(0, {"10", "12", "9", "14", "11"}, "Left");
         f.column(1, {"4", "9", "8", "3", "2"}, "Right");
     }},
    // Every decimal difference is 0.1, though the binary ones differ in
    // their last bits: the differences are all equal (code 41), as the
    // paired t test finds them (t_test_paired_zero_sd).
    {"matched_pairs_equal_differences.txt",
     [](ReportFixture& f) {
         rankTwoColumns(f, true, true);
         f.column(0, {"1.3", "2.4", "5.6", "7.7"}, "Morning");
         f.column(1, {"1.2", "2.3", "5.5", "7.6"}, "Evening");
     }},
    // 1E2470 and beyond: ranks as for 1..6, U 0, P = 2/20; the summary's
    // SDs are 1E2470 and 1E2500 (sd(c(1, 2, 3))), SEMs 0.57735 times them.
    {"mann_whitney_near_range_top.txt",
     [](ReportFixture& f) {
         rankTwoColumns(f, false, true);
         f.column(0, {"1E2470", "2E2470", "3E2470"}, "Small");
         f.column(1, {"1E2500", "2E2500", "3E2500"}, "Large");
     }},
    // U 8 of 63, exact P = 2 * pwilcox(8, 7, 9) = 0.011538.
    {"mann_whitney_exact.txt",
     [](ReportFixture& f) {
         rankTwoColumns(f, false, true);
         controlAndTreated(f);
     }},
    // Ties (tie term 66): U 3, one-tailed approximate P 0.0021031.
    {"mann_whitney_ties_one_tailed.txt",
     [](ReportFixture& f) {
         rankTwoColumns(f, false, false);
         f.column(0, {"3", "5", "2", "4", "4", "6", "3", "5"}, "Placebo");
         f.column(1, {"6", "7", "5", "8", "6", "9", "7"}, "Drug");
     }},
    // C(6, 3) = 20 subsets: U 0 gives the smallest two-tailed P, 2/20.
    {"mann_whitney_three_and_three.txt",
     [](ReportFixture& f) {
         rankTwoColumns(f, false, true);
         f.column(0, {"1.2", "3.4", "2.2"}, "Low");
         f.column(1, {"4.1", "5.0", "3.9"}, "High");
     }},
    // C(40, 20) subsets are too many: U 65, approximate two-tailed P 0.00027728.
    {"mann_whitney_too_many_subsets.txt",
     [](ReportFixture& f) {
         rankTwoColumns(f, false, true);
         f.column(0, {"11.2", "13.5", "9.8", "14.1", "12.7", "10.4", "15.3", "12.2", "8.9", "13.0",
                      "11.8", "14.6", "10.9", "12.9", "9.3", "16.2", "11.5", "13.8", "10.1", "12.4"},
                  "Male");
         f.column(1, {"13.7", "15.9", "12.1", "16.8", "14.4", "17.5", "13.2", "15.1", "18.3", "14.9",
                      "12.6", "16.4", "15.6", "13.9", "17.1", "14.2", "16.0", "11.1", "15.4", "14.7"},
                  "Female");
     }},
};

class RankTestReports : public ::testing::TestWithParam<ReportCase> {};

TEST_P(RankTestReports, MatchesGolden)
{
    ReportFixture f;
    GetParam().setUp(f);
    const std::string report = f.calculate();
    EXPECT_TRUE(ombrix::testing::matchesGolden(report, std::string("reports/") + GetParam().golden));
}

INSTANTIATE_TEST_SUITE_P(Columns, RankTestReports, ::testing::ValuesIn(Cases), caseName);

class FakeClock final : public Clock {
public:
    std::int64_t now = 0;
    std::int64_t milliseconds() override { return now; }
};

// A user who presses the cancel button once the trigger message is shown,
// a second after each event round, so that the next progress call sees it.
class CancellingUser final : public StatusView {
public:
    CancellingUser(FakeClock& clock, CalculationProgress& progress, std::string_view trigger)
        : m_clock(clock), m_progress(progress), m_trigger(trigger)
    {
    }

    void showMessage(std::string_view text) override { m_armed = m_armed || text == m_trigger; }
    void processPendingEvents() override
    {
        if (!m_armed)
            return;
        m_clock.now += 1000;
        m_progress.requestCancel();
    }

private:
    FakeClock& m_clock;
    CalculationProgress& m_progress;
    std::string m_trigger;
    bool m_armed = false;
};

struct CancelCase {
    const char* golden;
    std::function<void(ReportFixture&)> setUp;
    std::string_view trigger;
};

void PrintTo(const CancelCase& c, std::ostream* os) { *os << c.golden; }

// Cancel while the differences are ranked, the values counted, or the
// pairs correlated: the report is the line "Interrupted" under the title.
const CancelCase CancelCases[] = {
    {"wilcoxon_interrupted.txt",
     [](ReportFixture& f) {
         wilcoxon(f, 10, true);
         weightGain(f);
     },
     analyses::WilcoxonStatusMessage},
    {"mann_whitney_interrupted.txt",
     [](ReportFixture& f) {
         rankTwoColumns(f, false, true);
         controlAndTreated(f);
     },
     analyses::MannWhitneyStatusMessage},
    {"matched_pairs_interrupted.txt",
     [](ReportFixture& f) {
         rankTwoColumns(f, true, true);
         beforeAndAfter(f);
     },
     analyses::SpearmanStatusMessage},
};

class RankTestCancelled : public ::testing::TestWithParam<CancelCase> {};

TEST_P(RankTestCancelled, MatchesGolden)
{
    ReportFixture f;
    GetParam().setUp(f);
    FakeClock clock;
    CalculationProgress progress(clock);
    CancellingUser user(clock, progress, GetParam().trigger);
    f.dataSet->markChanged();
    CalculationTarget target{f.results, f.regression, progress, &user};
    ASSERT_EQ(Calculate(*f.dataSet, target), CalculateOutcome::Calculated);
    EXPECT_TRUE(ombrix::testing::matchesGolden(f.results.text(), std::string("reports/") + GetParam().golden));
    EXPECT_FALSE(progress.calculating());
}

INSTANTIATE_TEST_SUITE_P(Columns, RankTestCancelled, ::testing::ValuesIn(CancelCases),
                         [](const ::testing::TestParamInfo<CancelCase>& info) {
                             const std::string file = info.param.golden;
                             return file.substr(0, file.find('.'));
                         });

}  // namespace
}  // namespace ombrix::workflow::testing
