#include "analyses/correlation.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <functional>
#include <new>
#include <numeric>
#include <string_view>

#include "analyses/analyses.h"
#include "analyses/column_statistics.h"
#include "analyses/error_codes.h"
#include "analyses/report_writers.h"
#include "numeric/probability.h"

namespace ombrix::analyses {

namespace {

struct Pairs {
    std::vector<Real> x;
    std::vector<Real> y;

    int size() const { return static_cast<int>(x.size()); }
};

// X comes from one column, Y from every column of a range: one column for
// the paired tests, all the others for XY data, where they are replicates.
struct PairColumns {
    int x = 0;
    int firstY = 1;
    int lastY = 1;
};

PairColumns xyColumns(const DataTable& table)
{
    return {0, 1, table.lastUsedColumn()};
}

// Reads the pairs row by row. With progress, each row reports its share of
// the rows; false when the user cancelled.
bool collectPairs(const DataTable& table, PairColumns columns, ProgressReporter* progress, Pairs& pairs)
{
    const int rows = table.lastUsedRow() + 1;
    for (int row = 0; row < rows; ++row) {
        const Real x = table.GetAnalysisValue(row, columns.x);
        if (!isMissing(x)) {
            for (int column = columns.firstY; column <= columns.lastY; ++column) {
                const Real y = table.GetAnalysisValue(row, column);
                if (isMissing(y))
                    continue;
                pairs.x.push_back(x);
                pairs.y.push_back(y);
            }
        }
        if (progress != nullptr && progress->CalcProgress(Real(row + 1) / rows * 100) == ProgressStop)
            return false;
    }
    return true;
}

bool allEqual(const std::vector<Real>& values)
{
    return std::adjacent_find(values.begin(), values.end(), std::not_equal_to<>()) == values.end();
}

Real mean(const std::vector<Real>& values)
{
    return std::accumulate(values.begin(), values.end(), Real(0)) / static_cast<Real>(values.size());
}

// The normal deviate of the 95% limits, as every interval of the program
// takes it (t with 5000 df, found by bisection): about 1.9604.
Real z95()
{
    return numeric::InverseZ(0.025L);
}

// Fisher's transform atanh(r) = (ln(1 + r) - ln(1 - r)) / 2 moved by
// halfWidth and carried back with tanh. |r| < 1.
Real fisherLimit(Real r, Real halfWidth)
{
    return std::tanh(std::atanh(r) + halfWidth);
}

std::vector<Real> rescaled(std::vector<Real> values)
{
    Real largest = 0;
    for (const Real v : values)
        largest = std::max(largest, std::fabs(v));
    const Real scale = powerOfTwoScale(largest);
    for (Real& v : values)
        v /= scale;
    return values;
}

PearsonResult pearsonOf(const Pairs& pairs)
{
    PearsonResult result;
    const int n = pairs.size();
    result.n = n;
    // Sxx = 0 and Syy = 0 are exactly "all values equal"; asked directly,
    // since a rounded sum of squares need not come out as 0 then.
    if (n == 0)
        result.errorCode = error_code::CorrelationNoData;
    else if (allEqual(pairs.x))
        result.errorCode = error_code::RegressionOneX;
    else if (allEqual(pairs.y))
        result.errorCode = error_code::RegressionOneY;
    else if (n < 3)
        result.errorCode = error_code::CorrelationTooFewPoints;
    if (result.errorCode != 0)
        return result;

    // Sums of products of deviations from the means: the same Sxx, Syy and
    // Sxy as sum(XY) - sum(X) sum(Y) / n and its kin, without their loss of
    // digits when the values are large beside their spread. r does not
    // change when X or Y is rescaled, so each is divided by a power of two
    // near its largest magnitude: values near the top of the range keep
    // finite squares, and ordinary values the very same bits.
    const std::vector<Real> x = rescaled(pairs.x);
    const std::vector<Real> y = rescaled(pairs.y);
    const Real meanX = mean(x);
    const Real meanY = mean(y);
    Real sxx = 0;
    Real syy = 0;
    Real sxy = 0;
    for (int i = 0; i < n; ++i) {
        const Real dx = x[i] - meanX;
        const Real dy = y[i] - meanY;
        sxx += dx * dx;
        syy += dy * dy;
        sxy += dx * dy;
    }
    // Only values whose deviations underflow even after the rescaling get
    // here; they are one value to this test.
    if (sxx == 0) {
        result.errorCode = error_code::RegressionOneX;
        return result;
    }
    if (syy == 0) {
        result.errorCode = error_code::RegressionOneY;
        return result;
    }

    // Divided one root at a time: |Sxy| <= sqrt(Sxx) sqrt(Syy), so neither
    // step can overflow or reach 0 where the product Sxx Syy might. Rounding
    // may leave |r| a hair above 1.
    const Real r = std::clamp(sxy / std::sqrt(sxx) / std::sqrt(syy), Real(-1), Real(1));
    result.r = r;
    result.r2 = r * r;
    result.se = result.r2 >= 1 ? 0 : std::sqrt((1 - result.r2) / (n - 2));
    if (n > 3) {
        // At r = +-1 Fisher's z is infinite and both limits are r itself.
        if (std::fabs(r) == 1) {
            result.lower = result.upper = r;
        } else {
            const Real halfWidth = z95() * std::sqrt(Real(1) / (n - 3));
            result.lower = fisherLimit(r, -halfWidth);
            result.upper = fisherLimit(r, halfWidth);
        }
    }
    result.p = result.se == 0 ? 0 : numeric::TProbability(n - 2, std::fabs(r / result.se));
    return result;
}

// Ranks doubled, so that the mean rank shared by tied values stays an
// integer: the values at sorted positions first..last (0-based) all get
// first + last + 2.
struct Ranking {
    std::vector<std::int64_t> twiceRank;
    // sum of t^3 - t over the groups of t tied values, 12 times the tie
    // correction T.
    std::int64_t tieSum = 0;
};

Ranking rankOf(const std::vector<Real>& values)
{
    const std::size_t n = values.size();
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return values[a] < values[b]; });

