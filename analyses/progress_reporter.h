#pragma once

#include <string_view>

#include "core/real.h"

// What a long exact computation sees of the busy state: it announces itself,
// reports how far it has come and learns whether to go on. It never sees a
// window. This header depends on nothing above core/ so that the analyses,
// which sit below the workflow, can be handed an implementation of it.
namespace ombrix::analyses {

// Codes returned by CalcProgress. An exact routine keeps the last one it got;
// its report reads it to say why the exact P value is missing.
inline constexpr int ProgressStop = 0;  // the user pressed the cancel button
inline constexpr int ProgressContinue = 1;
// Go on if you must, but more than ten minutes remain and an approximate P
// value is on screen: the routine may stop and report that value instead.
inline constexpr int ProgressTooLong = 2;

// Passed to ShowCalcStatus when the computation has no approximate P value
// to fall back on.
inline constexpr Real NoApproximateP = -1;

// The status messages of the exact computations, shown above the progress figures.
inline constexpr std::string_view MannWhitneyStatusMessage = "Calculating the Mann-Whitney test.";
inline constexpr std::string_view WilcoxonStatusMessage = "Calculating the Wilcoxon test.";
inline constexpr std::string_view SpearmanStatusMessage =
    "Calculating the nonparametric (Spearman) correlation statistics.";
inline constexpr std::string_view KruskalWallisStatusMessage =
    "Calculating the Kruskal-Wallis nonparametric one-way ANOVA test.";
inline constexpr std::string_view FriedmanStatusMessage =
    "Calculating the Friedman nonparametric repeated measures one-way ANOVA test.";
// For the exact P of the Wilcoxon, Mann-Whitney and Spearman statistics, which
// always come with an approximate P value.
inline constexpr std::string_view ExactPStatusMessage =
    "Calculating exact P value. Click Cancel to use approximate P value.";

class ProgressReporter {
public:
    virtual ~ProgressReporter() = default;

    // Starts the figures of one exact computation. approximateP >= 0 is the
    // value the user may take instead of waiting; NoApproximateP (or any
    // negative, NaN or missing value) offers none.
    virtual void ShowCalcStatus(std::string_view message, Real approximateP) = 0;
    // Clears the figures of the computation that ended or was interrupted.
    virtual void HideCalcStatus() = 0;
    // Call at least every few hundred units of work. percentDone is 0 to 100;
    // its sign is ignored. Returns ProgressStop, ProgressContinue or ProgressTooLong.
    virtual int CalcProgress(Real percentDone) = 0;
};

// Shows nothing and always goes on: for a calculation nobody watches.
class SilentProgress final : public ProgressReporter {
public:
    void ShowCalcStatus(std::string_view, Real) override {}
    void HideCalcStatus() override {}
    int CalcProgress(Real) override { return ProgressContinue; }
};

}  // namespace ombrix::analyses
