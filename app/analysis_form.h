#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>
#include <memory>

#include "analyses/analysis_inputs.h"
#include "analyses/results_buffer.h"
#include "app/notes_window.h"
#include "app/shell_context.h"
#include "core/data_set.h"
#include "graphs/print_document.h"

class QLabel;
class QLineEdit;
class QStackedWidget;
class QTabWidget;

namespace ombrix::app {

class DataGridModel;
class DataGridView;
class FormatStepPage;

class SummaryGridModel;
class TwoByTwoPage;
class StatisticsStep;
class ChooseTestStep;
class ResultsStep;
class GraphStep;

// The six steps of a data set window, in their fixed order.
enum class Step { DataFormat, EnterData, ColumnStats, ChooseTest, Results, Graph };
inline constexpr std::array<Step, 6> AllSteps = {Step::DataFormat, Step::EnterData, Step::ColumnStats,
                                                 Step::ChooseTest, Step::Results,   Step::Graph};
inline constexpr int StepCount = 6;
inline int stepIndex(Step step)
{
    return static_cast<int>(step);
}
inline Step stepAt(int index)
{
    return static_cast<Step>(index);
}

// What Print, Print Preview and Export as PDF put on paper: the header of
// each page and the lines (or graph) of the page shown.
struct PrintJob {
    graphs::PrintHeader header;
    graphs::PrintContent content;
};

// "DATASET" + n + ".OXD"
QString defaultDocumentName(int number);

// One data set window: it owns the data set and walks it through the six
// steps: the data format and data entry pages, the column statistics, choose
// test, results and graph pages (refreshed each time their step is entered).
class TAnalysisForm final : public QWidget {
    Q_OBJECT
public:
    TAnalysisForm(std::unique_ptr<core::DataSet> dataSet, ShellContext& context, QWidget* parent = nullptr);
    ~TAnalysisForm() override;

    core::DataSet& dataSet() { return *m_dataSet; }
    const core::DataSet& dataSet() const { return *m_dataSet; }
    ShellContext& context() { return m_context; }
    // The document's report and the line the last regression left for the
    // graph; the results and graph steps share them.
    analyses::ResultsBuffer& resultsBuffer() { return m_results; }
    analyses::RegressionForGraph& regressionLine() { return m_regression; }

    // A document is named by its file, or by a default name until saved.
    QString documentName() const;
    QString filePath() const { return m_filePath; }
    bool hasDefaultName() const { return m_filePath.isEmpty(); }
    int defaultNameNumber() const { return m_filePath.isEmpty() ? m_defaultNumber : 0; }
    void setDefaultName(int number);
    void setFilePath(const QString& path);

    // Neither data, nor titles, nor notes: opening a file may replace it.
    bool isUntouched() const;
    // Something worth asking about before it is thrown away.
    bool hasContent() const;
    // The window accepted a close (it may not be deleted yet).
    bool isClosed() const { return m_closed; }

    // Steps.
    Step currentStep() const { return m_step; }
    bool isStepEnabled(Step step) const { return m_stepEnabled[stepIndex(step)]; }
    void setStepEnabled(Step step, bool enabled);
    // False when the step is disabled.
    bool goToStep(Step step);
    // Move to the nearest enabled step after (before) the current one;
    // false at the last (first) step.
    bool nextStep();
    bool previousStep();
    // The page shown for a step. setStepPage replaces it (the form takes
    // ownership; the previous page is deleted) and keeps the current step.
    QWidget* stepPage(Step step) const;
    void setStepPage(Step step, QWidget* page);

    // Files.
    enum class SaveMode { Save, SaveAs };
    // True when the file was written.
    bool save(SaveMode mode);
    // Stores what an open cell or title editor holds.
    void commitPendingEdits();

    // Editing commands of the Edit and Data menus; they act on the grid of
    // the data entry step.
    void clearSelection();
    void clearAll();
    void selectColumn();
    void selectRow();
    void selectAll();
    void toggleExclusion();
    void showNotes();
    // The notes changed outside the notes window.
    void notesChanged();

