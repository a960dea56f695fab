#include "app/grid_models.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QPalette>

#include "core/oxd_file.h"
#include "core/text.h"

namespace ombrix::app {

namespace {

QString fromUtf8(const std::string& text)
{
    return QString::fromStdString(text);
}

}  // namespace

QString columnHeading(core::DataFormat format, int column)
{
    if (format == core::DataFormat::XY)
        return column == 0 ? QStringLiteral("X") : QStringLiteral("Y%1").arg(column);
    return fromUtf8(core::columnName(column));
}

QString defaultColumnTitle(int column)
{
    return QStringLiteral("Column ") + fromUtf8(core::columnName(column));
}

DataGridModel::DataGridModel(core::DataSet& dataSet, EntryQuestions questions, QObject* parent)
    : QAbstractTableModel(parent)
    , m_dataSet(dataSet)
    , m_questions(std::move(questions))
{
}

int DataGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_dataSet.table.rowCount();
}

int DataGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_dataSet.table.columnCount();
}

QVariant DataGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const core::DataTable& table = m_dataSet.table;
    const int row = index.row();
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole: {
        const Real value = table.value(row, column);
        if (isMissing(value))
            return {};
        return fromUtf8(table.FormatCell(column, value, table.isExcluded(row, column), core::CellDecimals::OfColumn));
    }
    case Qt::EditRole: {
        const Real value = table.value(row, column);
        return isMissing(value) ? QString() : fromUtf8(core::cellFileText(value));
    }
    case Qt::TextAlignmentRole: return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::ForegroundRole:
        if (table.isExcluded(row, column))
            return QBrush(QColor(0x80, 0x80, 0x80));
        return {};
    case Qt::ToolTipRole:
        if (table.isExcluded(row, column))
            return tr("Excluded from the analyses (Data, Exclude toggles the mark)");
        return {};
    default: return {};
    }
}

bool DataGridModel::enterText(int row, int column, const QString& text)
{
    if (!m_dataSet.table.isValidCell(row, column))
        return false;
    const QModelIndex cell = index(row, column);
    // Confirming an editor without a change is not an edit.
    if (text.trimmed() == data(cell, Qt::EditRole).toString())
        return true;

    const core::CellEntryResult result = core::enterCellText(m_dataSet, row, column, text.toStdString(),
                                                             m_questions.decimalSeparator, m_questions.askYesNo);
    if (result.redrawGrid)
        everythingChanged();
    else if (result.redrawColumn)
        columnChanged(column);
    else
        Q_EMIT dataChanged(cell, cell);
    if (result.stored)
        Q_EMIT edited();
    return result.stored;
}

bool DataGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    return enterText(index.row(), index.column(), value.toString());
}

Qt::ItemFlags DataGridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QVariant DataGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    const core::DataTable& table = m_dataSet.table;
    if (orientation == Qt::Horizontal) {
        if (!core::DataTable::isValidColumn(section))
            return {};
        if (role == Qt::DisplayRole) {
            const std::string& title = table.column(section).title;
            return columnHeading(m_dataSet.format, section) + QLatin1Char('\n') + fromUtf8(title);
        }
        if (role == Qt::EditRole)
            return fromUtf8(table.column(section).title);
        if (role == Qt::ToolTipRole)
            return tr("Double-click to type the column title");
        return {};
    }
    if (section < 0 || section >= table.rowCount())
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return fromUtf8(table.rowTitle(section));
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

void DataGridModel::cellsChanged(int firstRow, int firstColumn, int lastRow, int lastColumn)
{
    Q_EMIT dataChanged(index(firstRow, firstColumn), index(lastRow, lastColumn));
}

void DataGridModel::columnChanged(int column)
{
    Q_EMIT dataChanged(index(0, column), index(rowCount() - 1, column));
}

void DataGridModel::titlesChanged()
{
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    Q_EMIT headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
}

void DataGridModel::everythingChanged()
{
    Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    titlesChanged();
}

SummaryGridModel::SummaryGridModel(core::DataSet& dataSet, EntryQuestions questions, QObject* parent)
    : QAbstractTableModel(parent)
    , m_dataSet(dataSet)
    , m_questions(std::move(questions))
{
    m_rawValues.fill(-1);
}

int SummaryGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : RowCount;
}

int SummaryGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_dataSet.table.columnCount();
}

core::SummaryField SummaryGridModel::fieldOfRow(int row) const
{
    return core::summaryFieldOfRow(row + 1, m_dataSet.choices.ShowSD);
}