    Ranking ranking;
    ranking.twiceRank.resize(n);
    for (std::size_t first = 0; first < n;) {
        std::size_t last = first;
        while (last + 1 < n && values[order[last + 1]] == values[order[first]])
            ++last;
        for (std::size_t i = first; i <= last; ++i)
            ranking.twiceRank[order[i]] = static_cast<std::int64_t>(first + last + 2);
        const auto t = static_cast<std::int64_t>(last - first + 1);
        ranking.tieSum += t * t * t - t;
        first = last + 1;
    }
    return ranking;
}

// The Spearman statistic in integers, scaled so that nothing is rounded
// before rs itself: with S = (n^3 - n) / 6, Tx and Ty the tie corrections
// and D the sum of squared rank differences,
//   rs = (S - D - Tx - Ty) / sqrt((S - 2Tx)(S - 2Ty)) = numerator / (2 sqrt(ax ay))
// where numerator = 12 (S - D - Tx - Ty) and ax = 6 (S - 2Tx), ay = 6 (S - 2Ty).
// Exact while n^3 fits in 63 bits, far beyond the 510,051 pairs a table holds.
struct SpearmanTerms {
    std::int64_t s = 0;
    std::int64_t numerator = 0;
    std::int64_t ax = 0;
    std::int64_t ay = 0;
    bool ties = false;
};

SpearmanTerms spearmanTerms(const Pairs& pairs)
{
    const Ranking x = rankOf(pairs.x);
    const Ranking y = rankOf(pairs.y);
    std::int64_t fourD = 0;
    for (std::size_t i = 0; i < x.twiceRank.size(); ++i) {
        const std::int64_t twiceD = x.twiceRank[i] - y.twiceRank[i];
        fourD += twiceD * twiceD;
    }
    const auto n = static_cast<std::int64_t>(pairs.x.size());
    const std::int64_t sixS = n * n * n - n;
    SpearmanTerms terms;
    terms.s = sixS / 6;
    terms.numerator = 2 * sixS - 3 * fourD - x.tieSum - y.tieSum;
    terms.ax = sixS - x.tieSum;
    terms.ay = sixS - y.tieSum;
    terms.ties = x.tieSum > 0 || y.tieSum > 0;
    return terms;
}

