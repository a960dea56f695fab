#include "app/data_exchange.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

#include "app/help_window.h"
#include "core/text.h"

namespace ombrix::app {

namespace {

// The temporary table as the preview shows it: numbers as the grid would,
// the titles read from the header in the column headings.
class PreviewModel final : public QAbstractTableModel {
public:
    PreviewModel(const core::TextTable& source, QObject* parent)
        : QAbstractTableModel(parent)
        , m_source(source)
    {
    }
    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : std::max(0, m_source.table.lastUsedRow() + 1);
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : std::max(1, m_source.columnsRead);
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        const core::DataTable& table = m_source.table;
        const Real value = table.value(index.row(), index.column());
        return QString::fromStdString(table.FormatCell(
            index.column(), value, table.isExcluded(index.row(), index.column()), core::CellDecimals::OfColumn));
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (role != Qt::DisplayRole)
            return {};
        if (orientation == Qt::Vertical)
            return section + 1;
        QString heading = QString::number(section + 1);
        const std::string& title = m_source.table.column(section).title;
        if (!core::trimmed(title).empty())
            heading += QLatin1Char('\n') + QString::fromStdString(title);
        return heading;
    }

private:
    const core::TextTable& m_source;
};

QSpinBox* numberField(int highest, int value, QWidget* parent)
{
    auto* field = new QSpinBox(parent);
    field->setRange(1, highest);
    field->setValue(std::clamp(value, 1, highest));
    field->setMaximumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 40);
    return field;
}

}  // namespace

