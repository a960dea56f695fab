// The results step: when the report is computed again, the cancel button of
// an exact calculation, and the viewer that shows the report without its
// style marks.
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

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

QString text(std::string_view view)
{
    return QString::fromUtf8(view.data(), static_cast<qsizetype>(view.size()));
}

TEST(ResultsStep, StaleReportIsRecomputedAndFreshOneIsNot)
{
    auto dataSet = openExample("sleep_paired.OXD");
    analyses::ResultsBuffer results;
    analyses::RegressionForGraph regression;
    workflow::SteadyClock clock;
    workflow::CalculationProgress progress{clock};
    ResultsStep step(*dataSet, results, regression, progress);
    int newReports = 0;
    QObject::connect(&step, &ResultsStep::reportChanged, [&] { ++newReports; });
    const auto title = [&] { return core::trimmed(analyses::stripMarks(results.line(2))); };

    EXPECT_EQ(step.enterStep(), CalculateOutcome::Calculated);
    EXPECT_EQ(title(), "Paired t test");
    // Nothing changed: the same report, where the user left it.
    step.viewer()->setSelection({3, 0}, {3, 5});
    EXPECT_EQ(step.enterStep(), CalculateOutcome::Unchanged);
    EXPECT_EQ(step.viewer()->selectedText(), QStringLiteral("Does "));
    EXPECT_EQ(newReports, 1);

    dataSet->choices.TwoColUnpaired = true;
    dataSet->markChanged();
    EXPECT_EQ(step.enterStep(), CalculateOutcome::Calculated);
    EXPECT_EQ(title(), "Unpaired t test");
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
    // The computation takes long because the clock says so: a second passes
    // before the user, who reads the panel, presses the button.
    FakeClock clock;
    workflow::CalculationProgress progress(clock);
    analyses::ResultsBuffer results;
    analyses::RegressionForGraph regression;
    ResultsStep step(*opened.dataSet, results, regression, progress);
    step.resize(600, 400);
    step.show();
    StatusPanel* panel = step.statusPanel();

    QString seen;  // what the user saw on pressing the button
    QTimer user;
    user.setInterval(0);
    QObject::connect(&user, &QTimer::timeout, [&] {
        QLabel* message = panel->messageLabel();
        if (!seen.isEmpty() || message->isHidden() || message->text() != text(analyses::ExactPStatusMessage))
            return;
        seen = QStringList{panel->cancelButton()->text(),
                           panel->figureValue(workflow::StatusFigure::ApproximateP)->text().left(5),
                           step.viewer()->isHidden() ? QStringLiteral("hidden") : QStringLiteral("shown"),
                           step.enterStep() ? QStringLiteral("calculated again") : QStringLiteral("ignored")}
                   .join(QLatin1Char('|'));
        clock.now += 1000;
        panel->cancelButton()->click();
    });
    user.start();
    EXPECT_EQ(step.enterStep(), CalculateOutcome::Calculated);
    user.stop();
    // The viewer is hidden and a second visit to the step is ignored.
    EXPECT_EQ(seen, text(workflow::UseApproximateCaption) + QStringLiteral("|0.003|hidden|ignored"));
    EXPECT_TRUE(ombrix::testing::matchesGolden(results.text(), "reports/spearman_cancelled_eleven.txt"));
    EXPECT_TRUE(panel->isHidden() && !step.viewer()->isHidden());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// A line's runs as "text@column/width" plus b, u or i for each style, so
// that a table row states a whole line.
std::string describe(const std::vector<ReportRun>& runs)
{
    std::string text;
    for (const ReportRun& run : runs) {
        text += (text.empty() ? "" : " | ") + run.text.toStdString() + "@" + std::to_string(run.column) + "/" +
                std::to_string(run.width) + (run.bold ? "b" : "") + (run.underline ? "u" : "") +
                (run.italic ? "i" : "");
        for (const QChar ch : run.text)
            EXPECT_TRUE(ch.unicode() < 0x80 || ch.unicode() > 0x82) << "a mark reached the screen";
    }
    return text;
}

TEST(ReportLineRuns, SplitsAtMarksAndNeverKeepsThem)
{
    const std::pair<std::string, std::string> cases[] = {
        {"P value", "P value@0/7"},
        {"\x80"
         "Mean:\x80"
         " 12.5",
         "Mean:@0/5b |  12.5@5/5"},
        // A title is underlined from the mark, blanks included.
        {"\x81"
         "  Title  \x81",
         "  Title  @0/9u"},
        {"a\x82"
         "it\x82",
         "a@0/1 | it@1/2i"},
        {"\x80\x81"
         "both\x81\x80",
         "both@0/4bu"},
        {"\x80\x80\x81\x81", ""},
        // "\u0100" is C4 80: the 80 completes a letter and is no bold mark.
        {"\xC4\x80x\x80y", "\xC4\x80x@0/2 | y@2/1b"},
        {"\x80open", "open@0/4b"},
    };
    for (const auto& [line, runs] : cases)
        EXPECT_EQ(describe(reportLineRuns(line)), runs) << runs;
}

// Which text goes to the notes and the room check are the notes' own rules;
// here the keys, the pop-up menu and the refusal message reach them.
TEST(ResultsViewer, SelectsCopiesAndAppendsToNotesWithoutMarks)
{
    analyses::ResultsBuffer report;
    for (const char* line : {"Title line", "\x80Mean:\x80 12.50", "", "The two-tailed P value is 0.0034."})
        report.AppendLine(line);
    report.CloseReport();
    TResultsViewer viewer;
    core::Notes notes;
    QStringList messages;
    viewer.resize(600, 400);
    viewer.show();
    viewer.setReport(&report);
    viewer.setNotes(&notes);
    viewer.setMessageShower([&](const QString& message) { messages.append(message); });
    int appended = 0;
    QObject::connect(&viewer, &TResultsViewer::notesAppended, [&] { ++appended; });

    viewer.copy();  // nothing selected: the whole report
    EXPECT_TRUE(QGuiApplication::clipboard()->text().startsWith(
        QStringLiteral("Title line\nMean: 12.50\n\nThe two-tailed P value is 0.0034.")));
    // Shift+Down keeps the column it aimed for across the empty line.
    viewer.setSelection({1, 1}, {1, 1});
    pressKey(&viewer, Qt::Key_Down, Qt::ShiftModifier);
    pressKey(&viewer, Qt::Key_Down, Qt::ShiftModifier);
    pressKey(&viewer, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("ean: 12.50\n\nT"));

    viewer.setSelection({3, 26}, {1, 6});
    std::unique_ptr<QMenu> menu(viewer.createContextMenu(nullptr));
    menu->actions().at(1)->trigger();
    EXPECT_EQ(notes.text(), "12.50\r\n\r\nThe two-tailed P value is \r\n");
    const std::string full(core::Notes::MaxTextLength, 'x');
    notes.setText(full);
    viewer.appendToNotes();
    EXPECT_EQ(notes.text(), full);
    EXPECT_EQ(appended, 1);
    EXPECT_EQ(messages, QStringList{QStringLiteral("The text is too large to copy to notes.")});

    // During a calculation the buffer is being rewritten: nothing to show or take.
    report.Reset();
    report.AppendLine("half a report");
    EXPECT_EQ(viewer.lineCount(), 0);
    notes.setText("");
    viewer.appendToNotes();
    EXPECT_TRUE(notes.empty());
    (void)viewer.grab();
}

}  // namespace
}  // namespace ombrix::app::testing