Real spearmanR(const SpearmanTerms& terms)
{
    // With equal tie corrections the root is exact; this keeps a perfect
    // agreement of ranks at rs = 1 exactly.
    const Real root = terms.ax == terms.ay ? Real(terms.ax) : std::sqrt(Real(terms.ax) * Real(terms.ay));
    return std::clamp(Real(terms.numerator) / (2 * root), Real(-1), Real(1));
}

// The sums of squared rank differences that count as extreme: at least
// trunc(S (1 + |rs|)), the mirror image of the observed rs in the lower tail.
// Found in integers, since S (1 + |rs|) is often an integer (always without
// ties) and a rounding slip just below it would let in the next smaller sum:
// trunc(S + S |rs|) = S + the largest k with 2k sqrt(ax ay) <= S |numerator|.
std::int64_t extremeThreshold(const SpearmanTerms& terms)
{
    const std::int64_t s = terms.s;
    const std::int64_t right = s * s * terms.numerator * terms.numerator;
    std::int64_t k = 0;
    while (k < s && 4 * (k + 1) * (k + 1) * terms.ax * terms.ay <= right)
        ++k;
    return s + k;
}

Real factorial(int n)
{
    Real product = 1;
    for (int i = 2; i <= n; ++i)
        product *= i;
    return product;
}

// The exact two-tailed P value: twice the share of orderings at least as
// extreme in the lower tail, at most 1. Leaves the exactness.
Real exactSpearmanP(const SpearmanTerms& terms, int n, ProgressReporter& progress, SpearmanExactness& exactness)
{
    RankDifferenceCounts distribution;
    try {
        distribution = squaredRankDifferenceCounts(n, &progress);
    } catch (const std::bad_alloc&) {
        // No room to set the count up: as if it would take too long.
        distribution.exactness = SpearmanExactness::TooLong;
    }
    exactness = distribution.exactness;
    if (exactness != SpearmanExactness::Exact)
        return MissingValue;
    const auto threshold = static_cast<std::size_t>(extremeThreshold(terms));
    std::uint64_t extreme = 0;
    for (std::size_t sum = threshold; sum < distribution.counts.size(); ++sum)
        extreme += distribution.counts[sum];
    return std::min(Real(1), 2 * static_cast<Real>(extreme) / factorial(n));
}

SpearmanResult spearmanOf(const Pairs& pairs, ProgressReporter& progress)
{
    SpearmanResult result;
    const int n = pairs.size();
    result.n = n;
    if (n == 0) {
        result.errorCode = error_code::CorrelationNoData;
        return result;
    }
    const SpearmanTerms terms = spearmanTerms(pairs);
    result.ties = terms.ties;
    // S - 2Tx = 0 exactly when all X are tied (or there is one pair).
    if (terms.ax == 0) {
        result.errorCode = error_code::RegressionOneX;
        return result;
    }
    if (terms.ay == 0) {
        result.errorCode = error_code::RegressionOneY;
        return result;
    }

    const Real rs = spearmanR(terms);
    result.rs = rs;
    result.rs2 = rs * rs;
    result.se = (result.rs2 >= 1 || n <= 2) ? 0 : std::sqrt((1 - result.rs2) / (n - 2));
    if (n > 10) {
        // rs = +-1 makes Fisher's z infinite; both limits are rs itself.
        if (std::fabs(rs) == 1) {
            result.lower = result.upper = rs;
        } else {
            const Real halfWidth = z95() * std::sqrt(Real(1.06L) / (n - 3));
            result.lower = fisherLimit(rs, -halfWidth);
            result.upper = fisherLimit(rs, halfWidth);
        }
    }
    const Real approximateP =
        (rs == 1 || result.se == 0) ? 0 : numeric::TProbability(n - 2, rs * std::sqrt((n - 2) / (1 - result.rs2)));

    if (n > MaxExactSpearmanPairs) {
        result.exactness = SpearmanExactness::TooLong;
        result.p = approximateP;
        return result;
    }
    progress.ShowCalcStatus(ExactPStatusMessage, approximateP);
    const Real exactP = exactSpearmanP(terms, n, progress, result.exactness);
    progress.HideCalcStatus();
    result.p = result.exactness == SpearmanExactness::Exact ? exactP : approximateP;
    return result;
}

