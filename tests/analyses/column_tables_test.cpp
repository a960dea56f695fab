#include "analyses/column_tables.h"

#include <gtest/gtest.h>

#include "analyses/report_chars.h"
#include "tests/support/golden_file.h"

namespace ombrix::analyses {
namespace {

using testing::matchesGolden;

// Two raw columns and one typed as mean, SD and N, with the statistics as the
// column statistics would leave them.
std::vector<ColumnSummary> threeColumns()
{
    ColumnSummary control;
    control.record.title = "Control";
    control.record.n = 7;
    control.record.mean = 4.742857142857L;
    control.record.sd = 3.650962038905L;
    control.record.sem = 1.379933943011L;
    control.record.median = 3.4L;
    control.record.minimum = 1.9L;
    control.record.maximum = 12.5L;
    control.record.lower95 = 1.366158784308L;
    control.record.upper95 = 8.119555501406L;
    control.record.normalityStatistic = 0.2643405997L;
    control.record.normalityP = 0.2L;
    control.record.passedNormality = true;

    ColumnSummary treated;
    treated.record.title = "Treated";
    treated.record.n = 4;
    treated.record.mean = 2.5L;
    treated.record.sd = 1.290994448736L;
    treated.record.sem = 0.645497224368L;
    treated.record.median = 2.5L;
    treated.record.minimum = 1;
    treated.record.maximum = 4;
    treated.record.lower95 = 0.4458077601L;
    treated.record.upper95 = 4.5541922399L;

    ColumnSummary typed;
    typed.meanEntry = true;
    typed.record.title = "Column C";
    typed.record.n = 12;
    typed.record.mean = 10;
    typed.record.sd = 4;
    typed.record.sem = 1.154700538379L;
    typed.record.lower95 = 7.45854L;
    typed.record.upper95 = 12.54146L;
    return {control, treated, typed};
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
