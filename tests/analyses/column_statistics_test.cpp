#include "analyses/column_statistics.h"

#include "core/cell_entry.h"
#include "numeric/probability.h"
#include "tests/support/accuracy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace ombrix::analyses {
namespace {

using core::ColumnRecord;

std::vector<Real> sequence(int first, int count)
{
    std::vector<Real> values;
    for (int i = 0; i < count; ++i)
        values.push_back(first + i);
    return values;
}

class ColumnStatisticsTest : public ::testing::Test {
protected:
    std::unique_ptr<DataTable> table = std::make_unique<DataTable>();

    void fill(int column, const std::vector<Real>& values)
    {
        for (size_t row = 0; row < values.size(); ++row)
            table->setValue(static_cast<int>(row), column, values[row]);
    }
    const ColumnRecord& record(int column) const { return table->column(column); }
};

// KS against R with pt(z, 5000) as the normal distribution, the same
// convention as the program. The program's t probabilities stop their
// continued fraction at a relative change of 3e-7, which leaves the KS
// distance within about 1e-11 of R's. (Mean, SD, limits and a passing KS
// of raw columns are pinned by the statistics grid golden files.)
TEST_F(ColumnStatisticsTest, NormalityPBeyondTheCutoffAgainstR)
{
    fill(0, {1, 1, 1, 1, 1, 1, 10});
    fill(1, {1, 2, 2, 3, 3, 3, 4, 4, 4, 4, 30});
    UpdateColumnStatistics(*table);
    const Real ks[] = {0.504406341955784L, 0.479466823373726L};
    const Real p[] = {4.84521283592346e-06L, 6.43813370144416e-08L};
    for (int i = 0; i < 2; ++i) {
        EXPECT_NEAR(record(i).normalityStatistic, ks[i], 1e-10) << i;
        EXPECT_NEAR(record(i).normalityP / p[i], 1, 1e-8) << i;
        EXPECT_FALSE(record(i).passedNormality);
    }
}

// Edge columns, by hand. A spread of 1, 2, 3 (SD 1) or 1, 2, 3, 4, 6
// (SD sqrt(3.7)) scaled to the top of the extended range, whose squares
// overflow, keeps its SD; each column's grid shows numbers, never NaN or INF
// text, and no floating-point flag is raised.
TEST_F(ColumnStatisticsTest, EdgeColumns)
{
    const struct {
        const char* name;
        std::vector<Real> values;
        int n;
        Real mean, sd, median;
        bool tested;        // the normality test ran
        const char* pCell;  // grid row 15
        bool flagsClear = true;
        int excludedRow = -1;
    } cases[] = {
        {"one value", {7.5L}, 1, 7.5L, 0, 7.5L, false, "Too few values"},
        {"four values", {1, 2, 3, 4}, 4, 2.5L, 1.2909944487358056L, 2.5L, false, "Too few values"},
        {"five values", {1, 2, 3, 4, 6}, 5, 3.2L, 1.9235384061671346L, 3, true, ">0.10"},
        {"five equal values", {5, 5, 5, 5, 5}, 5, 5, 0, 5, false, ""},
        // Row 2 blank, row 4 excluded: the even count's median is the mean of the middle two.
        {"blank and excluded",
         {3, MissingValue, 5, 100},
         2,
         4,
         1.4142135623730951L,
         4,
         false,
         "Too few values",
         true,
         3},
        {"1E2470", {1e2470L, 2e2470L, 3e2470L}, 3, 2e2470L, 1e2470L, 2e2470L, false, "Too few values"},
        {"1E2500",
         {1e2500L, 2e2500L, 3e2500L, 4e2500L, 6e2500L},
         5,
         3.2e2500L,
         1.9235384061671346e2500L,
         3e2500L,
         true,
         ">0.10"},
        // 1..10001: every value of a full column is used; a uniform sample
        // this large is plainly not normal.
        {"full column", sequence(1, core::TableRows), 10001, 5001, 2887.184355042123L, 5001, true, "<0.0001"},
        // 1, 11, 5 times 1E4931: the upper limit is beyond the range and stays blank.
        {"near the top",
         {1e4931L, 1.1e4932L, 5e4931L},
         3,
         5.666666666666667e4931L,
         5.0332229568471664e4931L,
         5e4931L,
         false,
         "Too few values",
         false},
    };
    const auto near = [](Real value, Real expected) {
        return std::fabs(value - expected) <= 1e-15L * std::fabs(expected);
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        table = std::make_unique<DataTable>();
        fill(0, c.values);
        table->setExcluded(c.excludedRow, 0, true);
        std::feclearexcept(FE_ALL_EXCEPT);
        UpdateColumnStatistics(*table);
        EXPECT_EQ(std::fetestexcept(FE_OVERFLOW | FE_INVALID | FE_DIVBYZERO) == 0, c.flagsClear);
        const ColumnRecord& r = record(0);
        EXPECT_EQ(r.n, c.n);
        EXPECT_TRUE(near(r.mean, c.mean)) << static_cast<double>(r.mean / c.mean);
        EXPECT_TRUE(near(r.sd, c.sd)) << static_cast<double>(r.sd / c.sd);
        EXPECT_TRUE(near(r.sem, c.sd / std::sqrt(Real(c.n))));
        EXPECT_EQ(r.median, c.median);
        EXPECT_EQ(!isMissing(r.normalityStatistic), c.tested);
        EXPECT_EQ(statisticsGridCell(*table, 0, 15, {}), c.pCell);
        for (int gridRow = 2; gridRow < 15; ++gridRow) {
            const std::string cell = statisticsGridCell(*table, 0, gridRow, {});
            EXPECT_EQ(cell.find_first_not_of("0123456789.E+-"), std::string::npos) << gridRow << ": " << cell;
        }
    }
    // An empty column has no statistics at all.
    table->setValue(0, 0, MissingValue);
    for (int row = 1; row < 4; ++row)
        table->setValue(row, 0, MissingValue);
    UpdateColumnStatistics(*table);
    EXPECT_EQ(record(0).n, 0);
    EXPECT_EQ(record(0).sd, MissingValue);
    EXPECT_EQ(statisticsGridCell(*table, 0, 2, {}), "");
}

TEST_F(ColumnStatisticsTest, OnlyChangedColumnsAreRecomputed)
{
    fill(0, {1, 2, 3});
    UpdateColumnStatistics(*table);
    table->column(0).mean = 99;  // stands for a stale value
    UpdateColumnStatistics(*table);
    EXPECT_EQ(record(0).mean, 99);
    table->setValue(3, 0, 4);
    UpdateColumnStatistics(*table);
    EXPECT_EQ(record(0).mean, 2.5L);
}

// The normality test skips stretches of values that cannot hold the largest
// distance; it must find exactly what a scan of every value finds.
TEST_F(ColumnStatisticsTest, NormalityDistanceEqualsAFullScan)
{
    auto fullScan = [](std::vector<Real> values, Real mean, Real sd) {
        std::sort(values.begin(), values.end());
        const int n = static_cast<int>(values.size());
        Real ks = 0;
        for (int i = 1; i <= n; ++i) {
            const Real z = (values[i - 1] - mean) / sd;
            Real f = numeric::ZProbability(z) / 2;
            if (z > 0)
                f = 1 - f;
            ks = std::max({ks, std::fabs(f - Real(i) / n), std::fabs(f - Real(i - 1) / n)});
        }
        return ks;
    };
    unsigned state = 12345;
    auto uniform = [&state] {
        state = state * 1103515245u + 12345u;
        return Real((state >> 8) & 0xFFFF) / 65536;
    };
    for (const int n : {5, 64, 65, 1000, 10001}) {
        for (int shape = 0; shape < 3; ++shape) {
            std::vector<Real> values;
            for (int i = 0; i < n; ++i) {
                const Real u = uniform();
                // uniform, roughly normal (sum of uniforms), and skewed with ties
                values.push_back(shape == 0   ? u
                                 : shape == 1 ? u + uniform() + uniform() + uniform()
                                              : std::floor(u * u * 8));
            }
            auto table = std::make_unique<DataTable>();
            for (int row = 0; row < n; ++row)
                table->setValue(row, 0, values[row]);
            const ColumnRecord r = ComputeRawColumnStatistics(*table, 0);
            ASSERT_GT(r.sd, 0);
            EXPECT_EQ(NormalityTest(*table, 0, r.mean, r.sd).ks, fullScan(values, r.mean, r.sd))
                << "n " << n << " shape " << shape;
        }
    }
}

TEST(Lilliefors, CutoffAndBoundary)
{
    // Cut-offs from R with the published coefficients.
    EXPECT_NEAR(lillieforsCutoff(7), 0.281207612069719L, 1e-14);
    EXPECT_NEAR(lillieforsCutoff(10), 0.2419962314472L, 1e-13);
    EXPECT_NEAR(lillieforsCutoff(150), 0.0666512921087559L, 1e-14);
    EXPECT_NEAR(lillieforsP(150, 0.09L), 0.00470104497389274L, 1e-15);
    for (int n : {5, 10, 100, 101, 5000}) {
        const Real cutoff = lillieforsCutoff(n);
        EXPECT_EQ(lillieforsP(n, cutoff), 0.10L) << n;
        EXPECT_EQ(lillieforsP(n, std::nextafter(cutoff, Real(0))), 0.2L) << n;
        EXPECT_LT(lillieforsP(n, std::nextafter(cutoff, Real(1))), 0.10L) << n;
    }
}

TEST_F(ColumnStatisticsTest, GridTextsForThePValue)
{
    table->column(0).n = 20;
    table->column(0).normalityStatistic = 0.2L;
    const struct {
        Real p;
        bool passed;
        const char* text;
        const char* verdict;
    } cases[] = {
        {0.2L, true, ">0.10", "Yes"},       {0.10L, true, "0.1000", "Yes"},      {0.05L, false, "0.0500", "No"},
        {0.00005L, false, "<0.0001", "No"}, {0.0123456L, false, "0.0123", "No"},
    };
    for (const auto& c : cases) {
        table->column(0).normalityP = c.p;
        table->column(0).passedNormality = c.passed;
        EXPECT_EQ(statisticsGridCell(*table, 0, 15, {}), c.text);
        EXPECT_EQ(statisticsGridCell(*table, 0, 16, {}), c.verdict);
    }
}

// NIST StRD univariate data sets: certified mean and SD (15 digits). The
// harder ones (NumAcc3, NumAcc4) carry large constant offsets. The data are
// decimal; each typed value is stored in 80-bit binary with an error of up to
// half a unit in the last place. With NumAcc3 (values near 1e6, SD 0.1) and
// NumAcc4 (near 1e7) that alone limits the SD to about 12 and 11 correct
// digits; the other sets must reach 13.
TEST(ColumnStatisticsNist, CertifiedMeanAndSD)
{
    const std::string dir = std::string(OMBRIX_TEST_DATA_DIR) + "/data/nist-strd/univariate/";
    const auto lre = ombrix::testing::logRelativeError;
    for (const auto& [name, minimumLre] : {std::pair{"Lew", 13},
                                           {"Lottery", 13},
                                           {"Mavro", 13},
                                           {"Michelso", 13},
                                           {"NumAcc1", 13},
                                           {"NumAcc2", 13},
                                           {"NumAcc3", 10},
                                           {"NumAcc4", 10},
                                           {"PiDigits", 13}}) {
        std::ifstream in(dir + name + ".dat");
        Real mean = 0, sd = 0;
        auto dataSet = std::make_unique<core::DataSet>();
        bool inData = false;
        int row = 0;
        for (std::string line; std::getline(in, line);) {
            std::string value;
            if (line.find("Sample Mean") != std::string::npos)
                mean = std::strtold(line.substr(line.find(':') + 1).c_str(), nullptr);
            else if (line.find("Sample Standard Deviation") != std::string::npos)
                sd = std::strtold(line.substr(line.find(':') + 1).c_str(), nullptr);
            else if (line.rfind("Data: Y", 0) == 0)
                inData = true;
            else if (inData && line.find_first_of("0123456789") != std::string::npos &&
                     std::istringstream(line) >> value)
                core::enterCellText(*dataSet, row++, 0, value, '.', nullptr);
        }
        ASSERT_GT(row, 0) << name;
        UpdateColumnStatistics(dataSet->table);
        const double meanLre = lre(dataSet->table.column(0).mean, mean);
        const double sdLre = lre(dataSet->table.column(0).sd, sd);
        std::cout << name << ": LRE mean " << meanLre << ", SD " << sdLre << '\n';
        EXPECT_GE(meanLre, minimumLre) << name;
        EXPECT_GE(sdLre, minimumLre) << name;
    }
}

}  // namespace
}  // namespace ombrix::analyses
