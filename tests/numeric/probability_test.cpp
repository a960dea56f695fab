#include "numeric/probability.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>

namespace ombrix::numeric {
namespace {

// The values against R and hand calculations are in reference_values_test.cpp;
// here the identities, the ends of each domain and the flags.
TEST(TailProbabilities, SymmetriesAndEnds)
{
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

TEST(InverseZ, StopsWithinTheProbabilityToleranceAndIsDefinedEverywhere)
{
    for (const Real p : {0.4999999L, 0.3L, 0.025L, 1e-4L, 1e-6L, 1e-12L}) {
        EXPECT_LE(std::fabs(ZProbability(InverseZ(p)) / 2 - p), 1e-6L) << double(p);
    }
    EXPECT_EQ(InverseZ(0.5L), 0);
    EXPECT_EQ(InverseZ(0.975L), -InverseZ(0.025L));
    for (const Real p : {0.0L, -0.2L, std::numeric_limits<Real>::quiet_NaN()}) {
        EXPECT_EQ(InverseZ(p), MissingValue);
    }
    EXPECT_EQ(InverseZ(1), -MissingValue);
    EXPECT_EQ(InverseZ(3), -MissingValue);
}

TEST(InverseTAndF, OutsideTheDomain)
{
    EXPECT_EQ(InverseT(5, 0), MissingValue);
    EXPECT_EQ(InverseF(2, 5, -1), MissingValue);
    EXPECT_EQ(critical_z(2, 0.05), 0);  // a double 0.05 is not the long double 0.05
}

TEST(FloatingPointFlags, NoneRaisedForValidArguments)
{
    constexpr int kFaults = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;
    const Real huge = std::numeric_limits<Real>::max();
    std::feclearexcept(FE_ALL_EXCEPT);
    Real sink = 0;
    for (const int df : {1, 2, 3, 7, 30, 120, 1000, 5000, 100000}) {
        for (const Real x :
             {0.0L, 1e-4000L, 1e-300L, 0.5L, 3.0L, 999.0L, 1000.0L, 1e6L, 1e300L, 1e2500L, 1e4000L, huge}) {
            sink += TProbability(df, x) + TProbability(df, -x) + ChiSquareProbability(df, x) + FProbability(1, df, x) +
                    FProbability(df, 1, x) + FProbability(df, df, x) + GammaQ(Real(df) / 2, x) + ZProbability(x);
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
