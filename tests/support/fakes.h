#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "workflow/progress.h"

// The clock and status view that the busy state is driven through, for tests
// that must not wait: the test moves time by hand and sees what a user would.
namespace ombrix::testing {

class FakeClock final : public workflow::Clock {
public:
    std::int64_t now = 0;
    std::int64_t milliseconds() override { return now; }
};

// Keeps what a user would see; onEvents stands for the user acting while the
// calculation lets the event loop run.
class FakeView final : public workflow::StatusView {
public:
    explicit FakeView(FakeClock& clock)
        : m_clock(clock)
    {
    }

    bool busy = false, resultsVisible = true, panelVisible = false;
    bool messageVisible = false, cancelVisible = false;
    std::string message, cancelCaption;
    std::array<std::string, 3> figures;  // caption and value; empty while hidden
    std::optional<std::int64_t> timerDue;
    std::function<void()> onEvents;

    const std::string& figure(workflow::StatusFigure which) const { return figures[static_cast<int>(which)]; }

    // All of the above that is on screen, in one line.
    std::string seen() const
    {
        std::string shown = busy ? "busy" : "idle";
        if (!resultsVisible)
            shown += ", no results";
        if (panelVisible)
            shown += ", panel";
        if (messageVisible)
            shown += ", " + message;
        if (cancelVisible)
            shown += ", [" + cancelCaption + "]";
        for (const std::string& figure : figures)
            if (!figure.empty())
                shown += ", " + figure;
        if (timerDue)
            shown += ", timer " + std::to_string(*timerDue - m_clock.now);
        return shown;
    }

    void setBusyCursor(bool on) override { busy = on; }
    void setResultsViewerVisible(bool visible) override { resultsVisible = visible; }
    void setStatusPanelVisible(bool visible) override { panelVisible = visible; }
    void showMessage(std::string_view text) override
    {
        message = text;
        messageVisible = true;
    }
    void hideMessage() override { messageVisible = false; }
    void showCancelButton(std::string_view caption) override
    {
        cancelCaption = caption;
        cancelVisible = true;
    }
    void hideCancelButton() override { cancelVisible = false; }
    void showFigure(workflow::StatusFigure which, std::string_view caption, std::string_view value) override
    {
        figures[static_cast<int>(which)] = std::string(caption) + std::string(value);
    }
    void hideFigures() override { figures = {}; }
    void startStatusTimer(int milliseconds) override { timerDue = m_clock.now + milliseconds; }
    void stopStatusTimer() override { timerDue.reset(); }
    void processPendingEvents() override
    {
        if (onEvents)
            onEvents();
    }

private:
    FakeClock& m_clock;
};

}  // namespace ombrix::testing
