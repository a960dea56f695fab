#include "analyses/rank_tests.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "analyses/column_statistics.h"
#include "analyses/fault_guard.h"

// The computations behind the rank test reports, at the sizes and edges the
// golden reports of the dispatcher's tests do not reach.
//
// Expected values come from R: psignrank and pwilcox for the exact P values,
// rank() for the statistics, and for the approximate P values the normal
// approximation written out with the program's continuity and tie
// corrections and pt(-|z|, 5000) as the one-tailed tail, since the program
// reads normal deviates as t with 5000 degrees of freedom. Exact P values are
// fractions of integers and are compared to 1e-15; approximate ones to 1e-6,
// the accuracy of the t series the program uses (relative tolerance 3e-7).
namespace ombrix::analyses {
namespace {

// Records the busy-state calls. Cancelling is left to the interrupted
// golden reports.
class RecordingProgress final : public ProgressReporter {
public:
    int calls = 0;
    bool shown = false;
    std::vector<std::string> messages;
    std::vector<Real> approximatePs;

    void ShowCalcStatus(std::string_view message, Real approximateP) override
    {
        messages.emplace_back(message);
        approximatePs.push_back(approximateP);
        shown = true;
    }
    void HideCalcStatus() override { shown = false; }
    int CalcProgress(Real) override
    {
        ++calls;
        return ProgressContinue;
    }
};

std::unique_ptr<DataTable> tableWith(const std::vector<std::vector<Real>>& columns)
{
    auto table = std::make_unique<DataTable>();
    for (size_t c = 0; c < columns.size(); ++c)
        for (size_t row = 0; row < columns[c].size(); ++row)
            table->setValue(static_cast<int>(row), static_cast<int>(c), columns[c][row]);
    UpdateColumnStatistics(*table);
    return table;
}

// Runs a computation under the fault guard, which must find no fault.
template <typename Computation> auto guarded(Computation computation)
{
    decltype(computation()) result{};
    EXPECT_EQ(runGuarded([&] {
                  result = computation();
                  return 0;
              }),
              0);
    return result;
}

// 1..n with five of them negative: T- = -(3 + 8 + 15 + 22 + 27) = -75.
std::vector<Real> signedRanksWithNegatives(int n)
{
    std::vector<Real> x;
    for (int k = 1; k <= n; ++k)
        x.push_back(k == 3 || k == 8 || k == 15 || k == 22 || k == 27 ? -k : k);
    return x;
}

std::vector<Real> sequence(int count, Real offset, int modulus = 0)
{
    std::vector<Real> x;
    for (int i = 0; i < count; ++i)
        x.push_back((modulus > 0 ? i % modulus : i) + offset);
    return x;
}

const std::vector<Real> weightGain{12.1L, 9.8L, 15.3L, 11.2L, 8.7L, 13.9L, 14.6L, 10.4L, 16.8L, 7.5L};

TEST(WilcoxonComputation, StatisticsAndPValuesAgreeWithR)
{
    const struct {
        const char* name;
        std::vector<Real> values;
        Real median;
        Real tPlus, tMinus;
        int n, zeros;
        Real tieTerm;
        RankExactness exactness;
        Real p;  // one-tailed
        Real tolerance;
    } cases[] = {
        {"all negative", {-1.5L, -2.5L, -0.5L, -3.5L}, 0, 0, -10, 4, 0, 0, RankExactness::Exact, 1.0L / 16, 1e-15L},
        // 1 - psignrank(359, 29) = 375467 / 2^29.
        {"largest exact", signedRanksWithNegatives(29), 0, 360, -75, 29, 0, 0, RankExactness::Exact,
         375467.0L / 536870912, 1e-15L},
        {"smallest approximate", signedRanksWithNegatives(30), 0, 390, -75, 30, 0, 0, RankExactness::TooLong,
         0.0006246338L, 1e-8L},
        // 10001 values, 103 on the median, the rest in tied groups of 103.
        {"full column", sequence(10001, 0, 97), 48, 24450758, -24539393, 9898, 103, 420876540, RankExactness::TooLong,
         0.4380612848L, 1e-6L},
        // No non-zero difference: the only sign pattern has sum 0.
        {"all on the median", {3, 3, 3}, 3, 0, 0, 0, 3, 0, RankExactness::Exact, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto table = tableWith({c.values});
        RecordingProgress progress;
        const WilcoxonResult r = guarded([&] { return ComputeWilcoxon(*table, 0, c.median, Tails::Two, progress); });
        EXPECT_EQ(r.tPlus, c.tPlus);
        EXPECT_EQ(r.tMinus, c.tMinus);
        EXPECT_EQ(r.w, c.tPlus + c.tMinus);
        EXPECT_EQ(r.n, c.n);
        EXPECT_EQ(r.zeros, c.zeros);
        EXPECT_EQ(r.tieTerm, c.tieTerm);
        EXPECT_EQ(r.ties, c.tieTerm > 0);
        EXPECT_EQ(r.exactness, c.exactness);
        EXPECT_NEAR(static_cast<double>(r.p), static_cast<double>(c.p), static_cast<double>(c.tolerance));
        EXPECT_FALSE(progress.shown);
    }
}

const std::vector<Real> control{3.1L, 4.7L, 2.8L, 5.2L, 3.9L, 4.4L, 2.5L};
const std::vector<Real> treated{5.8L, 4.9L, 6.3L, 3.6L, 7.1L, 5.5L, 6.8L, 4.2L, 6.0L};

TEST(MannWhitneyComputation, StatisticsAndPValuesAgreeWithR)
{
    const struct {
        const char* name;
        std::vector<Real> first, second;
        Real u, uPrime, rankSumFirst, rankSumSecond, tieTerm;
        RankExactness exactness;
        std::int64_t subsets;
        Real p;  // one-tailed
        Real tolerance;
    } cases[] = {
        // pwilcox(8, 7, 9); U is the smaller count whichever column comes first
        // (the report case mann_whitney_exact has the control column first).
        {"exact, columns swapped", treated, control, 8, 55, 100, 36, 0, RankExactness::Exact, 11440, 0.0057692308L,
         1e-10L},
        // The pair of group sizes with the most subsets still counted: pwilcox(3161, 3, 2287).
        {"most subsets counted",
         {500.5L, 1200.5L, 2000.5L},
         sequence(2287, 1),
         3161,
         3700,
         3706,
         2619489,
         0,
         RankExactness::Exact,
         1998876880,
         0.4124020535L,
         1e-10L},
        {"full columns", sequence(10001, 0), sequence(10001, 0.5L), 50005000, 50015001, 100020001, 100030002, 0,
         RankExactness::TooLong, 2'000'000'000, 0.4951151962L, 1e-6L},
        // Each first-column member of a tie group adds its share (t^3 - t)/c1,
        // so the term is a sum of fractions; R's is the integer sum.
        {"full columns with ties", sequence(10001, 0, 50), sequence(10001, 0, 51), 49047598.5L, 50972402.5L,
         99062599.5L, 100987403.5L, 3115298538.0L, RankExactness::TiedRanks, 0, 0.0092198988L, 1e-6L},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto table = tableWith({c.first, c.second});
        RecordingProgress progress;
        const MannWhitneyResult r = guarded([&] { return ComputeMannWhitney(*table, 0, 1, Tails::Two, progress); });
        EXPECT_EQ(r.u, c.u);
        EXPECT_EQ(r.uPrime, c.uPrime);
        EXPECT_EQ(r.rankSumFirst, c.rankSumFirst);
        EXPECT_EQ(r.rankSumSecond, c.rankSumSecond);
        EXPECT_NEAR(static_cast<double>(r.tieTerm), static_cast<double>(c.tieTerm), 1e-6);
        EXPECT_EQ(r.exactness, c.exactness);
        EXPECT_EQ(r.subsets, c.subsets);
        EXPECT_NEAR(static_cast<double>(r.p), static_cast<double>(c.p), static_cast<double>(c.tolerance));
        EXPECT_FALSE(progress.shown);
    }
}

// The status panel is told what is done and, while the exact P is counted,
// the approximate P it would fall back to (doubled when two-tailed). From R,
// one-tailed pt(-z, 5000) with z = (|44 - 27.5| - 0.5) / sqrt(10 * 11 * 21 / 24)
// for the signed ranks and, for the rank sums, z = (|8 - 31.5| - 0.5) / sigma,
// sigma = sqrt(7 * 9 / (16 * 15) * (16^3 - 16) / 12).
TEST(RankComputations, StatusCallsOfferTheApproximateP)
{
    const auto one = tableWith({weightGain});
    const auto two = tableWith({control, treated});
    for (const Tails tails : {Tails::Two, Tails::One}) {
        RecordingProgress signedRanks, rankSums;
        const Real w = ComputeWilcoxon(*one, 0, 10, tails, signedRanks).approximateP;
        const Real u = ComputeMannWhitney(*two, 0, 1, tails, rankSums).approximateP;
        EXPECT_NEAR(static_cast<double>(w), 0.0514902606, 1e-6);
        EXPECT_NEAR(static_cast<double>(u), 0.0074719564, 1e-6);
        const Real times = tails == Tails::Two ? 2 : 1;
        const std::string exact(ExactPStatusMessage);
        EXPECT_EQ(signedRanks.messages, (std::vector{std::string(WilcoxonStatusMessage), exact}));
        EXPECT_EQ(rankSums.messages, (std::vector{std::string(MannWhitneyStatusMessage), exact}));
        EXPECT_EQ(signedRanks.approximatePs, (std::vector<Real>{NoApproximateP, times * w}));
        EXPECT_EQ(rankSums.approximatePs, (std::vector<Real>{NoApproximateP, times * u}));
        // One progress call per level of tied absolute differences (ten
        // distinct ones), and one per value.
        EXPECT_EQ(signedRanks.calls, 10);
        EXPECT_EQ(rankSums.calls, 16);
        EXPECT_FALSE(signedRanks.shown || rankSums.shown);
    }
    // With ties the exact count is not attempted, so its status is never shown.
    const auto tied = tableWith({{3, 5, 2, 4}, {6, 7, 5, 8}});
    RecordingProgress tiedProgress;
    EXPECT_EQ(ComputeMannWhitney(*tied, 0, 1, Tails::Two, tiedProgress).exactness, RankExactness::TiedRanks);
    EXPECT_EQ(tiedProgress.messages.size(), 1u);
}

TEST(ExactMannWhitney, SubsetLimitDecidesExactness)
{
    RecordingProgress progress;
    // C(2290, 3) = 1,998,876,880 subsets are counted; C(2291, 3) = 2,001,497,785 are not.
    EXPECT_EQ(ExactMannWhitneyP(3, 2287, 0, 3161, Tails::Two, progress).exactness, RankExactness::Exact);
    const ExactMannWhitneyResult refused = ExactMannWhitneyP(3, 2288, 0, 3161, Tails::Two, progress);
    EXPECT_EQ(refused.exactness, RankExactness::TooLong);
    EXPECT_EQ(refused.p, refused.approximateP);
    // U = mk/2: the one-tailed count is more than half, so the two-tailed P
    // exceeds 1 (pwilcox(8, 4, 4) = 39/70).
    EXPECT_NEAR(static_cast<double>(ExactMannWhitneyP(4, 4, 0, 8, Tails::Two, progress).p), 39.0 / 70, 1e-15);
    EXPECT_FALSE(progress.shown);
}

}  // namespace
}  // namespace ombrix::analyses