SpearmanResult computeSpearman(const DataTable& table, PairColumns columns, ProgressReporter& progress)
{
    progress.ShowCalcStatus(SpearmanStatusMessage, NoApproximateP);
    Pairs pairs;
    if (!collectPairs(table, columns, &progress, pairs)) {
        progress.HideCalcStatus();
        SpearmanResult interrupted;
        interrupted.p = -1;
        return interrupted;
    }
    return spearmanOf(pairs, progress);
}

PearsonResult computePearson(const DataTable& table, PairColumns columns)
{
    Pairs pairs;
    collectPairs(table, columns, nullptr, pairs);
    return pearsonOf(pairs);
}

void writeTitle(ResultsBuffer& out, std::string_view title)
{
    WriteReportTitle(out, title);
    out.NewLine();
    out.NewLine();
}

void writeNumberOfPoints(ResultsBuffer& out, int n)
{
    out.Append("Number of points = ");
    out.AppendInteger(n);
    out.NewLine();
    out.NewLine();
}

void writeInterval(ResultsBuffer& out, Real lower, Real upper)
{
    out.Append("95% confidence interval: ");
    out.AppendNumber(-5, lower);
    out.Append(" to ");
    out.AppendNumber(-5, upper);
    out.NewLine();
}

constexpr std::string_view TestHeading = "Test: Is r significantly different than zero?";

void writePearsonReport(ResultsBuffer& out, const PearsonResult& result)
{
    writeTitle(out, "Linear Correlation");
    writeNumberOfPoints(out, result.n);
    out.Append("Correlation coefficient (r) = ");
    out.AppendNumber(-5, result.r);
    out.NewLine();
    if (result.n > 3) {
        writeInterval(out, result.lower, result.upper);
        out.NewLine();
    } else {
        out.Append("95% confidence interval: ");
        out.Append("(Requires more than 3 points) ");
        out.NewLine();
    }
    out.Append("Coefficient of determination (r squared) = ");
    out.AppendNumber(-5, result.r2);
    out.NewLine();
    out.NewLine();
    out.NewLine();
    out.NewLine();
    WriteReportHeading(out, TestHeading);
    WritePValueSentence(out, 2, true, result.p);
}

void writeSpearmanReport(ResultsBuffer& out, const SpearmanResult& result)
{
    writeTitle(out, "Spearman Rank Correlation");
    writeNumberOfPoints(out, result.n);
    out.Append("Spearman r = ");
    out.AppendNumber(-5, result.rs);
    if (result.ties)
        out.Append(" (corrected for ties)");
    out.NewLine();
    if (result.n > 10)
        writeInterval(out, result.lower, result.upper);
    out.NewLine();

    const bool exact = result.exactness == SpearmanExactness::Exact;
    if (result.n > 10 || exact) {
        out.NewLine();
        out.NewLine();
        out.NewLine();
        WriteReportHeading(out, TestHeading);
        out.NewLine();
        WritePValueSentence(out, 2, true, result.p);
        if (result.ties && exact)
            out.AppendLine("The P value may be inaccurate because of ties.");
        if (result.exactness == SpearmanExactness::Cancelled)
            out.AppendLine("The P value is approximate because exact calculations were interrupted.");
        if (result.exactness == SpearmanExactness::TooLong) {
            out.AppendLine("The P value is approximate because exact calculations would have taken");
            out.AppendLine("too long.");
        }
        if (exact && result.n < 5) {
            out.AppendLine("Regardless of what data you enter, it is impossible for this test to");
            out.AppendLine("yield P < 0.05 with so few data points.");
        }
    } else {
        out.NewLine();
        out.AppendLine("There were not enough points (N <= 10) to perform a linearity");
        out.AppendLine("check or compute the confidence interval of r.");
    }
}

}  // namespace

