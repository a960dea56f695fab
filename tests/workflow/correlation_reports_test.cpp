#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/golden_file.h"
#include "tests/workflow/report_fixture.h"

// The Pearson and Spearman reports as the results step produces them for XY
// data, from typed data sets.
//
// Where the numbers in the golden files come from (R 4, checked line by line):
// - r, rs and the P values: cor.test() with method "pearson" or "spearman";
//   rs is cor(rank(x), rank(y)), which is the tie-corrected formula. The
//   approximate Spearman P is cor.test(exact = FALSE), the same t with n - 2
//   df. The program's t probability has a 3e-7 relative tolerance, far below
//   the fourth decimal printed.
// - Exact Spearman P: cor.test(exact = TRUE) for untied data up to 9 pairs
//   (an enumeration in R there); with ties, an enumeration of all n!
//   orderings written in R with the same extreme rule (sum of squared
//   differences at least trunc(S (1 + |rs|))); for 12 pairs an R
//   transcription of the subset count, checked against that enumeration for
//   n <= 9. (cor.test's "exact" P for 10 or more pairs is an Edgeworth
//   series, not a count, and is not used.)
// - 95% limits: tanh(atanh(r) -+ z sqrt(1 / (n - 3))), for Spearman
//   sqrt(1.06 / (n - 3)), with z = 1.96044921875, the program's bisection
//   for the normal deviate on t with 5000 df, reproduced with pt(); cor.test's
//   conf.int uses qnorm(0.975) and differs in the fourth decimal.
namespace ombrix::workflow::testing {
namespace {

using core::DataFormat;

struct ReportCase {
    const char* golden;
    std::function<void(ReportFixture&)> setUp;
};

void PrintTo(const ReportCase& c, std::ostream* os) { *os << c.golden; }

using core::XYTest;

void xy(ReportFixture& f, XYTest test)
{
    f.dataSet->format = DataFormat::XY;
    f.dataSet->choices.XYTest = test;
    f.dataSet->choices.DoRegression = false;
}

// Seven untied pairs: rs = 0.7143, exact P 0.0881 (R exact), approximate
// P 0.0713.
void sevenPairs(ReportFixture& f)
{
    f.column(0, {"3.1", "4.5", "2.2", "6.8", "5.0", "7.7", "1.9"}, "Dose");
    f.column(1, {"10.2", "14.1", "9.8", "15.5", "11.0", "20.3", "12.4"}, "Response");
}

// Eight pairs: rs = 0.8095, exact P 0.0218, approximate P 0.0149.
void eightPairs(ReportFixture& f)
{
    f.column(0, {"1.1", "2.3", "3.0", "4.8", "5.2", "6.6", "7.1", "8.4"});
    f.column(1, {"5", "3", "6", "4", "8", "9", "7", "10"});
}

// Eleven pairs: rs = 0.7909, limits 0.34543 to 0.94549, approximate P
// 0.0037 (exact 0.0055).
void elevenPairs(ReportFixture& f)
{
    f.column(0, {"2.5", "3.9", "1.2", "5.5", "4.4", "7.1", "6.3", "8.8", "9.0", "10.4", "11.7"});
    f.column(1, {"30", "28", "25", "35", "41", "33", "45", "38", "50", "47", "44"});
}

// Twelve pairs: rs = 0.8462, limits 0.51510 to 0.95752, exact P 0.000945,
// approximate P 0.000521.
void twelvePairs(ReportFixture& f)
{
    f.column(0, {"5.2", "3.3", "8.1", "6.0", "2.4", "7.7", "9.9", "1.5", "4.6", "10.8", "6.6", "3.9"});
    f.column(1, {"14", "11", "19", "12", "9", "21", "20", "8", "15", "23", "13", "16"});
}

const std::vector<ReportCase> ReportCases = {
    // r = 0.96169, r2 = 0.92485, limits 0.79733 to 0.99326, P 0.000137.
    {"pearson_eight_points.txt",
     [](ReportFixture& f) {
         xy(f, XYTest::Pearson);
         f.dataSet->table.setTitle("Growth against temperature");
         f.column(0, {"1.2", "2.5", "3.1", "4.8", "5.0", "6.7", "7.3", "8.9"});
         f.column(1, {"2.3", "2.9", "4.1", "4.0", "6.2", "6.8", "7.9", "8.4"});
     }},
    // Y in two replicate columns with holes, and a row without X: the pairs
    // are (1, 10.5) (1, 11.2) (2, 12.1) (3, 14.0) (4, 15.3) (4, 16.8)
    // (5, 20.2) (5, 18.9). r = 0.97108, r2 = 0.94300, limits 0.84380 to
    // 0.99493, P 5.9e-5.
    {"pearson_replicates.txt",
     [](ReportFixture& f) {
         xy(f, XYTest::Pearson);
         f.column(0, {"1", "2", "3", "", "4", "5"});
         f.column(1, {"10.5", "12.1", "", "99", "15.3", "20.2"});
         f.column(2, {"11.2", "", "14.0", "99", "16.8", "18.9"});
     }},
    // r = 0.94272, r2 = 0.88872, P 0.2165; no interval with 3 points.
    {"pearson_three_points.txt",
     [](ReportFixture& f) {
         xy(f, XYTest::Pearson);
         f.column(0, {"1", "2", "3"});
         f.column(1, {"2.0", "4.5", "5.1"});
     }},
    // Hand: Y = 10 - 2X exactly, r = -1; Fisher's z is infinite, so both
    // limits are -1, and SE = 0 gives P = 0.
    {"pearson_perfect_negative.txt",
     [](ReportFixture& f) {
         xy(f, XYTest::Pearson);
         f.column(0, {"1", "2", "3", "4", "5"});
         f.column(1, {"8", "6", "4", "2", "0"});
     }},
    {"spearman_exact_seven.txt",
     [](ReportFixture& f) {
         xy(f, XYTest::Spearman);
         f.dataSet->table.setTitle("Rank agreement");
         sevenPairs(f);
     }},
    // rs = 0.8, exact P 1/3; too few pairs for any P below 0.05.
    {"spearman_four_points.txt",
     [](ReportFixture& f) {
         xy(f, XYTest::Spearman);
         f.column(0, {"1", "2", "3", "4"});
         f.column(1, {"1.5", "1.2", "3.3", "4.1"});
     }},
    // Ties in X and Y: rs = 0.94489 corrected for ties; exact P over the 9!
    // orderings of untied ranks 0.000353.
    {"spearman_exact_ties.txt",
     [](ReportFixture& f) {
         xy(f, XYTest::Spearman);
         f.column(0, {"1", "2", "2", "3", "4", "4", "4", "5", "6"});
         f.column(1, {"2.1", "3.5", "2.9", "4.4", "5.0", "4.8", "6.1", "5.9", "7.2"});
     }},
    // The largest exact case: interval and exact P together.
    {"spearman_exact_twelve.txt",
     [](ReportFixture& f) {
         xy(f, XYTest::Spearman);
         twelvePairs(f);
     }},
    // Thirteen pairs: no exact attempt. rs = 0.86813, limits 0.59616 to
    // 0.96137, approximate P 0.000119.
    {"spearman_too_long_thirteen.txt",
     [](ReportFixture& f) {
         xy(f, XYTest::Spearman);
         f.column(0, {"2.5", "3.9", "1.2", "5.5", "4.4", "7.1", "6.3", "8.8", "9.0", "10.4", "11.7", "12.2",
                      "13.6"});
         f.column(1, {"30", "28", "25", "35", "41", "33", "45", "38", "50", "47", "44", "55", "52"});
     }},
};

class CorrelationReport : public ::testing::TestWithParam<ReportCase> {};

TEST_P(CorrelationReport, MatchesGolden)
{
    ReportFixture f;
    GetParam().setUp(f);
    EXPECT_TRUE(ombrix::testing::matchesGolden(f.calculate(), std::string("reports/") + GetParam().golden));
}

INSTANTIATE_TEST_SUITE_P(XY, CorrelationReport, ::testing::ValuesIn(ReportCases),
                         [](const ::testing::TestParamInfo<ReportCase>& info) {
                             std::string name(info.param.golden);
                             name = name.substr(0, name.find('.'));
                             return name;
                         });

class FakeClock final : public Clock {
public:
    std::int64_t now = 0;
    std::int64_t milliseconds() override { return now; }
};

// A user at the status panel: once the trigger message is up, every event
// round either presses the cancel button a second later, or lets a hundred
// seconds pass (a machine so slow that the estimate runs past ten minutes).
class UserAtThePanel final : public StatusView {
public:
    enum class Action { Cancel, Wait };

