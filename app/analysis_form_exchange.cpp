// The data set window's exchange with other programs: Import of delimited
// text, Export of the step shown, and Copy and Paste on the data grid.
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QLineEdit>
#include <QMimeData>

#include "analyses/report_chars.h"
#include "app/analysis_form.h"
#include "app/data_exchange.h"
#include "app/data_grid_view.h"
#include "app/graph_step.h"
#include "app/grid_selection.h"
#include "app/grid_models.h"
#include "app/statistics_step.h"
#include "core/atomic_file.h"
#include "core/clipboard_text.h"
#include "core/text.h"

namespace ombrix::app {

char TAnalysisForm::exchangeDecimalSeparator() const
{
    return m_context.settings.decimalSeparator == QLatin1Char(',') ? ',' : '.';
}

bool TAnalysisForm::canPaste() const
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return activeGrid() == m_dataGrid && data && data->hasText();
}

void TAnalysisForm::copyDataCells()
{
    m_dataGrid->commitOpenEditor();
    const GridSelectionShape shape = selectionShape(*m_dataGrid);
    core::CopyOptions options;
    options.block = shape.block;
    options.decimalSeparator = exchangeDecimalSeparator();
    const core::DataTable& table = m_dataSet->table;
    Asker& asker = m_context.asker;
    switch (shape.kind) {
    case core::GridSelection::WholeSheet:
        if (!asker.askCopyTitles(this, options.rowTitles, options.columnTitles))
            return;
        break;
    case core::GridSelection::WholeColumns: {
        const Answer answer = asker.askYesNoCancel(this, QString::fromUtf8(core::IncludeColumnTitlesQuestion));
        if (answer == Answer::Cancel)
            return;
        options.columnTitles = answer == Answer::Yes;
        break;
    }
    case core::GridSelection::WholeRows: {
        const Answer answer = asker.askYesNoCancel(this, QString::fromUtf8(core::IncludeRowTitlesQuestion));
        if (answer == Answer::Cancel)
            return;
        options.rowTitles = answer == Answer::Yes;
        break;
    }
    case core::GridSelection::Block: break;
    }
    // A whole sheet or whole rows are the columns that hold something, not
    // all 52 of them.
    if (shape.kind == core::GridSelection::WholeSheet || shape.kind == core::GridSelection::WholeRows)
        options.block.lastColumn =
            std::max(options.block.firstColumn, std::max(table.lastUsedColumn(), table.highestColumnWithData()));
    auto* data = new QMimeData;
    data->setText(QString::fromStdString(core::copyCellsText(table, options)));
    data->setHtml(QString::fromStdString(core::copyCellsHtml(table, options)));
    QGuiApplication::clipboard()->setMimeData(data);
}

void TAnalysisForm::paste(bool transpose)
{
    if (activeGrid() != m_dataGrid)
        return;
    const QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty())
        return;
    m_dataGrid->commitOpenEditor();
    const GridSelectionShape shape = selectionShape(*m_dataGrid);
    core::PasteOptions options;
    options.start = core::pasteStart(shape.kind, shape.currentRow, shape.currentColumn);
    options.transpose = transpose;
    options.systemDecimalSeparator = exchangeDecimalSeparator();
    const core::PasteResult result = core::pasteCellsText(*m_dataSet, text.toStdString(), options);
    if (!result.pasted)
        return;
    m_dataModel->everythingChanged();
    recordTableChange(transpose ? tr("Transpose Paste") : tr("Paste"));
    if (result.stoppedAtLastRow)
        m_context.asker.tell(this,
                             tr("The table ends at row 10000: the rows of the clipboard beyond it were not pasted."),
                             MessageKind::Warning);
}

void TAnalysisForm::pasteCells()
{
    paste(false);
}

void TAnalysisForm::transposePasteCells()
{
    paste(true);
}

bool TAnalysisForm::canImport() const
{
    return m_dataSet->format != core::DataFormat::TwoByTwo;
}

void TAnalysisForm::importData()
{
    if (!canImport())
        return;
    const QString path =
        m_context.asker.openFileName(this, tr("Import"), m_context.settings.importFolder,
                                     tr("Text files (*.txt *.TXT *.csv *.CSV *.tsv *.dat *.prn);;All files (*)"));
    if (path.isEmpty())
        return;
    m_context.settings.importFolder = QFileInfo(path).absolutePath();
    importFile(path);
}

bool TAnalysisForm::importFile(const QString& path)
{
    commitPendingEdits();
    Asker& asker = m_context.asker;
    const core::ImportText read = core::readImportFile(QFile::encodeName(path).toStdString());
    if (!read.ok) {
        asker.tell(this, QString::fromStdString(read.message), MessageKind::Critical, path);
        return false;
    }
    const core::TextTable source = core::readTextTable(read.text, exchangeDecimalSeparator());
    if (source.tooManyRows)
        asker.tell(this, QString::fromUtf8(core::TooManyImportRowsMessage), MessageKind::Warning, path);

    ImportDialog dialog(source, path, this);
    dialog.setChoiceCheck([](const core::ImportOptions& options) {
        if (options.columns == core::ImportColumns::Indexed && options.valueColumn == options.groupColumn)
            return QString::fromUtf8(core::SameValueAndGroupColumnMessage);
        return QString();
    });
    if (!asker.runDialog(dialog))
        return false;
    core::ImportOptions options = dialog.options();
    if (const QModelIndex current = m_dataGrid->currentIndex(); current.isValid()) {
        options.startRow = current.row();
        options.startColumn = current.column();
    }
    const core::ImportResult result = core::copyIntoDataSet(source, options, *m_dataSet);
    if (!result.ok) {
        asker.tell(this, QString::fromStdString(result.message), MessageKind::Warning);
        return false;
    }
    // The table, its titles and the page for the format, shown again.
    refreshViews();
    goToStep(Step::EnterData);
    recordTableChange(tr("Import"));
    return true;
}

