// ombrix-report: the command-line front end.
#include <clocale>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

#include "cli/report_command.h"
#ifdef OMBRIX_WITH_GRAPHS
#include "cli/graph_pictures.h"
#endif

namespace {

volatile std::sig_atomic_t interruptCount = 0;

void onInterrupt(int)
{
    // The first Ctrl+C is the Cancel button; a second one ends the program.
    interruptCount = interruptCount + 1;
    if (interruptCount >= 2)
        ::_exit(130);
}

// The status panel as one line on standard error, redrawn in place; shown
// only when standard error is a terminal. Ctrl+C presses Cancel.
class TerminalStatusView final : public ombrix::workflow::StatusView {
public:
    // progress points at the engine of the calculation under way, if any:
    // the view needs it to press Cancel and to fire the status timer.
    TerminalStatusView(ombrix::workflow::Clock& clock, bool terminal,
                       ombrix::workflow::CalculationProgress* const& progress)
        : m_clock(clock)
        , m_terminal(terminal)
        , m_progress(progress)
    {
    }

    void setStatusPanelVisible(bool visible) override
    {
        m_visible = visible;
        if (!visible)
            clear();
    }
    void showMessage(std::string_view text) override
    {
        m_message = text;
        draw();
    }
    void hideMessage() override
    {
        m_message.clear();
        draw();
    }
    void showCancelButton(std::string_view) override {}
    void showFigure(ombrix::workflow::StatusFigure figure, std::string_view caption, std::string_view value) override
    {
        m_figures[static_cast<int>(figure)] = std::string(caption) + std::string(value);
        draw();
    }
    void hideFigures() override
    {
        for (std::string& figure : m_figures)
            figure.clear();
        draw();
    }
    void startStatusTimer(int milliseconds) override { m_timerDue = m_clock.milliseconds() + milliseconds; }
    void stopStatusTimer() override { m_timerDue = -1; }
    void processPendingEvents() override
    {
        if (!m_progress)
            return;
        if (m_timerDue >= 0 && m_clock.milliseconds() >= m_timerDue) {
            m_timerDue = -1;
            m_progress->statusTimerFired();
        }
        if (interruptCount > 0 && !m_progress->cancelRequested())
            m_progress->requestCancel();
    }

    void clear()
    {
        if (m_terminal && m_drawn) {
            std::fputs("\r\x1b[K", stderr);
            m_drawn = false;
        }
    }

private:
    void draw()
    {
        if (!m_terminal || !m_visible)
            return;
        std::string line = m_message;
        for (const std::string& figure : m_figures)
            if (!figure.empty())
                line += "  " + figure;
        if (interruptCount > 0)
            line += "  (cancelling)";
        std::fprintf(stderr, "\r\x1b[K%s", line.c_str());
        std::fflush(stderr);
        m_drawn = true;
    }

    ombrix::workflow::Clock& m_clock;
    bool m_terminal;
    ombrix::workflow::CalculationProgress* const& m_progress;
    bool m_visible = false;
    bool m_drawn = false;
    std::string m_message;
    std::string m_figures[3];
    long long m_timerDue = -1;
};

}  // namespace

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);

    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);

    // The user's decimal separator for import and export. Numbers are written
    // and read everywhere else in the C locale, so it is restored at once.
    char decimalSeparator = '.';
    if (std::setlocale(LC_NUMERIC, "")) {
        const char* point = std::localeconv()->decimal_point;
        if (point && (point[0] == ',' || point[0] == '.') && point[1] == '\0')
            decimalSeparator = point[0];
    }
    std::setlocale(LC_NUMERIC, "C");

    ombrix::workflow::SteadyClock clock;
    ombrix::workflow::CalculationProgress* progress = nullptr;
    TerminalStatusView view(clock, ::isatty(STDERR_FILENO) == 1, progress);
#ifdef OMBRIX_WITH_GRAPHS
    const ombrix::cli::DocumentWriters writers = ombrix::cli::offscreenWriters();
#else
    const ombrix::cli::DocumentWriters writers;
#endif
    const int status =
        ombrix::cli::runReportCommand(args, std::cout, std::cerr, clock, &view, &progress, decimalSeparator, writers);
    view.clear();
    std::cout.flush();
    return status;
}