ImportDialog::ImportDialog(const core::TextTable& source, const QString& fileName, QWidget* parent)
    : QDialog(parent)
    , m_source(source)
{
    setWindowTitle(tr("Import"));
    const int lastRow = std::max(0, source.table.lastUsedRow()) + 1;  // 1-based
    const int lastColumn = std::max(1, source.columnsRead);           // 1-based
    // The fields reach one past the data, as far as a user may want to type.
    const int rowLimit = lastRow + 1;
    const int columnLimit = lastColumn + 1;

    auto* previewGroup = new QGroupBox(tr("File Preview"), this);
    auto* previewLayout = new QVBoxLayout(previewGroup);
    previewLayout->addWidget(new QLabel(tr("Preview of ") + QFileInfo(fileName).fileName(), previewGroup));
    m_preview = new QTableView(previewGroup);
    m_preview->setModel(new PreviewModel(source, m_preview));
    m_preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_preview->horizontalHeader()->setDefaultSectionSize(90);
    m_preview->verticalHeader()->setDefaultSectionSize(m_preview->fontMetrics().height() + 4);
    m_preview->setAccessibleName(tr("Preview of the file"));
    previewLayout->addWidget(m_preview);

    auto* rowsGroup = new QGroupBox(tr("Rows"), this);
    auto* rows = new QGridLayout(rowsGroup);
    m_rowRange = new QCheckBox(tr("Import range of rows. From: "), rowsGroup);
    m_fromRow = numberField(rowLimit, 1, rowsGroup);
    m_toRow = numberField(rowLimit, lastRow, rowsGroup);
    rows->addWidget(m_rowRange, 0, 0);
    rows->addWidget(m_fromRow, 0, 1);
    rows->addWidget(new QLabel(tr("To:"), rowsGroup), 0, 2);
    rows->addWidget(m_toRow, 0, 3);
    m_filter = new QCheckBox(tr("Only import rows where column"), rowsGroup);
    m_filterColumn = numberField(columnLimit, 1, rowsGroup);
    m_condition = new QComboBox(rowsGroup);
    m_condition->addItems({QStringLiteral("="), QStringLiteral(">"), QStringLiteral(">="), QStringLiteral("<"),
                           QStringLiteral("<="), QStringLiteral("<>")});
    m_filterValue = new QLineEdit(QStringLiteral("0"), rowsGroup);
    m_filterValue->setMaximumWidth(120);
    rows->addWidget(m_filter, 1, 0);
    rows->addWidget(m_filterColumn, 1, 1);
    rows->addWidget(m_condition, 1, 2);
    rows->addWidget(m_filterValue, 1, 3);
    rows->addWidget(new QLabel(tr("(Enter a value, not a column #.)"), rowsGroup), 1, 4);
    rows->setColumnStretch(5, 1);

    auto* columnsGroup = new QGroupBox(tr("Columns"), this);
    auto* columns = new QGridLayout(columnsGroup);
    m_allColumns = new QRadioButton(tr("Import all columns"), columnsGroup);
    m_allColumns->setChecked(true);
    m_columnRange = new QRadioButton(tr("Import range of columns. From: "), columnsGroup);
    m_fromColumn = numberField(columnLimit, 1, columnsGroup);
    m_toColumn = numberField(columnLimit, lastColumn, columnsGroup);
    m_indexed = new QRadioButton(tr("Import data only from column:"), columnsGroup);
    m_valueColumn = numberField(columnLimit, 1, columnsGroup);
    m_groupColumn = numberField(columnLimit, 2, columnsGroup);
    columns->addWidget(m_allColumns, 0, 0, 1, 4);
    columns->addWidget(m_columnRange, 1, 0);
    columns->addWidget(m_fromColumn, 1, 1);
    columns->addWidget(new QLabel(tr("To:"), columnsGroup), 1, 2);
    columns->addWidget(m_toColumn, 1, 3);
    columns->addWidget(m_indexed, 2, 0);
    columns->addWidget(m_valueColumn, 2, 1);
    columns->addWidget(new QLabel(tr("Import group identifier from column:"), columnsGroup), 3, 0);
    columns->addWidget(m_groupColumn, 3, 1);
    columns->setColumnStretch(4, 1);

    m_message = new QLabel(this);
    m_message->setWordWrap(true);
    if (source.unreadableTokens == 1)
        m_message->setText(tr("1 value in this file could not be read as a number; it will be left blank."));
    else if (source.unreadableTokens > 1)
        m_message->setText(tr("%1 values in this file could not be read as numbers; they will be left blank.")
                               .arg(source.unreadableTokens));
    m_message->setVisible(!m_message->text().isEmpty());

    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &ImportDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ImportDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this,
            [this] { showHelpPage(this, QLatin1String(ImportHelpPage)); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(previewGroup, 1);
    layout->addWidget(rowsGroup);
    layout->addWidget(columnsGroup);
    layout->addWidget(m_message);
    layout->addWidget(buttons);
    resize(760, 620);

    for (QAbstractButton* button :
         {static_cast<QAbstractButton*>(m_rowRange), static_cast<QAbstractButton*>(m_filter),
          static_cast<QAbstractButton*>(m_allColumns), static_cast<QAbstractButton*>(m_columnRange),
          static_cast<QAbstractButton*>(m_indexed)})
        connect(button, &QAbstractButton::toggled, this, &ImportDialog::syncEnabled);
    syncEnabled();
}

void ImportDialog::syncEnabled()
{
    m_fromRow->setEnabled(m_rowRange->isChecked());
    m_toRow->setEnabled(m_rowRange->isChecked());
    for (QWidget* field : {static_cast<QWidget*>(m_filterColumn), static_cast<QWidget*>(m_condition),
                           static_cast<QWidget*>(m_filterValue)})
        field->setEnabled(m_filter->isChecked());
    m_fromColumn->setEnabled(m_columnRange->isChecked());
    m_toColumn->setEnabled(m_columnRange->isChecked());
    m_valueColumn->setEnabled(m_indexed->isChecked());
    m_groupColumn->setEnabled(m_indexed->isChecked());
}

core::ImportOptions ImportDialog::options() const
{
    core::ImportOptions options = core::defaultImportOptions(m_source);
    options.rowRange = m_rowRange->isChecked();
    options.fromRow = m_fromRow->value() - 1;
    options.toRow = m_toRow->value() - 1;
    options.filter = m_filter->isChecked();
    options.filterColumn = m_filterColumn->value() - 1;
    options.condition = static_cast<core::FilterCondition>(m_condition->currentIndex());
    QString value = m_filterValue->text().trimmed();
    value.replace(QLatin1Char(','), QLatin1Char('.'));
    options.filterValue = core::parseNumber(value.toStdString()).value_or(0);
    options.columns = m_indexed->isChecked()       ? core::ImportColumns::Indexed
                      : m_columnRange->isChecked() ? core::ImportColumns::Range
                                                   : core::ImportColumns::All;
    options.fromColumn = m_fromColumn->value() - 1;
    options.toColumn = m_toColumn->value() - 1;
    options.valueColumn = m_valueColumn->value() - 1;
    options.groupColumn = m_groupColumn->value() - 1;
    return options;
}

void ImportDialog::accept()
{
    if (m_filter->isChecked()) {
        QString value = m_filterValue->text().trimmed();
        value.replace(QLatin1Char(','), QLatin1Char('.'));
        if (!core::parseNumber(value.toStdString())) {
            m_message->setText(tr("The filter needs a number to compare with."));
            m_message->show();
            m_filterValue->setFocus();
            return;
        }
    }
    if (m_check) {
        if (const QString problem = m_check(options()); !problem.isEmpty()) {
            m_message->setText(problem);
            m_message->show();
            return;
        }
    }
    QDialog::accept();
}

ExportDialog::ExportDialog(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Export"));
    auto* arrangement = new QGroupBox(tr("Arrangement"), this);
    auto* arrangementLayout = new QVBoxLayout(arrangement);
    auto* standard = new QRadioButton(tr("Standard format. Export the table as it appears here."), arrangement);
    standard->setChecked(true);
    m_index = new QRadioButton(tr("Index format. Export ALL values into column 1 and export column # as column 2."),
                               arrangement);
    arrangementLayout->addWidget(standard);
    arrangementLayout->addWidget(m_index);

    auto* titles = new QGroupBox(tr("Titles"), this);
    auto* titlesLayout = new QVBoxLayout(titles);
    m_sheetTitle = new QCheckBox(tr("Include the sheet title as the first row."), titles);
    m_columnTitles = new QCheckBox(tr("Include column titles."), titles);
    m_sheetTitle->setChecked(true);
    m_columnTitles->setChecked(true);
    titlesLayout->addWidget(m_sheetTitle);
    titlesLayout->addWidget(m_columnTitles);

    auto* decimals = new QGroupBox(tr("Decimal separator"), this);
    auto* decimalsLayout = new QHBoxLayout(decimals);
    auto* period = new QRadioButton(tr("Period"), decimals);
    period->setChecked(true);
    m_comma = new QRadioButton(tr("Comma"), decimals);
    decimalsLayout->addWidget(period);
    decimalsLayout->addWidget(m_comma);
    decimalsLayout->addStretch(1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(arrangement);
    layout->addWidget(titles);
    layout->addWidget(decimals);
    layout->addWidget(buttons);
}

core::ExportOptions ExportDialog::options() const
{
    core::ExportOptions options;
    options.arrangement = m_index->isChecked() ? core::ExportArrangement::Index : core::ExportArrangement::Standard;
    options.sheetTitle = m_sheetTitle->isChecked();
    options.columnTitles = m_columnTitles->isChecked();
    options.decimalSeparator = m_comma->isChecked() ? ',' : '.';
    return options;
}

CopyTitlesDialog::CopyTitlesDialog(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Copy to clipboard"));
    m_rowTitles = new QCheckBox(tr("Include &row titles"), this);
    m_columnTitles = new QCheckBox(tr("Include &column titles"), this);
    m_columnTitles->setChecked(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_rowTitles);
    layout->addWidget(m_columnTitles);
    layout->addWidget(buttons);
}

bool CopyTitlesDialog::rowTitles() const
{
    return m_rowTitles->isChecked();
}

bool CopyTitlesDialog::columnTitles() const
{
    return m_columnTitles->isChecked();
}

}  // namespace ombrix::app
