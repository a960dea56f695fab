#include "workflow/progress.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>

#include "tests/support/fakes.h"

namespace ombrix::workflow {
namespace {

using namespace ombrix::analyses;

using ombrix::testing::FakeClock;
using ombrix::testing::FakeView;
using ombrix::testing::ShownFigure;

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

    void expectNoFigures()
    {
        for (const ShownFigure& figure : view.figures)
            EXPECT_FALSE(figure.visible);
    }
};

TEST_F(ProgressTest, BeginAndEndBracketTheBusyState)
{
    progress.BeginCalculation(&view);
    EXPECT_TRUE(progress.calculating());
    EXPECT_TRUE(view.busy);
    EXPECT_FALSE(view.resultsVisible);
    EXPECT_EQ(view.timerDelay, 250);

    advance(100);
    progress.EndCalculation();
    EXPECT_FALSE(progress.calculating());
    EXPECT_FALSE(view.busy);
    EXPECT_TRUE(view.resultsVisible);
    EXPECT_FALSE(view.timerDue.has_value());
    EXPECT_FALSE(view.panelEverShown) << "a 100 ms calculation shows no panel";
}

TEST_F(ProgressTest, PleaseWaitPanelAppearsAfter250Milliseconds)
{
    const struct {
        std::int64_t duration;
        bool panelShown;
    } cases[] = {{249, false}, {250, true}, {5000, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.duration);
        view.panelEverShown = false;
        progress.BeginCalculation(&view);
        advance(c.duration);
        EXPECT_EQ(view.panelVisible, c.panelShown);
        if (c.panelShown) {
            EXPECT_EQ(view.message, "Performing calculations, please wait...");
            EXPECT_TRUE(view.messageVisible);
            EXPECT_TRUE(view.cancelVisible);
            EXPECT_EQ(view.cancelCaption, "Interrupt calculation");
        }
        progress.EndCalculation();
        EXPECT_FALSE(view.panelVisible);
        EXPECT_FALSE(view.messageVisible);
        EXPECT_FALSE(view.cancelVisible);
        EXPECT_EQ(view.panelEverShown, c.panelShown);
    }

    // An expiry that arrives after the end changes nothing.
    progress.statusTimerFired();
    EXPECT_FALSE(view.panelVisible);
}

TEST_F(ProgressTest, ShowCalcStatusReplacesThePendingPleaseWait)
{
    progress.BeginCalculation(&view);
    advance(100);
    progress.ShowCalcStatus(KruskalWallisStatusMessage, NoApproximateP);
    EXPECT_FALSE(view.timerDue.has_value());
    EXPECT_TRUE(view.panelVisible);
    EXPECT_EQ(view.message, "Calculating the Kruskal-Wallis nonparametric one-way ANOVA test.");
    EXPECT_EQ(view.cancelCaption, "Interrupt calculation");
    expectNoFigures();

    progress.statusTimerFired();  // queued before the stop
    EXPECT_EQ(view.message, KruskalWallisStatusMessage);
}

TEST_F(ProgressTest, ApproximatePIsOfferedOnlyWhenThereIsOne)
{
    const Real nan = std::numeric_limits<Real>::quiet_NaN();
    const struct {
        Real approximateP;
        std::optional<std::string> shown;
    } cases[] = {
        {0.0123449L, "0.01234"}, {0.123456L, "0.12346"}, {1, "1.00000"},
        {0, "0.00000"},          {-0.0L, "0.00000"},     {NoApproximateP, std::nullopt},
        {nan, std::nullopt},     {MissingValue, std::nullopt},
    };
    progress.BeginCalculation(&view);
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<double>(c.approximateP));
        progress.ShowCalcStatus(ExactPStatusMessage, c.approximateP);
        const ShownFigure& figure = view.figure(StatusFigure::ApproximateP);
        EXPECT_EQ(figure.visible, c.shown.has_value());
        if (c.shown) {
            EXPECT_EQ(figure.caption, "Approximate P = ");
            EXPECT_EQ(figure.value, *c.shown);
            EXPECT_EQ(view.cancelCaption, "Cancel exact calculations. Display approximate answer.");
        } else {
            EXPECT_EQ(view.cancelCaption, "Interrupt calculation");
        }
    }
}