    // Copy and Append to Notes of the Edit menu act on the page shown: the
    // statistics grid or the report.
    bool canCopy() const;
    void copy();
    bool canAppendToNotes() const;
    void appendToNotes();
    // File > Export acts on the page shown: the data table as text (the
    // "Export" dialog), the report as text lines, the graph as a picture.
    bool canExport() const;
    void exportCurrent();
    // File > Import: a delimited text file into the data table at its
    // current cell, through the "Import" dialog (not into a two-by-two table).
    bool canImport() const;
    void importData();
    bool importFile(const QString& path);
    // Edit > Paste and Transpose Paste on the data grid, from the clipboard's text.
    bool canPaste() const;
    // The page shown on paper: the data table, the statistics, the report or the graph.
    bool canPrint() const;
    PrintJob printJob() const;
    void paste(bool transpose);
    void pasteCells();
    void transposePasteCells();

    // Views show the data set again after it was changed behind them.
    void refreshViews();
    // A step page changed the data set (a choice, the selection, the notes):
    // the window shows it as modified and announces dataEdited.
    void noteChange();

    // The widgets, for the menus and the tests.
    FormatStepPage* formatPage() const { return m_formatPage; }
    DataGridView* dataGrid() const { return m_dataGrid; }
    DataGridModel* dataModel() const { return m_dataModel; }
    DataGridView* summaryGrid() const { return m_summaryGrid; }
    SummaryGridModel* summaryModel() const { return m_summaryModel; }
    TwoByTwoPage* twoByTwoPage() const { return m_twoByTwoPage; }
    QLineEdit* tableTitleEditor() const { return m_tableTitle; }
    QTabWidget* dataTabs() const { return m_dataTabs; }
    NotesWindow* notesWindow() const { return m_notesWindow; }
    // The grid the editing commands act on; null outside the data entry step.
    DataGridView* activeGrid() const;
    StatisticsStep* statisticsStep() const { return m_statisticsStep; }
    ChooseTestStep* chooseTestStep() const { return m_chooseTestStep; }
    ResultsStep* resultsStep() const { return m_resultsStep; }
    GraphStep* graphStep() const { return m_graphStep; }

Q_SIGNALS:
    void stepChanged(ombrix::app::Step step);
    // The name or the modified flag changed.
    void documentStateChanged();
    // Data, titles, notes or format changed.
    void dataEdited();
    void saved(const QString& path);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* buildDataPage();
    void showDataPageForFormat();
    void fitSummaryColumns();
    void onEdited();
    void updateTitle();
    void onFormatChosen(core::DataFormat format);
    void onColumnTitleEdited(int column, const QString& title);
    void onRowTitleEdited(int row, const QString& title);
    // The data grid's cells to the clipboard, with the titles the selection asks for.
    void copyDataCells();
    // The decimal separator of text exchanged with other programs.
    char exchangeDecimalSeparator() const;

    std::unique_ptr<core::DataSet> m_dataSet;
    ShellContext& m_context;
    analyses::ResultsBuffer m_results;
    analyses::RegressionForGraph m_regression;
    QString m_filePath;
    int m_defaultNumber = 1;
    bool m_closed = false;

    Step m_step = Step::DataFormat;
    std::array<bool, StepCount> m_stepEnabled{true, true, true, true, true, true};
    QStackedWidget* m_steps;

    FormatStepPage* m_formatPage = nullptr;
    QStackedWidget* m_dataStack = nullptr;
    QLineEdit* m_tableTitle = nullptr;
    QTabWidget* m_dataTabs = nullptr;
    DataGridView* m_dataGrid = nullptr;
    DataGridModel* m_dataModel = nullptr;
    DataGridView* m_summaryGrid = nullptr;
    SummaryGridModel* m_summaryModel = nullptr;
    TwoByTwoPage* m_twoByTwoPage = nullptr;
    QPointer<NotesWindow> m_notesWindow;
    StatisticsStep* m_statisticsStep = nullptr;
    ChooseTestStep* m_chooseTestStep = nullptr;
    ResultsStep* m_resultsStep = nullptr;
    GraphStep* m_graphStep = nullptr;
};

}  // namespace ombrix::app
