#include "workflow/progress.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <string>

#include "tests/support/fakes.h"

namespace ombrix::workflow {
namespace {

using namespace ombrix::analyses;

using ombrix::testing::FakeClock;
using ombrix::testing::FakeView;

const std::string Hidden = "busy, no results";
const std::string Panel = Hidden + ", panel";
const std::string PleaseWait = Panel + ", Performing calculations, please wait..., [Interrupt calculation]";

class ProgressTest : public ::testing::Test {
protected:
    FakeClock clock;
    FakeView view{clock};
    CalculationProgress progress{clock};

    // Moves time on and, as an event loop would, fires the status timer once it is due.
    void advance(std::int64_t milliseconds)
    {
        clock.now += milliseconds;
        if (view.timerDue && clock.now >= *view.timerDue) {
            view.timerDue.reset();
            progress.statusTimerFired();
        }
    }
};

TEST_F(ProgressTest, PleaseWaitPanelAppearsAfter250Milliseconds)
{
    const struct {
        std::int64_t duration;
        std::string seen;
    } cases[] = {{100, Hidden + ", timer 150"}, {249, Hidden + ", timer 1"}, {250, PleaseWait}, {5000, PleaseWait}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.duration);
        view.panelEverShown = false;
        progress.BeginCalculation(&view);
        EXPECT_EQ(view.seen(), Hidden + ", timer 250");
        advance(c.duration);
        EXPECT_EQ(view.seen(), c.seen);
        progress.EndCalculation();
        EXPECT_FALSE(progress.calculating());
        EXPECT_EQ(view.seen(), "idle");
        EXPECT_EQ(view.panelEverShown, c.seen == PleaseWait);
    }
    // An expiry that arrives after the end changes nothing.
    progress.statusTimerFired();
    EXPECT_EQ(view.seen(), "idle");
}

TEST_F(ProgressTest, ShowCalcStatusReplacesThePendingPleaseWait)
{
    progress.BeginCalculation(&view);
    advance(100);
    progress.ShowCalcStatus(KruskalWallisStatusMessage, NoApproximateP);
    const std::string status =
        Panel + ", Calculating the Kruskal-Wallis nonparametric one-way ANOVA test., [Interrupt calculation]";
    EXPECT_EQ(view.seen(), status);
    progress.statusTimerFired();  // queued before the stop
    EXPECT_EQ(view.seen(), status);
}

TEST_F(ProgressTest, ApproximatePIsOfferedOnlyWhenThereIsOne)
{
    const Real nan = std::numeric_limits<Real>::quiet_NaN();
    const struct {
        Real approximateP;
        const char* shown;
    } cases[] = {
        {0.0123449L, "0.01234"}, {0.123456L, "0.12346"}, {1, "1.00000"}, {0, "0.00000"}, {-0.0L, "0.00000"},
        {NoApproximateP, nullptr}, {nan, nullptr}, {MissingValue, nullptr},
    };
    const std::string exact = Panel + ", " + std::string(ExactPStatusMessage) + ", [";
    progress.BeginCalculation(&view);
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<double>(c.approximateP));
        progress.ShowCalcStatus(ExactPStatusMessage, c.approximateP);
        EXPECT_EQ(view.seen(), c.shown ? exact + "Cancel exact calculations. Display approximate answer.], "
                                                 "Approximate P = " + c.shown
                                       : exact + "Interrupt calculation]");
    }
}

