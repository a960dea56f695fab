#include "numeric/probability.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>
#include <vector>

namespace ombrix::numeric {
namespace {

struct Case {
    Real actual;
    Real expected;
};

// Each case within the tolerance, taken relative to the expected value when asked.
enum class Scale { Absolute, Relative };

void expectNear(const std::vector<Case>& cases, Real tolerance, Scale scale = Scale::Absolute) {
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Real allowed = scale == Scale::Relative ? tolerance * std::fabs(cases[i].expected) : tolerance;
        EXPECT_NEAR(cases[i].actual, cases[i].expected, allowed) << "case " << i;
    }
}

// Expected values: R 4.x, ten significant digits, as named in each test. The
// continued fractions and the series stop at a relative change of 3e-7, so
// the results agree with R to about 1e-6 relative, far into the tails.
constexpr Real kRelative = 2e-6L;

TEST(TailProbabilities, MatchRAcrossDfAndIntoTheTails) {
    // 2*pt(-t, df)
    expectNear({
        {TProbability(1, 0.1L), 9.3654896514e-01L},   {TProbability(1, 1.96L), 3.0034289178e-01L},
        {TProbability(1, 1000), 6.3661956016e-04L},   {TProbability(2, 3), 9.5465966267e-02L},
        {TProbability(2, 1000), 9.9999850000e-07L},   {TProbability(5, 10), 1.7094757574e-04L},
        {TProbability(5, 1000), 1.8980131132e-14L},   {TProbability(30, 0.1L), 9.2100961179e-01L},
        {TProbability(30, 3), 5.3899640657e-03L},     {TProbability(30, 1000), 2.0720034831e-69L},
        {TProbability(1000, 1.96L), 5.0273184956e-02L}, {TProbability(1000, 10), 1.6670702959e-22L},
    }, kRelative, Scale::Relative);
    // pf(f, df1, df2, lower.tail = FALSE)
    expectNear({
        {FProbability(1, 1, 0.05L), 8.5995130391e-01L}, {FProbability(1, 1, 400), 3.1804502512e-02L},
        {FProbability(2, 5, 2.5L), 1.7677669530e-01L},  {FProbability(2, 5, 400), 3.0404321062e-06L},
        {FProbability(3, 10, 12), 1.1891302125e-03L},   {FProbability(3, 10, 400), 1.0400774133e-10L},
        {FProbability(10, 3, 0.05L), 9.9984883497e-01L}, {FProbability(10, 3, 400), 1.8479673426e-04L},
        {FProbability(12, 60, 2.5L), 9.8911681787e-03L}, {FProbability(12, 60, 400), 1.7011463620e-52L},
        {FProbability(40, 40, 0.8L), 7.5820024873e-01L}, {FProbability(40, 40, 12), 8.5663005587e-13L},
    }, kRelative, Scale::Relative);
    // pchisq(x, df, lower.tail = FALSE); the cut-off at 1000 still computes 1000.
    expectNear({
        {ChiSquareProbability(1, 0.01L), 9.2034432545e-01L}, {ChiSquareProbability(1, 40), 2.5396285895e-10L},
        {ChiSquareProbability(1, 999), 2.9623062855e-219L},  {ChiSquareProbability(2, 1), 6.0653065971e-01L},
        {ChiSquareProbability(7, 6.5L), 4.8272319341e-01L},  {ChiSquareProbability(7, 999), 1.9808132769e-211L},
        {ChiSquareProbability(30, 6.5L), 9.9999823257e-01L}, {ChiSquareProbability(30, 40), 1.0486428111e-01L},
        {ChiSquareProbability(200, 250), 9.3791316688e-03L}, {ChiSquareProbability(1000, 1000), 4.940528538e-01L},
    }, kRelative, Scale::Relative);
    // 2*pt(-z, 5000): normal deviates are t with 5000 df.
    expectNear({
        {ZProbability(0.3L), 7.6418962667e-01L}, {ZProbability(1.96L), 5.0051252292e-02L},
        {ZProbability(4), 6.4257183068e-05L},    {ZProbability(20), 1.1405987848e-85L},
    }, kRelative, Scale::Relative);
    // pgamma(x, a, lower.tail = FALSE) and pbeta(x, a, b) off the half-integers.
    expectNear({
        {GammaQ(0.3L, 0.1L), 4.5408715041e-01L},            {GammaQ(0.3L, 5), 6.5131875072e-04L},
        {GammaQ(25.5L, 20), 8.6687744202e-01L},             {GammaQ(25.5L, 40), 5.8513246938e-03L},
        {IncompleteBeta(0.3L, 0.7L, 0.2L), 5.3759664775e-01L}, {IncompleteBeta(7, 1.5L, 0.9L), 6.7633941142e-01L},
        {IncompleteBeta(50, 60, 0.4L), 1.2470685834e-01L},  {IncompleteBeta(0.5L, 200, 0.001L), 4.7275589297e-01L},
    }, kRelative, Scale::Relative);
    // lgamma, to twelve decimals; the published series is good to about 2e-10.
    expectNear({
        {LogGamma(0.1L), 2.252712651734L}, {LogGamma(0.5L), 0.572364942925L}, {LogGamma(1), 0},
        {LogGamma(10), 12.801827480081L},  {LogGamma(171.3L), 708.114947038997L},
    }, 1e-9L);
}

TEST(TailProbabilities, SymmetriesAndEnds) {
    for (const int df : {1, 10, 5000}) {
        EXPECT_EQ(TProbability(df, 0), 1);
        EXPECT_EQ(TProbability(df, -2.5L), TProbability(df, 2.5L));
    }
    // P(F(a, b) > f) + P(F(b, a) > 1/f) = 1, each side in the other branch of
    // the incomplete beta.
    for (const auto& [df1, df2] : {std::pair{1, 1}, {3, 10}, {7, 120}}) {
        for (const Real f : {0.2L, 1.0L, 3.5L}) {
            EXPECT_NEAR(FProbability(df1, df2, f) + FProbability(df2, df1, 1 / f), 1, 1e-6L);
        }
    }
    EXPECT_EQ(FProbability(3, 10, -0.5L), 0);
    EXPECT_EQ(FProbability(3, 10, 0), 1);
    EXPECT_EQ(FProbability(1, 5000, 1e300L), 0);
    EXPECT_EQ(ChiSquareProbability(1000, 1000.5L), 0);
    EXPECT_EQ(ChiSquareProbability(3, -1), 0);
    EXPECT_EQ(ChiSquareProbability(3, 0), 1);
    EXPECT_EQ(IncompleteBeta(2.5L, 4, 0), 0);
    EXPECT_EQ(IncompleteBeta(2.5L, 4, 1), 1);
    // The normal's own 0.04999579 lies below: t with 5000 df has heavier tails.
    EXPECT_GT(ZProbability(1.96L), 0.05L);
    // Q(a, a + 1) for large a needs far more than 200 terms: the smallest P.
    EXPECT_EQ(detail::GCF(1e6L, 1e6L + 1), 0);
}

TEST(InverseZ, StopsWithinTheProbabilityToleranceAndIsDefinedEverywhere) {
    for (const Real p : {0.4999999L, 0.3L, 0.025L, 1e-4L, 1e-6L, 1e-12L}) {
        EXPECT_LE(std::fabs(ZProbability(InverseZ(p)) / 2 - p), 1e-6L) << double(p);
    }
    EXPECT_NEAR(InverseZ(0.025L), 1.960439L, 2e-5L);  // R: qt(0.975, 5000)
    EXPECT_EQ(InverseZ(0.5L), 0);
    EXPECT_EQ(InverseZ(0.975L), -InverseZ(0.025L));
    for (const Real p : {0.0L, -0.2L, std::numeric_limits<Real>::quiet_NaN()}) {
        EXPECT_EQ(InverseZ(p), MissingValue);
    }
    EXPECT_EQ(InverseZ(1), -MissingValue);
    EXPECT_EQ(InverseZ(3), -MissingValue);
}

TEST(InverseTAndF, FindTheQuantileWithinTheBisectionWidth) {
    // R: qt(1 - p, df), stopping width 1e-4.
    expectNear({
        {InverseT(1, 0.025L), 12.706204736L}, {InverseT(2, 0.005L), 9.924843201L},
        {InverseT(5, 0.05L), 2.015048373L},   {InverseT(20, 0.025L), 2.085963447L},
        {InverseT(60, 0.4L), 0.254473395L},   {InverseT(1000, 1e-5L), 4.285437683L},
        {InverseT(3, 1e-9L), 1033.109674504L},
    }, 1e-4L);
    // R: qf(p, df1, df2, lower.tail = FALSE), stopping width 0.01.
    expectNear({
        {InverseF(1, 1, 0.025L), 647.7890115L}, {InverseF(2, 5, 0.025L), 8.433620739L},
        {InverseF(3, 10, 0.05L), 3.708264819L}, {InverseF(12, 60, 0.5L), 0.9556618661L},
        {InverseF(40, 3, 0.001L), 124.9589695L},
    }, 0.01L);
    // Beyond about 1e15 neighbouring long doubles are further apart than the
    // stopping width; the search still ends, next to the answer. R:
    // qt(1e-17, 1, lower.tail = FALSE), qf(1e-9, 1, 1, lower.tail = FALSE).
    expectNear({{InverseT(1, 1e-17L), 3.183098862e16L}, {InverseF(1, 1, 1e-9L), 4.052847346e17L}},
               1e-6L, Scale::Relative);
    EXPECT_EQ(InverseT(5, 0), MissingValue);
    EXPECT_EQ(InverseF(2, 5, -1), MissingValue);
}

TEST(CriticalValues, TablesAndStraightLines) {
    // Entries, and the lines through 2.042 (30 df), 2.021 (40), 2.000 (60),
    // 1.980 (120), by hand.
    expectNear({
        {CriticalT95(-3), -0.000005L}, {CriticalT95(0), -0.000005L}, {CriticalT95(1), 12.706L},
        {CriticalT95(29), 2.045L},     {CriticalT95(30), 2.042L},    {CriticalT95(35), 2.0315L},
        {CriticalT95(40), 2.021L},     {CriticalT95(50), 2.0105L},   {CriticalT95(60), 2.000L},
        {CriticalT95(90), 1.990L},     {CriticalT95(120), 1.980L},   {CriticalT95(121), 1.96L},
    }, 1e-15L);
    EXPECT_EQ(critical_z(2, 0.05L), 1.9604492187L);
    EXPECT_EQ(critical_z(1, 0.2L), 0.8416900634L);
    EXPECT_EQ(critical_z(2, 0.01L), 2.5767822265L);
    EXPECT_EQ(critical_z(2, 0.03L), 0);
    EXPECT_EQ(critical_z(3, 0.05L), 0);
    EXPECT_EQ(critical_z(2, 0.05), 0);  // a double 0.05 is not the long double 0.05
}

TEST(FloatingPointFlags, NoneRaisedForValidArguments) {
    constexpr int kFaults = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;
    const Real huge = std::numeric_limits<Real>::max();
    std::feclearexcept(FE_ALL_EXCEPT);
    Real sink = 0;
    for (const int df : {1, 2, 3, 7, 30, 120, 1000, 5000, 100000}) {
        for (const Real x : {0.0L, 1e-4000L, 1e-300L, 0.5L, 3.0L, 999.0L, 1000.0L, 1e6L, 1e300L,
                             1e2500L, 1e4000L, huge}) {
            sink += TProbability(df, x) + TProbability(df, -x) + ChiSquareProbability(df, x) +
                    FProbability(1, df, x) + FProbability(df, 1, x) + FProbability(df, df, x) +
                    GammaQ(Real(df) / 2, x) + ZProbability(x);
            EXPECT_EQ(std::fetestexcept(kFaults), 0) << "df " << df << " statistic " << double(x);
        }
        for (const Real p : {-1.0L, 0.0L, 1e-300L, 1e-20L, 1e-6L, 0.025L, 0.5L, 0.9L, 1.0L}) {
            sink += InverseT(df, p) + InverseF(df, 1, p) + InverseF(1, df, p) + InverseZ(p);
            EXPECT_EQ(std::fetestexcept(kFaults), 0) << "df " << df << " p " << double(p);
        }
        sink += CriticalT95(df);
    }
    sink += IncompleteBeta(2500, 0.5L, 1e-4000L) + IncompleteBeta(0.5L, 2500, 1 - 1e-19L);
    EXPECT_EQ(std::fetestexcept(kFaults), 0);
    EXPECT_FALSE(std::isnan(sink));
}

}  // namespace
}  // namespace ombrix::numeric
