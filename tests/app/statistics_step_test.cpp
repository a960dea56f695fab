#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <QTableView>

#include <gtest/gtest.h>

#include "app/statistics_step.h"
#include "app/step_text.h"
#include "tests/app/app_test_support.h"

namespace ombrix::app::testing {
namespace {

QString cell(const StatisticsGridModel& model, int row, int column)
{
    return model.data(model.index(row, column)).toString();
}

QString label(const StatisticsGridModel& model, int row)
{
    return model.headerData(row, Qt::Vertical).toString();
}

// Model rows: 0 mean, 1 SD (or SEM), 2 N, 4 SEM (or SD), 5 and 6 the limits,
// 8 to 10 the extremes and median, 12 to 14 the normality test.
TEST(StatisticsStep, GridShowsEachColumnUnderItsHeading)
{
    auto dataSet = openExample("sleep_paired.OXD");
    StatisticsStep page(*dataSet);
    page.enterStep();
    const StatisticsGridModel& model = *page.model();
    ASSERT_EQ(model.columnCount(), 2);
    ASSERT_EQ(model.rowCount(), 15);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("B\nDrug 2"));

    // Student's sleep data (R: sapply(sleep split by group, summary)): means
    // 0.75 and 2.33, SD 1.789 and 2.002, medians 0.35 and 1.75.
    const struct {
        int row;
        const char* label;
        const char* a;
        const char* b;
    } rows[] = {
        {0, "Mean", "0.75", "2.33"},
        {1, "Standard deviation (SD)", "1.789009657759", "2.002248735797"},
        {2, "Sample size (N)", "10", "10"},
        {3, "", "", ""},
        {4, "Std. error of mean(SEM)", "0.565734527456", "0.633166644731"},
        {8, "Minimum", "-1.6", "-0.1"},
        {9, "Median (50th percentile)", "0.35", "1.75"},
        {10, "Maximum", "3.7", "5.5"},
        {13, "Normality test P value", ">0.10", ">0.10"},
        {14, "Passed normality test?", "Yes", "Yes"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.label);
        EXPECT_EQ(label(model, r.row), QString::fromUtf8(r.label));
        EXPECT_EQ(cell(model, r.row, 0), QString::fromUtf8(r.a));
        EXPECT_EQ(cell(model, r.row, 1), QString::fromUtf8(r.b));
    }
}

TEST(StatisticsStep, SemButtonPutsTheStandardErrorFirst)
{
    auto dataSet = openExample("sleep_paired.OXD");
    StatisticsStep page(*dataSet);
    page.enterStep();
    int changes = 0;
    QObject::connect(&page, &StatisticsStep::changed, [&] { ++changes; });

    child<QPushButton>(page, "semButton")->click();
    const StatisticsGridModel& model = *page.model();
    EXPECT_FALSE(dataSet->choices.ShowSD);
    EXPECT_TRUE(dataSet->modified);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(label(model, 1), QStringLiteral("SEM"));
    EXPECT_EQ(cell(model, 1, 0), QStringLiteral("0.565734527456"));
    EXPECT_EQ(label(model, 4), QStringLiteral("SD"));
    EXPECT_EQ(cell(model, 4, 0), QStringLiteral("1.789009657759"));

    child<QPushButton>(page, "semButton")->click();
    EXPECT_EQ(changes, 1) << "choosing what is already shown changes nothing";
    child<QPushButton>(page, "sdButton")->click();
    EXPECT_TRUE(dataSet->choices.ShowSD);
    EXPECT_EQ(label(model, 1), QStringLiteral("Standard deviation (SD)"));
    EXPECT_EQ(changes, 2);
}

TEST(StatisticsStep, EnteringTheStepRecomputes)
{
    core::DataSet dataSet;
    StatisticsStep page(dataSet);
    page.enterStep();
    EXPECT_EQ(page.model()->columnCount(), 1);
    EXPECT_EQ(cell(*page.model(), 2, 0), QString()) << "no N for an empty column";

    typeColumn(dataSet, 0, {"4", "5", "9"});
    typeColumn(dataSet, 2, {"1", "2", "3", "4", "5", "7"});
    page.enterStep();
    const StatisticsGridModel& model = *page.model();
    ASSERT_EQ(model.columnCount(), 3);
    EXPECT_EQ(cell(model, 0, 0), QStringLiteral("6"));
    EXPECT_EQ(cell(model, 2, 1), QString());
    EXPECT_EQ(cell(model, 2, 2), QStringLiteral("6"));
}

TEST(StatisticsStep, SummaryFormatsShowTheirRowsOnly)
{
    auto dataSet = openExample("light_speed_mean_sd.OXD");
    StatisticsStep page(*dataSet);
    page.enterStep();
    EXPECT_EQ(page.model()->rowCount(), 7);
    EXPECT_EQ(page.model()->columnCount(), 5);
    EXPECT_EQ(cell(*page.model(), 0, 0), QStringLiteral("299909"));
}

TEST(StatisticsStep, CopyGivesTabSeparatedTextWithTheDesktopDecimalSeparator)
{
    auto dataSet = openExample("sleep_paired.OXD");
    StatisticsStep page(*dataSet);
    page.enterStep();
    const QStringList lines = statisticsGridText(*dataSet, QLatin1Char(',')).split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 17);
    EXPECT_EQ(lines[0], QStringLiteral("\tDrug 1\tDrug 2"));
    EXPECT_EQ(lines[1], QStringLiteral("Mean\t0,75\t2,33"));
    // Labels keep their full stops.
    EXPECT_EQ(lines[5], QStringLiteral("Std. error of mean(SEM)\t0,565734527456\t0,633166644731"));
    EXPECT_EQ(lines[14], QStringLiteral("Normality test P value\t>0,10\t>0,10"));
    EXPECT_EQ(lines[16], QString());

    QGuiApplication::clipboard()->clear();
    pressKey(page.view(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), statisticsGridText(*dataSet, systemDecimalSeparator()));
}

}  // namespace
}  // namespace ombrix::app::testing
