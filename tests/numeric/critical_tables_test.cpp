#include "numeric/critical_tables.h"

#include <gtest/gtest.h>

namespace ombrix::numeric {
namespace {

// The printed entries and the lookups between them are in
// reference_values_test.cpp. Every critical value grows with the number of means and as alpha falls,
// shrinks as df grows, and the two-sided value exceeds the one-sided one. A
// row or column out of place in the generated tables breaks one of these.
TEST(CriticalTables, OrderedAlongEveryDirection)
{
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
            EXPECT_GT(DunnettCritical(df, groups, Sides::Two, 0.01L), DunnettCritical(df, groups, Sides::Two, 0.05L));
        }
    }
}

}  // namespace
}  // namespace ombrix::numeric
