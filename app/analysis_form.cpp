#include "app/analysis_form.h"

#include "app/choose_test_step.h"
#include "app/graph_step.h"
#include "app/results_step.h"
#include "app/results_viewer.h"
#include "app/statistics_step.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/data_grid_view.h"
#include "app/format_step.h"
#include "app/grid_models.h"
#include "app/notes_window.h"
#include "app/two_by_two_page.h"
#include "core/cell_entry.h"
#include "workflow/document_io.h"

namespace ombrix::app {

namespace {

constexpr int RawValuesTab = 0;
constexpr int SummaryTab = 1;

// The hourglass while a file is written or read.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

QString defaultDocumentName(int number)
{
    return QStringLiteral("DATASET%1.OXD").arg(number);
}

TAnalysisForm::TAnalysisForm(std::unique_ptr<core::DataSet> dataSet, ShellContext& context, QWidget* parent)
    : QWidget(parent)
    , m_dataSet(dataSet ? std::move(dataSet) : std::make_unique<core::DataSet>())
    , m_context(context)
    , m_steps(new QStackedWidget(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_steps);

    m_formatPage = new FormatStepPage(m_steps);
    connect(m_formatPage, &FormatStepPage::formatChosen, this, &TAnalysisForm::onFormatChosen);
    m_steps->addWidget(m_formatPage);
    m_steps->addWidget(buildDataPage());
    m_statisticsStep = new StatisticsStep(*m_dataSet, m_steps);
    m_chooseTestStep = new ChooseTestStep(*m_dataSet, m_steps);
    m_resultsStep = new ResultsStep(*m_dataSet, m_results, m_regression, m_context.progress, m_steps);
    m_steps->addWidget(m_statisticsStep);
    m_steps->addWidget(m_chooseTestStep);
    m_steps->addWidget(m_resultsStep);
    m_graphStep = new GraphStep(
        *m_dataSet, m_context, m_regression,
        [this](workflow::StatusView* view) { return m_resultsStep->bringUpToDate(view).has_value(); }, m_steps);
    m_steps->addWidget(m_graphStep);
    connect(m_graphStep, &GraphStep::changed, this, &TAnalysisForm::noteChange);
    connect(m_graphStep, &GraphStep::exportRequested, this, &TAnalysisForm::exportCurrent);
    connect(m_statisticsStep, &StatisticsStep::changed, this, &TAnalysisForm::noteChange);
    connect(m_chooseTestStep, &ChooseTestStep::changed, this, &TAnalysisForm::noteChange);
    connect(m_resultsStep, &ResultsStep::changed, this, &TAnalysisForm::noteChange);
    connect(m_resultsStep, &ResultsStep::notesChanged, this, &TAnalysisForm::notesChanged);
    m_resultsStep->viewer()->setMessageShower(
        [this](const QString& message) { m_context.asker.tell(this, message, MessageKind::Warning); });

    m_formatPage->showFormat(m_dataSet->format);
    showDataPageForFormat();
    m_steps->setCurrentIndex(stepIndex(m_step));
    updateTitle();
}

TAnalysisForm::~TAnalysisForm()
{
    // The notes window is a top-level window of its own; it goes with its data set.
    delete m_notesWindow;
}

QWidget* TAnalysisForm::buildDataPage()
{
    m_dataStack = new QStackedWidget(m_steps);

    auto* gridPage = new QWidget(m_dataStack);
    auto* gridLayout = new QVBoxLayout(gridPage);
    gridLayout->setContentsMargins(4, 4, 4, 4);
    auto* titleRow = new QHBoxLayout;
    auto* titleLabel = new QLabel(tr("Table &title:"), gridPage);
    m_tableTitle = new QLineEdit(gridPage);
    titleLabel->setBuddy(m_tableTitle);
    titleRow->addWidget(titleLabel);
    titleRow->addWidget(m_tableTitle, 1);
    gridLayout->addLayout(titleRow);
    connect(m_tableTitle, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_dataSet->table.setTitle(text.toStdString());
        m_dataSet->markChanged();
        onEdited();
    });

    const EntryQuestions questions{[this](const std::string& question) {
                                       return m_context.asker.askYesNo(this, QString::fromStdString(question));
                                   },
                                   m_context.decimalSeparator};