TEST_F(ProgressTest, FiguresWaitTwoSecondsAndThenUpdateEvery500Milliseconds)
{
    progress.BeginCalculation(&view);
    progress.ShowCalcStatus(FriedmanStatusMessage, NoApproximateP);
    for (const std::int64_t step : {400, 600, 1000}) {  // up to exactly 2000 ms
        advance(step);
        EXPECT_EQ(progress.CalcProgress(50), ProgressContinue);
        expectNoFigures();
    }

    advance(1);
    EXPECT_EQ(progress.CalcProgress(50), ProgressContinue);
    EXPECT_EQ(view.figure(StatusFigure::PercentDone).caption, "Percentage Done = ");
    EXPECT_EQ(view.figure(StatusFigure::PercentDone).value, "50.0");
    EXPECT_EQ(view.figure(StatusFigure::SecondsLeft).caption, "Seconds Left = ");
    EXPECT_EQ(view.figure(StatusFigure::SecondsLeft).value, "2");

    advance(500);
    progress.CalcProgress(60);
    EXPECT_EQ(view.figure(StatusFigure::PercentDone).value, "50.0");
    advance(1);
    progress.CalcProgress(60);
    EXPECT_EQ(view.figure(StatusFigure::PercentDone).value, "60.0");
    EXPECT_EQ(view.eventsProcessed, 6) << "events are processed on every call";
}

TEST_F(ProgressTest, FiguresAndCodes)
{
    const Real nan = std::numeric_limits<Real>::quiet_NaN();
    const std::string tooLong = "more than 10 minutes";
    const struct {
        Real approximateP;
        std::int64_t elapsed;
        Real percentDone;
        int code;
        std::string percentShown;  // empty: no figures shown
        std::string secondsShown;
    } cases[] = {
        {NoApproximateP, 3000, 50, ProgressContinue, "50.0", "3"},
        {NoApproximateP, 2600, 60, ProgressContinue, "60.0", "1"},       // 1733 ms truncated
        {NoApproximateP, 1'000'000, 99, ProgressContinue, "99.0", "10"},
        {NoApproximateP, 10000, -25, ProgressContinue, "25.0", "30"},    // sign ignored
        {NoApproximateP, 5000, 100, ProgressContinue, "100.0", "0"},
        {NoApproximateP, 5000, 150, ProgressContinue, "100.0", "0"},     // held at 100
        {NoApproximateP, 2500, nan, ProgressContinue, "0.0", tooLong},
        {NoApproximateP, 3000, 0.2L, ProgressContinue, "0.2", tooLong},
        {NoApproximateP, 3016, 0.5L, ProgressContinue, "0.5", "600"},    // 600184 ms
        {NoApproximateP, 3021, 0.5L, ProgressContinue, "0.5", tooLong},  // 601179 ms
        {0.04L, 3016, 0.5L, ProgressContinue, "0.5", "600"},
        {0.04L, 3021, 0.5L, ProgressTooLong, "", ""},
        {0.04L, 3000, 0.2L, ProgressTooLong, "", ""},
        {0.04L, 2001, 0.32L, ProgressTooLong, "", ""},  // too little done to estimate
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.elapsed << " ms, " << static_cast<double>(c.percentDone)
                                        << " %, approximate P " << static_cast<double>(c.approximateP));
        // Each case straddles the point where a 32-bit millisecond tick wraps.
        clock.now = (std::int64_t{1} << 32) - 1000;
        progress.BeginCalculation(&view);
        progress.ShowCalcStatus(ExactPStatusMessage, c.approximateP);
        clock.now += c.elapsed;
        EXPECT_EQ(progress.CalcProgress(c.percentDone), c.code);
        EXPECT_EQ(view.figure(StatusFigure::PercentDone).value, c.percentShown);
        EXPECT_EQ(view.figure(StatusFigure::SecondsLeft).value, c.secondsShown);
        progress.EndCalculation();
    }
}

TEST_F(ProgressTest, TooLongStillCountsAsAnUpdate)
{
    progress.BeginCalculation(&view);
    progress.ShowCalcStatus(MannWhitneyStatusMessage, 0.04L);
    advance(3000);
    EXPECT_EQ(progress.CalcProgress(0.2L), ProgressTooLong);
    progress.requestCancel();
    advance(500);
    EXPECT_EQ(progress.CalcProgress(0.2L), ProgressContinue);
    advance(1);
    EXPECT_EQ(progress.CalcProgress(0.2L), ProgressStop);
}

