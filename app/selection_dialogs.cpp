#include "app/selection_dialogs.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/step_text.h"

namespace ombrix::app {

namespace {

QListWidgetItem* addCheckItem(QListWidget* list, const QString& text, bool checked)
{
    auto* item = new QListWidgetItem(text, list);
    item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    return item;
}

}  // namespace

SelectColumnsDialog::SelectColumnsDialog(const core::DataTable& table, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Select Columns"));
    setObjectName(QStringLiteral("selectColumnsDialog"));

    m_list = new QListWidget(this);
    for (int column = 0; column < core::TableColumns; ++column) {
        if (table.column(column).n <= 0)
            continue;
        m_columns.push_back(column);
        addCheckItem(m_list, columnCaption(column, table.column(column).title), table.isSelected(column));
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemChanged, this, [this] { updateOk(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    updateOk();
}

void SelectColumnsDialog::updateOk()
{
    bool any = false;
    for (int row = 0; row < m_list->count() && !any; ++row)
        any = m_list->item(row)->checkState() == Qt::Checked;
    m_ok->setEnabled(any);
}

bool SelectColumnsDialog::apply(core::DataTable& table) const
{
    bool changed = false;
    for (int row = 0; row < m_list->count(); ++row) {
        const int column = m_columns[static_cast<std::size_t>(row)];
        const bool selected = m_list->item(row)->checkState() == Qt::Checked;
        changed = changed || table.isSelected(column) != selected;
        table.setSelected(column, selected);
    }
    return changed;
}

SelectPairsDialog::SelectPairsDialog(const std::vector<AnalysedColumn>& columns,
                                     const std::array<bool, core::SelectedPairCount>& pairs, QWidget* parent)
    : QDialog(parent)
    , m_pairs(pairs)
{
    setWindowTitle(tr("Select Pairs"));
    setObjectName(QStringLiteral("selectPairsDialog"));

    m_list = new QListWidget(this);
    const int count = static_cast<int>(columns.size());
    for (int i = 0; i < count; ++i) {
        for (int j = i + 1; j < count; ++j) {
            const int index = core::selectedPairIndex(i, j);
            if (index < 0)
                continue;
            m_pairIndices.push_back(index);
            const AnalysedColumn& first = columns[static_cast<std::size_t>(i)];
            const AnalysedColumn& second = columns[static_cast<std::size_t>(j)];
            addCheckItem(m_list,
                         tr("%1 vs. %2")
                             .arg(shortColumnCaption(first.column, first.title),
                                  shortColumnCaption(second.column, second.title)),
                         m_pairs[static_cast<std::size_t>(index)]);
        }
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_selectAll = buttons->addButton(tr("Select All"), QDialogButtonBox::ActionRole);
    m_deselectAll = buttons->addButton(tr("Deselect all"), QDialogButtonBox::ActionRole);
    connect(m_selectAll, &QPushButton::clicked, this, [this] { setAllChecked(true); });
    connect(m_deselectAll, &QPushButton::clicked, this, [this] { setAllChecked(false); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
}

void SelectPairsDialog::setAllChecked(bool checked)
{
    for (int row = 0; row < m_list->count(); ++row)
        m_list->item(row)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

std::array<bool, core::SelectedPairCount> SelectPairsDialog::pairs() const
{
    std::array<bool, core::SelectedPairCount> pairs = m_pairs;
    for (int row = 0; row < m_list->count(); ++row)
        pairs[static_cast<std::size_t>(m_pairIndices[static_cast<std::size_t>(row)])] =
            m_list->item(row)->checkState() == Qt::Checked;
    return pairs;
}

}  // namespace ombrix::app
