#pragma once

#include <QWidget>

#include <functional>

#include "analyses/analysis_inputs.h"
#include "app/shell_context.h"
#include "core/data_set.h"
#include "graphs/chart_model.h"
#include "graphs/chart_renderer.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;

namespace ombrix::app {

class StatusPanel;

// The graph as a widget: the chart model drawn to the widget's size.
class ChartView final : public QWidget {
    Q_OBJECT
public:
    explicit ChartView(QWidget* parent = nullptr);
    void setChart(graphs::Chart chart, graphs::RenderOptions options);
    const graphs::Chart& chart() const { return m_chart; }
    QSize sizeHint() const override { return {720, 500}; }
    QSize minimumSizeHint() const override { return {320, 220}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    graphs::Chart m_chart;
    graphs::RenderOptions m_options;
};

// The axis numbers in the user's decimal separator, thousands grouped by
// the desktop's own mark (or the other of point and comma where it clashes).
graphs::RenderOptions renderOptionsFor(char decimalSeparator);

// The graph step: the data set's graph, rebuilt on entry and whenever one of
// its options changes (SD or SEM, columns or rows, the multiple-regression
// variables and "Analyzed data only"), with Copy and Export.
class GraphStep final : public QWidget {
    Q_OBJECT
public:
    // bringResultsUpToDate calculates stale results with the status view
    // given (the one on this page) and returns false while a calculation
    // runs; regression is the document's fitted line. Both outlive the page.
    GraphStep(core::DataSet& dataSet, ShellContext& context, const analyses::RegressionForGraph& regression,
              std::function<bool(workflow::StatusView*)> bringResultsUpToDate, QWidget* parent = nullptr);

    // Entering the step and every option: results first, then the chart.
    void enterStep() { drawGraph(); }
    void drawGraph();

    // Edit > Copy: the graph as an image (and SVG) on the clipboard.
    void copy();
    // File > Export: asks for a file (SVG, PNG or PDF) and writes the graph;
    // proposedPath names the data set's folder and name. True when written.
    bool exportGraph(const QString& proposedPath);
    // Writes the graph as the file's extension says; false with the reason.
    bool writePicture(const QString& path, qreal pngScale, QString* error) const;

    ChartView* chartView() const { return m_view; }
    const graphs::Chart& chart() const;
    graphs::ContingencyOrientation orientation() const { return m_orientation; }
    StatusPanel* statusPanel() const { return m_statusPanel; }
    QPushButton* sdButton() const { return m_sdButton; }
    QPushButton* semButton() const { return m_semButton; }
    QRadioButton* columnsButton() const { return m_columnsButton; }
    QRadioButton* rowsButton() const { return m_rowsButton; }
    QComboBox* xList() const { return m_xList; }
    QComboBox* yList() const { return m_yList; }
    QCheckBox* analysedDataOnly() const { return m_analysedOnly; }

Q_SIGNALS:
    // An option saved with the data set changed here.
    void changed();
    // The page's Export button: the window proposes the file name.
    void exportRequested();

private:
    void syncControls(const graphs::Chart& chart);
    void setShowSD(bool showSD);
    void setOrientation(graphs::ContingencyOrientation orientation);
    void onVariableChosen();

    core::DataSet& m_dataSet;
    ShellContext& m_context;
    const analyses::RegressionForGraph& m_regression;
    std::function<bool(workflow::StatusView*)> m_bringResultsUpToDate;
    graphs::ContingencyOrientation m_orientation = graphs::ContingencyOrientation::Columns;

    ChartView* m_view = nullptr;
    StatusPanel* m_statusPanel = nullptr;
    QWidget* m_errorKind = nullptr;
    QPushButton* m_sdButton = nullptr;
    QPushButton* m_semButton = nullptr;
    QWidget* m_orientationGroup = nullptr;
    QRadioButton* m_columnsButton = nullptr;
    QRadioButton* m_rowsButton = nullptr;
    QWidget* m_variables = nullptr;
    QComboBox* m_xList = nullptr;
    QComboBox* m_yList = nullptr;
    QCheckBox* m_analysedOnly = nullptr;
};

}  // namespace ombrix::app
