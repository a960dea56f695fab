#include "app/results_step.h"

#include <QVBoxLayout>

#include "app/results_viewer.h"
#include "app/status_panel.h"

namespace ombrix::app {

ResultsStep::ResultsStep(core::DataSet& dataSet, analyses::ResultsBuffer& results,
                         analyses::RegressionForGraph& regression, workflow::CalculationProgress& progress,
                         QWidget* parent)
    : QWidget(parent)
    , m_dataSet(&dataSet)
    , m_results(results)
    , m_regression(regression)
    , m_progress(progress)
{
    setObjectName(QStringLiteral("resultsStep"));
    m_viewer = new TResultsViewer(this);
    m_statusPanel = new StatusPanel(progress, this);
    m_statusPanel->setResultsViewer(m_viewer);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_statusPanel, 1);
    layout->addWidget(m_viewer, 1);

    m_viewer->setNotes(&m_dataSet->notes);
    connect(m_viewer, &TResultsViewer::notesAppended, this, [this] {
        // The notes are saved with the data; the report does not depend on them.
        m_dataSet->modified = true;
        Q_EMIT notesChanged();
        Q_EMIT changed();
    });
}

void ResultsStep::setDataSet(core::DataSet& dataSet)
{
    if (m_progress.calculating())
        return;
    m_dataSet = &dataSet;
    m_viewer->setNotes(&dataSet.notes);
    m_viewer->setReport(nullptr);
}

std::optional<workflow::CalculateOutcome> ResultsStep::enterStep()
{
    const auto outcome = bringUpToDate(m_statusPanel);
    if (outcome)
        m_viewer->show();
    return outcome;
}

std::optional<workflow::CalculateOutcome> ResultsStep::bringUpToDate(workflow::StatusView* view)
{
    // Reached again through the events processed during a calculation: the
    // buffer is half written and must not be shown or touched.
    if (m_progress.calculating())
        return std::nullopt;

    workflow::CalculationTarget target{m_results, m_regression, m_progress, view, m_reportCode};
    const workflow::CalculateOutcome outcome = workflow::Calculate(*m_dataSet, target);
    m_reportCode = target.reportCode;
    if (outcome == workflow::CalculateOutcome::Unchanged && m_viewer->report() == &m_results) {
        m_viewer->refreshReport();
    } else {
        m_viewer->setReport(&m_results);
        Q_EMIT reportChanged();
    }
    return outcome;
}

void ResultsStep::copy()
{
    if (!m_progress.calculating())
        m_viewer->copy();
}

void ResultsStep::appendToNotes()
{
    if (!m_progress.calculating())
        m_viewer->appendToNotes();
}

}  // namespace ombrix::app
