#include "analyses/t_tests.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <iterator>
#include <memory>
#include <vector>

#include "analyses/error_codes.h"
#include "analyses/fault_guard.h"
#include "analyses/paired_differences.h"

// Expected values: R 4 (qt, pt, pf, t.test, var.test, cor.test) and hand
// calculation, as noted beside each. The program's t and F probabilities come
// from an incomplete beta continued fraction that stops at a relative change
// of 3e-7, so P values are compared to 1e-6.
namespace ombrix::analyses {
namespace {

constexpr Real PTolerance = 1e-6L;

core::ColumnRecord summary(Real mean, Real sd, int n)
{
    core::ColumnRecord record;
    record.mean = mean;
    record.sd = sd;
    record.n = n;
    ComputeSummaryColumnStatistics(record);
    return record;
}

void fill(DataTable& table, int column, const std::vector<Real>& values)
{
    for (size_t row = 0; row < values.size(); ++row)
        table.setValue(static_cast<int>(row), column, values[row]);
}

ColumnInput raw(int column, const char* title)
{
    ColumnInput input;
    input.rawColumn = column;
    input.record.title = title;
    return input;
}

// The published two-sided 5% table up to 13 df, exactly; then 1.96·14/(14 −
// 1.20722) by hand at 14 df, and qt(0.975, df), which the formula follows
// within 0.0002 from 14 df on.
TEST(CriticalT, TableUpToThirteenDegreesOfFreedomThenTheFormula)
{
    const Real table[] = {0,      12.706L, 4.303L, 3.182L, 2.776L, 2.571L, 2.447L,
                          2.365L, 2.306L,  2.262L, 2.228L, 2.201L, 2.179L, 2.160L};
    for (int df = 0; df <= 13; ++df)
        EXPECT_EQ(criticalT(df), table[df]) << df;
    EXPECT_NEAR(criticalT(14), 2.144960L, 1e-6L);
    for (const auto& [df, quantile] : {std::pair{14, 2.144787L}, {30, 2.042272L}, {120, 1.979930L}, {1000, 1.962339L}})
        EXPECT_NEAR(criticalT(df), quantile, 2e-4L) << df;
}

// The same column stops the one sample test and either side of the unpaired
// tests with the same code. A typed column left incomplete gives the zero-SD
// code rather than a report built from the blank marker.
TEST(TTests, ErrorCodes)
{
    const struct {
        const char* name;
        core::ColumnRecord column;
        int code;
    } cases[] = {
        {"SD zero", summary(5, 0, 3), error_code::ZeroSd},
        {"one value (SD 0 too)", summary(5, 0, 1), error_code::SingleValueInColumn},
        {"N 0, SD unknown", summary(5, MissingValue, 0), error_code::SingleValueInColumn},
        {"typed SD and SEM missing", summary(5, MissingValue, 10), error_code::ZeroSd},
        {"typed mean missing", summary(MissingValue, 2, 10), error_code::ZeroSd},
        {"typed SD negative", summary(5, -2, 10), error_code::ZeroSd},
    };
    const core::ColumnRecord valid = summary(2, 1, 5);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(oneSampleT(c.column, 0).errorCode, c.code);
        for (const Variances variances : {Variances::Equal, Variances::Welch}) {
            EXPECT_EQ(unpairedT(c.column, valid, variances).test.errorCode, c.code);
            EXPECT_EQ(unpairedT(valid, c.column, variances).test.errorCode, c.code);
        }
    }
}

TEST(UnpairedT, WelchDfThatIsAnIntegerIsNotLostToRounding)
{
    // Equal SDs and sizes make the df exactly n1 + n2 − 2 = 14; with SD 11.47
    // the quotient rounds to 13.999999999999999999 in extended precision.
    for (const Real sd : {11.47L, 22.94L, 1.0L, 0.37L})
        EXPECT_EQ(unpairedT(summary(0, sd, 8), summary(1, sd, 8), Variances::Welch).test.df, 14) << sd;
}

TEST(UnpairedT, FTestPutsTheLargerSdOnTopAndMayExceedOne)
{
    // First SD 1.1 with N 31, second SD 1.0 with N 4: F 1.21 with 30 and 3
    // df; 2·pf(1.21, 30, 3, lower.tail = FALSE) = 1.020563 (the median of
    // F(30, 3) is 1.2393, so doubling the upper tail passes 1).
    const FTestResult f = unpairedT(summary(0, 1.1L, 31), summary(0, 1.0L, 4), Variances::Equal).fTest;
    EXPECT_NEAR(f.f, 1.21L, 1e-15L);
    EXPECT_EQ(f.numeratorDf, 30);
    EXPECT_EQ(f.denominatorDf, 3);
    EXPECT_NEAR(f.p, 1.020563L, PTolerance);
}

TEST(UnpairedT, HugeTypedCountsOverflowTheDfInsteadOfWrapping)
{
    // (N1 − 1) + (N2 − 1) does not fit the 32-bit df: the fault guard turns
    // the integer fault into the overflow message.
    EXPECT_THROW(unpairedT(summary(0, 1, 2000000000), summary(1, 1, 2000000000), Variances::Equal), IntegerFault);
}

// The one rule both paired tests follow. Decimal differences of 0.1 disagree
// in their last binary bits, which is no spread; one in the 13th digit is.
// (What the reports make of no spread, the report goldens of both tests pin.)
TEST(PairedDifferences, RowsWithBothValuesAndTheRoundingRule)
{
    const struct {
        const char* name;
        std::vector<Real> first, second, differences;
        bool allEqual;
    } cases[] = {
        {"blanks", {10, MissingValue, 7, 4, 9}, {3, 5, MissingValue, 6, 1}, {7, -2, 8}, false},
        {"decimal 0.1",
         {1.3L, 2.4L, 5.6L, 7.7L, 100.9L},
         {1.2L, 2.3L, 5.5L, 7.6L, 100.8L},
         {1.3L - 1.2L, 2.4L - 2.3L, 5.6L - 5.5L, 7.7L - 7.6L, 100.9L - 100.8L},
         true},
        {"13th digit",
         {1.3L, 2.4L, 5.6000000000001L},
         {1.2L, 2.3L, 5.5L},
         {1.3L - 1.2L, 2.4L - 2.3L, 5.6000000000001L - 5.5L},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto table = std::make_unique<DataTable>();
        fill(*table, 0, c.first);
        fill(*table, 1, c.second);
        const PairedDifferences differences = pairedDifferences(*table, 0, 1);
        EXPECT_EQ(differences.values, c.differences);
        EXPECT_EQ(differences.allEqual(), c.allEqual);
    }
}

// Scaling every value leaves t, df and P as they are, up to the top and down
// to the bottom of the extended range, where the squares of the values
// overflow or underflow; and valid data raise no floating-point flag.
TEST(TTests, ScaledDataGiveTheSameTestsWithoutAFlag)
{
    const std::vector<Real> first{98.2L, 101.5L, 97.8L, 103.1L, 99.4L, 96.7L};
    const std::vector<Real> second{95.3L, 98.8L, 97.1L, 99.9L, 96.0L, 97.5L};
    std::vector<TTestResult> unscaled;
    for (const Real factor : {1.0L, 1e2470L, 1e2500L, 1e-2500L}) {
        SCOPED_TRACE(static_cast<double>(std::log10(factor)));
        auto table = std::make_unique<DataTable>();
        for (size_t row = 0; row < first.size(); ++row) {
            table->setValue(static_cast<int>(row), 0, first[row] * factor);
            table->setValue(static_cast<int>(row), 1, second[row] * factor);
        }
        std::feclearexcept(FE_ALL_EXCEPT);
        const core::ColumnRecord a = summarizeColumn(*table, raw(0, "A"));
        const core::ColumnRecord b = summarizeColumn(*table, raw(1, "B"));
        const PairedTResult paired = pairedT(*table, raw(0, "A"), raw(1, "B"));
        const TTestResult tests[] = {oneSampleT(a, 100 * factor), unpairedT(a, b, Variances::Equal).test,
                                     unpairedT(a, b, Variances::Welch).test, paired.test};
        EXPECT_FALSE(std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW));
        EXPECT_EQ(paired.pairing, PairingCheck::Computed);
        for (size_t i = 0; i < std::size(tests); ++i) {
            ASSERT_EQ(tests[i].errorCode, 0) << i;
            if (factor == 1) {
                unscaled.push_back(tests[i]);
                continue;
            }
            EXPECT_NEAR(tests[i].t / unscaled[i].t, 1, 1e-14L) << i;
            EXPECT_EQ(tests[i].df, unscaled[i].df) << i;
            EXPECT_NEAR(tests[i].p, unscaled[i].p, 1e-12L) << i;
        }
    }
}

}  // namespace
}  // namespace ombrix::analyses
