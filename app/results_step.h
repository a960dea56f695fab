#pragma once

#include <QWidget>

#include <optional>

#include "analyses/analysis_inputs.h"
#include "analyses/results_buffer.h"
#include "core/data_set.h"
#include "workflow/dispatcher.h"
#include "workflow/progress.h"

namespace ombrix::app {

class StatusPanel;
class TResultsViewer;

// The results step: the report of the document's choices in the results
// viewer, with the status panel that stands in its place while a long
// calculation runs.
class ResultsStep final : public QWidget {
    Q_OBJECT

public:
    // All references must outlive the page. results and regression are the
    // document's: the report shown here and the fitted values the graph step
    // reads. progress is the process-wide busy state.
    ResultsStep(core::DataSet& dataSet, analyses::ResultsBuffer& results, analyses::RegressionForGraph& regression,
                workflow::CalculationProgress& progress, QWidget* parent = nullptr);

    // For a window whose document object was replaced; shows nothing until
    // the step is entered again.
    void setDataSet(core::DataSet& dataSet);

    // Entering the step: calculates when the results are stale (the
    // dispatcher decides) and shows the report. While any calculation runs
    // (this one reached again from inside its own progress calls, or another
    // document's) it does nothing and returns nothing.
    std::optional<workflow::CalculateOutcome> enterStep();
    // Calculates when the results are stale, with view (another step's
    // status panel) showing the progress, so that the report this step shows
    // next and the fitted line the graph reads are current. Nothing while a
    // calculation runs.
    std::optional<workflow::CalculateOutcome> bringUpToDate(workflow::StatusView* view);

    TResultsViewer* viewer() const { return m_viewer; }
    StatusPanel* statusPanel() const { return m_statusPanel; }
    // The analysis error code behind the report shown (0 for a report).
    int reportCode() const { return m_reportCode; }

public Q_SLOTS:
    // The Edit menu's "&Copy" and "Append to &Notes" while this step is shown.
    void copy();
    void appendToNotes();

Q_SIGNALS:
    // A new report (or validation message) replaced the previous one.
    void reportChanged();
    // The document was modified here (the report was appended to the notes).
    void changed();
    void notesChanged();

private:
    core::DataSet* m_dataSet;
    analyses::ResultsBuffer& m_results;
    analyses::RegressionForGraph& m_regression;
    workflow::CalculationProgress& m_progress;
    TResultsViewer* m_viewer = nullptr;
    StatusPanel* m_statusPanel = nullptr;
    int m_reportCode = 0;
};

}  // namespace ombrix::app
