#include "analyses/nonparametric_anova.h"

#include <gtest/gtest.h>

#include <memory>

#include "analyses/column_statistics.h"
#include "analyses/fault_guard.h"

namespace ombrix::analyses {
namespace {

std::unique_ptr<DataTable> tableOf(int rows, int columns, Real (*value)(int row, int column))
{
    auto table = std::make_unique<DataTable>();
    for (int c = 0; c < columns; ++c)
        for (int r = 0; r < rows; ++r)
            table->setValue(r, c, value(r, c));
    UpdateColumnStatistics(*table);
    table->selectAllColumnsWithData();
    table->setAnalysisMode(true);
    table->buildColumnMap();
    return table;
}

// Large tables without ties go as far as the decision that the exact count
// would take too long: the number of arrangements must not overflow on the
// way there, which the fault guard would report instead of the test.
TEST(NonparametricAnova, LargeTablesWithoutTiesTakeTheApproximation)
{
    SilentProgress progress;
    // Every row a different order of distinct values: 3000 rows of 8 columns.
    const auto matched = tableOf(3000, 8, [](int r, int c) { return static_cast<Real>(r * 8 + (c * 5 + r) % 8); });
    FriedmanResult friedman;
    EXPECT_EQ(runGuarded([&] {
                  friedman = computeFriedman(*matched, progress);
                  return friedman.errorCode;
              }),
              0);
    EXPECT_EQ(friedman.exactness, RankExactness::TooLong);
    EXPECT_EQ(friedman.s3, 3000 * 8);

    const auto independent = tableOf(200, 52, [](int r, int c) { return static_cast<Real>(c * 1000 + r); });
    KruskalWallisResult kw;
    EXPECT_EQ(runGuarded([&] {
                  kw = computeKruskalWallis(*independent, progress);
                  return kw.errorCode;
              }),
              0);
    EXPECT_EQ(kw.exactness, RankExactness::TooLong);
    EXPECT_EQ(kw.tieTerm, 0);
}

}  // namespace
}  // namespace ombrix::analyses
