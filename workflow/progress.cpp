#include "workflow/progress.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>

namespace ombrix::workflow {

namespace {

// A calculation that ends within this time shows no panel at all.
constexpr int StatusTimerDelayMs = 250;
// Figures are redrawn, and a cancel request is looked at, at most this often.
constexpr std::int64_t UpdateIntervalMs = 500;
// Early estimates swing wildly, so no figures are shown before this.
constexpr std::int64_t QuietPeriodMs = 2000;
constexpr std::int64_t TooLongSeconds = 600;
// Below this share done the estimate is meaningless; it counts as too long.
constexpr Real SmallestUsefulPercent = 0.33L;

bool isApproximatePAvailable(Real approximateP)
{
    // A negative value is the "none" marker; a missing one is a failed approximation.
    return approximateP >= 0 && !isMissing(approximateP) && std::isfinite(approximateP);
}

std::string formatted(const char* format, Real value)
{
    const int length = std::snprintf(nullptr, 0, format, value);
    std::string text(static_cast<std::size_t>(std::max(length, 0)), '\0');
    std::snprintf(text.data(), text.size() + 1, format, value);
    return text;
}

std::string approximatePText(Real p)
{
    // Adding zero turns -0 into +0, which would otherwise print as "-0.00000".
    return formatted("%.5Lf", p + 0.0L);
}

// elapsed × (100 − p) / p: the time taken so far scaled by the share still to do.
std::int64_t secondsLeft(std::int64_t elapsedMs, Real percentDone)
{
    if (!(percentDone >= SmallestUsefulPercent))
        return TooLongSeconds + 1;
    const Real millisecondsLeft = static_cast<Real>(elapsedMs) * (100 - percentDone) / percentDone;
    return static_cast<std::int64_t>(millisecondsLeft) / 1000;
}

}  // namespace

Clock::~Clock() = default;

std::int64_t SteadyClock::milliseconds()
{
    using namespace std::chrono;
    return duration_cast<std::chrono::milliseconds>(steady_clock::now().time_since_epoch()).count();
}

StatusView::~StatusView() = default;

CalculationProgress::CalculationProgress(Clock& clock)
    : m_clock(clock)
{
}

void CalculationProgress::BeginCalculation(StatusView* view)
{
    m_view = view;
    m_calculating = true;
    m_cancelRequested = false;
    m_approximatePShown = false;
    // Ticks start here too, so that a computation that reports progress
    // without ShowCalcStatus does not measure from an earlier calculation.
    m_startTick = m_lastUpdateTick = m_clock.milliseconds();
    m_statusTimerRunning = true;
    if (m_view) {
        m_view->setBusyCursor(true);
        m_view->startStatusTimer(StatusTimerDelayMs);
        m_view->setResultsViewerVisible(false);
    }
}

void CalculationProgress::EndCalculation()
{
    stopStatusTimer();
    m_approximatePShown = false;
    if (m_view) {
        m_view->hideMessage();
        m_view->hideCancelButton();
        // Hidden as well, or the next calculation's "please wait" panel
        // would still carry this one's figures.
        m_view->hideFigures();
        m_view->setStatusPanelVisible(false);
        m_view->setResultsViewerVisible(true);
    }
    m_calculating = false;
    if (m_view)
        m_view->setBusyCursor(false);
    m_view = nullptr;
}

void CalculationProgress::ShowCalcStatus(std::string_view message, Real approximateP)
{
    stopStatusTimer();
    m_startTick = m_lastUpdateTick = m_clock.milliseconds();
    m_approximatePShown = isApproximatePAvailable(approximateP);
    m_lastApproximateP = approximateP;
    if (!m_view)
        return;
    m_view->hideFigures();
    m_view->setStatusPanelVisible(true);
    m_view->showMessage(message);
    m_view->showCancelButton(m_approximatePShown ? UseApproximateCaption : InterruptCaption);
    if (m_approximatePShown)
        m_view->showFigure(StatusFigure::ApproximateP, ApproximatePCaption, approximatePText(approximateP));
}

void CalculationProgress::HideCalcStatus()
{
    stopStatusTimer();
    m_approximatePShown = false;
    if (!m_view)
        return;
    m_view->hideCancelButton();
    m_view->hideMessage();
    m_view->hideFigures();
}

int CalculationProgress::CalcProgress(Real percentDone)
{
    const std::int64_t now = m_clock.milliseconds();
    if (m_view)
        m_view->processPendingEvents();

    if (now - m_lastUpdateTick <= UpdateIntervalMs)
        return ProgressContinue;
    if (m_cancelRequested)
        return ProgressStop;
    const std::int64_t elapsed = now - m_startTick;
    if (elapsed <= QuietPeriodMs)
        return ProgressContinue;

    m_lastUpdateTick = now;
    Real percent = std::fabs(percentDone);
    percent = std::isnan(percent) ? 0 : std::min<Real>(percent, 100);
    const std::int64_t seconds = secondsLeft(elapsed, percent);
    if (seconds > TooLongSeconds && m_approximatePShown)
        return ProgressTooLong;

    if (m_view) {
        m_view->showFigure(StatusFigure::PercentDone, PercentDoneCaption, formatted("%3.1Lf", percent));
        m_view->showFigure(StatusFigure::SecondsLeft, SecondsLeftCaption,
                           seconds > TooLongSeconds ? std::string(MoreThanTenMinutesText) : std::to_string(seconds));
    }
    return ProgressContinue;
}

void CalculationProgress::requestCancel()
{
    m_cancelRequested = true;
}

void CalculationProgress::statusTimerFired()
{
    // The timer runs only while calculating. An expiry that was already
    // queued when the timer was stopped is ignored.
    if (!m_statusTimerRunning)
        return;
    m_statusTimerRunning = false;
    if (!m_view)
        return;
    m_view->showMessage(PleaseWaitMessage);
    m_view->showCancelButton(InterruptCaption);
    m_view->setStatusPanelVisible(true);
}

void CalculationProgress::stopStatusTimer()
{
    if (!m_statusTimerRunning)
        return;
    m_statusTimerRunning = false;
    if (m_view)
        m_view->stopStatusTimer();
}

CalculationScope::CalculationScope(CalculationProgress& progress, StatusView* view)
    : m_progress(progress)
{
    m_progress.BeginCalculation(view);
}

CalculationScope::~CalculationScope()
{
    m_progress.EndCalculation();
}

}  // namespace ombrix::workflow