    m_dataTabs = new QTabWidget(gridPage);
    m_dataGrid = new DataGridView(DataGridView::TitleEditing::ColumnAndRowTitles, m_dataTabs);
    m_dataGrid->setAccessibleName(tr("Data table"));
    m_dataModel = new DataGridModel(*m_dataSet, questions, this);
    m_dataGrid->setModel(m_dataModel);
    m_dataGrid->setDataExtent([this] {
        return std::pair{m_dataSet->table.lastUsedRow(), m_dataSet->table.lastUsedColumn()};
    });
    m_dataGrid->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    m_summaryGrid = new DataGridView(DataGridView::TitleEditing::None, m_dataTabs);
    m_summaryGrid->setAccessibleName(tr("Means, SD or SEM, and N"));
    m_summaryModel = new SummaryGridModel(*m_dataSet, questions, this);
    m_summaryGrid->setModel(m_summaryModel);
    m_dataTabs->addTab(m_dataGrid, tr("Raw values"));
    m_dataTabs->addTab(m_summaryGrid, tr("Mean, SD or SEM, and N"));
    gridLayout->addWidget(m_dataTabs, 1);

    connect(m_dataModel, &DataGridModel::edited, this, &TAnalysisForm::onEdited);
    connect(m_summaryModel, &SummaryGridModel::edited, this, &TAnalysisForm::onEdited);
    connect(m_dataGrid, &DataGridView::clearRequested, this, &TAnalysisForm::clearSelection);
    connect(m_summaryGrid, &DataGridView::clearRequested, this, &TAnalysisForm::clearSelection);
    connect(m_dataGrid, &DataGridView::copyRequested, this, &TAnalysisForm::copy);
    connect(m_dataGrid, &DataGridView::pasteRequested, this, &TAnalysisForm::pasteCells);
    connect(m_dataGrid, &DataGridView::columnTitleEdited, this, &TAnalysisForm::onColumnTitleEdited);
    connect(m_dataGrid, &DataGridView::rowTitleEdited, this, &TAnalysisForm::onRowTitleEdited);
    connect(m_dataTabs, &QTabWidget::currentChanged, this, [this](int tab) {
        if (tab == SummaryTab) {
            m_dataGrid->commitOpenEditor();
            m_summaryModel->everythingChanged();
            fitSummaryColumns();
        } else {
            m_summaryGrid->commitOpenEditor();
            m_dataModel->everythingChanged();
        }
    });

    m_twoByTwoPage = new TwoByTwoPage(*m_dataSet, m_dataStack);
    connect(m_twoByTwoPage, &TwoByTwoPage::edited, this, &TAnalysisForm::onEdited);