// Timing scenarios over the fake clock, one word a step: B begins (b without
// a view), S0.04 shows the status with that approximate P (S- without one),
// +500 moves time, P10 expects CalcProgress(10) to continue (P10=T too long,
// P10=S stop), %50.0 and s3 expect that percentage done and seconds left on
// screen (% and s alone: no figure; s>10min: "more than 10 minutes"), C
// cancels, c cancels while the calculation processes events, H hides the
// status, E ends. Each starts 1000 ms before a 32-bit millisecond tick wraps.
TEST_F(ProgressTest, TimingScenarios)
{
    const char* const scenarios[] = {
        // Figures wait two seconds, then change at most every 500 ms.
        "B S- +400 P50 % +600 P50 % +1000 P50 % +1 P50 %50.0 s2 +500 P60 %50.0 +1 P60 %60.0",
        // The seconds left are elapsed * (100 - done) / done, truncated; the
        // sign of the percentage is ignored and it is held at 100.
        "B S- +3000 P50 %50.0 s3", "B S- +2600 P60 %60.0 s1", "B S- +1000000 P99 %99.0 s10",
        "B S- +10000 P-25 %25.0 s30", "B S- +5000 P100 %100.0 s0", "B S- +5000 P150 %100.0 s0",
        // Past ten minutes (600184 ms is not, 601179 ms is) the figure says so,
        // unless an approximate P is on screen: then the answer is too long.
        "B S- +2500 Pnan %0.0 s>10min", "B S- +3000 P0.2 %0.2 s>10min", "B S- +3016 P0.5 %0.5 s600",
        "B S- +3021 P0.5 %0.5 s>10min", "B S0.04 +3016 P0.5 %0.5 s600", "B S0.04 +3021 P0.5=T % s",
        "B S0.04 +3000 P0.2=T % s", "B S0.04 +2001 P0.32=T % s",
        // A too-long answer counts as an update, so a cancel waits 500 ms from it.
        "B S0.04 +3000 P0.2=T C +500 P0.2 +1 P0.2=S",
        // A cancel lasts the whole calculation, even a later exact computation.
        "B S- +2500 P10 C +500 P10 +1 P10=S P10=S H S- +501 P10=S E B +501 P10",
        "c B S- P10 +501 P10=S",
        // Hiding the status withdraws the approximate P.
        "B S0.04 +3000 P50 H +3000 P0.2",
        // Nothing carries over from the last calculation.
        "B S0.04 +3000 P50 E +100000 B +3000 P50 s3 +501 P0.2",
        "b S0.04 +3000 P0.2=T C +501 P0.2=S H E",
    };
    for (const char* script : scenarios) {
        FakeClock stepClock;
        stepClock.now = (std::int64_t{1} << 32) - 1000;
        FakeView stepView{stepClock};
        CalculationProgress stepProgress{stepClock};
        const auto expectFigure = [&stepView](StatusFigure which, const std::string& value, const char* caption) {
            EXPECT_EQ(stepView.figure(which), value.empty() ? "" : caption + value);
        };
        std::istringstream words(script);
        for (std::string word; words >> word;) {
            SCOPED_TRACE(::testing::Message() << script << ": " << word);
            const std::string rest = word.substr(1);
            switch (word[0]) {
            case 'B': stepProgress.BeginCalculation(&stepView); break;
            case 'b': stepProgress.BeginCalculation(nullptr); stepProgress.statusTimerFired(); break;
            case 'S':
                stepProgress.ShowCalcStatus(ExactPStatusMessage, rest == "-" ? NoApproximateP : std::stold(rest));
                break;
            case '+': stepClock.now += std::stoll(rest); break;
            case 'P': {
                const std::size_t code = word.find('=');
                const int expected = code == std::string::npos ? ProgressContinue
                                     : word[code + 1] == 'T'   ? ProgressTooLong
                                                               : ProgressStop;
                EXPECT_EQ(stepProgress.CalcProgress(std::stold(word.substr(1, code - 1))), expected);
                break;
            }
            case '%': expectFigure(StatusFigure::PercentDone, rest, "Percentage Done = "); break;
            case 's':
                expectFigure(StatusFigure::SecondsLeft, rest == ">10min" ? "more than 10 minutes" : rest,
                             "Seconds Left = ");
                break;
            case 'C': stepProgress.requestCancel(); break;
            case 'c': stepView.onEvents = [&stepProgress] { stepProgress.requestCancel(); }; break;
            case 'H': stepProgress.HideCalcStatus(); break;
            case 'E': stepProgress.EndCalculation(); break;
            default: ADD_FAILURE() << "unknown step";
            }
        }
    }
}

TEST_F(ProgressTest, HideCalcStatusLeavesOnlyThePanelUntilTheEnd)
{
    progress.BeginCalculation(&view);
    progress.ShowCalcStatus(ExactPStatusMessage, 0.04L);
    advance(3000);
    ASSERT_EQ(progress.CalcProgress(50), ProgressContinue);
    progress.HideCalcStatus();
    EXPECT_EQ(view.seen(), Panel);
    EXPECT_EQ(progress.lastApproximateP(), 0.04L);
    progress.EndCalculation();
    EXPECT_EQ(view.seen(), "idle");
}

TEST_F(ProgressTest, ScopeEndsTheBusyStateWhenTheAnalysisThrows)
{
    try {
        CalculationScope scope(progress, &view);
        throw std::runtime_error("analysis failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(progress.calculating());
    EXPECT_EQ(view.seen(), "idle");
}

}  // namespace
}  // namespace ombrix::workflow
