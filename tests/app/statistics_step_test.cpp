#include <QPushButton>

#include "app/statistics_step.h"
#include "tests/app/app_test_support.h"
#include "tests/support/golden_file.h"

namespace ombrix::app::testing {
namespace {

QString cell(const StatisticsGridModel& model, int row, int column)
{
    return model.data(model.index(row, column)).toString();
}

// The grid as a user reads it: the headings, then each row's label and cells.
std::string dump(const StatisticsGridModel& model)
{
    QString text;
    for (int column = 0; column < model.columnCount(); ++column) {
        const QString heading = model.headerData(column, Qt::Horizontal).toString();
        text += QLatin1Char('|') + QString(heading).replace(QLatin1Char('\n'), QLatin1Char(' '));
    }
    for (int row = 0; row < model.rowCount(); ++row) {
        text += QLatin1Char('\n') + model.headerData(row, Qt::Vertical).toString();
        for (int column = 0; column < model.columnCount(); ++column)
            text += QLatin1Char('|') + cell(model, row, column);
    }
    return text.toStdString() + "\n";
}

// Student's sleep data (R: sapply(split(extra, group), summary), sd, and
// mean -+ qt(0.975, 9) * sd / sqrt(10)), SD first, then SEM first, as copied
// with a decimal comma, and a table of typed means, SD and N.
TEST(StatisticsStep, GridMatchesGolden)
{
    auto sleep = openExample("sleep_paired.OXD");
    StatisticsStep page(*sleep);
    page.enterStep();
    std::string all = "== sleep_paired.OXD\n" + dump(*page.model());
    all += "== copied with a decimal comma\n" + statisticsGridText(*sleep, QLatin1Char(',')).toStdString();
    int changes = 0;
    QObject::connect(&page, &StatisticsStep::changed, [&] { ++changes; });
    for (const char* button : {"semButton", "semButton"})
        child<QPushButton>(page, button)->click();
    EXPECT_EQ(changes, 1) << "choosing what is already shown changes nothing";
    EXPECT_TRUE(!sleep->choices.ShowSD && sleep->modified);
    all += "== SEM first\n" + dump(*page.model());
    auto light = openExample("light_speed_mean_sd.OXD");
    StatisticsStep summary(*light);
    summary.enterStep();
    all += "== light_speed_mean_sd.OXD\n" + dump(*summary.model());
    EXPECT_TRUE(ombrix::testing::matchesGolden(all, "statistics_grid.txt"));
}

TEST(StatisticsStep, EnteringTheStepRecomputes)
{
    core::DataSet dataSet;
    StatisticsStep page(dataSet);
    page.enterStep();
    const StatisticsGridModel& model = *page.model();
    EXPECT_TRUE(model.columnCount() == 1 && cell(model, 2, 0).isEmpty()) << "no N for an empty column";

    typeColumn(dataSet, 0, {"4", "5", "9"});
    typeColumn(dataSet, 2, {"1", "2", "3", "4", "5", "7"});
    page.enterStep();
    ASSERT_EQ(model.columnCount(), 3);
    EXPECT_EQ(cell(model, 0, 0) + QLatin1Char('|') + cell(model, 2, 1) + QLatin1Char('|') + cell(model, 2, 2),
              QStringLiteral("6||6"));

    // XY data keep the data grid's names for the columns.
    dataSet.format = core::DataFormat::XY;
    page.enterStep();
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("X"));
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Y1"));
}

}  // namespace
}  // namespace ombrix::app::testing
