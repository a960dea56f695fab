#include "app/graph_step.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "analyses/column_statistics.h"
#include "app/status_panel.h"

namespace ombrix::app {

using graphs::ContingencyOrientation;

ChartView::ChartView(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("chartView"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(tr("Graph"));
}

void ChartView::setChart(graphs::Chart chart, graphs::RenderOptions options)
{
    m_chart = std::move(chart);
    m_options = std::move(options);
    setAccessibleDescription(graphs::chartTitleText(m_chart));
    update();
}

void ChartView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    graphs::drawChart(painter, QRectF(rect()), m_chart, m_options);
}

graphs::RenderOptions renderOptionsFor(char decimalSeparator)
{
    graphs::RenderOptions options;
    options.separators.decimal = std::string(1, decimalSeparator);
    const QString group = QLocale().groupSeparator();
    if (group.isEmpty() || group == QString(QLatin1Char(decimalSeparator)))
        options.separators.group = std::string(1, decimalSeparator == ',' ? '.' : ',');
    else
        options.separators.group = group.toStdString();
    return options;
}

GraphStep::GraphStep(core::DataSet& dataSet, ShellContext& context, const analyses::RegressionForGraph& regression,
                     std::function<bool(workflow::StatusView*)> bringResultsUpToDate, QWidget* parent)
    : QWidget(parent)
    , m_dataSet(dataSet)
    , m_context(context)
    , m_regression(regression)
    , m_bringResultsUpToDate(std::move(bringResultsUpToDate))
{
    setObjectName(QStringLiteral("graphStep"));

    // Error kind of the column-mean graph.
    m_errorKind = new QWidget(this);
    auto* errorLayout = new QHBoxLayout(m_errorKind);
    errorLayout->setContentsMargins(0, 0, 0, 0);
    errorLayout->addWidget(new QLabel(tr("Error bars:"), m_errorKind));
    m_sdButton = new QPushButton(tr("SD"), m_errorKind);
    m_sdButton->setToolTip(tr("Error bars show the standard deviation"));
    m_semButton = new QPushButton(tr("SEM"), m_errorKind);
    m_semButton->setToolTip(tr("Error bars show the standard error of the mean"));
    auto* errorGroup = new QButtonGroup(this);
    for (QPushButton* button : {m_sdButton, m_semButton}) {
        button->setCheckable(true);
        errorGroup->addButton(button);
        errorLayout->addWidget(button);
    }
    connect(m_sdButton, &QPushButton::clicked, this, [this] { setShowSD(true); });
    connect(m_semButton, &QPushButton::clicked, this, [this] { setShowSD(false); });

    // Orientation of the contingency-table graphs.
    m_orientationGroup = new QWidget(this);
    auto* orientationLayout = new QHBoxLayout(m_orientationGroup);
    orientationLayout->setContentsMargins(0, 0, 0, 0);
    orientationLayout->addWidget(new QLabel(tr("Totals of:"), m_orientationGroup));
    m_columnsButton = new QRadioButton(tr("Co&lumns"), m_orientationGroup);
    m_rowsButton = new QRadioButton(tr("Ro&ws"), m_orientationGroup);
    m_columnsButton->setChecked(true);
    orientationLayout->addWidget(m_columnsButton);
    orientationLayout->addWidget(m_rowsButton);
    connect(m_columnsButton, &QRadioButton::toggled, this,
            [this](bool on) { setOrientation(on ? ContingencyOrientation::Columns : ContingencyOrientation::Rows); });

    // Variables of the multiple-regression graph.
    m_variables = new QWidget(this);
    auto* variablesLayout = new QHBoxLayout(m_variables);
    variablesLayout->setContentsMargins(0, 0, 0, 0);
    m_xList = new QComboBox(m_variables);
    m_yList = new QComboBox(m_variables);
    for (QComboBox* list : {m_xList, m_yList}) {
        list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        list->setMinimumContentsLength(12);
        connect(list, &QComboBox::activated, this, [this] { onVariableChosen(); });
    }
    auto* xLabel = new QLabel(tr("&X:"), m_variables);
    xLabel->setBuddy(m_xList);
    auto* yLabel = new QLabel(tr("&Y:"), m_variables);
    yLabel->setBuddy(m_yList);
    m_analysedOnly = new QCheckBox(tr("Analyzed data only"), m_variables);
    connect(m_analysedOnly, &QCheckBox::clicked, this, [this](bool checked) {
        m_dataSet.graph.analysedDataOnly = checked;
        m_dataSet.modified = true;
        Q_EMIT changed();
        drawGraph();
    });
    variablesLayout->addWidget(xLabel);
    variablesLayout->addWidget(m_xList);
    variablesLayout->addSpacing(8);
    variablesLayout->addWidget(yLabel);
    variablesLayout->addWidget(m_yList);
    variablesLayout->addSpacing(8);
    variablesLayout->addWidget(m_analysedOnly);

    auto* copyButton = new QPushButton(tr("&Copy"), this);
    copyButton->setObjectName(QStringLiteral("copyButton"));
    copyButton->setToolTip(tr("Copy the graph to the clipboard as a picture"));
    connect(copyButton, &QPushButton::clicked, this, &GraphStep::copy);
    auto* exportButton = new QPushButton(tr("&Export..."), this);
    exportButton->setObjectName(QStringLiteral("exportButton"));
    exportButton->setToolTip(tr("Save the graph as an SVG, PNG or PDF file"));
    connect(exportButton, &QPushButton::clicked, this, &GraphStep::exportRequested);

    auto* controls = new QHBoxLayout;
    controls->addWidget(m_errorKind);
    controls->addWidget(m_orientationGroup);
    controls->addWidget(m_variables);
    controls->addStretch(1);
    controls->addWidget(copyButton);
    controls->addWidget(exportButton);

    m_view = new ChartView(this);
    m_statusPanel = new StatusPanel(context.progress, this);
    m_statusPanel->setResultsViewer(m_view);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(m_statusPanel, 1);
    layout->addWidget(m_view, 1);
    m_errorKind->hide();
    m_orientationGroup->hide();
    m_variables->hide();
}

const graphs::Chart& GraphStep::chart() const
{
    return m_view->chart();
}

void GraphStep::drawGraph()
{
    // The results and the fitted line are half written while a calculation
    // runs (this page is reached from the events it processes): the graph
    // shown stays until it ends.
    if (m_context.progress.calculating())
        return;
    const bool twoByTwo = m_dataSet.format == core::DataFormat::TwoByTwo;
    core::DataTable& table = m_dataSet.table;
    // Typed means and SDs hold data in no cell: the column records tell.
    analyses::UpdateColumnStatistics(table);
    table.recomputeLastUsed();
    const bool noData = twoByTwo ? m_dataSet.twoByTwo.allBlank() : table.isEmpty() && table.countColumnsWithData() == 0;
    graphs::Chart chart;
    if (noData) {
        chart.title.push_back(table.title());
    } else {
        // The graph shows the totals and the fit of the current data: stale
        // results are calculated first (a two-by-two table always is).
        if (twoByTwo)
            m_dataSet.resultsStale = true;
        if (!m_bringResultsUpToDate(m_statusPanel))
            return;
        chart = graphs::buildChart(m_dataSet, graphs::ViewOptions{m_orientation}, m_regression);
        if (m_dataSet.format == core::DataFormat::MultipleRegression) {
            // What is shown is what is saved.
            m_dataSet.graph.multipleRegressionX = chart.xChoice;
            m_dataSet.graph.multipleRegressionY = chart.yChoice;
        }
    }
    syncControls(chart);
    m_view->setChart(std::move(chart), renderOptionsFor(m_context.decimalSeparator));
    m_view->show();
}

void GraphStep::syncControls(const graphs::Chart& chart)
{
    m_errorKind->setVisible(chart.showErrorKind);
    m_sdButton->setChecked(m_dataSet.choices.ShowSD);
    m_semButton->setChecked(!m_dataSet.choices.ShowSD);
    m_orientationGroup->setVisible(chart.showOrientation);
    {
        const QSignalBlocker blocker(m_columnsButton);
        (m_orientation == ContingencyOrientation::Columns ? m_columnsButton : m_rowsButton)->setChecked(true);
    }
    const bool variables = m_dataSet.format == core::DataFormat::MultipleRegression;
    m_variables->setVisible(variables);
    if (!variables)
        return;
    const auto fill = [](QComboBox* list, const std::vector<std::string>& entries, const std::string& chosen) {
        const QSignalBlocker blocker(list);
        list->clear();
        for (const std::string& entry : entries)
            list->addItem(QString::fromStdString(entry));
        list->setCurrentIndex(list->findText(QString::fromStdString(chosen)));
    };
    fill(m_xList, chart.xChoices, chart.xChoice);
    fill(m_yList, chart.yChoices, chart.yChoice);
    m_analysedOnly->setChecked(m_dataSet.graph.analysedDataOnly);
}

void GraphStep::setShowSD(bool showSD)
{
    if (m_dataSet.choices.ShowSD != showSD) {
        m_dataSet.choices.ShowSD = showSD;
        m_dataSet.markChanged();
        Q_EMIT changed();
    }
    drawGraph();
}

void GraphStep::setOrientation(ContingencyOrientation orientation)
{
    if (m_orientation == orientation)
        return;
    m_orientation = orientation;
    drawGraph();
}

void GraphStep::onVariableChosen()
{
    m_dataSet.graph.multipleRegressionX = m_xList->currentText().toStdString();
    m_dataSet.graph.multipleRegressionY = m_yList->currentText().toStdString();
    m_dataSet.modified = true;
    Q_EMIT changed();
    drawGraph();
}

void GraphStep::copy()
{
    const QSize size(graphs::PictureWidth, graphs::PictureHeight);
    const graphs::RenderOptions options = renderOptionsFor(m_context.decimalSeparator);
    auto* data = new QMimeData;
    // Office programs take the image; drawing programs the scalable SVG.
    data->setImageData(graphs::chartImage(chart(), size, 2, options));
    data->setData(QStringLiteral("image/svg+xml"), graphs::chartSvg(chart(), size, options));
    QGuiApplication::clipboard()->setMimeData(data);
}

bool GraphStep::writePicture(const QString& path, qreal pngScale, QString* error) const
{
    const auto format = graphs::pictureFormatOf(path);
    if (!format) {
        if (error)
            *error = tr("Graphs are exported as .svg, .png or .pdf files.");
        return false;
    }
    return graphs::writeChartPicture(chart(), path, *format, pngScale, renderOptionsFor(m_context.decimalSeparator),
                                     error);
}

bool GraphStep::exportGraph(const QString& proposedPath)
{
    Asker& asker = m_context.asker;
    QString path = asker.saveFileName(this, tr("Export Graph"), proposedPath,
                                      tr("PNG picture (*.png);;SVG picture (*.svg);;PDF document (*.pdf)"));
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".png");
    const auto format = graphs::pictureFormatOf(path);
    if (!format) {
        asker.tell(this, tr("Graphs are exported as .svg, .png or .pdf files."), MessageKind::Warning, path);
        return false;
    }
    qreal scale = 1;
    if (*format == graphs::PictureFormat::Png) {
        QStringList sizes;
        for (int factor = 1; factor <= 4; ++factor)
            sizes.push_back(tr("%1× (%2 × %3 pixels)")
                                .arg(factor)
                                .arg(graphs::PictureWidth * factor)
                                .arg(graphs::PictureHeight * factor));
        const int chosen = asker.chooseItem(this, tr("Export Graph"), tr("Size of the picture:"), sizes, 1);
        if (chosen < 0)
            return false;
        scale = chosen + 1;
    }
    QString error;
    if (!writePicture(path, scale, &error)) {
        asker.tell(this, tr("The graph could not be exported."), MessageKind::Critical,
                   path + QLatin1Char('\n') + error);
        return false;
    }
    return true;
}

}  // namespace ombrix::app
