#include "app/status_panel.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace ombrix::app {

namespace {

QString fromView(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

int indexOf(workflow::StatusFigure figure)
{
    return static_cast<int>(figure);
}

}  // namespace

StatusPanel::StatusPanel(workflow::CalculationProgress& progress, QWidget* parent)
    : QWidget(parent)
    , m_progress(progress)
{
    setObjectName(QStringLiteral("statusPanel"));

    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("statusMessage"));
    m_message->setWordWrap(true);
    m_message->setAlignment(Qt::AlignCenter);

    auto* figures = new QGridLayout;
    static const char* const names[3] = {"approximateP", "percentDone", "secondsLeft"};
    for (int i = 0; i < 3; ++i) {
        Figure& figure = m_figures[i];
        figure.caption = new QLabel(this);
        figure.value = new QLabel(this);
        figure.caption->setObjectName(QLatin1String(names[i]) + QStringLiteral("Caption"));
        figure.value->setObjectName(QLatin1String(names[i]) + QStringLiteral("Value"));
        figure.caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        figure.value->setMinimumWidth(
            figure.value->fontMetrics().horizontalAdvance(fromView(workflow::MoreThanTenMinutesText)));
        figures->addWidget(figure.caption, i, 0);
        figures->addWidget(figure.value, i, 1);
        figure.caption->hide();
        figure.value->hide();
    }

    m_cancel = new QPushButton(this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_progress.requestCancel(); });

    auto* layout = new QVBoxLayout(this);
    layout->addStretch(1);
    layout->addWidget(m_message);
    layout->addLayout(figures);
    layout->addWidget(m_cancel, 0, Qt::AlignHCenter);
    layout->addStretch(2);

    m_message->hide();
    m_cancel->hide();

    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] { m_progress.statusTimerFired(); });
    hide();
}

StatusPanel::~StatusPanel()
{
    setBusyCursor(false);
}

QLabel* StatusPanel::figureCaption(workflow::StatusFigure figure) const
{
    return m_figures[indexOf(figure)].caption;
}

QLabel* StatusPanel::figureValue(workflow::StatusFigure figure) const
{
    return m_figures[indexOf(figure)].value;
}

void StatusPanel::setBusyCursor(bool busy)
{
    if (busy == m_busyCursor)
        return;
    m_busyCursor = busy;
    // The arrow stays beside the hourglass: the cancel button must still look clickable.
    if (busy)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QApplication::restoreOverrideCursor();
}

void StatusPanel::setResultsViewerVisible(bool visible)
{
    if (m_viewer)
        m_viewer->setVisible(visible);
}

void StatusPanel::setStatusPanelVisible(bool visible)
{
    setVisible(visible);
}

void StatusPanel::showMessage(std::string_view text)
{
    m_message->setText(fromView(text));
    m_message->show();
}

void StatusPanel::hideMessage()
{
    m_message->hide();
}

void StatusPanel::showCancelButton(std::string_view caption)
{
    m_cancel->setText(fromView(caption));
    m_cancel->show();
}

void StatusPanel::hideCancelButton()
{
    m_cancel->hide();
}

void StatusPanel::showFigure(workflow::StatusFigure figure, std::string_view caption, std::string_view value)
{
    Figure& shown = m_figures[indexOf(figure)];
    shown.caption->setText(fromView(caption));
    shown.value->setText(fromView(value));
    shown.caption->show();
    shown.value->show();
}

void StatusPanel::hideFigures()
{
    for (Figure& figure : m_figures) {
        figure.caption->hide();
        figure.value->hide();
        figure.value->clear();
    }
}

void StatusPanel::startStatusTimer(int milliseconds)
{
    m_timer.start(milliseconds);
}

void StatusPanel::stopStatusTimer()
{
    m_timer.stop();
}

void StatusPanel::processPendingEvents()
{
    QCoreApplication::processEvents();
}

}  // namespace ombrix::app
