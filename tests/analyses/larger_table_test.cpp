#include "analyses/larger_table.h"

#include <cfenv>
#include <memory>

#include <gtest/gtest.h>

#include "core/data_table.h"

// The report cases (tests/fixtures/reports/larger_table_*) hold the small
// tables; here are the tables too large for a data file kept with the tests.
namespace ombrix::analyses {
namespace {

enum class Counts {
    // Row factor times column factor: the expected values are the counts, so
    // both chi-square statistics are 0 in exact arithmetic.
    Independent,
    // A pattern with association in it.
    Associated,
};

Real countAt(Counts counts, int row, int column)
{
    if (counts == Counts::Independent)
        return static_cast<Real>((1 + row % 7) * (1 + column % 5));
    return static_cast<Real>(1 + (row * 31 + column * 17) % 97);
}

// Tables up to the full 10001 rows by 52 columns raise no floating-point
// flag (the fault guard would turn one into an error message) and keep their
// degrees of freedom and their trend test.
TEST(LargerTable, LargeTablesRaiseNoFlag)
{
    const struct {
        int rows;
        int columns;
        Counts counts;
        TrendCategories trend;
    } cases[] = {
        {1000, 52, Counts::Associated, TrendCategories::None},
        {1000, 52, Counts::Independent, TrendCategories::None},
        {core::TableRows, core::TableColumns, Counts::Associated, TrendCategories::None},
        {core::TableRows, 2, Counts::Associated, TrendCategories::Rows},
        {core::TableRows, 2, Counts::Independent, TrendCategories::Rows},
        {2, core::TableColumns, Counts::Associated, TrendCategories::Columns},
        {2, core::TableColumns, Counts::Independent, TrendCategories::Columns},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rows << " x " << c.columns);
        auto table = std::make_unique<core::DataTable>();
        for (int row = 0; row < c.rows; ++row)
            for (int column = 0; column < c.columns; ++column)
                table->setValue(row, column, countAt(c.counts, row, column));

        std::feclearexcept(FE_ALL_EXCEPT);
        const LargerTableResult result = ComputeLargerTable(*table);
        EXPECT_FALSE(std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW));

        ASSERT_EQ(result.errorCode, error_code::None);
        EXPECT_EQ(result.rows, c.rows);
        EXPECT_EQ(result.columns, c.columns);
        EXPECT_EQ(result.degreesOfFreedom, (c.rows - 1) * (c.columns - 1));
        EXPECT_EQ(result.trend, c.trend);
        EXPECT_GE(result.p, 0);
        EXPECT_LE(result.p, 1);
        if (c.counts == Counts::Independent) {
            // Sums of a few hundred thousand roundings of counts below 36.
            EXPECT_LT(result.chiSquare, 1e-9L);
            EXPECT_LT(result.trendChiSquare, 1e-9L);
        } else {
            EXPECT_GT(result.chiSquare, 0);
        }
    }
}

// A thousand degrees of freedom put a table without association near a
// chi-square of 1000, where the P value is anything but small. R 4.2:
//   i <- 0:1000; a <- 10 + (i^2 * 7919 + i * 104729) %% 10
//   b <- 10 + (i^2 * 6007 + i * 7) %% 30
//   chisq.test(cbind(a, b), correct = FALSE)  # 1019.305189, 1000 df, P 0.328588
//   prop.trend.test(a, a + b)                 # 0.00262503, P 0.959138
// Tolerances: the report shows five digits of the statistics and four
// decimals of P; the tail's own tolerance is 3e-7 of its value.
TEST(LargerTable, ThousandDegreesOfFreedom)
{
    auto table = std::make_unique<core::DataTable>();
    for (long long i = 0; i <= 1000; ++i) {
        table->setValue(static_cast<int>(i), 0, static_cast<Real>(10 + (i * i * 7919 + i * 104729) % 10));
        table->setValue(static_cast<int>(i), 1, static_cast<Real>(10 + (i * i * 6007 + i * 7) % 30));
    }
    const LargerTableResult result = ComputeLargerTable(*table);
    ASSERT_EQ(result.errorCode, error_code::None);
    EXPECT_EQ(result.degreesOfFreedom, 1000);
    EXPECT_NEAR(result.chiSquare, 1019.305189L, 1e-5L);
    EXPECT_NEAR(result.p, 0.328588L, 1e-5L);
    EXPECT_TRUE(result.valid);
    EXPECT_EQ(result.trend, TrendCategories::Rows);
    EXPECT_NEAR(result.trendChiSquare, 0.00262503L, 1e-7L);
    EXPECT_NEAR(result.trendP, 0.959138L, 1e-5L);
}

}  // namespace
}  // namespace ombrix::analyses
