#include "analyses/column_statistics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "numeric/probability.h"

namespace ombrix::analyses {

namespace {

std::vector<Real> columnValues(const DataTable& table, int column)
{
    std::vector<Real> values;
    const int lastRow = table.lastUsedRow();
    for (int row = 0; row <= lastRow; ++row) {
        const Real x = table.GetAnalysisValue(row, column);
        if (!isMissing(x))
            values.push_back(x);
    }
    return values;
}

std::vector<Real> sortedColumnValues(const DataTable& table, int column)
{
    std::vector<Real> values = columnValues(table, column);
    std::sort(values.begin(), values.end());
    return values;
}

Real finiteOrMissing(Real x)
{
    return std::isfinite(x) ? x : MissingValue;
}

Real confidenceHalfWidth(Real sem, int n)
{
    return sem * numeric::CriticalT95(n - 1);
}

}  // namespace

namespace {

Real medianOfSorted(const std::vector<Real>& sorted)
{
    const size_t n = sorted.size();
    if (n == 0)
        return MissingValue;
    if (n % 2 == 1)
        return sorted[n / 2];
    return (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
}

}  // namespace

Real ColumnMedian(const DataTable& table, int column)
{
    return medianOfSorted(sortedColumnValues(table, column));
}

namespace {

// The statistics of one raw column from its values in ascending order.
//
// Values near the top of the extended range overflow in their squares (from
// about 1E2466 on) and, near its very top, in their sum. The sums are taken
// over the values divided by a power of two near the largest magnitude and
// scaled back: a power-of-two factor changes exponents only, so the scaled
// computation gives ordinary data the very same bits.
void rawStatisticsOfSorted(core::ColumnRecord& record, const std::vector<Real>& values)
{
    const int n = static_cast<int>(values.size());
    record.n = n;
    if (n == 0) {
        record.mean = record.minimum = record.maximum = MissingValue;
        record.sd = record.sem = 0;
        record.median = record.upper95 = record.lower95 = MissingValue;
        return;
    }

    const Real scale = powerOfTwoScale(std::max(std::fabs(values.front()), std::fabs(values.back())));
    Real sum = 0;
    for (const Real x : values)
        sum += x / scale;
    Real mean = sum / n;

    // Two passes, with the sum of deviations as a correction: rounding in
    // the first pass leaves the mean slightly off, and subtracting
    // (sum d)^2 / n removes what that error adds to the sum of squares.
    Real deviations = 0;
    Real ss = 0;
    for (const Real x : values) {
        const Real d = x / scale - mean;
        deviations += d;
        ss += d * d;
    }
    ss -= deviations * deviations / n;
    mean += deviations / n;

    record.mean = mean * scale;
    record.minimum = values.front();
    record.maximum = values.back();
    if (n < 2) {
        record.sd = record.sem = 0;
    } else {
        record.sd = std::sqrt(std::max(ss, Real(0)) / (n - 1)) * scale;
        record.sem = record.sd / std::sqrt(static_cast<Real>(n));
    }
    record.median = medianOfSorted(values);
    // A limit beyond the extended range is unknown, not infinite.
    const Real half = confidenceHalfWidth(record.sem, n);
    record.upper95 = finiteOrMissing(record.mean + half);
    record.lower95 = finiteOrMissing(record.mean - half);
}

// Normal distribution function at z, as the program computes it everywhere.
Real normalCdf(Real z)
{
    const Real tail = numeric::ZProbability(z) / 2;
    return z > 0 ? 1 - tail : tail;
}

// Largest distance between the empirical distribution of the sorted values
// and the normal one. The normal function is monotone, so between two
// evaluated values j < k every F in between lies in [F_j, F_k], which bounds
// the distances there; a stretch whose bound cannot beat the largest
// distance found so far is skipped. The margin covers the few units in the
// seventh digit by which the series of the t probability may wobble, so the
// maximum found is the one a full scan finds.
Real ksDistance(const std::vector<Real>& sorted, Real mean, Real sd)
{
    const int n = static_cast<int>(sorted.size());
    constexpr Real Margin = 1e-6L;
    std::vector<Real> f(static_cast<size_t>(n), -1);
    auto cdf = [&](int i) {  // 0-based
        if (f[i] < 0)
            f[i] = normalCdf((sorted[i] - mean) / sd);
        return f[i];
    };
    Real ks = 0;
    auto visit = [&](int i) {
        const Real value = cdf(i);
        Real distance = std::fabs(value - Real(i + 1) / n);
        if (i >= 1)
            distance = std::max(distance, std::fabs(value - Real(i) / n));
        ks = std::max(ks, distance);
    };

    // A coarse pass first finds a large distance, so that most stretches can
    // be skipped; then each stretch is halved until it is settled.
    const int step = std::max(1, n / 64);
    std::vector<std::pair<int, int>> stretches;
    int previous = 0;
    visit(0);
    for (int i = step; i < n; i += step) {
        visit(i);
        stretches.emplace_back(previous, i);
        previous = i;
    }
    if (previous != n - 1) {
        visit(n - 1);
        stretches.emplace_back(previous, n - 1);
    }
    while (!stretches.empty()) {
        const auto [j, k] = stretches.back();
        stretches.pop_back();
        if (k - j <= 1)
            continue;
        // Inside the stretch (0-based j+1 .. k-1) the steps of the empirical
        // function run from (j+1)/n to k/n.
        const Real bound = std::max(cdf(k) - Real(j + 1) / n, Real(k) / n - cdf(j));
        if (bound + Margin < ks)
            continue;
        const int middle = j + (k - j) / 2;
        visit(middle);
        stretches.emplace_back(j, middle);
        stretches.emplace_back(middle, k);
    }
    return ks;
}

NormalityResult normalityOfSorted(const std::vector<Real>& sorted, Real mean, Real sd)
{
    NormalityResult result;
    const int n = static_cast<int>(sorted.size());
    if (n < FewestValuesForNormality || isMissing(sd) || !(sd > 0))
        return result;
    result.ks = ksDistance(sorted, mean, sd);
    result.p = lillieforsP(n, result.ks);
    return result;
}

}  // namespace

Real powerOfTwoScale(Real magnitude)
{
    if (!(magnitude > 0) || !std::isfinite(magnitude))
        return 1;
    // frexp's exponent e gives magnitude in [2^(e-1), 2^e); 2^(e-1) is
    // representable even for the largest finite magnitude, 2^e may not be.
    int exponent = 0;
    std::frexp(magnitude, &exponent);
    return std::ldexp(Real(1), exponent - 1);
}

core::ColumnRecord ComputeRawColumnStatistics(const DataTable& table, int column)
{
    core::ColumnRecord record = table.column(column);
    rawStatisticsOfSorted(record, sortedColumnValues(table, column));
    return record;
}

core::ColumnRecord rawStatisticsWithNormality(const DataTable& table, int column)
{
    core::ColumnRecord record = table.column(column);
    const std::vector<Real> sorted = sortedColumnValues(table, column);
    rawStatisticsOfSorted(record, sorted);
    setNormality(record, normalityOfSorted(sorted, record.mean, record.sd));
    return record;
}

core::ColumnRecord statisticsOfValues(std::vector<Real> values)
{
    std::sort(values.begin(), values.end());
    core::ColumnRecord record;
    rawStatisticsOfSorted(record, values);
    return record;
}

NormalityResult normalityOfValues(std::vector<Real> values, Real mean, Real sd)
{
    std::sort(values.begin(), values.end());
    return normalityOfSorted(values, mean, sd);
}

void ComputeSummaryColumnStatistics(core::ColumnRecord& record)
{
    const int n = record.n;
    if (isMissing(record.sd) && !isMissing(record.sem) && n >= 1)
        record.sd = record.sem * std::sqrt(static_cast<Real>(n));
    if (!isMissing(record.sd))
        record.sem = n >= 1 ? record.sd / std::sqrt(static_cast<Real>(n)) : MissingValue;

    if (isMissing(record.sem) || n < 1 || isMissing(record.mean)) {
        record.upper95 = record.lower95 = MissingValue;
    } else {
        const Real half = confidenceHalfWidth(record.sem, n);
        record.upper95 = record.mean + half;
        record.lower95 = record.mean - half;
    }
}

namespace {

struct DallalWilkinson {
    Real a, b, c;
};

DallalWilkinson coefficients(int n)
{
    const Real nn = n;
    if (n <= 100) {
        return {-7.01256L * (nn + 2.78019L), 2.99587L * std::sqrt(nn + 2.78019L),
                2.1804661L + 0.974598L / std::sqrt(nn) + 1.67997L / nn};
    }
    return {-7.90289126054L * std::pow(nn, 0.98L), 3.180370175721L * std::pow(nn, 0.49L), 2.2947256L};
}

}  // namespace

void setNormality(core::ColumnRecord& record, const NormalityResult& normality)
{
    record.normalityStatistic = normality.ks;
    record.normalityP = normality.p;
    record.passedNormality = !isMissing(normality.p) && normality.p > 0.05L;
}

Real lillieforsCutoff(int n)
{
    const auto [a, b, c] = coefficients(n);
    return (-b - std::sqrt(b * b - 4 * a * c)) / (2 * a);
}

Real lillieforsP(int n, Real ks)
{
    const Real cutoff = lillieforsCutoff(n);
    if (ks < cutoff)
        return 0.2L;
    if (ks == cutoff)
        return 0.10L;
    const auto [a, b, c] = coefficients(n);
    return std::exp(a * ks * ks + b * ks + c - 2.3025851L);
}

NormalityResult NormalityTest(const DataTable& table, int column, Real mean, Real sd)
{
    return normalityOfSorted(sortedColumnValues(table, column), mean, sd);
}

void UpdateColumnStatistics(DataTable& table)
{
    for (int column = 0; column < core::TableColumns; ++column) {
        core::ColumnRecord& record = table.column(column);
        const bool recompute = table.columnChanged(column);
        const bool raw = !table.meanEntry(column);
        const bool normalityDue =
            raw && (recompute || (isMissing(record.normalityStatistic) && isMissing(record.normalityP)));
        // One sorted copy serves the statistics, the median and the normality test.
        std::vector<Real> sorted;
        if ((recompute && raw) || normalityDue)
            sorted = sortedColumnValues(table, column);

        if (recompute) {
            if (raw) {
                rawStatisticsOfSorted(record, sorted);
                if (record.n < 1) {
                    record.n = 0;
                    record.sd = record.sem = MissingValue;
                    record.median = record.minimum = record.maximum = MissingValue;
                }
            } else {
                ComputeSummaryColumnStatistics(record);
            }
        }
        if (normalityDue)
            setNormality(record, normalityOfSorted(sorted, record.mean, record.sd));
        table.setColumnChanged(column, false);
    }
}

std::string statisticsGridLabel(int gridRow, const StatisticsGridOptions& options)
{
    const bool rawLike =
        options.format == core::DataFormat::Raw || options.format == core::DataFormat::MultipleRegression;
    switch (gridRow) {
    case 2: return "Mean";
    case 3: return options.sdFirst ? "Standard deviation (SD)" : "SEM";
    case 4: return "Sample size (N)";
    case 6: return options.sdFirst ? "Std. error of mean(SEM)" : "SD";
    case 7: return "Lower 95% conf. limit";
    case 8: return "Upper 95% conf. limit";
    default: break;
    }
    if (!rawLike)
        return {};
    switch (gridRow) {
    case 10: return "Minimum";
    case 11: return "Median (50th percentile)";
    case 12: return "Maximum";
    case 14: return "Normality test KS";
    case 15: return "Normality test P value";
    case 16: return "Passed normality test?";
    default: return {};
    }
}

std::string statisticsGridCell(const DataTable& table, int column, int gridRow, const StatisticsGridOptions& options)
{
    if (!DataTable::isValidColumn(column))
        return {};
    const core::ColumnRecord& record = table.column(column);
    auto number = [&](Real x) { return table.FormatCell(column, x, false, core::CellDecimals::Default); };
    switch (gridRow) {
    case 2: return number(record.mean);
    case 3: return number(options.sdFirst ? record.sd : record.sem);
    case 4: return record.n == 0 ? std::string() : std::to_string(record.n);
    case 6: return number(options.sdFirst ? record.sem : record.sd);
    case 7: return number(record.lower95);
    case 8: return number(record.upper95);
    case 10: return number(record.minimum);
    case 11: return number(record.median);
    case 12: return number(record.maximum);
    case 14: return number(record.normalityStatistic);
    case 15: {
        if (isMissing(record.normalityStatistic))
            return record.n >= 1 && record.n < FewestValuesForNormality && !table.meanEntry(column) ? "Too few values"
                                                                                                    : "";
        const Real p = record.normalityP;
        if (p > 0.10L)
            return ">0.10";
        if (p < 0.0001L)
            return "<0.0001";
        char text[32];
        std::snprintf(text, sizeof text, "%6.4Lf", p);
        return text;
    }
    case 16:
        if (isMissing(record.normalityStatistic))
            return {};
        return record.passedNormality ? "Yes" : "No";
    default: return {};
    }
}

}  // namespace ombrix::analyses
