#include "workflow/progress.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

#include "tests/support/fakes.h"

namespace ombrix::workflow {
namespace {

using namespace ombrix::analyses;

using ombrix::testing::FakeClock;
using ombrix::testing::FakeView;

struct Scenario {
    FakeClock clock;
    FakeView view{clock};
    CalculationProgress progress{clock};
};

// Runs the scenarios of tests/data/progress_scenarios.txt; the file says how they read.
TEST(Progress, Scenarios)
{
    std::ifstream file(std::string(OMBRIX_TEST_DATA_DIR) + "/data/progress_scenarios.txt");
    ASSERT_TRUE(file);
    std::unique_ptr<Scenario> s;
    for (std::string line; std::getline(file, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] != ' ') {
            s = std::make_unique<Scenario>();
            s->clock.now = (std::int64_t{1} << 32) - 1000;
        }
        const std::size_t equals = line.find(" = ");
        std::istringstream words(line.substr(0, equals));
        for (std::string word; words >> word;) {
            SCOPED_TRACE(::testing::Message() << line << ": " << word);
            const std::string rest = word.substr(1);
            const auto expectFigure = [&](StatusFigure which, const std::string& value, const char* caption) {
                EXPECT_EQ(s->view.figure(which), value.empty() ? "" : caption + value);
            };
            switch (word[0]) {
            case 'B': s->progress.BeginCalculation(&s->view); break;
            case 'b':
                s->progress.BeginCalculation(nullptr);
                s->progress.statusTimerFired();
                break;
            case 'T':  // a single-shot timer: no longer pending once it fires
                s->view.timerDue.reset();
                s->progress.statusTimerFired();
                break;
            case '+': s->clock.now += std::stoll(rest); break;
            case 'E': s->progress.EndCalculation(); break;
            case 'S':
                s->progress.ShowCalcStatus(ExactPStatusMessage, rest == "-" ? NoApproximateP : std::stold(rest));
                break;
            case 'K': s->progress.ShowCalcStatus(KruskalWallisStatusMessage, NoApproximateP); break;
            case 'H': s->progress.HideCalcStatus(); break;
            case 'P': {
                const std::size_t code = word.find('=');
                const int expected = code == std::string::npos ? ProgressContinue
                                     : word[code + 1] == 'T'   ? ProgressTooLong
                                                               : ProgressStop;
                EXPECT_EQ(s->progress.CalcProgress(std::stold(word.substr(1, code - 1))), expected);
                break;
            }
            case '%': expectFigure(StatusFigure::PercentDone, rest, "Percentage Done = "); break;
            case 's':
                expectFigure(StatusFigure::SecondsLeft, rest == ">10min" ? "more than 10 minutes" : rest,
                             "Seconds Left = ");
                break;
            case 'C': s->progress.requestCancel(); break;
            case 'c': s->view.onEvents = [p = &s->progress] { p->requestCancel(); }; break;
            default: ADD_FAILURE() << "unknown step";
            }
        }
        if (equals != std::string::npos) {
            EXPECT_EQ(s->view.seen(), line.substr(equals + 3)) << line;
            EXPECT_EQ(s->progress.calculating(), s->view.busy) << line;
        }
    }
}

TEST(Progress, ScopeEndsTheBusyStateWhenTheAnalysisThrows)
{
    Scenario s;
    try {
        CalculationScope scope(s.progress, &s.view);
        throw std::runtime_error("analysis failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(s.progress.calculating());
    EXPECT_EQ(s.view.seen(), "idle");
}

}  // namespace
}  // namespace ombrix::workflow
