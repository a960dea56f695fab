#include "app/statistics_step.h"

#include <QAction>
#include <QButtonGroup>
#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

#include "analyses/column_statistics.h"
#include "app/grid_models.h"
#include "app/step_text.h"

namespace ombrix::app {

namespace {

// Grid row 0 is the column heading and row 1 is empty: the view's header
// shows the headings, so the model starts at the mean.
constexpr int FirstGridRow = 2;
// Rows 9 to 16 (extremes, median, normality) belong to raw-value formats only.
constexpr int LastSummaryGridRow = 8;

bool hasRawRows(core::DataFormat format)
{
    return format == core::DataFormat::Raw || format == core::DataFormat::MultipleRegression;
}

int shownColumns(const core::DataTable& table)
{
    return std::max(table.lastUsedColumn(), table.highestColumnWithData()) + 1;
}

int shownGridRows(core::DataFormat format)
{
    return (hasRawRows(format) ? analyses::StatisticsGridRows - 1 : LastSummaryGridRow) - FirstGridRow + 1;
}

analyses::StatisticsGridOptions gridOptions(const core::DataSet& dataSet)
{
    analyses::StatisticsGridOptions options;
    options.sdFirst = dataSet.choices.ShowSD;
    options.format = dataSet.format;
    return options;
}

}  // namespace

StatisticsGridModel::StatisticsGridModel(const core::DataSet& dataSet, QObject* parent)
    : QAbstractTableModel(parent)
    , m_dataSet(&dataSet)
{
}

void StatisticsGridModel::setDataSet(const core::DataSet& dataSet)
{
    beginResetModel();
    m_dataSet = &dataSet;
    endResetModel();
}

void StatisticsGridModel::refresh()
{
    beginResetModel();
    endResetModel();
}

void StatisticsGridModel::refreshCells()
{
    const int rows = rowCount();
    const int columns = columnCount();
    if (rows == 0 || columns == 0)
        return;
    Q_EMIT headerDataChanged(Qt::Vertical, 0, rows - 1);
    Q_EMIT dataChanged(index(0, 0), index(rows - 1, columns - 1));
}

int StatisticsGridModel::gridRowOfModelRow(int row)
{
    return row + FirstGridRow;
}

int StatisticsGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : shownGridRows(m_dataSet->format);
}

int StatisticsGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : shownColumns(m_dataSet->table);
}

QVariant StatisticsGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    if (role != Qt::DisplayRole)
        return {};
    return fromUtf8(analyses::statisticsGridCell(m_dataSet->table, index.column(), gridRowOfModelRow(index.row()),
                                                 gridOptions(*m_dataSet)));
}

QVariant StatisticsGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Vertical)
        return fromUtf8(analyses::statisticsGridLabel(gridRowOfModelRow(section), gridOptions(*m_dataSet)));
    // The data grid's own names: X and Y1, Y2, ... for XY data.
    const QString heading = columnHeading(m_dataSet->format, section);
    const std::string& title = m_dataSet->table.column(section).title;
    return title.empty() ? heading : heading + QLatin1Char('\n') + fromUtf8(title);
}

std::vector<std::vector<std::string>> statisticsGridCells(const core::DataSet& dataSet, QChar decimalSeparator)
{
    const core::DataTable& table = dataSet.table;
    const analyses::StatisticsGridOptions options = gridOptions(dataSet);
    const int columns = shownColumns(table);
    const int lastRow = FirstGridRow + shownGridRows(dataSet.format) - 1;
    const std::string separator = QString(decimalSeparator).toStdString();

    std::vector<std::vector<std::string>> cells(1, std::vector<std::string>(1));
    for (int column = 0; column < columns; ++column) {
        const std::string& title = table.column(column).title;
        cells[0].push_back(title.empty() ? columnHeading(dataSet.format, column).toStdString() : title);
    }
    for (int row = FirstGridRow; row <= lastRow; ++row) {
        std::vector<std::string> line{analyses::statisticsGridLabel(row, options)};
        for (int column = 0; column < columns; ++column) {
            std::string cell = analyses::statisticsGridCell(table, column, row, options);
            if (const std::size_t point = cell.find('.'); point != std::string::npos && separator != ".")
                cell.replace(point, 1, separator);
            line.push_back(std::move(cell));
        }
        cells.push_back(std::move(line));
    }
    return cells;
}

