#include "analyses/repeated_measures.h"

#include <gtest/gtest.h>

#include <string>

#include "analyses/report_writers.h"
#include "core/oxd_file.h"
#include "tests/support/golden_file.h"

// Repeated-measures reports from the data files under
// tests/fixtures/repeated_measures, each compared with its expected report
// (tests/golden/repeated_measures/<name>.txt); every file's notes say where
// the expected numbers come from.
namespace ombrix::analyses {
namespace {

const std::string Fixtures = std::string(OMBRIX_TEST_DATA_DIR) + "/fixtures/repeated_measures/";

// The table and choices as the calculation hands them on: every column with
// data selected and mapped, read in analysis mode.
std::string reportOf(const std::string& path)
{
    core::OpenResult opened = core::openDataFile(path);
    EXPECT_TRUE(opened.dataSet) << path << ": " << opened.message;
    if (!opened.dataSet)
        return {};
    DataTable table = opened.dataSet->table;
    table.selectAllColumnsWithData();
    table.setAnalysisMode(true);
    table.buildColumnMap();
    MultiColumnTestInput input;
    input.ordinary = false;
    input.postTestMethod = opened.dataSet->choices.PostTestMethod;
    input.postTestState = opened.dataSet->choices.PostTestState;
    ResultsBuffer results;
    WriteReport(results, table.title(), [&](ResultsBuffer& out) { return RepeatedMeasuresAnova(table, input, out); });
    return std::string(results.text());
}

class RepeatedMeasuresFixture : public ::testing::TestWithParam<std::string> {};

TEST_P(RepeatedMeasuresFixture, MatchesGolden)
{
    EXPECT_TRUE(ombrix::testing::matchesGolden(reportOf(Fixtures + GetParam() + ".OXD"),
                                               "repeated_measures/" + GetParam() + ".txt"));
}

INSTANTIATE_TEST_SUITE_P(Reports, RepeatedMeasuresFixture,
                         ::testing::ValuesIn(ombrix::testing::dataFileNames(Fixtures)),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
}  // namespace ombrix::analyses
