#include "app/format_step.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace ombrix::app {

namespace {

int formatId(core::DataFormat format)
{
    return static_cast<int>(format);
}

}  // namespace

FormatStepPage::FormatStepPage(QWidget* parent)
    : QWidget(parent)
    , m_group(new QButtonGroup(this))
{
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(tr("<b>Step 1. Choose the format of your data.</b><br>"
                                "You can change the format later; the data you enter are kept."),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto* box = new QGroupBox(tr("Data format"), this);
    auto* boxLayout = new QVBoxLayout(box);
    for (const core::DataFormat format : core::AllDataFormats) {
        // The captions are label texts already ("&&" shows one "&").
        auto* radio = new QRadioButton(QString::fromUtf8(core::formatCaption(format).data(),
                                                         static_cast<qsizetype>(core::formatCaption(format).size()))
                                           .trimmed(),
                                       box);
        m_group->addButton(radio, formatId(format));
        boxLayout->addWidget(radio);
    }
    layout->addWidget(box);
    layout->addStretch(1);

    connect(m_group, &QButtonGroup::idClicked, this,
            [this](int id) { Q_EMIT formatChosen(static_cast<core::DataFormat>(id)); });
}

void FormatStepPage::showFormat(core::DataFormat format)
{
    if (QAbstractButton* radio = button(format))
        radio->setChecked(true);
}

QAbstractButton* FormatStepPage::button(core::DataFormat format) const
{
    return m_group->button(formatId(format));
}

}  // namespace ombrix::app
