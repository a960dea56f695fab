#include "analyses/two_by_two.h"

#include <array>
#include <cmath>
#include <limits>
#include <string>

#include "analyses/analyses.h"
#include "analyses/error_codes.h"
#include "analyses/report_writers.h"
#include "numeric/probability.h"

namespace ombrix::analyses {

namespace {

// Fisher's test is attempted up to this total, where every factorial factor
// is a product of primes below 2000.
constexpr std::int32_t FisherLargestTotal = 2000;
// Probabilities within this relative distance of the observed one are the
// same probability, rounded differently.
constexpr Real FisherRelativeTolerance = 1e-7L;

// Smallest prime factor of every integer up to the largest total.
const std::array<std::int16_t, FisherLargestTotal + 1>& smallestPrimeFactors()
{
    static const auto table = [] {
        std::array<std::int16_t, FisherLargestTotal + 1> spf{};
        for (int i = 2; i <= FisherLargestTotal; ++i)
            if (spf[static_cast<std::size_t>(i)] == 0)
                for (int j = i; j <= FisherLargestTotal; j += i)
                    if (spf[static_cast<std::size_t>(j)] == 0)
                        spf[static_cast<std::size_t>(j)] = static_cast<std::int16_t>(i);
        return spf;
    }();
    return table;
}

// Adds sign times the prime factors of every integer in first..last.
void addFactors(std::array<int, FisherLargestTotal + 1>& exponents, std::int32_t first, std::int32_t last, int sign)
{
    const auto& spf = smallestPrimeFactors();
    for (std::int32_t k = std::max(first, 2); k <= last; ++k)
        for (std::int32_t m = k; m > 1; m /= spf[static_cast<std::size_t>(m)])
            exponents[static_cast<std::size_t>(spf[static_cast<std::size_t>(m)])] += sign;
}

Real chiSquarePlain(Real a, Real b, Real c, Real d)
{
    const Real n = a + b + c + d;
    const Real margins = (a + c) * (b + d) * (a + b) * (c + d);
    if (margins == 0)
        return MissingValue;
    const Real cross = a * d - b * c;
    return n * cross * cross / margins;
}

// Each cell's |O - E| less the half of Yates' correction when it is larger
// than that half.
Real chiSquareYates(Real a, Real b, Real c, Real d)
{
    const Real n = a + b + c + d;
    const Real cells[4] = {a, b, c, d};
    const Real rows[4] = {a + b, a + b, c + d, c + d};
    const Real columns[4] = {a + c, b + d, a + c, b + d};
    Real sum = 0;
    for (int i = 0; i < 4; ++i) {
        const Real expected = rows[i] * columns[i] / n;
        Real deviation = std::fabs(cells[i] - expected);
        if (deviation > 0.5L)
            deviation -= 0.5L;
        sum += deviation * deviation / expected;
    }
    return sum;
}

Interval infiniteInterval()
{
    return {-MissingValue, MissingValue};
}

// exp(ln ratio -+ z se), the limits of a ratio whose logarithm is about normal.
Interval logInterval(Real ratio, Real se, Real z)
{
    return {std::exp(std::log(ratio) - z * se), std::exp(std::log(ratio) + z * se)};
}

int validate(const TwoByTwoInput& input, std::array<std::int32_t, 4>& counts)
{
    int code = error_code::None;
    for (const Real x : input.counts)
        if (isMissing(x))
            return error_code::TwoByTwoIncomplete;
    for (const Real x : input.counts)
        if (std::round(x) != x)
            code = error_code::ChiSquareFractions;
    for (const Real x : input.counts)
        if (std::round(x) < 0)
            code = error_code::ChiSquareNegative;
    if (code != error_code::None)
        return code;
    for (std::size_t i = 0; i < 4; ++i) {
        const Real x = std::round(input.counts[i]);
        if (x > static_cast<Real>(std::numeric_limits<std::int32_t>::max()))
            return error_code::Overflow;
        counts[i] = static_cast<std::int32_t>(x);
    }
    // Every sum of counts must fit as well: N of two cells near 2^31 would wrap.
    const auto [a, b, c, d] = counts;
    std::int32_t top = 0, bottom = 0, left = 0, right = 0, n = 0;
    if (__builtin_add_overflow(a, b, &top) || __builtin_add_overflow(c, d, &bottom) ||
        __builtin_add_overflow(a, c, &left) || __builtin_add_overflow(b, d, &right) ||
        __builtin_add_overflow(top, bottom, &n))
        return error_code::Overflow;
    if (top == 0 || bottom == 0)
        code = error_code::ChiSquareZeroRow;
    if (left == 0 || right == 0)
        code = error_code::ChiSquareZeroColumn;
    return code;
}

}  // namespace

Real tableProbability(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d)
{
    // (a+b)! (c+d)! (a+c)! (b+d)! / (N! a! b! c! d!) as prime exponents.
    std::array<int, FisherLargestTotal + 1> exponents{};
    const std::int32_t n = a + b + c + d;
    addFactors(exponents, b + 1, a + b, 1);
    addFactors(exponents, c + 1, a + c, 1);
    addFactors(exponents, d + 1, b + d, 1);
    addFactors(exponents, c + d + 1, n, -1);
    addFactors(exponents, 2, a, -1);
    // Numerator and denominator are gathered in integer pieces below 2^31 and
    // divided in turn, so the running product neither overflows nor underflows
    // on the way.
    constexpr std::int64_t PieceLimit = 1'074'278;
    Real result = 1;
    std::size_t up = 2;
    std::size_t down = 2;
    while (up <= FisherLargestTotal || down <= FisherLargestTotal) {
        std::int64_t numerator = 1;
        for (; up <= FisherLargestTotal && numerator < PieceLimit;)
            if (exponents[up] > 0) {
                numerator *= static_cast<std::int64_t>(up);
                --exponents[up];
            } else {
                ++up;
            }
        std::int64_t denominator = 1;
        for (; down <= FisherLargestTotal && denominator < PieceLimit;)
            if (exponents[down] < 0) {
                denominator *= static_cast<std::int64_t>(down);
                ++exponents[down];
            } else {
                ++down;
            }
        result *= static_cast<Real>(numerator) / static_cast<Real>(denominator);
    }
    return result;
}

FisherResult fisherExactTest(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d)
{
    // Exchanges that keep every table's probability: the top row ends with
    // the smaller share in the left column, so the one-sided tail runs
    // towards a = 0.
    if (d < a)
        std::swap(a, d);
    if (c < b)
        std::swap(b, c);
    if (static_cast<std::int64_t>(c + d) * a > static_cast<std::int64_t>(a + b) * c) {
        std::swap(a, b);
        std::swap(c, d);
    }
    const Real observed = tableProbability(a, b, c, d);
    const Real bound = observed * (1 + FisherRelativeTolerance);
    FisherResult result;
    result.oneSided = observed;
    Real p = observed;
    for (std::int32_t ta = a, tb = b, tc = c, td = d; ta > 0;) {
        ++tb;
        ++tc;
        p *= static_cast<Real>(ta) * td / (static_cast<Real>(tb) * tc);
        --ta;
        --td;
        if (p <= bound)
            result.oneSided += p;
    }
    result.twoSided = result.oneSided;
    if (a + b == c + d || b + d == a + c) {
        // Equal margins make the distribution symmetric: the other tail mirrors this one.
        result.twoSided = 2 * result.oneSided;
    } else {
        p = observed;
        for (std::int32_t ta = a, tb = b, tc = c, td = d; tb > 0;) {
            ++ta;
            ++td;
            p *= static_cast<Real>(tb) * tc / (static_cast<Real>(ta) * td);
            --tb;
            --tc;
            if (p <= bound)
                result.twoSided += p;
        }
    }
    result.twoSided = std::min<Real>(result.twoSided, 1);
    result.oneSided = std::min<Real>(result.oneSided, 1);
    return result;
}

Interval exactProportionInterval(std::int32_t x, std::int32_t n)
{
    // The lower limit is the 2.5% point of Beta(x, n - x + 1), the upper the
    // 97.5% point of Beta(x + 1, n - x): the F-distribution form of the same
    // limits, without the F quantile's coarse search.
    Interval limits{0, 1};
    if (x > 0)
        limits.lower = numeric::BetaQuantile(x, static_cast<Real>(n) - x + 1, 0.025L);
    if (x < n)
        limits.upper = numeric::BetaQuantile(static_cast<Real>(x) + 1, static_cast<Real>(n) - x, 0.975L);
    return limits;
}

TwoByTwoResult computeTwoByTwo(const TwoByTwoInput& input)
{
    TwoByTwoResult result;
    std::array<std::int32_t, 4> counts{};
    result.errorCode = validate(input, counts);
    if (result.errorCode != error_code::None)
        return result;
    result.a = counts[0];
    result.b = counts[1];
    result.c = counts[2];
    result.d = counts[3];
    const Real a = result.a, b = result.b, c = result.c, d = result.d;
    const Real n = a + b + c + d;
    const Real z = numeric::critical_z(2, 0.05L);

    if (input.relativeRisk) {
        result.relativeRisk = c * (a + b) == 0 ? MissingValue : a * (c + d) / (c * (a + b));
        if (a * (a + b) == 0 || c * (c + d) == 0)
            result.relativeRiskLimits = infiniteInterval();
        else
            result.relativeRiskLimits =
                logInterval(result.relativeRisk, std::sqrt(b / (a * (a + b)) + d / (c * (c + d))), z);
    }
    if (input.oddsRatio) {
        result.oddsRatioAdjusted = a == 0 || b == 0 || c == 0 || d == 0;
        const Real shift = result.oddsRatioAdjusted ? 0.5L : 0;
        const Real sa = a + shift, sb = b + shift, sc = c + shift, sd = d + shift;
        result.oddsRatio = sb * sc == 0 ? MissingValue : sa * sd / (sb * sc);
        if (sa * sb * sc * sd == 0)
            result.oddsRatioLimits = infiniteInterval();
        else
            result.oddsRatioLimits = logInterval(result.oddsRatio, std::sqrt(1 / sa + 1 / sb + 1 / sc + 1 / sd), z);
    }
    if (input.proportions) {
        result.topFraction = a / (a + b);
        result.bottomFraction = c / (c + d);
        if (a > 5 && b > 5)
            result.topLimits = exactProportionInterval(result.a, result.a + result.b);
        if (c > 5 && d > 5)
            result.bottomLimits = exactProportionInterval(result.c, result.c + result.d);
        result.difference = std::fabs(result.topFraction - result.bottomFraction);
        const Real pooled = (a + c) / n;
        result.differenceSe = std::sqrt(pooled * (1 - pooled) * (1 / (a + b) + 1 / (c + d)));
        result.differenceLimits = {result.difference - z * result.differenceSe,
                                   result.difference + z * result.differenceSe};
    }

    result.fisher = input.test == core::TwoByTwoTest::Fisher;
    result.chiSquare = input.test == core::TwoByTwoTest::ChiSquare;
    if (result.fisher) {
        if (n > FisherLargestTotal) {
            result.fisherTooLarge = true;
            result.fisherP.oneSided = MissingValue;
            result.chiSquare = true;
        } else {
            result.fisherP = fisherExactTest(result.a, result.b, result.c, result.d);
        }
    }
    if (result.chiSquare) {
        result.chiStatistic = input.yates ? chiSquareYates(a, b, c, d) : chiSquarePlain(a, b, c, d);
        result.chiP = numeric::ChiSquareProbability(1, result.chiStatistic);
        // The approximation needs every expected count, row total times
        // column total over N, above 5 (and some 40 subjects in all).
        const Real r1 = a + b, r2 = c + d, c1 = a + c, c2 = b + d;
        result.smallNumbers =
            n < 2000 && (n <= 40 || r1 * c1 / n <= 5 || r1 * c2 / n <= 5 || r2 * c1 / n <= 5 || r2 * c2 / n <= 5);
    }

    if (input.sensitivity) {
        const auto diagnostic = [](std::int32_t x, std::int32_t total) {
            return TwoByTwoResult::Diagnostic{static_cast<Real>(x) / total, exactProportionInterval(x, total)};
        };
        result.sensitivity = diagnostic(result.a, result.a + result.c);
        result.specificity = diagnostic(result.d, result.d + result.b);
        result.positivePredictive = diagnostic(result.a, result.a + result.b);
        result.negativePredictive = diagnostic(result.d, result.d + result.c);
        if (result.b > 0)
            result.likelihoodRatio = result.sensitivity.value / (1 - result.specificity.value);
    }
    return result;
}

namespace {

void writeAssociation(ResultsBuffer& out, bool significant)
{
    out.Append("The row/column association is ");
    if (!significant)
        out.Append("not ");
    out.AppendLine("statistically significant.");
}

void writeInterval(ResultsBuffer& out, std::string_view label, const Interval& limits)
{
    out.Append(label);
    AppendLimitOrInfinity(out, limits.lower);
    out.Append(" to ");
    AppendLimitOrInfinity(out, limits.upper);
    out.NewLine();
}

void writeChiSquare(ResultsBuffer& out, const TwoByTwoResult& result, const TwoByTwoInput& input)
{
    const bool twoSided = input.tails == Tails::Two;
    WriteContingencyPSentence(out, twoSided ? 2 : 1, true, twoSided ? result.chiP : result.chiP / 2);
    writeAssociation(out, result.chiP <= (twoSided ? 0.05L : 0.1L));
    if (result.smallNumbers) {
        out.NewLine();
        out.AppendLine("Note: With such small values, the chi-square P value");
        out.AppendLine("is not accurate.  Use Fisher's exact test instead.");
    }
    out.NewLine();
    WriteReportHeading(out, "Calculation details:");
    out.Append("Chi-square statistic ");
    out.Append(input.yates ? "(with Yates correction) " : "(no Yates correction) ");
    out.Append("= ");
    AppendLimitOrInfinity(out, result.chiStatistic);
    out.NewLine();
    out.AppendLine("Degrees of freedom = 1");
}

void writeProportions(ResultsBuffer& out, const TwoByTwoResult& result, const TwoByTwoInput& input)
{
    out.NewLine();
    WriteReportHeading(out, "Difference between the two proportions");
    const auto row = [&](std::string_view which, const std::string& title, Real fraction, bool withLimits,
                         const Interval& limits) {
        std::string heading(which);
        heading += " (";
        heading += title;
        heading += "):";
        WriteBoldLine(out, heading);
        out.Append("  Fraction in the left column: ");
        out.AppendNumber(-5, fraction);
        out.NewLine();
        if (withLimits)
            writeInterval(out, "  95% Confidence Interval of that fraction: ", limits);
    };
    row("Top row", input.titles[0], result.topFraction, result.a > 5 && result.b > 5, result.topLimits);
    row("Bottom row", input.titles[1], result.bottomFraction, result.c > 5 && result.d > 5, result.bottomLimits);
    WriteBoldLine(out, "Difference:");
    out.Append("  Difference between the fractions: ");
    out.AppendNumber(-5, result.difference);
    out.NewLine();
    if (result.a > 5 && result.b > 5 && result.c > 5 && result.d > 5) {
        out.Append("  Standard error of the difference: ");
        out.AppendNumber(-5, result.differenceSe);
        out.NewLine();
        writeInterval(out, "  95% confidence interval of difference: ", result.differenceLimits);
    } else {
        out.NewLine();
        out.AppendLine("The standard error and the confidence interval of the difference between");
        out.AppendLine("proportions can only be calculated when each cell is greater than five.");
    }
}

void writeDiagnostics(ResultsBuffer& out, const TwoByTwoResult& result)
{
    out.NewLine();
    WriteReportHeading(out, "Sensitivity and specificity");
    out.ClearTabStops();
    for (const int column : {30, 40, 48, 52})
        out.AddTabStop(column);
    out.NewLine();
    out.ToggleBold();
    out.Append("Variable");
    out.NextTabStop();
    out.Append("Value");
    out.NextTabStop();
    out.Append("95% Confidence Interval");
    out.ToggleBold();
    out.NewLine();
    const auto row = [&](std::string_view name, const TwoByTwoResult::Diagnostic& measure) {
        out.Append(name);
        out.NextTabStop();
        out.AppendNumber(-5, measure.value);
        out.NextTabStop();
        out.AppendNumber(-5, measure.limits.lower);
        out.NextTabStop();
        out.Append("to");
        out.NextTabStop();
        out.AppendNumber(-5, measure.limits.upper);
        out.NewLine();
    };
    row("Sensitivity", result.sensitivity);
    row("Specificity", result.specificity);
    row("Positive Predictive Value", result.positivePredictive);
    row("Negative Predictive Value", result.negativePredictive);
    if (result.b > 0) {
        out.Append("Likelihood Ratio");
        out.NextTabStop();
        out.AppendNumber(-5, result.likelihoodRatio);
        out.NewLine();
    }
}

// Fields at the line's columns 0, 17, 34 and 51, each right-aligned in 15.
void writeField(ResultsBuffer& out, int field, std::string_view text)
{
    out.PadToColumn(1 + 17 * field);
    out.Append(RightJustify(text, 15));
}

void writeCounts(ResultsBuffer& out, std::int32_t left, std::int32_t right, std::int32_t n)
{
    const std::int32_t values[3] = {left, right, left + right};
    for (int i = 0; i < 3; ++i)
        writeField(out, i + 1, std::to_string(values[i]));
    out.NewLine();
    for (int i = 0; i < 3; ++i) {
        out.PadToColumn(1 + 17 * (i + 1));
        AppendPercentLabel(out, 15, static_cast<Real>(values[i]) / n);
    }
    out.NewLine();
}

void writeDataTable(ResultsBuffer& out, const TwoByTwoResult& result, const TwoByTwoInput& input)
{
    const std::int32_t n = result.a + result.b + result.c + result.d;
    out.NewLine();
    WriteReportHeading(out, "Data analyzed");
    out.ToggleBold();
    writeField(out, 1, input.titles[2]);
    writeField(out, 2, input.titles[3]);
    writeField(out, 3, "Total");
    out.NewLine();
    writeField(out, 0, input.titles[0]);
    out.ToggleBold();
    writeCounts(out, result.a, result.b, n);
    out.NewLine();
    out.ToggleBold();
    writeField(out, 0, input.titles[1]);
    out.ToggleBold();
    writeCounts(out, result.c, result.d, n);
    out.ToggleBold();
    out.AppendLine(std::string(65, '-'));
    writeField(out, 0, "Total");
    out.ToggleBold();
    writeCounts(out, result.a + result.c, result.b + result.d, n);
    out.NewLine();
}

}  // namespace

void WriteTwoByTwoText(const TwoByTwoResult& result, const TwoByTwoInput& input, ResultsBuffer& out)
{
    if (result.fisher)
        WriteReportTitle(out, "Fisher's Exact Test");
    else if (result.chiSquare)
        WriteReportTitle(out, "Chi-square Test");
    if (result.fisher && result.fisherTooLarge) {
        out.AppendLine("The numbers are too large for Fisher's exact test.  The");
        out.AppendLine("chi-square approximation was performed instead.");
        out.NewLine();
    } else if (result.fisher) {
        const bool twoSided = input.tails == Tails::Two;
        const Real p = twoSided ? result.fisherP.twoSided : result.fisherP.oneSided;
        WriteContingencyPSentence(out, twoSided ? 2 : 1, true, p);
        writeAssociation(out, p <= 0.05L);
    }
    if (result.chiSquare)
        writeChiSquare(out, result, input);
    if (input.relativeRisk) {
        out.NewLine();
        WriteReportHeading(out, "Relative Risk");
        out.Append("Relative risk = ");
        AppendLimitOrInfinity(out, result.relativeRisk);
        out.NewLine();
        writeInterval(out, "95% Confidence Interval: ", result.relativeRiskLimits);
        out.AppendLine("(using the approximation of Katz.)");
    }
    if (input.oddsRatio) {
        out.NewLine();
        WriteReportHeading(out, "Odds Ratio");
        out.Append("Odds ratio= ");
        AppendLimitOrInfinity(out, result.oddsRatio);
        out.NewLine();
        writeInterval(out, "95% Confidence Interval: ", result.oddsRatioLimits);
        out.AppendLine("(using the approximation of Woolf.)");
        if (result.oddsRatioAdjusted) {
            out.AppendLine("Note that at least one value is zero.  To make calculations possible,");
            out.AppendLine("0.5 was added to each value.");
        }
    }
    if (input.proportions)
        writeProportions(out, result, input);
    if (input.sensitivity)
        writeDiagnostics(out, result);
    writeDataTable(out, result, input);
}

int TwoByTwoAnalysis(const TwoByTwoInput& input, ResultsBuffer& out)
{
    const TwoByTwoResult result = computeTwoByTwo(input);
    if (result.errorCode == error_code::None)
        WriteTwoByTwoText(result, input, out);
    return result.errorCode;
}

}  // namespace ombrix::analyses