    UserAtThePanel(FakeClock& clock, CalculationProgress& progress, std::string_view trigger, Action action)
        : m_clock(clock), m_progress(progress), m_trigger(trigger), m_action(action)
    {
    }

    void showMessage(std::string_view text) override { m_armed = m_armed || text == m_trigger; }
    void processPendingEvents() override
    {
        if (!m_armed)
            return;
        if (m_action == Action::Cancel) {
            m_clock.now += 1000;
            m_progress.requestCancel();
        } else {
            m_clock.now += 100000;
        }
    }

private:
    FakeClock& m_clock;
    CalculationProgress& m_progress;
    std::string m_trigger;
    Action m_action;
    bool m_armed = false;
};

struct PanelCase {
    const char* golden;
    std::function<void(ReportFixture&)> data;
    std::string_view trigger;
    UserAtThePanel::Action action;
};

void PrintTo(const PanelCase& c, std::ostream* os) { *os << c.golden; }

const std::vector<PanelCase> PanelCases = {
    // Cancel during the exact count of 11 pairs: interval, approximate P
    // 0.0037 and the interrupted line.
    {"spearman_cancelled_eleven.txt", elevenPairs, analyses::ExactPStatusMessage, UserAtThePanel::Action::Cancel},
    // Cancel with 8 pairs: no P value at all, only the "not enough points" lines.
    {"spearman_cancelled_eight.txt", eightPairs, analyses::ExactPStatusMessage, UserAtThePanel::Action::Cancel},
    // The estimate passes ten minutes with 12 pairs: approximate P 0.0005
    // and the "too long" lines.
    {"spearman_too_long_twelve.txt", twelvePairs, analyses::ExactPStatusMessage, UserAtThePanel::Action::Wait},
    // Cancel while the rows are read: only "Interrupted" under the title.
    {"spearman_interrupted.txt",
     [](ReportFixture& f) {
         f.dataSet->table.setTitle("Rank agreement");
         sevenPairs(f);
     },
     analyses::SpearmanStatusMessage, UserAtThePanel::Action::Cancel},
};

class SpearmanAtThePanel : public ::testing::TestWithParam<PanelCase> {};

TEST_P(SpearmanAtThePanel, MatchesGolden)
{
    ReportFixture f;
    xy(f, XYTest::Spearman);
    GetParam().data(f);
    FakeClock clock;
    CalculationProgress progress(clock);
    UserAtThePanel user(clock, progress, GetParam().trigger, GetParam().action);
    f.dataSet->markChanged();
    CalculationTarget target{f.results, f.regression, progress, &user};
    ASSERT_EQ(Calculate(*f.dataSet, target), CalculateOutcome::Calculated);
    EXPECT_TRUE(ombrix::testing::matchesGolden(f.results.text(), std::string("reports/") + GetParam().golden));
}

INSTANTIATE_TEST_SUITE_P(XY, SpearmanAtThePanel, ::testing::ValuesIn(PanelCases),
                         [](const ::testing::TestParamInfo<PanelCase>& info) {
                             std::string name(info.param.golden);
                             name = name.substr(0, name.find('.'));
                             return name;
                         });

struct RefusedCase {
    const char* name;
    XYTest test;
    std::vector<std::vector<const char*>> columns;
    std::vector<std::string> message;
};

// The data conditions replace the report by their fixed message.
TEST(CorrelationReport, RefusedDataGiveTheirMessage)
{
    const std::vector<RefusedCase> cases = {
        {"no pair", XYTest::Pearson, {{"1", "2", ""}, {"", "", "5"}}, {"No data to perform correlation test."}},
        {"no pair", XYTest::Spearman, {{"1", "2", ""}, {"", "", "5"}}, {"No data to perform correlation test."}},
        {"one x", XYTest::Pearson, {{"2", "2", "2"}, {"1", "2", "3"}},
         {"Points have only one x-value.  The slope is infinite."}},
        {"one x", XYTest::Spearman, {{"2", "2", "2"}, {"1", "2", "3"}},
         {"Points have only one x-value.  The slope is infinite."}},
        {"one y", XYTest::Pearson, {{"1", "2", "3"}, {"4", "4", "4"}},
         {"Points have only one y-value.  The slope is zero."}},
        {"one y", XYTest::Spearman, {{"1", "2", "3"}, {"4", "4", "4"}},
         {"Points have only one y-value.  The slope is zero."}},
        {"two points", XYTest::Pearson, {{"1", "2"}, {"4", "3"}},
         {"Linear correlation requires at least three points."}},
    };
    for (const RefusedCase& c : cases) {
        SCOPED_TRACE(std::string(c.name) + (c.test == XYTest::Pearson ? " (Pearson)" : " (Spearman)"));
        ReportFixture f;
        xy(f, c.test);
        f.dataSet->table.setTitle("Discarded with the report");
        for (std::size_t column = 0; column < c.columns.size(); ++column) {
            int row = 0;
            for (const char* cell : c.columns[column])
                core::enterCellText(*f.dataSet, row++, static_cast<int>(column), cell, '.', nullptr);
        }
        f.calculate();
        EXPECT_EQ(f.results.line(0), "");
        for (std::size_t i = 0; i < c.message.size(); ++i)
            EXPECT_EQ(f.results.line(static_cast<int>(i) + 1), c.message[i]);
        EXPECT_EQ(f.results.line(static_cast<int>(c.message.size()) + 1), "");
    }
}

}  // namespace
}  // namespace ombrix::workflow::testing
