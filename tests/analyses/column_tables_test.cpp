#include "analyses/column_tables.h"

#include <gtest/gtest.h>

#include "analyses/report_chars.h"
#include "tests/support/golden_file.h"

namespace ombrix::analyses {
namespace {

using testing::matchesGolden;

// Two raw columns and one typed as mean, SD and N, with the statistics as the
// column statistics would leave them. Fields: title, N, mean, SD, SEM,
// minimum, maximum, median, upper and lower 95% limits, KS, its P, passed.
std::vector<ColumnSummary> threeColumns()
{
    constexpr Real M = MissingValue;
    return {
        {{"Control", 7, 4.742857142857L, 3.650962038905L, 1.379933943011L, 1.9L, 12.5L, 3.4L, 8.119555501406L,
          1.366158784308L, 0.2643405997L, 0.2L, true},
         false},
        {{"Treated", 4, 2.5L, 1.290994448736L, 0.645497224368L, 1, 4, 2.5L, 4.5541922399L, 0.4458077601L, M, M, false},
         false},
        {{"Column C", 12, 10, 4, 1.154700538379L, M, M, M, 12.54146L, 7.45854L, M, M, false}, true},
    };
}

TEST(ColumnTables, SummaryAndConfidenceTables)
{
    ResultsBuffer out;
    ASSERT_TRUE(WriteColumnSummaryTable(out, threeColumns()));
    EXPECT_TRUE(matchesGolden(out.text(), "column_summary_table.txt"));
}

TEST(ColumnTables, NormalityTable)
{
    ResultsBuffer out;
    auto columns = threeColumns();
    ColumnSummary failing = columns[0];
    failing.record.title = "Skewed";
    failing.record.normalityStatistic = 0.504406L;
    failing.record.normalityP = 0.0000048L;
    failing.record.passedNormality = false;
    columns.push_back(failing);
    ColumnSummary borderline = columns[0];
    borderline.record.title = "Borderline";
    borderline.record.normalityP = 0.05L;
    borderline.record.passedNormality = false;
    columns.push_back(borderline);
    ColumnSummary empty;
    empty.record.title = "Empty";
    columns.push_back(empty);
    WriteNormalityTable(out, columns);
    EXPECT_TRUE(matchesGolden(out.text(), "column_normality_table.txt"));
    EXPECT_EQ(out.text().find("Empty"), std::string_view::npos);
}

TEST(ColumnTables, NonparametricSummaryAndParameterBlock)
{
    ResultsBuffer out;
    const auto columns = threeColumns();
    WriteNonparametricSummaryTable(out, columns);
    out.NewLine();
    WriteParameterBlock(out, &columns[0].record, &columns[1].record, &columns[2].record);
    out.NewLine();
    core::ColumnRecord none;
    WriteParameterBlock(out, &columns[0].record, &none, &columns[2].record);
    EXPECT_TRUE(matchesGolden(out.text(), "column_nonparametric_and_parameters.txt"));
}

}  // namespace
}  // namespace ombrix::analyses