bool TAnalysisForm::canExport() const
{
    return (m_step == Step::EnterData && activeGrid() == m_dataGrid) || m_step == Step::Results ||
           m_step == Step::Graph;
}

void TAnalysisForm::exportCurrent()
{
    if (!canExport())
        return;
    commitPendingEdits();
    // Beside the data file, named after it; the data folder for a new data set.
    const QString folder = m_filePath.isEmpty() ? m_context.settings.dataFolder : QFileInfo(m_filePath).absolutePath();
    const QString base =
        QDir(folder.isEmpty() ? QDir::currentPath() : folder).filePath(QFileInfo(documentName()).completeBaseName());
    if (m_step == Step::Graph) {
        m_graphStep->exportGraph(base + QStringLiteral(".png"));
        return;
    }
    Asker& asker = m_context.asker;
    std::string text;
    QString path;
    if (m_step == Step::Results) {
        path = asker.saveFileName(this, tr("Export"), base + QStringLiteral(".txt"), tr("Text (*.txt)"));
        if (path.isEmpty())
            return;
        std::vector<std::string> lines;
        for (int i = 0; i < m_results.indexedLineCount(); ++i)
            lines.push_back(analyses::stripMarks(m_results.line(i)));
        text = core::exportReportText(lines);
    } else {
        const QString proposed =
            m_context.lastExportFile.isEmpty() ? base + QStringLiteral(".TXT") : m_context.lastExportFile;
        path = asker.saveFileName(this, tr("Export"), proposed, tr("Tab-delim. text (*.TXT);;Comma Sep. Text (*.CSV)"));
        if (path.isEmpty())
            return;
        ExportDialog dialog(this);
        if (!asker.runDialog(dialog))
            return;
        core::ExportOptions options = dialog.options();
        options.separator = core::exportSeparatorFor(QFile::encodeName(path).toStdString());
        text = core::exportDataText(m_dataSet->table, options);
        m_context.lastExportFile = path;
    }
    if (const std::string error = core::replaceFileAtomically(QFile::encodeName(path).toStdString(), text);
        !error.empty())
        asker.tell(this, tr("The file could not be written."), MessageKind::Critical,
                   path + QLatin1Char('\n') + QString::fromStdString(error));
}

bool TAnalysisForm::canPrint() const
{
    return activeGrid() == m_dataGrid || m_step == Step::ColumnStats || m_step == Step::Results ||
           m_step == Step::Graph;
}

PrintJob TAnalysisForm::printJob() const
{
    PrintJob job;
    const core::DataTable& table = m_dataSet->table;
    job.header.title = QString::fromStdString(table.title());
    job.header.fileName = m_filePath.isEmpty() ? documentName() : QDir::toNativeSeparators(m_filePath);
    job.header.date = QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
    job.content.renderOptions = renderOptionsFor(m_context.decimalSeparator);
    // Wide enough for a report line; a table wider than this continues in
    // further groups of columns.
    constexpr int PrintedColumns = 100;
    if (m_step == Step::Results) {
        for (int i = 0; i < m_results.indexedLineCount(); ++i)
            job.content.lines.emplace_back(m_results.line(i));
    } else if (m_step == Step::Graph) {
        job.content.chart = &m_graphStep->chart();
    } else if (m_step == Step::ColumnStats) {
        const auto cells = statisticsGridCells(*m_dataSet, m_context.settings.decimalSeparator);
        job.content.lines = graphs::tableLines(cells, PrintedColumns);
    } else {
        const int lastColumn = std::max(table.lastUsedColumn(), 0);
        std::vector<std::vector<std::string>> cells(1, std::vector<std::string>(1));
        for (int column = 0; column <= lastColumn; ++column) {
            const std::string& title = table.column(column).title;
            cells[0].push_back(core::trimmed(title).empty() ? core::columnName(column) : title);
        }
        for (int row = 0; row <= table.lastUsedRow(); ++row) {
            std::vector<std::string> cellsOfRow{table.rowTitle(row)};
            for (int column = 0; column <= lastColumn; ++column)
                cellsOfRow.push_back(table.FormatCell(column, table.value(row, column), table.isExcluded(row, column),
                                                      core::CellDecimals::OfColumn));
            cells.push_back(std::move(cellsOfRow));
        }
        job.content.lines = graphs::tableLines(cells, PrintedColumns);
    }
    return job;
}

}  // namespace ombrix::app
