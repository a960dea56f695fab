#include <QApplication>
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

TEST(ResultsStep, StaleReportIsRecomputedAndFreshOneIsNot)
{
    auto dataSet = openExample("sleep_paired.OXD");
    analyses::ResultsBuffer results;
    analyses::RegressionForGraph regression;
    FakeClock clock;
    workflow::CalculationProgress progress{clock};
    ResultsStep step(*dataSet, results, regression, progress);
    int newReports = 0;
    QObject::connect(&step, &ResultsStep::reportChanged, [&] { ++newReports; });

    EXPECT_EQ(step.enterStep(), CalculateOutcome::Calculated);
    EXPECT_EQ(titleOf(results, 2), "Paired t test");
    EXPECT_EQ(newReports, 1);

    // Nothing changed: the same report, where the user left it.
    step.viewer()->setSelection({3, 0}, {3, 5});
    EXPECT_EQ(step.enterStep(), CalculateOutcome::Unchanged);
    EXPECT_EQ(newReports, 1);
    EXPECT_EQ(step.viewer()->selectedText(), QStringLiteral("Does "));

    dataSet->choices.TwoColUnpaired = true;
    dataSet->markChanged();
    EXPECT_EQ(step.enterStep(), CalculateOutcome::Calculated);
    EXPECT_EQ(titleOf(results, 2), "Unpaired t test");
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

    EXPECT_TRUE(panel->isHidden() && !step.viewer()->isHidden());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace ombrix::app::testing
