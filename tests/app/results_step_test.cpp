#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "analyses/report_chars.h"
#include "app/results_step.h"
#include "app/results_viewer.h"
#include "app/status_panel.h"
#include "core/text.h"
#include "tests/app/app_test_support.h"
#include "tests/support/golden_file.h"

namespace ombrix::app::testing {
namespace {

using workflow::CalculateOutcome;
using workflow::StatusFigure;

QString text(std::string_view view)
{
    return QString::fromUtf8(view.data(), static_cast<qsizetype>(view.size()));
}

std::string titleOf(const analyses::ResultsBuffer& results, int line)
{
    return std::string(core::trimmed(analyses::stripMarks(results.line(line))));
}

struct Document {
    std::unique_ptr<core::DataSet> dataSet;
    analyses::ResultsBuffer results;
    analyses::RegressionForGraph regression;
    workflow::SteadyClock clock;
    workflow::CalculationProgress progress{clock};
};

TEST(ResultsStep, StaleReportIsRecomputedAndFreshOneIsNot)
{
    Document doc;
    doc.dataSet = openExample("sleep_paired.OXD");
    ResultsStep step(*doc.dataSet, doc.results, doc.regression, doc.progress);
    int newReports = 0;
    QObject::connect(&step, &ResultsStep::reportChanged, [&] { ++newReports; });

    EXPECT_EQ(step.enterStep(), CalculateOutcome::Calculated);
    EXPECT_FALSE(doc.dataSet->resultsStale);
    EXPECT_EQ(titleOf(doc.results, 2), "Paired t test");
    EXPECT_EQ(newReports, 1);

    // Nothing changed: the same report, where the user left it.
    step.viewer()->setSelection({3, 0}, {3, 5});
    EXPECT_EQ(step.enterStep(), CalculateOutcome::Unchanged);
    EXPECT_EQ(newReports, 1);
    EXPECT_EQ(step.viewer()->selectedText(), QStringLiteral("Does "));

    doc.dataSet->choices.TwoColUnpaired = true;
    doc.dataSet->markChanged();
    EXPECT_EQ(step.enterStep(), CalculateOutcome::Calculated);
    EXPECT_EQ(titleOf(doc.results, 2), "Unpaired t test");
    EXPECT_EQ(newReports, 2);
    EXPECT_FALSE(step.viewer()->hasSelection());
}

// The exact Spearman P of eleven pairs, cancelled from the status panel: the
// report falls back on the approximate P and says so.
TEST(ResultsStep, CancelDuringAnExactCalculationGivesTheApproximateReport)
{
    core::OpenResult opened =
        workflow::openDocument(OMBRIX_TEST_DATA_DIR "/fixtures/reports/panel/spearman_cancelled_eleven.OXD");
    ASSERT_TRUE(opened.dataSet);
    core::DataSet& dataSet = *opened.dataSet;

    // The computation takes long because the clock says so: a second passes
    // before the user, who reads the panel, presses the button.
    FakeClock clock;
    workflow::CalculationProgress progress(clock);
    analyses::ResultsBuffer results;
    analyses::RegressionForGraph regression;
    ResultsStep step(dataSet, results, regression, progress);
    step.resize(600, 400);
    step.show();
    StatusPanel* panel = step.statusPanel();

    bool pressed = false;
    bool viewerHidden = false;
    QString caption;
    QString approximateP;
    std::optional<CalculateOutcome> secondClick = CalculateOutcome::Calculated;
    QTimer user;
    user.setInterval(0);
    QObject::connect(&user, &QTimer::timeout, [&] {
        QLabel* message = panel->messageLabel();
        if (pressed || message->isHidden() || message->text() != text(analyses::ExactPStatusMessage))
            return;
        caption = panel->cancelButton()->text();
        approximateP = panel->figureValue(StatusFigure::ApproximateP)->text();
        viewerHidden = step.viewer()->isHidden();
        secondClick = step.enterStep();
        clock.now += 1000;
        panel->cancelButton()->click();
        pressed = true;
    });
    user.start();
    EXPECT_EQ(step.enterStep(), CalculateOutcome::Calculated);
    user.stop();

    ASSERT_TRUE(pressed);
    EXPECT_EQ(caption, text(workflow::UseApproximateCaption));
    EXPECT_TRUE(approximateP.startsWith(QStringLiteral("0.003"))) << approximateP.toStdString();
    EXPECT_TRUE(viewerHidden);
    EXPECT_EQ(secondClick, std::nullopt) << "a second visit during the calculation must do nothing";
    EXPECT_TRUE(ombrix::testing::matchesGolden(results.text(), "reports/spearman_cancelled_eleven.txt"));

    EXPECT_TRUE(panel->isHidden());
    EXPECT_FALSE(step.viewer()->isHidden());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(progress.calculating());
}

TEST(StatusPanel, FollowsTheBusyState)
{
    FakeClock clock;
    workflow::CalculationProgress progress(clock);
    QWidget viewer;
    StatusPanel panel(progress);
    panel.setResultsViewer(&viewer);
    auto shown = [](const QWidget* widget) { return !widget->isHidden(); };
    QLabel* approximateCaption = panel.figureCaption(StatusFigure::ApproximateP);

    progress.BeginCalculation(&panel);
    EXPECT_FALSE(shown(&viewer));
    EXPECT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(shown(&panel)) << "nothing is shown before the delay";

    // The real timer: the "please wait" panel appears once the events are processed.
    QElapsedTimer waited;
    waited.start();
    while (!shown(&panel) && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_TRUE(shown(&panel));
    EXPECT_EQ(panel.messageLabel()->text(), text(workflow::PleaseWaitMessage));
    EXPECT_EQ(panel.cancelButton()->text(), text(workflow::InterruptCaption));
    EXPECT_TRUE(shown(panel.cancelButton()));

    // The cancel caption and the approximate P under it: the cancel test above.
    progress.ShowCalcStatus(analyses::ExactPStatusMessage, 0.0123456L);
    EXPECT_TRUE(shown(approximateCaption));
    EXPECT_EQ(approximateCaption->text(), text(workflow::ApproximatePCaption));

    clock.now = 3000;
    EXPECT_EQ(progress.CalcProgress(50), analyses::ProgressContinue);
    EXPECT_EQ(panel.figureCaption(StatusFigure::PercentDone)->text(), text(workflow::PercentDoneCaption));
    EXPECT_EQ(panel.figureValue(StatusFigure::PercentDone)->text(), QStringLiteral("50.0"));

    panel.cancelButton()->click();
    EXPECT_TRUE(progress.cancelRequested());

    progress.HideCalcStatus();
    EXPECT_FALSE(shown(panel.cancelButton()));
    EXPECT_FALSE(shown(approximateCaption));
    EXPECT_FALSE(shown(panel.figureValue(StatusFigure::SecondsLeft)));

    progress.EndCalculation();
    EXPECT_FALSE(shown(&panel));
    EXPECT_TRUE(shown(&viewer));
    EXPECT_FALSE(panel.statusTimer().isActive());
}

}  // namespace
}  // namespace ombrix::app::testing
