#include "analyses/correlation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

#include "analyses/error_codes.h"

namespace ombrix::analyses {
namespace {

constexpr Real Blank = MissingValue;

// Records what the computation tells the busy state and answers CalcProgress
// from a script (ProgressContinue when none is given).
class ScriptedProgress final : public ProgressReporter {
public:
    struct Shown {
        std::string message;
        Real approximateP;
    };
    std::vector<Shown> shown;
    int hidden = 0;
    std::vector<Real> percents;
    // Called with the 0-based number of the CalcProgress call.
    std::function<int(int call)> answer;

    void ShowCalcStatus(std::string_view message, Real approximateP) override
    {
        shown.push_back({std::string(message), approximateP});
    }
    void HideCalcStatus() override { ++hidden; }
    int CalcProgress(Real percentDone) override
    {
        percents.push_back(percentDone);
        if (!answer)
            return ProgressContinue;
        return answer(static_cast<int>(percents.size()) - 1);
    }
};

// Column 0 and column 1 of a small table, row by row; Blank leaves a cell empty.
DataTable twoColumns(const std::vector<Real>& x, const std::vector<Real>& y)
{
    DataTable table(40, 3);
    for (std::size_t row = 0; row < x.size(); ++row)
        table.setValue(static_cast<int>(row), 0, x[row]);
    for (std::size_t row = 0; row < y.size(); ++row)
        table.setValue(static_cast<int>(row), 1, y[row]);
    return table;
}

// The plain count, one ordering at a time: position k takes
// every unused rank v in turn and adds (v - k)^2.
void enumerate(int n, int position, std::vector<bool>& used, int sum, std::vector<std::uint64_t>& counts)
{
    if (position > n) {
        ++counts[static_cast<std::size_t>(sum)];
        return;
    }
    for (int v = 1; v <= n; ++v) {
        if (used[static_cast<std::size_t>(v)])
            continue;
        used[static_cast<std::size_t>(v)] = true;
        enumerate(n, position + 1, used, sum + (v - position) * (v - position), counts);
        used[static_cast<std::size_t>(v)] = false;
    }
}

std::vector<std::uint64_t> enumeratedCounts(int n)
{
    std::vector<std::uint64_t> counts(static_cast<std::size_t>((n * n * n - n) / 3 + 1), 0);
    std::vector<bool> used(static_cast<std::size_t>(n) + 1, false);
    enumerate(n, 1, used, 0, counts);
    return counts;
}

std::uint64_t factorial(int n)
{
    std::uint64_t product = 1;
    for (int i = 2; i <= n; ++i)
        product *= static_cast<std::uint64_t>(i);
    return product;
}

// Faults the report guard would turn into error codes 2, 4 and 5.
constexpr int FaultFlags = FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID;

TEST(SquaredRankDifferenceCounts, SameAsEnumeratingEveryOrderingUpToTen)
{
    for (int n = 0; n <= 10; ++n) {
        const RankDifferenceCounts fast = squaredRankDifferenceCounts(n);
        EXPECT_EQ(fast.exactness, SpearmanExactness::Exact) << "n = " << n;
        EXPECT_EQ(fast.counts, enumeratedCounts(n)) << "n = " << n;
    }
}

// Beyond enumeration in a unit test, the null distribution still has to
// have the known shape: n! orderings, only even sums, symmetry about S
// (reversing one ranking maps the sum s to 2S - s), one identity and one
// reversal, n - 1 adjacent swaps with sum 2, mean S and variance
// S^2 / (n - 1) = n^2 (n + 1)^2 (n - 1) / 36 (since var rs = 1 / (n - 1)).
TEST(SquaredRankDifferenceCounts, ElevenAndTwelveHaveTheKnownShape)
{
    for (int n : {11, 12}) {
        SCOPED_TRACE("n = " + std::to_string(n));
        const std::vector<std::uint64_t> counts = squaredRankDifferenceCounts(n).counts;
        const std::uint64_t s = static_cast<std::uint64_t>(n * n * n - n) / 6;
        ASSERT_EQ(counts.size(), 2 * s + 1);
        std::uint64_t total = 0;
        std::uint64_t sum = 0;
        std::uint64_t squaredDeviations = 0;
        for (std::uint64_t value = 0; value < counts.size(); ++value) {
            const std::uint64_t count = counts[value];
            if (value % 2 == 1) {
                EXPECT_EQ(count, 0u) << "sum " << value;
            }
            EXPECT_EQ(count, counts[2 * s - value]) << "sum " << value;
            total += count;
            sum += count * value;
            const std::uint64_t deviation = value > s ? value - s : s - value;
            squaredDeviations += count * deviation * deviation;
        }
        const auto un = static_cast<std::uint64_t>(n);
        EXPECT_EQ(total, factorial(n));
        EXPECT_EQ(counts[0], 1u);
        EXPECT_EQ(counts[2 * s], 1u);
        EXPECT_EQ(counts[2], un - 1);
        EXPECT_EQ(sum, s * factorial(n));
        EXPECT_EQ(squaredDeviations, factorial(n) * un * un * (un + 1) * (un + 1) * (un - 1) / 36);
    }
}

TEST(SquaredRankDifferenceCounts, NotAttemptedOutsideItsRange)
{
    for (int n : {-1, 13}) {
        const RankDifferenceCounts result = squaredRankDifferenceCounts(n);
        EXPECT_EQ(result.exactness, SpearmanExactness::TooLong);
        EXPECT_TRUE(result.counts.empty());
    }
}

TEST(SquaredRankDifferenceCounts, ReportsProgressAndStopsAtTheFirstOtherAnswer)
{
    ScriptedProgress plain;
    EXPECT_EQ(squaredRankDifferenceCounts(12, &plain).exactness, SpearmanExactness::Exact);
    ASSERT_GE(plain.percents.size(), 32u);
    EXPECT_EQ(plain.percents.front(), 0);
    EXPECT_LT(plain.percents.back(), 100);
    EXPECT_TRUE(std::is_sorted(plain.percents.begin(), plain.percents.end()));

    for (const auto& [code, exactness] : {std::pair{ProgressStop, SpearmanExactness::Cancelled},
                                          std::pair{ProgressTooLong, SpearmanExactness::TooLong}}) {
        ScriptedProgress progress;
        progress.answer = [code](int call) { return call < 3 ? ProgressContinue : code; };
        const RankDifferenceCounts result = squaredRankDifferenceCounts(9, &progress);
        EXPECT_EQ(result.exactness, exactness);
        EXPECT_TRUE(result.counts.empty());
        EXPECT_EQ(progress.percents.size(), 4u);
    }
}

// Expected values from R 4.x: cor.test(x, y, method = "pearson") for r and
// P. The limits are tanh(atanh(r) -+ z / sqrt(n - 3)) with the z this program
// uses, 1.96044921875: the bisection of InverseZ on t with 5000 df, which R
// reproduces with pt(); cor.test's own limits use qnorm(0.975) = 1.95996 and
// differ in the fourth decimal. P carries the 3e-7 relative tolerance of the
// incomplete beta function, hence 1e-6.
struct PearsonCase {
    const char* name;
    std::vector<Real> x;
    std::vector<Real> y;
    int n;
    Real r;
    Real p;
    Real lower;
    Real upper;
};

TEST(ComputePearson, MatchesR)
{
    const std::vector<PearsonCase> cases = {
        {"eight pairs, blank cells skipped",
         {1.2, 2.5, Blank, 3.1, 4.8, 5.0, 6.7, 7.3, 99, 8.9},
         {2.3, 2.9, 55, 4.1, 4.0, 6.2, 6.8, 7.9, Blank, 8.4}, 8,
         0.96169320381497L, 0.000136523006168461L, 0.797326061470042L, 0.993259651879171L},
        {"weak negative", {12, 15, 9, 20, 17, 11, 14}, {3.3, 2.1, 2.9, 2.8, 1.7, 3.0, 3.6}, 7,
         -0.410070713264284L, 0.360867058678303L, -0.888744860568305L, 0.496408124305589L},
        {"three pairs have no interval", {1, 2, 3}, {2.0, 4.5, 5.1}, 3, 0.942718214819468L, 0.216520295486739L,
         Blank, Blank},
        // cor(1:5, c(2, 4, 5, 4, 5)) = sqrt(0.6): an offset of 1e12 must not
        // drown the spread of X in the sums of squares.
        {"large offset", {1e12L + 1, 1e12L + 2, 1e12L + 3, 1e12L + 4, 1e12L + 5}, {2, 4, 5, 4, 5}, 5,
         0.774596669241483L, 0.124027062657555L, -0.34038542923803L, 0.984246484075541L},
    };
    for (const PearsonCase& c : cases) {
        SCOPED_TRACE(c.name);
        DataTable table = twoColumns(c.x, c.y);
        const PearsonResult result = ComputePearson(table, 0, 1);
        EXPECT_EQ(result.n, c.n);
        EXPECT_EQ(result.errorCode, 0);
        EXPECT_NEAR(result.r, c.r, 1e-13);
        EXPECT_NEAR(result.r2, c.r * c.r, 1e-13);
        EXPECT_NEAR(result.se, std::sqrt((1 - c.r * c.r) / (result.n - 2)), 1e-13);
        EXPECT_NEAR(result.p, c.p, 1e-6 * c.p);
        if (isMissing(c.lower)) {
            EXPECT_EQ(result.lower, MissingValue);
            EXPECT_EQ(result.upper, MissingValue);
        } else {
            EXPECT_NEAR(result.lower, c.lower, 1e-9);
            EXPECT_NEAR(result.upper, c.upper, 1e-9);
        }
    }
}

struct RefusedCase {
    const char* name;
    std::vector<Real> x;
    std::vector<Real> y;
    int pearsonCode;
    int spearmanCode;
};

TEST(CorrelationComputations, RefuseDataThatDoNotAllowThem)
{
    using namespace error_code;
    const std::vector<RefusedCase> cases = {
        {"no pair", {1, 2, Blank}, {Blank, Blank, 3}, CorrelationNoData, CorrelationNoData},
        {"one x value", {3.3, 3.3, 3.3, 3.3}, {1, 2, 3, 4}, RegressionOneX, RegressionOneX},
        {"one y value", {1, 2, 3, 4}, {0.1, 0.1, 0.1, 0.1}, RegressionOneY, RegressionOneY},
        {"both constant: x is named", {5, 5, 5}, {7, 7, 7}, RegressionOneX, RegressionOneX},
        {"one pair", {1}, {2}, RegressionOneX, RegressionOneX},
        // Spearman needs no third pair; its rs of two pairs is +-1.
        {"two pairs", {1, 2}, {4, 3}, CorrelationTooFewPoints, None},
    };
    for (const RefusedCase& c : cases) {
        SCOPED_TRACE(c.name);
        DataTable pearsonTable = twoColumns(c.x, c.y);
        EXPECT_EQ(ComputePearson(pearsonTable, 0, 1).errorCode, c.pearsonCode);

        DataTable spearmanTable = twoColumns(c.x, c.y);
        ScriptedProgress progress;
        EXPECT_EQ(ComputeSpearman(spearmanTable, 0, 1, progress).errorCode, c.spearmanCode);
    }
}

// r = +-1 has an infinite Fisher z and a zero SE: the sound answers are
// limits equal to r and P = 0, with no division by zero or log(0) on the way.
TEST(CorrelationComputations, PerfectCorrelationRaisesNoFault)
{
    std::feclearexcept(FE_ALL_EXCEPT);
    DataTable falling = twoColumns({1, 2, 3, 4, 5}, {8, 6, 4, 2, 0});
    const PearsonResult pearson = ComputePearson(falling, 0, 1);
    EXPECT_EQ(pearson.r, -1);
    EXPECT_EQ(pearson.se, 0);
    EXPECT_EQ(pearson.p, 0);
    EXPECT_EQ(pearson.lower, -1);
    EXPECT_EQ(pearson.upper, -1);

    std::vector<Real> x(11);
    std::vector<Real> y(11);
    for (int i = 0; i < 11; ++i) {
        x[static_cast<std::size_t>(i)] = i;
        y[static_cast<std::size_t>(i)] = std::exp(Real(-i));
    }
    DataTable ranks = twoColumns(x, y);
    ScriptedProgress progress;
    const SpearmanResult spearman = ComputeSpearman(ranks, 0, 1, progress);
    EXPECT_EQ(spearman.rs, -1);
    EXPECT_EQ(spearman.lower, -1);
    EXPECT_EQ(spearman.upper, -1);
    ASSERT_EQ(progress.shown.size(), 2u);
    EXPECT_EQ(progress.shown[1].approximateP, 0);
    // Exact: only the reversal is as extreme, 2 / 11!.
    EXPECT_NEAR(spearman.p, 2.0L / 39916800, 1e-20);
    EXPECT_EQ(std::fetestexcept(FaultFlags), 0);
}

// Expected values: rs = cor(rank(x), rank(y)) in R; exact P from R's
// cor.test(exact = TRUE) for untied n <= 9 (an enumeration there), from an
// enumeration of all n! orderings written in R for tied data, and for n = 12
// from an R transcription of the subset count, itself checked against that
// enumeration for n <= 9. Approximate P from cor.test(exact = FALSE), the
// same t approximation (1e-6 for the incomplete beta). Limits as for
// Pearson, with sqrt(1.06 / (n - 3)).
struct SpearmanCase {
    const char* name;
    std::vector<Real> x;
    std::vector<Real> y;
    Real rs;
    bool ties;
    SpearmanExactness exactness;
    Real p;
    Real lower = Blank;
    Real upper = Blank;
};

TEST(ComputeSpearman, MatchesR)
{
    using enum SpearmanExactness;
    const std::vector<SpearmanCase> cases = {
        {"seven pairs", {3.1, 4.5, 2.2, 6.8, 5.0, 7.7, 1.9}, {10.2, 14.1, 9.8, 15.5, 11.0, 20.3, 12.4},
         0.714285714285714L, false, Exact, 0.0880952380952381L},
        {"four pairs", {1, 2, 3, 4}, {1.5, 1.2, 3.3, 4.1}, 0.8L, false, Exact, 1.0L / 3},
        {"ties in both", {1, 2, 2, 3, 4, 4, 4, 5, 6}, {2.1, 3.5, 2.9, 4.4, 5.0, 4.8, 6.1, 5.9, 7.2},
         0.944894749142211L, true, Exact, 0.000352733686067019L},
        {"twelve pairs", {5.2, 3.3, 8.1, 6.0, 2.4, 7.7, 9.9, 1.5, 4.6, 10.8, 6.6, 3.9},
         {14, 11, 19, 12, 9, 21, 20, 8, 15, 23, 13, 16}, 0.846153846153846L, false, Exact,
         0.000944861144513922L, 0.515103161692246L, 0.957524589365513L},
        {"thirteen pairs", {2.5, 3.9, 1.2, 5.5, 4.4, 7.1, 6.3, 8.8, 9.0, 10.4, 11.7, 12.2, 13.6},
         {30, 28, 25, 35, 41, 33, 45, 38, 50, 47, 44, 55, 52}, 0.868131868131868L, false, TooLong,
         0.000119102559800427L, 0.596160798899165L, 0.961372823045466L},
        // Hand: the two orderings of two ranks; the mirror of rs = 1 is the
        // swap itself, so P = 2 * 1/2.
        {"two pairs", {1, 2}, {3, 4}, 1, false, Exact, 1},
        // Hand: rs = -1; of the 6 orderings only the reversal is as extreme.
        {"three reversed", {1, 2, 3}, {9, 8, 7}, -1, false, Exact, 2.0L / 6},
    };
    for (const SpearmanCase& c : cases) {
        SCOPED_TRACE(c.name);
        DataTable table = twoColumns(c.x, c.y);
        ScriptedProgress progress;
        const SpearmanResult result = ComputeSpearman(table, 0, 1, progress);
        EXPECT_EQ(result.errorCode, 0);
        EXPECT_EQ(result.n, static_cast<int>(c.x.size()));
        EXPECT_NEAR(result.rs, c.rs, 1e-13);
        EXPECT_NEAR(result.rs2, c.rs * c.rs, 1e-13);
        EXPECT_EQ(result.ties, c.ties);
        EXPECT_EQ(result.exactness, c.exactness);
        // Exact P values are ratios of whole numbers; approximate ones carry 3e-7.
        EXPECT_NEAR(result.p, c.p, c.exactness == Exact ? 1e-13 : 1e-6 * c.p);
        if (isMissing(c.lower)) {
            EXPECT_EQ(result.lower, MissingValue);
        } else {
            EXPECT_NEAR(result.lower, c.lower, 1e-9);
            EXPECT_NEAR(result.upper, c.upper, 1e-9);
        }
    }
}

// With these ties S (1 + |rs|) = 84 (1 + 7/12) is exactly 133, but computed
// in floating point it comes out a hair below and truncates to 132, which
// would add the 380 orderings with sum 132 to the extreme ones. Expected from
// an enumeration of the 8! orderings in R: 2 * #(sum >= 133) / 8!.
TEST(ComputeSpearman, WholeMirrorValueIsNotLostToRounding)
{
    DataTable table = twoColumns({0, 6, 4, 4, 4, 3, 4, 4}, {0, 6, 4, 5, 0, 4, 6, 2});
    ScriptedProgress progress;
    const SpearmanResult result = ComputeSpearman(table, 0, 1, progress);
    EXPECT_NEAR(result.rs, 7.0L / 12, 1e-15);
    EXPECT_EQ(result.exactness, SpearmanExactness::Exact);
    EXPECT_NEAR(result.p, 0.132291666666667L, 1e-14);
}

// Every possible ranking of 7 untied pairs: the exact P from the fast count
// equals the enumeration's, with the mirror sum taken in integers (2S - D
// for rs >= 0, D itself for rs < 0).
TEST(ComputeSpearman, EveryRankingOfSevenMatchesEnumeration)
{
    constexpr int n = 7;
    constexpr int s = (n * n * n - n) / 6;
    const std::vector<std::uint64_t> counts = enumeratedCounts(n);
    std::vector<int> ranks(n);
    std::iota(ranks.begin(), ranks.end(), 1);
    DataTable table(n, 2);
    for (int row = 0; row < n; ++row)
        table.setValue(row, 0, row + 1);
    do {
        int d = 0;
        for (int row = 0; row < n; ++row) {
            table.setValue(row, 1, ranks[static_cast<std::size_t>(row)]);
            d += (ranks[static_cast<std::size_t>(row)] - row - 1) * (ranks[static_cast<std::size_t>(row)] - row - 1);
        }
        const int threshold = d <= s ? 2 * s - d : d;
        std::uint64_t extreme = 0;
        for (std::size_t sum = static_cast<std::size_t>(threshold); sum < counts.size(); ++sum)
            extreme += counts[sum];
        const Real expected = std::min(Real(1), Real(2 * extreme) / 5040);
        ScriptedProgress progress;
        const SpearmanResult result = ComputeSpearman(table, 0, 1, progress);
        ASSERT_EQ(result.p, expected) << "sum of squared differences " << d;
    } while (std::next_permutation(ranks.begin(), ranks.end()));
}

TEST(ComputeSpearman, TellsTheBusyStateWhatItDoes)
{
    // Ten rows, two of them without a pair.
    DataTable table = twoColumns({3.1, 4.5, 2.2, 6.8, 5.0, 7.7, 1.9, Blank, 8, 9},
                                 {10.2, 14.1, 9.8, 15.5, 11.0, 20.3, 12.4, 3, Blank, 1});
    ScriptedProgress progress;
    const SpearmanResult result = ComputeSpearman(table, 0, 1, progress);
    EXPECT_EQ(result.n, 8);
    ASSERT_EQ(progress.shown.size(), 2u);
    EXPECT_EQ(progress.shown[0].message, SpearmanStatusMessage);
    EXPECT_LT(progress.shown[0].approximateP, 0);
    EXPECT_EQ(progress.shown[1].message, ExactPStatusMessage);
    EXPECT_GT(progress.shown[1].approximateP, 0);
    EXPECT_EQ(progress.hidden, 1);
    // One call per row while reading, (row + 1) / rows * 100.
    ASSERT_GE(progress.percents.size(), 10u);
    for (int row = 0; row < 10; ++row)
        EXPECT_NEAR(progress.percents[static_cast<std::size_t>(row)], (row + 1) * 10, 1e-12);
}

}  // namespace
}  // namespace ombrix::analyses