    m_dataStack->addWidget(gridPage);
    m_dataStack->addWidget(m_twoByTwoPage);
    return m_dataStack;
}

void TAnalysisForm::showDataPageForFormat()
{
    const core::DataFormat format = m_dataSet->format;
    if (format == core::DataFormat::TwoByTwo) {
        m_twoByTwoPage->load();
        m_dataStack->setCurrentWidget(m_twoByTwoPage);
        return;
    }
    m_dataStack->setCurrentIndex(0);
    const QString title = QString::fromStdString(m_dataSet->table.title());
    m_tableTitle->setMaxLength(std::max(core::MaxTableTitleLength, static_cast<int>(title.size())));
    if (m_tableTitle->text() != title)
        m_tableTitle->setText(title);

    const bool raw = format == core::DataFormat::Raw;
    const bool summaryOnly = format == core::DataFormat::MeanSDN || format == core::DataFormat::MeanSEMN;
    m_dataTabs->setTabVisible(RawValuesTab, !summaryOnly);
    m_dataTabs->setTabVisible(SummaryTab, raw || summaryOnly);
    m_dataTabs->tabBar()->setVisible(raw);
    if (summaryOnly)
        m_dataTabs->setCurrentIndex(SummaryTab);
    else if (!raw)
        m_dataTabs->setCurrentIndex(RawValuesTab);
    m_dataModel->everythingChanged();
    m_summaryModel->everythingChanged();
    if (m_dataTabs->currentIndex() == SummaryTab)
        fitSummaryColumns();
}

void TAnalysisForm::fitSummaryColumns()
{
    // Fifteen rows: measuring them is cheap, and typed means are long.
    const int minimum = m_summaryGrid->horizontalHeader()->defaultSectionSize();
    for (int column = 0; column < m_summaryModel->columnCount(); ++column)
        m_summaryGrid->fitColumn(column, minimum, 3 * minimum);
}

QString TAnalysisForm::documentName() const
{
    return m_filePath.isEmpty() ? defaultDocumentName(m_defaultNumber) : QFileInfo(m_filePath).fileName();
}

void TAnalysisForm::setDefaultName(int number)
{
    m_filePath.clear();
    m_defaultNumber = number;
    updateTitle();
}

void TAnalysisForm::setFilePath(const QString& path)
{
    m_filePath = path;
    updateTitle();
}

bool TAnalysisForm::isUntouched() const
{
    return m_dataSet->isUntouched() && m_dataSet->notes.empty();
}

bool TAnalysisForm::hasContent() const
{
    return !isUntouched();
}

void TAnalysisForm::setStepEnabled(Step step, bool enabled)
{
    m_stepEnabled[stepIndex(step)] = enabled;
    Q_EMIT documentStateChanged();
}

bool TAnalysisForm::goToStep(Step step)
{
    if (!isStepEnabled(step))
        return false;
    if (step == m_step)
        return true;
    commitPendingEdits();
    m_step = step;
    if (step == Step::DataFormat)
        m_formatPage->showFormat(m_dataSet->format);
    if (step == Step::EnterData)
        showDataPageForFormat();
    m_steps->setCurrentIndex(stepIndex(step));
    // Each of these steps shows the data set as it is now.
    if (step == Step::ColumnStats && m_statisticsStep == m_steps->widget(stepIndex(step)))
        m_statisticsStep->enterStep();
    if (step == Step::ChooseTest && m_chooseTestStep == m_steps->widget(stepIndex(step)))
        m_chooseTestStep->enterStep();
    if (step == Step::Results && m_resultsStep == m_steps->widget(stepIndex(step))) {
        Q_EMIT stepChanged(step);
        m_resultsStep->enterStep();
        return true;
    }
    if (step == Step::Graph && m_graphStep == m_steps->widget(stepIndex(step))) {
        Q_EMIT stepChanged(step);
        m_graphStep->enterStep();
        return true;
    }
    if (step == Step::EnterData && isVisible()) {
        if (DataGridView* grid = activeGrid())
            grid->setFocus(Qt::OtherFocusReason);
    }
    Q_EMIT stepChanged(step);
    return true;
}

bool TAnalysisForm::nextStep()
{
    for (int i = stepIndex(m_step) + 1; i < StepCount; ++i)
        if (m_stepEnabled[i])
            return goToStep(stepAt(i));
    return false;
}

bool TAnalysisForm::previousStep()
{
    for (int i = stepIndex(m_step) - 1; i >= 0; --i)
        if (m_stepEnabled[i])
            return goToStep(stepAt(i));
    return false;
}

QWidget* TAnalysisForm::stepPage(Step step) const
{
    return m_steps->widget(stepIndex(step));
}

void TAnalysisForm::setStepPage(Step step, QWidget* page)
{
    // The format and data entry pages are this window's own.
    if (!page || step == Step::DataFormat || step == Step::EnterData)
        return;
    const int index = stepIndex(step);
    QWidget* old = m_steps->widget(index);
    if (old == page)
        return;
    m_steps->insertWidget(index, page);
    m_steps->removeWidget(old);
    delete old;
    m_steps->setCurrentIndex(stepIndex(m_step));
}

void TAnalysisForm::commitPendingEdits()
{
    m_dataGrid->commitOpenEditor();
    m_summaryGrid->commitOpenEditor();
}

bool TAnalysisForm::save(SaveMode mode)
{
    if (m_context.progress.calculating())
        return false;
    commitPendingEdits();

    QString path = m_filePath;
    if (path.isEmpty() || mode == SaveMode::SaveAs) {
        const QString folder = m_context.settings.dataFolder;
        QString proposed = m_filePath;
        if (proposed.isEmpty())
            proposed = folder.isEmpty() ? documentName() : QDir(folder).filePath(documentName());
        path = m_context.asker.saveFileName(this, tr("Save As"), proposed,
                                            tr("Ombrix data file (*.OXD *.oxd);;Any file (*)"));
        if (path.isEmpty())
            return false;
        if (QFileInfo(path).suffix().isEmpty())
            path += QStringLiteral(".OXD");
        path = QFileInfo(path).absoluteFilePath();
    }

    core::SaveResult result;
    {
        BusyCursor busy;
        result = workflow::saveDocument(*m_dataSet, path.toStdString());
    }
    if (!result.ok) {
        m_context.asker.tell(this, QStringLiteral("%1: %2").arg(QString::fromStdString(result.error), path),
                             MessageKind::Critical);
        return false;
    }
    m_context.settings.dataFolder = QFileInfo(path).absolutePath();
    m_filePath = path;
    updateTitle();
    if (core::compatibilityWarningDue(*m_dataSet, result, m_context.settings.compatibilityWarning)) {
        if (m_context.asker.tellWithCheckBox(this, QString::fromUtf8(core::CompatibilityWarningMessage),
                                             QString::fromUtf8(core::CompatibilityCheckBoxCaption)))
            m_context.settings.compatibilityWarning = false;
    }
    Q_EMIT saved(path);
    return true;
}

DataGridView* TAnalysisForm::activeGrid() const
{
    if (m_step != Step::EnterData || m_dataSet->format == core::DataFormat::TwoByTwo)
        return nullptr;
    return m_dataTabs->currentIndex() == SummaryTab ? m_summaryGrid : m_dataGrid;
}

void TAnalysisForm::clearSelection()
{
    DataGridView* grid = activeGrid();
    if (!grid)
        return;
    grid->commitOpenEditor();
    QItemSelection selection = grid->selectionModel()->selection();
    if (selection.isEmpty() && grid->currentIndex().isValid())
        selection.select(grid->currentIndex(), grid->currentIndex());

    if (grid == m_summaryGrid) {
        for (const QItemSelectionRange& range : selection)
            for (int row = range.top(); row <= range.bottom(); ++row)
                for (int column = range.left(); column <= range.right(); ++column) {
                    const QModelIndex cell = m_summaryModel->index(row, column);
                    if (!m_summaryModel->data(cell, Qt::EditRole).toString().isEmpty())
                        m_summaryModel->setData(cell, QString(), Qt::EditRole);
                }
        return;
    }

    core::DataTable& table = m_dataSet->table;
    bool changed = false;
    for (const QItemSelectionRange& range : selection) {
        // Only the used part of the table can hold values.
        const int lastRow = std::min(range.bottom(), table.lastUsedRow());
        const int lastColumn = std::min(range.right(), table.lastUsedColumn());
        for (int row = range.top(); row <= lastRow; ++row)
            for (int column = range.left(); column <= lastColumn; ++column)
                if (!table.isBlank(row, column)) {
                    table.setValue(row, column, MissingValue);
                    changed = true;
                }
        if (lastRow >= range.top() && lastColumn >= range.left())
            m_dataModel->cellsChanged(range.top(), range.left(), lastRow, lastColumn);
    }
    if (changed) {
        m_dataSet->markChanged();
        onEdited();
    }
}

void TAnalysisForm::clearAll()
{
    commitPendingEdits();
    if (isUntouched())
        return;
    if (!m_context.asker.askYesNo(this, tr("Erase all the values and titles of this data table? This cannot be "
                                           "undone.")))
        return;
    m_dataSet->table = core::DataTable();
    m_dataSet->twoByTwo = core::TwoByTwoRecord();
    m_dataSet->markChanged();
    refreshViews();
    onEdited();
}

void TAnalysisForm::selectColumn()
{
    if (DataGridView* grid = activeGrid(); grid && grid->currentIndex().isValid())
        grid->selectColumn(grid->currentIndex().column());
}

void TAnalysisForm::selectRow()
{
    if (DataGridView* grid = activeGrid(); grid && grid->currentIndex().isValid())
        grid->selectRow(grid->currentIndex().row());
}

void TAnalysisForm::selectAll()
{
    if (DataGridView* grid = activeGrid())
        grid->selectAll();
    else if (m_step == Step::Results && m_resultsStep)
        m_resultsStep->viewer()->selectAll();
}

bool TAnalysisForm::canCopy() const
{
    return activeGrid() == m_dataGrid || (m_step == Step::ColumnStats && m_statisticsStep) ||
           (m_step == Step::Results && m_resultsStep) || (m_step == Step::Graph && m_graphStep);
}

void TAnalysisForm::copy()
{
    if (m_dataGrid && activeGrid() == m_dataGrid)
        copyDataCells();
    else if (m_step == Step::ColumnStats && m_statisticsStep)
        m_statisticsStep->copy();
    else if (m_step == Step::Results && m_resultsStep)
        m_resultsStep->copy();
    else if (m_step == Step::Graph && m_graphStep)
        m_graphStep->copy();
}

bool TAnalysisForm::canAppendToNotes() const
{
    return m_step == Step::Results && m_resultsStep;
}

void TAnalysisForm::appendToNotes()
{
    if (canAppendToNotes())
        m_resultsStep->appendToNotes();
}

void TAnalysisForm::toggleExclusion()
{
    if (activeGrid() != m_dataGrid)
        return;
    m_dataGrid->commitOpenEditor();
    const QItemSelection selection = m_dataGrid->selectionModel()->selection();
    core::CellBlock block;
    if (!selection.isEmpty()) {
        const QItemSelectionRange& range = selection.constFirst();
        block = {range.top(), range.left(), range.bottom(), range.right()};
    } else if (const QModelIndex current = m_dataGrid->currentIndex(); current.isValid()) {
        block = {current.row(), current.column(), current.row(), current.column()};
    } else {
        return;
    }
    core::toggleExclusion(*m_dataSet, block);
    const core::DataTable& table = m_dataSet->table;
    m_dataModel->cellsChanged(block.firstRow, block.firstColumn, std::min(block.lastRow, table.lastUsedRow()),
                              std::min(block.lastColumn, table.lastUsedColumn()));
    onEdited();
}

void TAnalysisForm::showNotes()
{
    if (!m_notesWindow) {
        m_notesWindow = new NotesWindow(m_dataSet->notes, nullptr);
        m_notesWindow->setDocumentName(documentName());
        connect(m_notesWindow, &NotesWindow::edited, this, [this] {
            m_dataSet->modified = true;
            updateTitle();
            Q_EMIT dataEdited();
        });
    }
    m_notesWindow->show();
    m_notesWindow->raise();
    m_notesWindow->activateWindow();
}

void TAnalysisForm::notesChanged()
{
    if (m_notesWindow)
        m_notesWindow->reload();
}

void TAnalysisForm::refreshViews()
{
    m_formatPage->showFormat(m_dataSet->format);
    showDataPageForFormat();
    notesChanged();
    updateTitle();
}

void TAnalysisForm::noteChange()
{
    onEdited();
}

void TAnalysisForm::onEdited()
{
    updateTitle();
    Q_EMIT dataEdited();
}

void TAnalysisForm::updateTitle()
{
    const QString name = documentName();
    setWindowTitle(name + QStringLiteral("[*]"));
    setWindowModified(m_dataSet->modified);
    if (m_notesWindow)
        m_notesWindow->setDocumentName(name);
    Q_EMIT documentStateChanged();
}

void TAnalysisForm::onFormatChosen(core::DataFormat format)
{
    m_dataSet->chooseFormat(format);
    showDataPageForFormat();
    onEdited();
}

void TAnalysisForm::onColumnTitleEdited(int column, const QString& title)
{
    if (!core::DataTable::isValidColumn(column) || title.toStdString() == m_dataSet->table.column(column).title)
        return;
    const core::AskYesNo ask = [this](const std::string& question) {
        return m_context.asker.askYesNo(this, QString::fromStdString(question));
    };
    core::enterColumnTitle(*m_dataSet, column, title.toStdString(), m_context.decimalSeparator,
                           m_context.askAboutNumericTitles, ask, ask);
    m_dataModel->columnChanged(column);
    m_dataModel->titlesChanged();
    onEdited();
}

void TAnalysisForm::onRowTitleEdited(int row, const QString& title)
{
    core::DataTable& table = m_dataSet->table;
    if (row < 0 || row >= table.rowCount() || title.toStdString() == table.rowTitle(row))
        return;
    table.setRowTitle(row, title.toStdString());
    m_dataSet->markChanged();
    m_dataModel->titlesChanged();
    onEdited();
}

void TAnalysisForm::closeEvent(QCloseEvent* event)
{
    // A calculation reads this data set until it ends.
    if (m_context.progress.calculating()) {
        event->ignore();
        return;
    }
    commitPendingEdits();
    if (hasContent() && m_dataSet->modified) {
        switch (
            m_context.asker.askYesNoCancel(this, tr("Do you want to save changes to \"%1\"?").arg(documentName()))) {
        case Answer::Yes:
            if (!save(SaveMode::Save)) {
                event->ignore();
                return;
            }
            break;
        case Answer::No: break;
        case Answer::Cancel: event->ignore(); return;
        }
    }
    if (m_notesWindow)
        m_notesWindow->close();
    m_closed = true;
    event->accept();
}

}  // namespace ombrix::app
