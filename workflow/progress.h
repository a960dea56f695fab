#pragma once

#include <cstdint>
#include <string_view>

#include "core/real.h"
#include "analyses/progress_reporter.h"

// The busy state of a calculation: the hourglass, the delayed "please wait"
// panel, the progress figures of long exact computations and the cancel
// button. Everything runs on the one user-interface thread; the window stays
// responsive only because CalcProgress lets the view process pending events.
namespace ombrix::workflow {

using analyses::NoApproximateP;
using analyses::ProgressContinue;
using analyses::ProgressReporter;
using analyses::ProgressStop;
using analyses::ProgressTooLong;

// A monotonic millisecond count. Injected so that the timing rules can be
// exercised without waiting.
class Clock {
public:
    virtual ~Clock();
    virtual std::int64_t milliseconds() = 0;
};

class SteadyClock final : public Clock {
public:
    std::int64_t milliseconds() override;
};

// Texts the engine hands to the view.
inline constexpr std::string_view PleaseWaitMessage = "Performing calculations, please wait...";
inline constexpr std::string_view InterruptCaption = "Interrupt calculation";
inline constexpr std::string_view UseApproximateCaption = "Cancel exact calculations. Display approximate answer.";
inline constexpr std::string_view ApproximatePCaption = "Approximate P = ";
inline constexpr std::string_view PercentDoneCaption = "Percentage Done = ";
inline constexpr std::string_view SecondsLeftCaption = "Seconds Left = ";
inline constexpr std::string_view MoreThanTenMinutesText = "more than 10 minutes";

// The three caption-and-value pairs of the status panel.
enum class StatusFigure { ApproximateP, PercentDone, SecondsLeft };

// Where the busy state shows itself: the calculating document's window in the
// desktop program, a line on stderr in the command-line tool. Every method
// has a do-nothing default so a view implements only what it can show.
class StatusView {
public:
    virtual ~StatusView();

    virtual void setBusyCursor(bool /*busy*/) {}
    // The report is hidden while it is being rebuilt.
    virtual void setResultsViewerVisible(bool /*visible*/) {}
    virtual void setStatusPanelVisible(bool /*visible*/) {}
    virtual void showMessage(std::string_view /*text*/) {}
    virtual void hideMessage() {}
    virtual void showCancelButton(std::string_view /*caption*/) {}
    virtual void hideCancelButton() {}
    // Shows the caption and value of one figure, replacing an earlier value.
    virtual void showFigure(StatusFigure /*figure*/, std::string_view /*caption*/, std::string_view /*value*/) {}
    // Hides all three figures and clears their values.
    virtual void hideFigures() {}
    // A one-shot timer: when it expires the view calls
    // CalculationProgress::statusTimerFired() once. Starting it again restarts it.
    virtual void startStatusTimer(int /*milliseconds*/) {}
    virtual void stopStatusTimer() {}
    // Called on every CalcProgress, i.e. every few hundred units of work.
    // The window processes pending messages (repaints, the cancel button);
    // the command line checks its interrupt flag. Either may call
    // requestCancel() or statusTimerFired() from here. A view for which this
    // is costly throttles it itself.
    virtual void processPendingEvents() {}
};

// The process-wide busy state and the progress of the one calculation that
// can run at a time. The cancel request and the ticks belong to the
// calculating document; since only one document calculates at a time they
// live here, next to that document's view.
//
// With no view attached (the active window was not a document) the
// operations keep their state and return their codes but show nothing.
class CalculationProgress final : public ProgressReporter {
public:
    // clock must outlive this object.
    explicit CalculationProgress(Clock& clock);

    CalculationProgress(const CalculationProgress&) = delete;
    CalculationProgress& operator=(const CalculationProgress&) = delete;

    // Starts the busy state of one dispatch, shown in view (may be null) until
    // EndCalculation. The view must stay alive until then. Not nested: the
    // calculating flag keeps the commands that start a dispatch away.
    void BeginCalculation(StatusView* view);
    // Ends the busy state, shows the report again and detaches the view.
    void EndCalculation();

    void ShowCalcStatus(std::string_view message, Real approximateP) override;
    void HideCalcStatus() override;
    int CalcProgress(Real percentDone) override;

    // The cancel button. Seen by the next CalcProgress that is more than
    // 500 ms after the last figures update, and by every one after it until
    // the next BeginCalculation.
    void requestCancel();
    // The view's status timer expired.
    void statusTimerFired();

    // While set, document windows refuse to close and the main window's
    // file, step and window commands do nothing.
    bool calculating() const { return m_calculating; }
    bool cancelRequested() const { return m_cancelRequested; }
    // The approximateP given to the last ShowCalcStatus.
    Real lastApproximateP() const { return m_lastApproximateP; }

private:
    void stopStatusTimer();

    Clock& m_clock;
    StatusView* m_view = nullptr;
    bool m_calculating = false;
    bool m_cancelRequested = false;
    bool m_statusTimerRunning = false;
    // An approximate P value is on screen, so ProgressTooLong may be returned.
    bool m_approximatePShown = false;
    Real m_lastApproximateP = NoApproximateP;
    // 64-bit: a 32-bit millisecond tick wraps after 49.7 days of uptime.
    std::int64_t m_startTick = 0;
    std::int64_t m_lastUpdateTick = 0;
};

// Brackets one dispatch so that the busy state ends even when the analysis throws.
class CalculationScope {
public:
    CalculationScope(CalculationProgress& progress, StatusView* view);
    ~CalculationScope();

    CalculationScope(const CalculationScope&) = delete;
    CalculationScope& operator=(const CalculationScope&) = delete;

private:
    CalculationProgress& m_progress;
};

}  // namespace ombrix::workflow
