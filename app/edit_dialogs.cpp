#include "app/edit_dialogs.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

#include "core/text.h"

namespace ombrix::app {

namespace {

QDialogButtonBox* okCancel(QDialog* dialog)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

QString kText(Real k)
{
    return QString::fromStdString(core::fixedText(k, 0));
}

}  // namespace

TransformDialog::TransformDialog(char decimalSeparator, QWidget* parent)
    : QDialog(parent)
    , m_decimalSeparator(decimalSeparator)
{
    setWindowTitle(tr("Transform"));
    auto* layout = new QVBoxLayout(this);
    auto* pick = new QLabel(tr("Pick a transform:"), this);
    m_list = new QListWidget(this);
    for (int i = 0; i < core::TransformKindCount; ++i)
        m_list->addItem(QString::fromUtf8(core::transformListText(static_cast<core::TransformKind>(i))));
    // Every transform in sight, without scrolling.
    m_list->setMinimumHeight(m_list->sizeHintForRow(0) * core::TransformKindCount + 2 * m_list->frameWidth());
    pick->setBuddy(m_list);
    layout->addWidget(pick);
    layout->addWidget(m_list, 1);

    auto* kRow = new QHBoxLayout;
    m_kLabel = new QLabel(tr("K = "), this);
    m_k = new QLineEdit(this);
    m_k->setMaxLength(10);
    m_k->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000000000000")));
    m_kLabel->setBuddy(m_k);
    // The dialog keeps its size while K comes and goes with the choice.
    for (QWidget* widget : {static_cast<QWidget*>(m_kLabel), static_cast<QWidget*>(m_k)}) {
        QSizePolicy policy = widget->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        widget->setSizePolicy(policy);
    }
    kRow->addWidget(m_kLabel);
    kRow->addWidget(m_k);
    kRow->addStretch(1);
    layout->addLayout(kRow);

    auto* hint = new QLabel(tr("Ombrix will transform the selected cells. If nothing is selected, then Ombrix will "
                               "transform just the current cell. "),
                            this);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    QDialogButtonBox* buttons = okCancel(this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    layout->addWidget(buttons);

    connect(m_list, &QListWidget::currentRowChanged, this, &TransformDialog::kindChosen);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] {
        if (m_ok->isEnabled())
            accept();
    });
    connect(m_k, &QLineEdit::textChanged, this, &TransformDialog::syncOk);
    m_list->setCurrentRow(0);
}

core::TransformKind TransformDialog::kind() const
{
    return static_cast<core::TransformKind>(std::clamp(m_list->currentRow(), 0, core::TransformKindCount - 1));
}

void TransformDialog::setKind(core::TransformKind kind)
{
    m_list->setCurrentRow(static_cast<int>(kind));
}

Real TransformDialog::k() const
{
    const std::optional<Real> typed =
        core::parseNumber(core::withDecimalPoint(m_k->text().toStdString(), m_decimalSeparator));
    return typed.value_or(core::defaultTransformK(kind()));
}

void TransformDialog::kindChosen()
{
    const bool usesK = core::transformUsesK(kind());
    m_kLabel->setVisible(usesK);
    m_k->setVisible(usesK);
    if (usesK)
        m_k->setText(kText(core::defaultTransformK(kind())));
    syncOk();
}

void TransformDialog::syncOk()
{
    // A K that is no number cannot be run.
    const bool readable =
        !core::transformUsesK(kind()) ||
        core::parseNumber(core::withDecimalPoint(m_k->text().toStdString(), m_decimalSeparator)).has_value();
    m_ok->setEnabled(readable);
}

CombineDialog::CombineDialog(int targetColumn, const QStringList& titles, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Combine Variables"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        tr("Create a new variable for column ") + QString::fromStdString(core::columnName(targetColumn)), this));

    m_first = new QComboBox(this);
    m_second = new QComboBox(this);
    for (int c = 0; c < core::TableColumns; ++c) {
        QString item = QString::fromStdString(core::columnName(c));
        if (c < titles.size() && !titles.at(c).trimmed().isEmpty())
            item += QStringLiteral(": ") + titles.at(c);
        m_first->addItem(item);
        m_second->addItem(item);
    }
    m_first->setCurrentIndex(0);
    m_second->setCurrentIndex(1);

    auto* operators = new QGroupBox(this);
    auto* operatorLayout = new QVBoxLayout(operators);
    m_operators = new QButtonGroup(this);
    const std::pair<core::CombineOperator, QString> choices[] = {
        {core::CombineOperator::Plus, tr("&Plus")},
        {core::CombineOperator::Minus, tr("&Minus")},
        {core::CombineOperator::Times, tr("Times")},
        {core::CombineOperator::DividedBy, tr("&Divided by")},
    };
    for (const auto& [op, caption] : choices) {
        auto* button = new QRadioButton(caption, operators);
        m_operators->addButton(button, static_cast<int>(op));
        operatorLayout->addWidget(button);
    }
    operatorButton(core::CombineOperator::Minus)->setChecked(true);

    auto* row = new QHBoxLayout;
    row->addWidget(m_first, 0, Qt::AlignVCenter);
    row->addWidget(operators);
    row->addWidget(m_second, 0, Qt::AlignVCenter);
    layout->addLayout(row);
    layout->addWidget(okCancel(this));
}

