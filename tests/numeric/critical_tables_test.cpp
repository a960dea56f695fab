#include "numeric/critical_tables.h"

#include <gtest/gtest.h>

#include <vector>

namespace ombrix::numeric {
namespace {

// Table values hold two or three decimals; a lookup adds one multiplication
// and at most three interpolations in long double.
constexpr Real kTolerance = 1e-14L;

struct PrintedRow {
    Sides sides;  // Dunnett only
    Real alpha;
    int df;  // 500 for infinity
    std::vector<int> columns;
    std::vector<Real> values;
};

// The values printed in the published tables, which the program has always
// shown. They are held exactly as printed, including the few where an accurate
// computation rounds differently in the last digit.
TEST(CriticalTables, HoldEveryPrintedEntry) {
    const std::vector<int> k = {2, 3, 10, 100};
    const std::vector<PrintedRow> range = {
        {Sides::Two, 0.05L, 1, k, {17.97L, 26.98L, 49.07L, 79.98L}},
        {Sides::Two, 0.05L, 10, k, {3.151L, 3.877L, 5.599L, 8.276L}},
        {Sides::Two, 0.05L, 500, k, {2.772L, 3.314L, 4.474L, 6.085L}},
        {Sides::Two, 0.01L, 1, k, {90.03L, 135.0L, 245.6L, 400.1L}},
        {Sides::Two, 0.01L, 10, k, {4.482L, 5.270L, 7.213L, 10.39L}},
        {Sides::Two, 0.01L, 500, k, {3.643L, 4.120L, 5.157L, 6.636L}},
        {Sides::Two, 0.001L, 1, k, {900.3L, 1351, 2455, 4002}},
        {Sides::Two, 0.001L, 2, k, {44.69L, 60.42L, 100.5L, 159.7L}},
        {Sides::Two, 0.001L, 500, k, {4.654L, 5.063L, 5.973L, 7.314L}},
    };
    for (const PrintedRow& row : range) {
        for (std::size_t i = 0; i < row.columns.size(); ++i) {
            EXPECT_NEAR(QCritical(row.df, row.columns[i], row.alpha), row.values[i], kTolerance * 100)
                << "alpha " << double(row.alpha) << " df " << row.df << " k " << row.columns[i];
        }
    }
    const std::vector<int> one = {1, 2, 3, 9};
    const std::vector<int> two = {1, 2, 3, 9, 20};
    const std::vector<PrintedRow> dunnett = {
        {Sides::One, 0.05L, 5, one, {2.02L, 2.44L, 2.68L, 3.30L}},
        {Sides::One, 0.05L, 500, one, {1.64L, 1.92L, 2.06L, 2.42L}},
        {Sides::Two, 0.05L, 5, two, {2.57L, 3.03L, 3.29L, 3.97L, 4.42L}},
        {Sides::Two, 0.05L, 500, two, {1.96L, 2.21L, 2.35L, 2.69L, 2.91L}},
        {Sides::One, 0.01L, 5, one, {3.37L, 3.90L, 4.21L, 5.03L}},
        {Sides::One, 0.01L, 6, one, {3.14L, 3.61L, 3.88L, 4.59L}},
        {Sides::One, 0.01L, 500, one, {2.33L, 2.56L, 2.68L, 3.00L}},
        {Sides::Two, 0.01L, 5, two, {4.03L, 4.63L, 4.98L, 5.89L, 6.52L}},
        {Sides::Two, 0.01L, 120, two, {2.62L, 2.85L, 2.97L, 3.29L, 3.51L}},
        {Sides::Two, 0.01L, 500, two, {2.58L, 2.79L, 2.92L, 3.22L, 3.42L}},
    };
    const std::vector<int> p = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 15, 20};
    const std::vector<PrintedRow> infinite = {
        {Sides::One, 0.05L, 0, p, {1.65L, 1.92L, 2.06L, 2.16L, 2.24L, 2.29L, 2.34L, 2.38L, 2.42L, 2.45L, 2.48L, 2.50L, 2.57L, 2.64L}},
        {Sides::Two, 0.05L, 0, p, {1.96L, 2.21L, 2.35L, 2.44L, 2.51L, 2.57L, 2.61L, 2.65L, 2.69L, 2.72L, 2.74L, 2.77L, 2.83L, 2.91L}},
        {Sides::One, 0.01L, 0, p, {2.33L, 2.56L, 2.69L, 2.77L, 2.84L, 2.89L, 2.94L, 2.97L, 3.00L, 3.03L, 3.06L, 3.08L, 3.14L, 3.21L}},
        {Sides::Two, 0.01L, 0, p, {2.58L, 2.79L, 2.92L, 3.00L, 3.06L, 3.11L, 3.15L, 3.19L, 3.22L, 3.25L, 3.27L, 3.29L, 3.35L, 3.42L}},
    };
    for (const bool atInfinity : {false, true}) {
        for (const PrintedRow& row : atInfinity ? infinite : dunnett) {
            for (std::size_t i = 0; i < row.columns.size(); ++i) {
                const int comparisons = row.columns[i];
                const Real actual = atInfinity
                                        ? DunnettCriticalInfinite(comparisons, row.sides, row.alpha)
                                        : DunnettCritical(row.df, comparisons + 1, row.sides, row.alpha);
                EXPECT_NEAR(actual, row.values[i], kTolerance)
                    << (row.sides == Sides::One ? "one" : "two") << "-sided alpha "
                    << double(row.alpha) << " df " << row.df << " p " << comparisons;
            }
        }
    }
}

struct LookupCase {
    const char* what;
    Real actual;
    Real expected;
};

// Table entries below that are not among the printed ones come from R:
// upper points of ptukey found with uniroot (3.578 at 20 df and 3.532 at
// 24 df for k = 3; 6.467 and 6.582 at 10 df, 5.714 and 5.807 at 20 df,
// 5.594 and 5.683 at 24 df for k = 20 and 22; 2.800 at 120 df for k = 2;
// 3.858 at infinity for k = 5), qt(0.99, 120) = 2.358, and Dunnett's
// statistic integrated with integrate() (two-sided 0.01 at 10 df: 4.42 for
// p = 12, 4.52 for p = 15; two-sided 0.05, p = 3: 2.54 at 20 df, 2.51 at
// 24 df; two-sided 0.05 at infinity, p = 15: 2.83).
TEST(CriticalTables, InterpolateLinearlyInDfAndK) {
    const std::vector<LookupCase> cases = {
        {"q exact entry", QCritical(10, 3, 0.05L), 3.877L},
        {"q halfway between 20 and 24 df", QCritical(22, 3, 0.05L), (3.578L + 3.532L) / 2},
        {"q at 300 df, between 120 and infinity at 500", QCritical(300, 2, 0.05L),
         2.800L + (180.0L / 380) * (2.772L - 2.800L)},
        {"q at 500 df is the infinity row", QCritical(500, 5, 0.05L), 3.858L},
        {"q beyond 500 df stays on the infinity row", QCritical(1000, 2, 0.01L), 3.643L},
        {"q halfway between k = 20 and 22", QCritical(10, 21, 0.05L), (6.467L + 6.582L) / 2},
        {"q between both df and k", QCritical(22, 21, 0.05L),
         ((5.714L + 5.594L) / 2 + (5.807L + 5.683L) / 2) / 2},
        {"q at an untabulated level", QCritical(10, 3, 0.02L), 0},
        {"Dunnett two-sided, 2 groups, is t", DunnettCritical(5, 2, Sides::Two, 0.05L), 2.57L},
        {"Dunnett one-sided, 2 groups, is t", DunnettCritical(5, 2, Sides::One, 0.05L), 2.02L},
        {"Dunnett p = 14 between p = 12 and 15", DunnettCritical(10, 15, Sides::Two, 0.01L),
         4.42L + (2.0L / 3) * (4.52L - 4.42L)},
        {"Dunnett halfway between 20 and 24 df", DunnettCritical(22, 4, Sides::Two, 0.05L),
         (2.54L + 2.51L) / 2},
        {"Dunnett at 300 df", DunnettCritical(300, 2, Sides::One, 0.01L),
         2.36L + (180.0L / 380) * (2.33L - 2.36L)},
        {"Dunnett beyond 500 df", DunnettCritical(1000, 2, Sides::Two, 0.05L), 1.96L},
        {"Dunnett at any other level is 0.01", DunnettCritical(5, 2, Sides::Two, 0.02L), 4.03L},
        {"Dunnett one-sided beyond p = 9 follows the two-sided rise",
         DunnettCritical(1000, 21, Sides::One, 0.05L), 2.42L + (2.91L - 2.69L)},
        {"Dunnett two-sided beyond p = 20 continues the last line",
         DunnettCritical(1000, 25, Sides::Two, 0.05L), 2.83L + (9.0L / 5) * (2.91L - 2.83L)},
        {"infinite df, p = 14", DunnettCriticalInfinite(14, Sides::Two, 0.05L),
         2.77L + (2.0L / 3) * (2.83L - 2.77L)},
        {"infinite df, p = 13", DunnettCriticalInfinite(13, Sides::One, 0.01L),
         3.08L + (1.0L / 3) * (3.14L - 3.08L)},
        {"infinite df, p = 18", DunnettCriticalInfinite(18, Sides::One, 0.05L),
         2.57L + (3.0L / 5) * (2.64L - 2.57L)},
        {"infinite df, p = 25 extends the line", DunnettCriticalInfinite(25, Sides::Two, 0.05L),
         2.83L + 2 * (2.91L - 2.83L)},
        {"infinite df, any other level is 0.01", DunnettCriticalInfinite(1, Sides::Two, 0.1L), 2.58L},
    };
    for (const LookupCase& c : cases) {
        EXPECT_NEAR(c.actual, c.expected, kTolerance) << c.what;
    }
}

// Every critical value grows with the number of means and as alpha falls,
// shrinks as df grows, and the two-sided value exceeds the one-sided one. A
// row or column out of place in the generated tables breaks one of these.
TEST(CriticalTables, OrderedAlongEveryDirection) {
    using namespace detail;
    for (int level = 0; level < kRangeLevels; ++level) {
        const Real alpha = kRangeAlpha[level];
        for (std::size_t row = 0; row < kRangeDf.size(); ++row) {
            for (std::size_t column = 0; column < kRangeMeans.size(); ++column) {
                const int df = kRangeDf[row];
                const int k = kRangeMeans[column];
                const Real q = QCritical(df, k, alpha);
                SCOPED_TRACE(testing::Message() << "alpha " << double(alpha) << " df " << df << " k " << k);
                EXPECT_TRUE(column == 0 || q > QCritical(df, kRangeMeans[column - 1], alpha));
                EXPECT_TRUE(row == 0 || q < QCritical(kRangeDf[row - 1], k, alpha));
                EXPECT_TRUE(level == 0 || q > QCritical(df, k, kRangeAlpha[level - 1]));
            }
        }
    }
    for (const int df : kDunnettDf) {
        for (int groups = 2; groups <= 21; ++groups) {
            SCOPED_TRACE(testing::Message() << "df " << df << " groups " << groups);
            for (const Real alpha : {0.05L, 0.01L}) {
                for (const Sides sides : {Sides::One, Sides::Two}) {
                    const Real d = DunnettCritical(df, groups, sides, alpha);
                    EXPECT_GE(d, DunnettCritical(df, groups - 1, sides, alpha));
                    EXPECT_LE(d, DunnettCritical(df - 1, groups, sides, alpha));
                }
                EXPECT_GT(DunnettCritical(df, groups, Sides::Two, alpha),
                          DunnettCritical(df, groups, Sides::One, alpha));
            }
            EXPECT_GT(DunnettCritical(df, groups, Sides::Two, 0.01L),
                      DunnettCritical(df, groups, Sides::Two, 0.05L));
        }
    }
}

}  // namespace
}  // namespace ombrix::numeric
