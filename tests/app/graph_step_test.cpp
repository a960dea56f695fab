// The graph step in its window: rebuilt on entry from current results, its
// options (saved or not), Export and Copy.
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QImage>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>

#include "app/graph_step.h"
#include "app/results_step.h"
#include "app/results_viewer.h"
#include "tests/app/app_test_support.h"

namespace ombrix::app::testing {
namespace {

class GraphStepTest : public ShellTest {
protected:
    TAnalysisForm* openAtGraph(const char* name)
    {
        TAnalysisForm* form = mainForm->openFileByName(example(name));
        EXPECT_NE(form, nullptr) << name;
        if (form) {
            EXPECT_TRUE(form->goToStep(Step::Graph));
        }
        return form;
    }
};

// Entering the step calculates what is stale first: the XY graph has its
// fitted line and band, and the results step then shows that same report.
TEST_F(GraphStepTest, EnteringCalculatesStaleResultsFirst)
{
    TAnalysisForm* form = openAtGraph("car_stopping_xy.OXD");
    ASSERT_NE(form, nullptr);
    const graphs::Chart& chart = form->graphStep()->chart();
    EXPECT_EQ(chart.title.at(0), "Speed and stopping distance of cars");
    EXPECT_EQ(chart.series.size(), 4u);
    EXPECT_FALSE(form->dataSet().resultsStale);
    EXPECT_TRUE(mainForm->commandAction(Command::StepGraph)->isChecked());
    EXPECT_TRUE(mainForm->commandAction(Command::Export)->isEnabled());
    ASSERT_TRUE(form->goToStep(Step::Results));
    EXPECT_EQ(form->resultsStep()->viewer()->report(), &form->resultsBuffer());
    EXPECT_TRUE(mainForm->commandAction(Command::Export)->isEnabled());  // the report, as text

    // Typed means and SEMs are data too, though no cell holds them.
    TAnalysisForm* means = openAtGraph("plant_growth_mean_sem.OXD");
    ASSERT_NE(means, nullptr);
    EXPECT_EQ(means->graphStep()->chart().series.at(0).points.size(), 3u);

    // A new, empty data set draws its title only and calculates nothing.
    TAnalysisForm* empty = mainForm->newDocument();
    ASSERT_TRUE(empty->goToStep(Step::Graph));
    EXPECT_TRUE(empty->graphStep()->chart().series.empty());
    EXPECT_TRUE(empty->dataSet().resultsStale);
}

// SD and SEM redraw the column-mean graph and are the data set's choice;
// Columns and Rows belong to the window and leave the file unmodified.
TEST_F(GraphStepTest, ErrorKindAndOrientation)
{
    TAnalysisForm* form = openAtGraph("sleep_paired.OXD");
    ASSERT_NE(form, nullptr);
    GraphStep* step = form->graphStep();
    EXPECT_TRUE(step->sdButton()->isVisibleTo(step));
    EXPECT_FALSE(step->columnsButton()->isVisibleTo(step));
    step->semButton()->click();
    EXPECT_EQ(step->chart().title.at(1), "Mean and Standard Error");
    EXPECT_FALSE(form->dataSet().choices.ShowSD);
    EXPECT_TRUE(form->dataSet().modified && form->isWindowModified());

    TAnalysisForm* table = openAtGraph("tea_tasting_2x2.OXD");
    ASSERT_NE(table, nullptr);
    step = table->graphStep();
    EXPECT_FALSE(step->sdButton()->isVisibleTo(step));
    EXPECT_EQ(step->chart().title.at(1), "Column Totals");
    step->rowsButton()->click();
    EXPECT_EQ(step->chart().title.at(1), "Row Totals");
    EXPECT_EQ(step->chart().bottomAxisTitle, "Rows");
    EXPECT_FALSE(table->dataSet().modified);
}

// The multiple-regression lists: a choice and "Analyzed data only" are saved
// with the data set, and the residuals come from the fitted model.
TEST_F(GraphStepTest, MultipleRegressionVariables)
{
    TAnalysisForm* form = openAtGraph("stack_loss_multiple_regression.OXD");
    ASSERT_NE(form, nullptr);
    GraphStep* step = form->graphStep();
    ASSERT_TRUE(step->xList()->isVisibleTo(step));
    EXPECT_EQ(step->xList()->count(), 4);
    step->analysedDataOnly()->click();
    EXPECT_TRUE(form->dataSet().graph.analysedDataOnly);
    EXPECT_EQ(step->yList()->itemText(step->yList()->count() - 1), QStringLiteral("Residuals"));
    step->yList()->setCurrentIndex(step->yList()->count() - 1);
    Q_EMIT step->yList()->activated(step->yList()->currentIndex());
    EXPECT_EQ(form->dataSet().graph.multipleRegressionY, "Residuals");
    EXPECT_EQ(step->chart().leftAxisTitle, "Residuals");
    // Residuals of a fit with an intercept add up to nothing.
    long double sum = 0;
    for (const graphs::ChartPoint& point : step->chart().series.at(0).points)
        sum += point.y;
    EXPECT_NEAR(static_cast<double>(sum), 0.0, 1e-9);
    EXPECT_TRUE(form->dataSet().modified);
}

// Export proposes a name beside the data file, asks the PNG size, writes
// the picture; a name without a picture extension is refused with a message.
TEST_F(GraphStepTest, ExportAndCopy)
{
    TAnalysisForm* form = openAtGraph("plant_growth_mean_sem.OXD");
    ASSERT_NE(form, nullptr);
    asker.saveNames = {path(QStringLiteral("growth.png")), path(QStringLiteral("growth.svg")),
                       path(QStringLiteral("growth.gif")), path(QStringLiteral("growth"))};
    asker.choices = {0};  // 1x
    mainForm->commandAction(Command::Export)->trigger();
    EXPECT_EQ(asker.saveProposals.value(0), QStringLiteral(OMBRIX_EXAMPLES_DIR "/plant_growth_mean_sem.png"));
    EXPECT_EQ(QImage(path(QStringLiteral("growth.png"))).size(), QSize(graphs::PictureWidth, graphs::PictureHeight));
    mainForm->commandAction(Command::Export)->trigger();
    QFile svg(path(QStringLiteral("growth.svg")));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    EXPECT_TRUE(svg.readAll().contains("Plant growth under two treatments"));
    mainForm->commandAction(Command::Export)->trigger();
    EXPECT_EQ(asker.messages.value(0), QStringLiteral("Graphs are exported as .svg, .png or .pdf files."));
    mainForm->commandAction(Command::Export)->trigger();  // no extension: a PNG, at 2x unless told
    EXPECT_EQ(QImage(path(QStringLiteral("growth.png"))).size(),
              QSize(2 * graphs::PictureWidth, 2 * graphs::PictureHeight));

    mainForm->commandAction(Command::Copy)->trigger();
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_TRUE(copied->hasImage());
    EXPECT_TRUE(copied->data(QStringLiteral("image/svg+xml")).contains("<svg"));
}

}  // namespace
}  // namespace ombrix::app::testing
