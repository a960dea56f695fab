#include "graphs/chart_model.h"

#include <gtest/gtest.h>

#include <cmath>

#include "analyses/column_statistics.h"

namespace ombrix::graphs {
namespace {

using core::DataFormat;

core::DataSet dataSetOf(DataFormat format, std::initializer_list<std::initializer_list<Real>> columns)
{
    core::DataSet d;
    d.chooseFormat(format);
    d.table.setTitle("Trial");
    int c = 0;
    for (const auto& values : columns) {
        int row = 0;
        for (const Real x : values)
            d.table.setValue(row++, c, x);
        ++c;
    }
    analyses::UpdateColumnStatistics(d.table);
    d.table.selectAllColumnsWithData();
    return d;
}

// Column means: a bar per selected column with values, labelled by its
// letter, with the SD or SEM as its error; a column of one value gets an
// error of 0; four bars keep the wide margins, five the narrow ones.
TEST(ChartModel, ColumnMeans)
{
    core::DataSet four = dataSetOf(DataFormat::Raw, {{1, 3}, {2, 4, 6}, {}, {5}, {7, 9}});
    four.table.setSelected(2, true);  // selected but empty: no bar
    Chart chart = buildChart(four, {}, {});
    EXPECT_EQ(chart.title, (std::vector<std::string>{"Trial", "Mean and Standard Deviation"}));
    ASSERT_EQ(chart.series.size(), 1u);
    const auto& bars = chart.series[0].points;
    ASSERT_EQ(bars.size(), 4u);
    EXPECT_EQ(bars[1].label, "B");
    EXPECT_EQ(bars[1].y, 4);
    EXPECT_NEAR(bars[1].error, 2, 1e-15L);  // SD of 2, 4, 6
    EXPECT_EQ(bars[2].label, "D");
    EXPECT_EQ(bars[2].error, 0);
    EXPECT_EQ(chart.leftMargin, 150);
    EXPECT_EQ(chart.rightMargin, 150);

    core::DataSet five = dataSetOf(DataFormat::Raw, {{1, 3}, {2, 4, 6}, {8, 9}, {5}, {7, 9}});
    five.choices.ShowSD = false;
    chart = buildChart(five, {}, {});
    EXPECT_EQ(chart.title[1], "Mean and Standard Error");
    EXPECT_NEAR(chart.series[0].points[1].error, 2 / std::sqrt(3.0L), 1e-15L);
    EXPECT_EQ(chart.leftMargin, 50);
    EXPECT_EQ(chart.rightMargin, 80);
}

// The two-by-two bars in both orientations, with the default titles.
TEST(ChartModel, TwoByTwo)
{
    core::DataSet d;
    d.chooseFormat(DataFormat::TwoByTwo);
    d.twoByTwo.counts = {3, 1, 1, 3};
    d.twoByTwo.titles[core::TwoByTwoRecord::Row1] = "Milk";
    Chart chart = buildChart(d, {ContingencyOrientation::Columns}, {});
    EXPECT_EQ(chart.title[1], "Column Totals");
    EXPECT_EQ(chart.series[0].points[0].label, "Column A");
    EXPECT_EQ(chart.series[0].points[1].y, 3);  // D
    EXPECT_EQ(chart.legend[0].text, "Milk");
    EXPECT_EQ(chart.legend[1].text, "Bottom row");
    chart = buildChart(d, {ContingencyOrientation::Rows}, {});
    EXPECT_EQ(chart.bottomAxisTitle, "Rows");
    EXPECT_EQ(chart.series[0].points[1].label, "Bottom row");
    EXPECT_EQ(chart.series[1].points[0].y, 1);  // B
    EXPECT_EQ(chart.legend[0].text, "Column B");
}

// A larger table's column of zeros gets no bar.
TEST(ChartModel, LargerTableTotals)
{
    const core::DataSet d = dataSetOf(DataFormat::LargerTable, {{1, 2}, {0, 0}, {3, 4}});
    const Chart chart = buildChart(d, {}, {});
    ASSERT_EQ(chart.series[0].points.size(), 2u);
    EXPECT_EQ(chart.series[0].points[1].label, "C");
    EXPECT_EQ(chart.series[0].points[1].y, 7);
    const Chart rows = buildChart(d, {ContingencyOrientation::Rows}, {});
    EXPECT_EQ(rows.series[0].points[1].label, "2");
    EXPECT_EQ(rows.series[0].points[1].y, 6);
}

// XY: at most 5000 points in row then replicate order; the line across the
// X range; a band of 100 points stopping at 99% of the range, or straight
// through the forced point, and none for a perfect line.
TEST(ChartModel, XYPointsLineAndBand)
{
    core::DataSet d;
    d.chooseFormat(DataFormat::XY);
    for (int row = 0; row < 3000; ++row) {
        d.table.setValue(row, 0, row);
        d.table.setValue(row, 1, 2 * row + 1);
        d.table.setValue(row, 2, 2 * row - 1);
    }
    const analyses::RegressionLine fit{2, 1.9L, 2.1L, 0, 1, 0.99L, 1249.75L, 5000, 2.6e9L};
    Chart chart = buildChart(d, {}, fit);
    ASSERT_EQ(chart.series.size(), 4u);
    const auto& points = chart.series[0].points;
    ASSERT_EQ(points.size(), 5000u);
    EXPECT_EQ(points.back().x, 2499);
    EXPECT_EQ(points.back().y, 2 * 2499 - 1);
    EXPECT_EQ(chart.series[1].points.back().x, 2499);
    EXPECT_EQ(chart.series[1].points.back().y, 4998);
    ASSERT_EQ(chart.series[2].points.size(), 100u);
    EXPECT_EQ(chart.series[2].kind, SeriesKind::Band);
    EXPECT_NEAR(chart.series[2].points.back().x, 0.99L * 2499, 1e-9L);
    EXPECT_LT(chart.series[2].points[50].y, chart.series[3].points[50].y);

    d.choices.ForceThroughPoint = true;
    chart = buildChart(d, {}, fit);
    ASSERT_EQ(chart.series[2].points.size(), 2u);
    EXPECT_EQ(chart.series[2].points[0].y, 0);  // both limits meet at (0, 0), the first X
    EXPECT_EQ(chart.series[3].points[0].y, 0);
    EXPECT_NEAR(chart.series[3].points[1].y, 2.1L * 2499, 1e-9L);

    analyses::RegressionLine perfect = fit;
    perfect.rSquared = 1;
    EXPECT_EQ(buildChart(d, {}, perfect).series.size(), 2u);
    EXPECT_EQ(buildChart(d, {}, {}).series.size(), 1u);
}

// The multiple-regression graph's lists and choices, and the residuals of
// the fit (R: residuals(lm(y ~ b + c)) for the data below).
TEST(ChartModel, MultipleRegressionListsAndResiduals)
{
    core::DataSet d = dataSetOf(DataFormat::MultipleRegression,
                                {{3, 7, 8, 12, 15, 14}, {1, 2, 3, 4, 5, 6}, {2, 1, 3, 2, 4, 3}, {5, 5, 6, 6, 7, 7}});
    d.table.setColumnTitle(1, "Dose");
    d.choices.DependentColumn = 0;
    d.choices.IndependentColumns[1] = d.choices.IndependentColumns[2] = true;

    Chart chart = buildChart(d, {}, {});
    EXPECT_EQ(chart.title.size(), 1u);
    EXPECT_EQ(chart.xChoices, (std::vector<std::string>{"A: Column A", "B: Dose", "C: Column C", "D: Column D"}));
    EXPECT_EQ(chart.xChoice, "A: Column A");  // nothing chosen before: first X, second Y
    EXPECT_EQ(chart.yChoice, "B: Dose");
    ASSERT_EQ(chart.series[0].points.size(), 6u);
    EXPECT_EQ(chart.series[0].points[3].x, 12);
    EXPECT_EQ(chart.series[0].points[3].y, 4);

    d.graph.analysedDataOnly = true;
    d.graph.multipleRegressionX = "C: Column C";
    d.graph.multipleRegressionY = "D: Column D";  // no longer offered
    chart = buildChart(d, {}, {});
    EXPECT_EQ(chart.xChoices, (std::vector<std::string>{"B: Dose", "C: Column C"}));
    EXPECT_EQ(chart.yChoices, (std::vector<std::string>{"A: Column A", "Residuals"}));
    EXPECT_EQ(chart.xChoice, "C: Column C");
    EXPECT_EQ(chart.yChoice, "A: Column A");
    EXPECT_EQ(chart.bottomAxisTitle, "C: Column C");  // the axes say what is plotted
    EXPECT_EQ(chart.leftAxisTitle, "A: Column A");

    d.graph.multipleRegressionY = "Residuals";
    chart = buildChart(d, {}, {});
    const Real expected[] = {-0.916666666667L, 0.75L, -0.666666666667L, 1, 1.583333333333L, -1.75L};
    ASSERT_EQ(chart.series[0].points.size(), 6u);
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_NEAR(chart.series[0].points[i].y, expected[i], 1e-11L) << i;
}

}  // namespace
}  // namespace ombrix::graphs