TEST_F(ProgressTest, CancelIsSeenOnlyAfter500MillisecondsAndLastsTheCalculation)
{
    progress.BeginCalculation(&view);
    progress.ShowCalcStatus(WilcoxonStatusMessage, NoApproximateP);
    advance(2500);
    EXPECT_EQ(progress.CalcProgress(10), ProgressContinue);  // an update at 2500 ms

    progress.requestCancel();
    EXPECT_TRUE(progress.cancelRequested());
    advance(500);
    EXPECT_EQ(progress.CalcProgress(10), ProgressContinue);
    advance(1);
    EXPECT_EQ(progress.CalcProgress(10), ProgressStop);
    EXPECT_EQ(progress.CalcProgress(10), ProgressStop);

    // A later exact computation of the same calculation stops too, even
    // before its first figures.
    progress.HideCalcStatus();
    progress.ShowCalcStatus(SpearmanStatusMessage, NoApproximateP);
    advance(501);
    EXPECT_EQ(progress.CalcProgress(10), ProgressStop);
    progress.EndCalculation();

    progress.BeginCalculation(&view);
    EXPECT_FALSE(progress.cancelRequested());
    advance(501);
    EXPECT_EQ(progress.CalcProgress(10), ProgressContinue);
}

TEST_F(ProgressTest, CancelMadeWhileProcessingEventsIsSeenInTheSameCall)
{
    view.onEvents = [this] { progress.requestCancel(); };
    progress.BeginCalculation(&view);
    progress.ShowCalcStatus(WilcoxonStatusMessage, NoApproximateP);
    EXPECT_EQ(progress.CalcProgress(10), ProgressContinue);
    advance(501);
    EXPECT_EQ(progress.CalcProgress(10), ProgressStop);
}

TEST_F(ProgressTest, HideCalcStatusClearsTheFiguresAndWithdrawsTheApproximateP)
{
    progress.BeginCalculation(&view);
    progress.ShowCalcStatus(ExactPStatusMessage, 0.04L);
    advance(3000);
    ASSERT_EQ(progress.CalcProgress(50), ProgressContinue);

    progress.HideCalcStatus();
    EXPECT_FALSE(view.messageVisible);
    EXPECT_FALSE(view.cancelVisible);
    expectNoFigures();
    EXPECT_TRUE(view.panelVisible) << "the panel itself stays until the end";

    advance(3000);
    EXPECT_EQ(progress.CalcProgress(0.2L), ProgressContinue) << "no approximate P on screen any more";
    EXPECT_EQ(progress.lastApproximateP(), 0.04L);
}

TEST_F(ProgressTest, NothingCarriesOverFromTheLastCalculation)
{
    progress.BeginCalculation(&view);
    progress.ShowCalcStatus(ExactPStatusMessage, 0.04L);
    advance(3000);
    progress.CalcProgress(50);
    progress.EndCalculation();
    expectNoFigures();

    advance(100'000);
    progress.BeginCalculation(&view);
    advance(3000);  // the please-wait panel is up; no ShowCalcStatus in this calculation
    EXPECT_EQ(view.cancelCaption, "Interrupt calculation");
    EXPECT_EQ(progress.CalcProgress(50), ProgressContinue);
    EXPECT_EQ(view.figure(StatusFigure::SecondsLeft).value, "3") << "measured from this Begin";
    advance(501);
    EXPECT_EQ(progress.CalcProgress(0.2L), ProgressContinue) << "the old approximate P is not on screen";
}

TEST_F(ProgressTest, WithoutAViewTheStateAndCodesStillHold)
{
    progress.BeginCalculation(nullptr);
    EXPECT_TRUE(progress.calculating());
    progress.statusTimerFired();
    progress.ShowCalcStatus(ExactPStatusMessage, 0.04L);
    advance(3000);
    EXPECT_EQ(progress.CalcProgress(0.2L), ProgressTooLong);
    progress.requestCancel();
    advance(501);
    EXPECT_EQ(progress.CalcProgress(0.2L), ProgressStop);
    progress.HideCalcStatus();
    progress.EndCalculation();
    EXPECT_FALSE(progress.calculating());
}

TEST_F(ProgressTest, ScopeEndsTheBusyStateWhenTheAnalysisThrows)
{
    try {
        CalculationScope scope(progress, &view);
        EXPECT_TRUE(progress.calculating());
        throw std::runtime_error("analysis failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(progress.calculating());
    EXPECT_FALSE(view.busy);
    EXPECT_TRUE(view.resultsVisible);
}

}  // namespace
}  // namespace ombrix::workflow