bool SummaryGridModel::holdsRawValues(int column) const
{
    if (m_dataSet.format != core::DataFormat::Raw || !core::DataTable::isValidColumn(column))
        return false;
    signed char& known = m_rawValues[static_cast<size_t>(column)];
    if (known < 0) {
        known = 0;
        const core::DataTable& table = m_dataSet.table;
        for (int row = 0; row <= table.lastUsedRow() && known == 0; ++row)
            if (!table.isBlank(row, column))
                known = 1;
    }
    return known == 1;
}

QVariant SummaryGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int column = index.column();
    const core::ColumnRecord& record = m_dataSet.table.column(column);
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        if (index.row() == TitleRow)
            return fromUtf8(record.title);
        if (holdsRawValues(column))
            return {};
        Real value = MissingValue;
        switch (fieldOfRow(index.row())) {
        case core::SummaryField::None: return {};
        case core::SummaryField::N: return record.n > 0 ? QString::number(record.n) : QString();
        case core::SummaryField::Mean: value = record.mean; break;
        case core::SummaryField::SD: value = record.sd; break;
        case core::SummaryField::SEM: value = record.sem; break;
        case core::SummaryField::Lower95: value = record.lower95; break;
        case core::SummaryField::Upper95: value = record.upper95; break;
        case core::SummaryField::Minimum: value = record.minimum; break;
        case core::SummaryField::Median: value = record.median; break;
        case core::SummaryField::Maximum: value = record.maximum; break;
        case core::SummaryField::NormalityStatistic: value = record.normalityStatistic; break;
        case core::SummaryField::NormalityP: value = record.normalityP; break;
        }
        if (isMissing(value))
            return QString();
        if (role == Qt::EditRole)
            return fromUtf8(core::summaryFileText(value));
        return fromUtf8(m_dataSet.table.FormatCell(column, value, false, core::CellDecimals::Default));
    }
    if (role == Qt::TextAlignmentRole)
        return index.row() == TitleRow ? QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter)
                                       : QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::FontRole && index.row() == TitleRow) {
        QFont font;
        font.setBold(true);
        return font;
    }
    if (role == Qt::ToolTipRole && index.row() != TitleRow && holdsRawValues(column))
        return tr("This column holds raw values; clear them to type a mean and error instead.");
    return {};
}

bool SummaryGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    const QString text = value.toString();
    if (text.trimmed() == data(index, Qt::EditRole).toString().trimmed())
        return true;
    const int column = index.column();
    if (index.row() == TitleRow) {
        m_dataSet.table.setColumnTitle(column, core::truncatedText(text.toStdString(), core::TypedColumnTitleLength));
        m_dataSet.markChanged();
        Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
    } else if (!core::enterSummaryText(m_dataSet, index.row() + 1, column, text.toStdString(),
                                       m_questions.decimalSeparator)) {
        return false;
    }
    Q_EMIT dataChanged(this->index(0, column), this->index(RowCount - 1, column));
    Q_EMIT edited();
    return true;
}

Qt::ItemFlags SummaryGridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (index.row() == TitleRow)
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
    if (fieldOfRow(index.row()) == core::SummaryField::None)
        return Qt::ItemIsEnabled;
    if (holdsRawValues(index.column()))
        return Qt::ItemIsSelectable;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QVariant SummaryGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return columnHeading(m_dataSet.format, section);
    if (section == TitleRow)
        return tr("Title");
    switch (fieldOfRow(section)) {
    case core::SummaryField::Mean: return tr("Mean");
    case core::SummaryField::SD: return tr("SD");
    case core::SummaryField::SEM: return tr("SEM");
    case core::SummaryField::N: return tr("N");
    case core::SummaryField::Lower95: return tr("Lower 95% CI");
    case core::SummaryField::Upper95: return tr("Upper 95% CI");
    case core::SummaryField::Minimum: return tr("Minimum");
    case core::SummaryField::Median: return tr("Median");
    case core::SummaryField::Maximum: return tr("Maximum");
    case core::SummaryField::NormalityStatistic: return tr("Normality KS");
    case core::SummaryField::NormalityP: return tr("Normality P");
    case core::SummaryField::None: return QString();
    }
    return {};
}

void SummaryGridModel::everythingChanged()
{
    m_rawValues.fill(-1);
    Q_EMIT dataChanged(index(0, 0), index(RowCount - 1, columnCount() - 1));
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    Q_EMIT headerDataChanged(Qt::Vertical, 0, RowCount - 1);
}

}  // namespace ombrix::app