RankDifferenceCounts squaredRankDifferenceCounts(int n, ProgressReporter* progress)
{
    RankDifferenceCounts result;
    if (n < 0 || n > MaxExactSpearmanPairs) {
        result.exactness = SpearmanExactness::TooLong;
        return result;
    }
    // ways[subset * width + s]: the orderings of the ranks in subset over the
    // first |subset| positions whose squared differences add up to s. Placing
    // rank v at the next position k = |subset| + 1 adds (v - k)^2. Every count
    // is at most 12! < 2^32. Partial sums never exceed the largest full sum,
    // (n^3 - n) / 3, that of the reversed order.
    const int largestSum = (n * n * n - n) / 3;
    const std::size_t width = static_cast<std::size_t>(largestSum) + 1;
    const std::size_t subsets = std::size_t{1} << n;
    std::vector<std::uint32_t> ways(subsets * width, 0);
    // Highest partial sum reached by each subset, so that the empty tails of
    // its counts are not added.
    std::vector<int> highest(subsets, 0);
    ways[0] = 1;

    const std::size_t progressStep = std::max<std::size_t>(1, subsets / 64);
    for (std::size_t subset = 0; subset + 1 < subsets; ++subset) {
        if (progress != nullptr && subset % progressStep == 0) {
            const int code = progress->CalcProgress(Real(subset) * 100 / Real(subsets));
            if (code != ProgressContinue) {
                result.exactness = code == ProgressStop ? SpearmanExactness::Cancelled : SpearmanExactness::TooLong;
                return result;
            }
        }
        const int position = std::popcount(subset) + 1;
        const int top = highest[subset];
        const std::uint32_t* from = &ways[subset * width];
        for (int rank = 1; rank <= n; ++rank) {
            const std::size_t bit = std::size_t{1} << (rank - 1);
            if ((subset & bit) != 0)
                continue;
            const int cost = (rank - position) * (rank - position);
            std::uint32_t* to = &ways[(subset | bit) * width + static_cast<std::size_t>(cost)];
            for (int s = 0; s <= top; ++s)
                to[s] += from[s];
            highest[subset | bit] = std::max(highest[subset | bit], top + cost);
        }
    }
    const std::uint32_t* all = &ways[(subsets - 1) * width];
    result.counts.assign(all, all + width);
    return result;
}

PearsonResult ComputePearson(const DataTable& table, int xColumn, int yColumn)
{
    return computePearson(table, {xColumn, yColumn, yColumn});
}

SpearmanResult ComputeSpearman(const DataTable& table, int xColumn, int yColumn, ProgressReporter& progress)
{
    return computeSpearman(table, {xColumn, yColumn, yColumn}, progress);
}

int PearsonCorrelation(const DataTable& table, ResultsBuffer& out)
{
    const PearsonResult result = computePearson(table, xyColumns(table));
    if (result.errorCode == 0)
        writePearsonReport(out, result);
    return result.errorCode;
}

int SpearmanCorrelation(const DataTable& table, ResultsBuffer& out, ProgressReporter& progress)
{
    const SpearmanResult result = computeSpearman(table, xyColumns(table), progress);
    if (result.p < 0) {
        out.AppendLine("Interrupted");
        return 0;
    }
    if (result.errorCode == 0)
        writeSpearmanReport(out, result);
    return result.errorCode;
}

}  // namespace ombrix::analyses