QString statisticsGridText(const core::DataSet& dataSet, QChar decimalSeparator)
{
    QString text;
    for (const std::vector<std::string>& row : statisticsGridCells(dataSet, decimalSeparator)) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i > 0)
                text += QLatin1Char('\t');
            text += fromUtf8(row[i]);
        }
        text += QLatin1Char('\n');
    }
    return text;
}

StatisticsStep::StatisticsStep(core::DataSet& dataSet, QWidget* parent)
    : QWidget(parent)
    , m_dataSet(&dataSet)
{
    setObjectName(QStringLiteral("statisticsStep"));

    m_model = new StatisticsGridModel(dataSet, this);
    m_view = new QTableView(this);
    m_view->setAccessibleName(tr("Column statistics"));
    m_view->setObjectName(QStringLiteral("statisticsGrid"));
    m_view->setModel(m_model);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setWordWrap(false);
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    // Ctrl+C in the grid copies the whole grid (see eventFilter); the pop-up
    // menu offers the same.
    auto* copyAction = new QAction(tr("&Copy"), m_view);
    connect(copyAction, &QAction::triggered, this, &StatisticsStep::copy);
    m_view->addAction(copyAction);
    m_view->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_view->installEventFilter(this);

    m_sdButton = new QPushButton(tr("SD"), this);
    m_sdButton->setObjectName(QStringLiteral("sdButton"));
    m_sdButton->setToolTip(tr("List the standard deviation before the standard error"));
    m_semButton = new QPushButton(tr("SEM"), this);
    m_semButton->setObjectName(QStringLiteral("semButton"));
    m_semButton->setToolTip(tr("List the standard error before the standard deviation"));
    auto* group = new QButtonGroup(this);
    for (QPushButton* button : {m_sdButton, m_semButton}) {
        button->setCheckable(true);
        group->addButton(button);
    }
    connect(m_sdButton, &QPushButton::clicked, this, [this] { setShowSD(true); });
    connect(m_semButton, &QPushButton::clicked, this, [this] { setShowSD(false); });

    auto* copyButton = new QPushButton(tr("&Copy"), this);
    copyButton->setObjectName(QStringLiteral("copyButton"));
    copyButton->setToolTip(tr("Copy the statistics to the clipboard"));
    connect(copyButton, &QPushButton::clicked, this, &StatisticsStep::copy);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(new QLabel(tr("Show first:"), this));
    buttons->addWidget(m_sdButton);
    buttons->addWidget(m_semButton);
    buttons->addStretch(1);
    buttons->addWidget(copyButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_view, 1);
    syncButtons();
}

void StatisticsStep::setDataSet(core::DataSet& dataSet)
{
    m_dataSet = &dataSet;
    m_model->setDataSet(dataSet);
    syncButtons();
    fitGrid();
}

void StatisticsStep::enterStep()
{
    analyses::UpdateColumnStatistics(m_dataSet->table);
    syncButtons();
    m_model->refresh();
    fitGrid();
}

void StatisticsStep::fitGrid()
{
    // Numbers are never cut short: every column is as wide as its widest text.
    m_view->resizeColumnsToContents();
    // The unlabelled rows only separate groups of statistics: half height.
    QHeaderView* rows = m_view->verticalHeader();
    for (int row = 0; row < m_model->rowCount(); ++row) {
        const bool separator = m_model->headerData(row, Qt::Vertical).toString().isEmpty();
        rows->resizeSection(row, separator ? rows->defaultSectionSize() / 2 : rows->defaultSectionSize());
    }
}

void StatisticsStep::syncButtons()
{
    m_sdButton->setChecked(m_dataSet->choices.ShowSD);
    m_semButton->setChecked(!m_dataSet->choices.ShowSD);
}

void StatisticsStep::setShowSD(bool showSD)
{
    if (m_dataSet->choices.ShowSD != showSD) {
        m_dataSet->choices.ShowSD = showSD;
        m_dataSet->markChanged();
        m_model->refreshCells();
        Q_EMIT changed();
    }
    syncButtons();
}

bool StatisticsStep::eventFilter(QObject* watched, QEvent* event)
{
    // The grid's own Ctrl+C would copy one cell, and a window menu with the
    // same shortcut would not be asked while the grid has the focus.
    if (watched == m_view && (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Copy)) {
            event->accept();
            if (event->type() == QEvent::KeyPress)
                copy();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void StatisticsStep::copy()
{
    QGuiApplication::clipboard()->setText(statisticsGridText(*m_dataSet, systemDecimalSeparator()));
}

}  // namespace ombrix::app
