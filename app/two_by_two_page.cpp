#include "app/two_by_two_page.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "core/oxd_file.h"
#include "core/text.h"

namespace ombrix::app {

namespace {

using Record = core::TwoByTwoRecord;

QString countText(Real count)
{
    return isMissing(count) ? QString() : QString::fromStdString(core::cellFileText(count));
}

// A count is a whole number of up to ten digits; anything else is blank.
Real countValue(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return MissingValue;
    return core::parseNumber(trimmed.toStdString()).value_or(MissingValue);
}

// A text with at least room for what it holds (a title from a file may be
// longer than what can be typed).
void setLimitedText(QLineEdit* editor, const QString& text, int typedLimit)
{
    editor->setMaxLength(std::max(typedLimit, static_cast<int>(text.size())));
    editor->setText(text);
}

}  // namespace

TwoByTwoPage::TwoByTwoPage(core::DataSet& dataSet, QWidget* parent)
    : QWidget(parent)
    , m_dataSet(dataSet)
    , m_tableTitle(new QLineEdit(this))
{
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(tr("Enter the four counts of the two-by-two contingency table, and the titles of "
                                "its rows and columns."),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(tr("Table title:"), this), 0, 0);
    grid->addWidget(m_tableTitle, 0, 1, 1, 3);
    m_tableTitle->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("M")) * 30);
    m_tableTitle->setAccessibleName(tr("Table title"));

    auto* validator = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,10}")), this);
    for (int i = 0; i < 4; ++i) {
        m_titles[i] = new QLineEdit(this);
        m_counts[i] = new QLineEdit(this);
        m_counts[i]->setValidator(validator);
        m_counts[i]->setAlignment(Qt::AlignRight);
    }
    m_titles[Record::Column1]->setPlaceholderText(tr("Column A"));
    m_titles[Record::Column2]->setPlaceholderText(tr("Column B"));
    m_titles[Record::Row1]->setPlaceholderText(tr("Top row"));
    m_titles[Record::Row2]->setPlaceholderText(tr("Bottom row"));
    m_titles[Record::Column1]->setAccessibleName(tr("Column 1 title"));
    m_titles[Record::Column2]->setAccessibleName(tr("Column 2 title"));
    m_titles[Record::Row1]->setAccessibleName(tr("Row 1 title"));
    m_titles[Record::Row2]->setAccessibleName(tr("Row 2 title"));

    for (int i = 0; i < 5; ++i) {
        m_totals[i] = new QLabel(this);
        m_totals[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_totals[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }

    grid->addWidget(m_titles[Record::Column1], 2, 1);
    grid->addWidget(m_titles[Record::Column2], 2, 2);
    grid->addWidget(new QLabel(tr("Total"), this), 2, 3, Qt::AlignRight);
    grid->addWidget(m_titles[Record::Row1], 3, 0);
    grid->addWidget(m_counts[Record::A], 3, 1);
    grid->addWidget(m_counts[Record::B], 3, 2);
    grid->addWidget(m_totals[0], 3, 3);
    grid->addWidget(m_titles[Record::Row2], 4, 0);
    grid->addWidget(m_counts[Record::C], 4, 1);
    grid->addWidget(m_counts[Record::D], 4, 2);
    grid->addWidget(m_totals[1], 4, 3);
    grid->addWidget(new QLabel(tr("Total"), this), 5, 0);
    grid->addWidget(m_totals[2], 5, 1);
    grid->addWidget(m_totals[3], 5, 2);
    grid->addWidget(m_totals[4], 5, 3);
    const int fieldWidth = fontMetrics().horizontalAdvance(QStringLiteral("M")) * 12;
    for (int i = 0; i < 4; ++i) {
        m_titles[i]->setFixedWidth(fieldWidth);
        m_counts[i]->setFixedWidth(fieldWidth);
    }
    for (QLabel* total : m_totals)
        total->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00000000000")));
    auto* row = new QHBoxLayout;
    row->addLayout(grid);
    row->addStretch(1);
    layout->addLayout(row);
    layout->addStretch(1);

    setTabOrder(m_tableTitle, m_titles[Record::Column1]);
    setTabOrder(m_titles[Record::Column1], m_titles[Record::Column2]);
    setTabOrder(m_titles[Record::Column2], m_titles[Record::Row1]);
    setTabOrder(m_titles[Record::Row1], m_counts[Record::A]);
    setTabOrder(m_counts[Record::A], m_counts[Record::B]);
    setTabOrder(m_counts[Record::B], m_titles[Record::Row2]);
    setTabOrder(m_titles[Record::Row2], m_counts[Record::C]);
    setTabOrder(m_counts[Record::C], m_counts[Record::D]);

    connect(m_tableTitle, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_dataSet.table.setTitle(text.toStdString());
        m_dataSet.markChanged();
        Q_EMIT edited(0);
    });
    for (int i = 0; i < 4; ++i) {
        connect(m_titles[i], &QLineEdit::textEdited, this, [this, i](const QString& text) {
            m_dataSet.twoByTwo.titles[i] = text.toStdString();
            m_dataSet.markChanged();
            Q_EMIT edited(1 + i);
        });
        connect(m_counts[i], &QLineEdit::textEdited, this, [this, i](const QString& text) {
            m_dataSet.twoByTwo.counts[i] = countValue(text);
            m_dataSet.markChanged();
            showTotals();
            Q_EMIT edited(5 + i);
        });
    }
    load();
}

void TwoByTwoPage::load()
{
    setLimitedText(m_tableTitle, QString::fromStdString(m_dataSet.table.title()), core::MaxTwoByTwoTableTitleLength);
    for (int i = 0; i < 4; ++i) {
        setLimitedText(m_titles[i], QString::fromStdString(m_dataSet.twoByTwo.titles[i]), core::MaxTwoByTwoTitleLength);
        m_counts[i]->setText(countText(m_dataSet.twoByTwo.counts[i]));
    }
    showTotals();
}

void TwoByTwoPage::showTotals()
{
    const auto& counts = m_dataSet.twoByTwo.counts;
    // A total of blanks is blank; a blank beside a count adds nothing.
    const auto sum = [](std::initializer_list<Real> values) {
        Real total = 0;
        bool any = false;
        for (const Real value : values)
            if (!isMissing(value)) {
                total += value;
                any = true;
            }
        return any ? total : MissingValue;
    };
    const Real totals[5] = {
        sum({counts[Record::A], counts[Record::B]}),
        sum({counts[Record::C], counts[Record::D]}),
        sum({counts[Record::A], counts[Record::C]}),
        sum({counts[Record::B], counts[Record::D]}),
        sum({counts[Record::A], counts[Record::B], counts[Record::C], counts[Record::D]}),
    };
    for (int i = 0; i < 5; ++i)
        m_totals[i]->setText(countText(totals[i]));
}

QString TwoByTwoPage::totalText(int which) const
{
    return which >= 0 && which < 5 ? m_totals[which]->text() : QString();
}

}  // namespace ombrix::app