int CombineDialog::firstColumn() const
{
    return m_first->currentIndex();
}

int CombineDialog::secondColumn() const
{
    return m_second->currentIndex();
}

core::CombineOperator CombineDialog::op() const
{
    return static_cast<core::CombineOperator>(m_operators->checkedId());
}

QRadioButton* CombineDialog::operatorButton(core::CombineOperator op) const
{
    return qobject_cast<QRadioButton*>(m_operators->button(static_cast<int>(op)));
}

NumberFormatDialog::NumberFormatDialog(const QString& columnsLabel, std::optional<int> shared, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Number Format"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(columnsLabel, this));
    m_automatic = new QRadioButton(tr("Choose the number of decimal points automatically."), this);
    layout->addWidget(m_automatic);
    auto* fixedRow = new QHBoxLayout;
    m_fixed = new QRadioButton(tr("Show values with "), this);
    m_digits = new QSpinBox(this);
    m_digits->setRange(0, 99);
    m_digits->setValue(2);
    fixedRow->addWidget(m_fixed);
    fixedRow->addWidget(m_digits);
    fixedRow->addWidget(new QLabel(tr("digits after the decimal point."), this));
    fixedRow->addStretch(1);
    layout->addLayout(fixedRow);
    layout->addWidget(okCancel(this));

    if (shared && *shared >= 0) {
        m_fixed->setChecked(true);
        m_digits->setValue(*shared);
    } else {
        m_automatic->setChecked(true);
    }
    // Touching the number means the fixed choice.
    connect(m_digits, &QSpinBox::valueChanged, m_fixed, [this] { m_fixed->setChecked(true); });
}

int NumberFormatDialog::decimals() const
{
    return m_fixed->isChecked() ? m_digits->value() : -1;
}

ShiftDialog::ShiftDialog(Mode mode, core::ShiftKind preselected, QWidget* parent)
    : QDialog(parent)
    , m_choices(new QButtonGroup(this))
{
    const bool insert = mode == Mode::Insert;
    setWindowTitle(insert ? tr("Insert ") : tr("Delete"));
    auto* layout = new QVBoxLayout(this);
    const std::pair<core::ShiftKind, QString> choices[] = {
        {core::ShiftKind::Cells, insert ? tr("&Shift cells down") : tr("&Shift cells up")},
        {core::ShiftKind::EntireRows, insert ? tr("Insert entire &rows") : tr("Delete entire &rows")},
        {core::ShiftKind::EntireColumns, insert ? tr("Insert entire &columns") : tr("Delete entire &columns")},
    };
    for (const auto& [kind, caption] : choices) {
        auto* button = new QRadioButton(caption, this);
        m_choices->addButton(button, static_cast<int>(kind));
        button->installEventFilter(this);
        layout->addWidget(button);
    }
    choice(preselected)->setChecked(true);
    if (!insert) {
        auto* hint = new QLabel(tr("This command deletes the selected block of data and fills in the gap. If you "
                                   "want to delete selected values without moving others, cancel from this dialog "
                                   "and then press the DEL key."),
                                this);
        hint->setWordWrap(true);
        layout->addWidget(hint);
    }
    layout->addWidget(okCancel(this));
}

core::ShiftKind ShiftDialog::kind() const
{
    return static_cast<core::ShiftKind>(m_choices->checkedId());
}

QRadioButton* ShiftDialog::choice(core::ShiftKind kind) const
{
    return qobject_cast<QRadioButton*>(m_choices->button(static_cast<int>(kind)));
}

bool ShiftDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (auto* button = qobject_cast<QRadioButton*>(watched)) {
            button->setChecked(true);
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace ombrix::app
