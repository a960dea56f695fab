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

struct ShownFigure {
    bool visible = false;
    std::string caption;
    std::string value;
};

// Keeps what a user would see; onEvents stands for the user acting while the
// calculation lets the event loop run.
class FakeView final : public workflow::StatusView {
public:
    explicit FakeView(FakeClock& clock) : m_clock(clock) {}

    bool busy = false, resultsVisible = true, panelVisible = false, panelEverShown = false;
    bool messageVisible = false, cancelVisible = false;
    std::string message, cancelCaption;
    std::array<ShownFigure, 3> figures;
    int timerDelay = 0;
    std::optional<std::int64_t> timerDue;
    int eventsProcessed = 0;
    std::function<void()> onEvents;

    const ShownFigure& figure(workflow::StatusFigure which) const { return figures[static_cast<int>(which)]; }

    void setBusyCursor(bool on) override { busy = on; }
    void setResultsViewerVisible(bool visible) override { resultsVisible = visible; }
    void setStatusPanelVisible(bool visible) override
    {
        panelVisible = visible;
        panelEverShown = panelEverShown || visible;
    }
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
        figures[static_cast<int>(which)] = {true, std::string(caption), std::string(value)};
    }
    void hideFigures() override { figures = {}; }
    void startStatusTimer(int milliseconds) override
    {
        timerDelay = milliseconds;
        timerDue = m_clock.now + milliseconds;
    }
    void stopStatusTimer() override { timerDue.reset(); }
    void processPendingEvents() override
    {
        ++eventsProcessed;
        if (onEvents)
            onEvents();
    }

private:
    FakeClock& m_clock;
};

}  // namespace ombrix::testing
