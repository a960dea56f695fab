#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "analyses/progress_reporter.h"
#include "analyses/report_chars.h"
#include "tests/support/fakes.h"
#include "tests/support/golden_file.h"
#include "workflow/dispatcher.h"
#include "workflow/document_io.h"

// Reports as the results step produces them, from the data files under
// tests/fixtures/reports (panel/: the user acts at the status panel;
// pairing/: the paired t test's pairing check). Each file's notes say where
// the numbers of its expected report (tests/golden/reports/<name>.txt) come
// from; a new case is a data file saved by the program with its sources in
// the notes, and a golden file checked line by line against them.
namespace ombrix::workflow {
namespace {

using ombrix::testing::FakeClock;
using ombrix::testing::FakeView;

const std::string Fixtures = std::string(OMBRIX_TEST_DATA_DIR) + "/fixtures/reports/";

// What the user does at the status panel once the trigger message is shown,
// at every event round: press Cancel a second later, or let a hundred
// seconds pass (a machine so slow that the estimate runs past ten minutes).
enum class Action { None, Cancel, Wait };

struct PanelCase {
    const char* name;
    std::string_view trigger;
    Action action;
};

// Opens a fixture as the Open command does and calculates it as the results
// step does.
std::string reportOf(const std::string& path, const PanelCase& user = {"", "", Action::None})
{
    core::OpenResult opened = openDocument(path);
    EXPECT_TRUE(opened.dataSet) << path << ": " << opened.message;
    if (!opened.dataSet)
        return {};
    analyses::ResultsBuffer results;
    analyses::RegressionForGraph regression;
    FakeClock clock;
    FakeView view(clock);
    CalculationProgress progress(clock);
    bool armed = false;
    view.onEvents = [&] {
        armed = armed || view.message == user.trigger;
        if (armed && user.action == Action::Cancel) {
            clock.now += 1000;
            progress.requestCancel();
        } else if (armed) {
            clock.now += 100000;
        }
    };
    CalculationTarget target{results, regression, progress, user.action == Action::None ? nullptr : &view};
    EXPECT_EQ(Calculate(*opened.dataSet, target), CalculateOutcome::Calculated) << path;
    EXPECT_FALSE(progress.calculating());
    return std::string(results.text());
}

class ReportFixture : public ::testing::TestWithParam<std::string> {};

TEST_P(ReportFixture, MatchesGolden)
{
    EXPECT_TRUE(
        ombrix::testing::matchesGolden(reportOf(Fixtures + GetParam() + ".OXD"), "reports/" + GetParam() + ".txt"));
}

INSTANTIATE_TEST_SUITE_P(Reports, ReportFixture, ::testing::ValuesIn(ombrix::testing::dataFileNames(Fixtures)),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

// Cancel while the data are ranked, counted or correlated gives the line
// "Interrupted" under the title; cancel or a too long estimate during an
// exact count (Spearman, Kruskal-Wallis, Friedman) falls back to the
// approximation and says so.
const PanelCase PanelCases[] = {
    {"wilcoxon_interrupted", analyses::WilcoxonStatusMessage, Action::Cancel},
    {"mann_whitney_interrupted", analyses::MannWhitneyStatusMessage, Action::Cancel},
    {"matched_pairs_interrupted", analyses::SpearmanStatusMessage, Action::Cancel},
    {"spearman_interrupted", analyses::SpearmanStatusMessage, Action::Cancel},
    {"spearman_cancelled_eleven", analyses::ExactPStatusMessage, Action::Cancel},
    {"spearman_cancelled_eight", analyses::ExactPStatusMessage, Action::Cancel},
    {"spearman_too_long_twelve", analyses::ExactPStatusMessage, Action::Wait},
    {"kw_ranking_interrupted", analyses::KruskalWallisStatusMessage, Action::Cancel},
    {"kw_exact_cancelled", analyses::ExactPStatusMessage, Action::Cancel},
    {"friedman_ranking_interrupted", analyses::FriedmanStatusMessage, Action::Cancel},
    {"friedman_exact_cancelled", analyses::ExactPStatusMessage, Action::Cancel},
    {"kw_exact_too_long", analyses::ExactPStatusMessage, Action::Wait},
};

class UserAtThePanel : public ::testing::TestWithParam<PanelCase> {};

TEST_P(UserAtThePanel, MatchesGolden)
{
    const std::string name = GetParam().name;
    EXPECT_TRUE(ombrix::testing::matchesGolden(reportOf(Fixtures + "panel/" + name + ".OXD", GetParam()),
                                               "reports/" + name + ".txt"));
}

INSTANTIATE_TEST_SUITE_P(Reports, UserAtThePanel, ::testing::ValuesIn(PanelCases),
                         [](const ::testing::TestParamInfo<PanelCase>& info) { return std::string(info.param.name); });

// A golden report whose data file went missing would never be compared.
TEST(ReportFixture, EveryGoldenReportHasItsDataFile)
{
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(OMBRIX_TEST_DATA_DIR) + "/golden/reports")) {
        const std::string name = entry.path().stem().string() + ".OXD";
        EXPECT_TRUE(std::filesystem::exists(Fixtures + name) || std::filesystem::exists(Fixtures + "panel/" + name))
            << name;
    }
}

// The branches of the paired t test's pairing check that no golden report
// reaches: the lines under its heading, up to the next heading.
TEST(PairedTTestReport, PairingSection)
{
    const struct {
        const char* name;
        const char* lines;
    } cases[] = {
        {"negative_r", "Correlation coefficient (r) = -0.9756\r\nThe negative correlation coefficient indicates "
                       "that the pairing or\r\nmatching was NOT effective.\r\n\r\n"},
        {"three_pairs", "There are too few pairs to calculate r.\r\n\r\n"},
        {"constant_column", "Can't calculate r. One group has no variability.\r\n\r\n"},
        {"constant_paired_values", "Can't calculate r. One group has no variability.\r\n\r\n"},
    };
    const std::string heading = "Assumption test: Was the pairing effective?\r\n";
    for (const auto& c : cases) {
        const std::string plain = analyses::stripMarks(reportOf(Fixtures + "pairing/" + c.name + ".OXD"));
        const std::size_t start = plain.find(heading);
        ASSERT_NE(start, std::string::npos) << c.name;
        const std::size_t end = plain.find("Assumption test:", start + heading.size());
        EXPECT_EQ(plain.substr(start + heading.size(), end - start - heading.size()), c.lines) << c.name;
    }
}

}  // namespace
}  // namespace ombrix::workflow
