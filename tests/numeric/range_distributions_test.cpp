// The integration behind the generated critical-value tables.

#include "tools/range_distributions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <vector>

namespace ombrix::tools {
namespace {

struct QuantileCase {
    int df;
    int size;
    Real alpha;
    Real expected;
};

void expectQuantiles(const StudentizedStatistic& statistic, const std::vector<QuantileCase>& cases,
                     Real relative) {
    for (const QuantileCase& c : cases) {
        EXPECT_NEAR(statistic.quantile(c.df, c.alpha) / c.expected, 1, relative)
            << "df " << c.df << " size " << c.size << " alpha " << double(c.alpha);
    }
}

// The range of two normals is sqrt(2) |Z|, so q for two means is sqrt(2)
// times the two-sided t point: R sqrt(2) * qt(1 - alpha/2, df), and qnorm at
// infinity. 1 df (heavy tail, q up to 900) and infinity (no outer integral)
// are the ends where a careless grid fails. The quadrature is good to about
// 1e-13.
TEST(RangeDistributions, TwoMeansIsScaledT) {
    const StudentizedStatistic range([](Real w) { return rangeTail(2, w); });
    expectQuantiles(range, {
        {1, 2, 0.05L, 17.969287064188L},  {2, 2, 0.05L, 6.084869844593L},  {5, 2, 0.05L, 3.635351695147L},
        {24, 2, 0.05L, 2.918793337217L},  {120, 2, 0.05L, 2.800044431422L}, {kInfiniteDf, 2, 0.05L, 2.771807648699L},
        {1, 2, 0.01L, 90.024226689007L},  {2, 2, 0.01L, 14.035847859165L}, {5, 2, 0.01L, 5.702311292771L},
        {24, 2, 0.01L, 3.955469780789L},  {120, 2, 0.01L, 3.701592481852L}, {kInfiniteDf, 2, 0.01L, 3.642772735437L},
        {1, 2, 0.001L, 900.315575676594L}, {2, 2, 0.001L, 44.687811540177L}, {5, 2, 0.001L, 9.713987771911L},
        {24, 2, 0.001L, 5.296793523894L}, {120, 2, 0.001L, 4.770784071540L}, {kInfiniteDf, 2, 0.001L, 4.653507531027L},
    }, 1e-11L);
}

// R: uniroot on ptukey(q, k, df, lower.tail = FALSE) with tol 1e-13. ptukey
// is good to about 1e-8 in q at these df (2e-8 at 100 means, 60 df, 0.001,
// where integrating the definition with integrate() sides with us); at small
// df it is much worse. At 60 and 120 df the density of s is narrow, which an
// outer grid too coarse misses.
TEST(RangeDistributions, ManyMeansAtLargeDfMatchR) {
    const std::vector<QuantileCase> cases = {
        {60, 5, 0.05L, 3.977418222L},    {60, 5, 0.01L, 4.817781697L},    {60, 5, 0.001L, 5.859844295L},
        {60, 20, 0.05L, 5.241199794L},   {60, 20, 0.01L, 6.014883419L},   {60, 20, 0.001L, 6.994835589L},
        {60, 100, 0.05L, 6.461717913L},  {60, 100, 0.01L, 7.206779092L},  {60, 100, 0.001L, 8.160952792L},
        {120, 5, 0.05L, 3.916937691L},   {120, 5, 0.01L, 4.708500214L},   {120, 5, 0.001L, 5.666901274L},
        {120, 20, 0.05L, 5.125942775L},  {120, 20, 0.01L, 5.827184436L},  {120, 20, 0.001L, 6.694697821L},
        {120, 100, 0.05L, 6.275025988L}, {120, 100, 0.01L, 6.918654684L}, {120, 100, 0.001L, 7.725833603L},
        {kInfiniteDf, 5, 0.05L, 3.857655510L},   {kInfiniteDf, 5, 0.01L, 4.602821042L},
        {kInfiniteDf, 5, 0.001L, 5.483753686L},  {kInfiniteDf, 20, 0.05L, 5.011688793L},
        {kInfiniteDf, 20, 0.01L, 5.645214698L},  {kInfiniteDf, 20, 0.001L, 6.411187358L},
        {kInfiniteDf, 100, 0.05L, 6.084637519L}, {kInfiniteDf, 100, 0.01L, 6.635541907L},
        {kInfiniteDf, 100, 0.001L, 7.314093840L},
    };
    std::map<int, StudentizedStatistic> ranges;  // one per number of means: building one integrates
    for (const QuantileCase& c : cases) {
        const auto at = ranges.try_emplace(c.size, [k = c.size](Real w) { return rangeTail(k, w); }).first;
        expectQuantiles(at->second, {c}, 5e-8L);
    }
}

// One comparison is Student's t: R qt(0.95, 5), qt(0.99, 60), qnorm(0.99)
// one-sided and qt(0.975, 5), qt(0.995, 60), qnorm(0.995) two-sided. Larger p:
// the equicorrelated integral in R (integrate over s and the control, relative
// tolerance 1e-11), six decimals.
TEST(DunnettDistributions, OneComparisonIsTAndManyMatchR) {
    const StudentizedStatistic one([](Real w) { return dunnettOneSidedTail(1, w); });
    const StudentizedStatistic two([](Real w) { return dunnettTwoSidedTail(1, w); });
    expectQuantiles(one,
                    {{5, 1, 0.05L, 2.015048373333L}, {60, 1, 0.01L, 2.390119472625L},
                     {kInfiniteDf, 1, 0.01L, 2.326347874041L}},
                    1e-11L);
    expectQuantiles(two,
                    {{5, 1, 0.05L, 2.570581835636L}, {60, 1, 0.01L, 2.660283028855L},
                     {kInfiniteDf, 1, 0.01L, 2.575829303549L}},
                    1e-11L);

    const StudentizedStatistic nineOneSided([](Real w) { return dunnettOneSidedTail(9, w); });
    const StudentizedStatistic nineTwoSided([](Real w) { return dunnettTwoSidedTail(9, w); });
    const StudentizedStatistic twentyTwoSided([](Real w) { return dunnettTwoSidedTail(20, w); });
    expectQuantiles(nineOneSided, {{kInfiniteDf, 9, 0.01L, 3.002062L}}, 1e-6L);
    expectQuantiles(nineTwoSided, {{60, 9, 0.01L, 3.366295L}, {120, 9, 0.01L, 3.291343L}}, 1e-6L);
    expectQuantiles(twentyTwoSided, {{60, 20, 0.05L, 3.003996L}, {120, 20, 0.05L, 2.954169L}}, 1e-6L);
}

}  // namespace
}  // namespace ombrix::tools
