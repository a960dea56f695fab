#include "analyses/t_tests.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <string_view>
#include <utility>
#include <vector>

#include "analyses/analyses.h"
#include "analyses/column_tables.h"
#include "analyses/correlation.h"
#include "analyses/error_codes.h"
#include "analyses/fault_guard.h"
#include "analyses/paired_differences.h"
#include "analyses/rank_tests.h"
#include "analyses/report_writers.h"
#include "numeric/probability.h"

namespace ombrix::analyses {

namespace {

// The Welch-Satterthwaite df is an exact integer in many designs (equal
// variances and sizes give n1 + n2 − 2), and rounding in its quotient may
// land a few units in the last place below it; truncating that would lose a
// whole degree of freedom. This margin is far above that rounding and far
// below any fraction a real design produces.
constexpr Real WelchDfRounding = 1e-12L;

bool hasSpread(const core::ColumnRecord& column)
{
    return !isMissing(column.mean) && !isMissing(column.sd) && !isMissing(column.sem) && column.sd > 0 &&
           column.sem > 0;
}

// The interval and P value shared by all three tests once the difference,
// its standard error and the df are known.
void finishTest(TTestResult& result)
{
    result.t = std::fabs(result.difference / result.standardError);
    result.criticalT = criticalT(result.df);
    result.lower = result.difference - result.criticalT * result.standardError;
    result.upper = result.difference + result.criticalT * result.standardError;
    result.p = numeric::TProbability(result.df, result.t);
}

int welchDf(Real a, Real b, int n1, int n2)
{
    const Real df = (a + b) * (a + b) / (a * a / (n1 - 1) + b * b / (n2 - 1));
    const Real truncated = std::floor(df * (1 + WelchDfRounding));
    if (!(truncated <= static_cast<Real>(INT_MAX)))
        throw IntegerFault(IntegerFault::Kind::Overflow);
    return static_cast<int>(truncated);
}

FTestResult equalVarianceTest(const core::ColumnRecord& first, const core::ColumnRecord& second)
{
    FTestResult test;
    if (second.sd < first.sd) {
        const Real ratio = first.sd / second.sd;
        test.f = ratio * ratio;
        test.numeratorDf = first.n - 1;
        test.denominatorDf = second.n - 1;
    } else {
        const Real ratio = second.sd / first.sd;
        test.f = ratio * ratio;
        test.numeratorDf = second.n - 1;
        test.denominatorDf = first.n - 1;
    }
    test.p = 2 * numeric::FProbability(test.numeratorDf, test.denominatorDf, test.f);
    return test;
}

// --- report pieces ---------------------------------------------------------

void writeTLine(ResultsBuffer& out, std::string_view label, const TTestResult& result)
{
    out.Append(label);
    out.AppendNumber(-5, result.t);
    out.Append(" with ");
    out.AppendInteger(result.df);
    out.AppendLine(" degrees of freedom.");
}

void writeTransformAdvice(ResultsBuffer& out)
{
    out.AppendLine("Consider using a nonparametric test or transforming the data ");
    out.AppendLine("(i.e. converting to logarithms or reciprocals). ");
}

// KS and its P for one column, and whether the column passed (P of exactly
// 0.05 passes here). Too few values for the test give no verdict, as in the
// statistics grid and the unpaired test's table.
void writeNormalityVerdict(ResultsBuffer& out, const NormalityResult& normality)
{
    if (isMissing(normality.ks)) {
        out.AppendLine("   Too few values to test.");
        return;
    }
    out.Append("   The Kolmogorov-Smirnov distance (KS) is ");
    out.AppendNumberInWidth(6, 2, normality.ks);
    out.NewLine();
    out.Append("   The P value is ");
    if (normality.p > 0.10L) {
        out.Append(">0.10");
    } else if (normality.p < 0.0001L) {
        out.Append("<0.0001");
        out.NewLine();
    } else {
        out.AppendNumber(4, normality.p);
    }
    out.NewLine();
    if (normality.p < 0.05L) {
        out.AppendLine("The data failed the normality test with P<0.05.");
        writeTransformAdvice(out);
    } else {
        out.AppendLine("The data passed the normality test with P>0.05.");
    }
}

void writeConfidenceLimits(ResultsBuffer& out, const TTestResult& result)
{
    out.AppendNumber(-5, result.lower);
    out.Append(" to ");
    out.AppendNumber(-5, result.upper);
}

// --- one-sample t test -----------------------------------------------------

void writeOneSampleReport(ResultsBuffer& out, const core::ColumnRecord& column, Real hypothetical, Tails tails,
                          const TTestResult& result, const NormalityResult* normality)
{
    out.NewLine();
    WriteReportTitle(out, "One sample t test");
    out.Append("Does the mean of ");
    out.Append(column.title);
    out.Append(" differ significantly from ");
    out.AppendNumber(-5, hypothetical);
    out.AppendLine("? ");
    out.NewLine();

    WriteReportHeading(out, "P value");
    WriteTailedPValue(out, tails, result.p / 2);
    out.NewLine();

    writeTLine(out, "t = ", result);
    out.NewLine();

    WriteReportHeading(out, "95% Confidence interval");
    out.Append("Mean difference = ");
    out.AppendNumber(-5, result.difference);
    out.Append(" (Mean of ");
    out.Append(column.title);
    out.Append(" minus ");
    out.AppendNumber(-5, hypothetical);
    out.AppendLine(") ");
    out.AppendLine("The 95% confidence interval of the difference:");
    out.Append("   ");
    writeConfidenceLimits(out, result);
    out.NewLine();
    out.NewLine();

    if (normality) {
        WriteReportHeading(out, "Assumption test: Are the data sampled from a Gaussian distribution?");
        out.AppendLine("The one sample t test assumes that the differences are sampled from a ");
        out.AppendLine("Gaussian distribution. This assumption is tested using the ");
        out.AppendLine("method of Kolmogorov and Smirnov:");
        writeNormalityVerdict(out, *normality);
    }

    out.NewLine();
    out.NewLine();
    WriteReportTitle(out, "Summary of Data");
    WriteParameterBlock(out, &column, nullptr, nullptr);
}

int runOneSampleTTest(const DataTable& table, const OneColumnTestInput& input, ResultsBuffer& out)
{
    const core::ColumnRecord column = summarizeColumn(table, input.column);
    const TTestResult result = oneSampleT(column, input.hypotheticalValue);
    if (result.errorCode != error_code::None)
        return result.errorCode;
    const int raw = input.column.rawColumn;
    const bool rawData = raw >= 0 && !table.meanEntry(raw);
    NormalityResult normality;
    if (rawData)
        normality = NormalityTest(table, raw, column.mean, column.sd);
    writeOneSampleReport(out, column, input.hypotheticalValue, input.tails, result, rawData ? &normality : nullptr);
    return error_code::None;
}

// --- unpaired t test -------------------------------------------------------

void writeEqualVarianceSection(ResultsBuffer& out, const FTestResult& fTest)
{
    WriteReportHeading(out, "Assumption test: Are the standard deviations equal?");
    out.AppendLine("The t test assumes that the columns come from populations with equal SDs.");
    out.AppendLine("The following calculations test that assumption.");
    out.NewLine();
    out.Append("F = ");
    out.AppendNumber(-5, fTest.f);
    out.NewLine();
    WritePValueSentence(out, 0, false, fTest.p);
    out.AppendLine("This test suggests that the difference between the two SDs is");
    AppendSignificanceWords(out, fTest.p);
    out.Append("significant.  ");
    if (fTest.p < 0.05L) {
        out.AppendLine("Since the t test assumes populations with equal");
        out.AppendLine("SDs, you should consider transforming your data (reciprocal or log),");
        out.AppendLine("selecting a nonparametric test, or selecting the alternate (Welch) t test.");
    } else {
        out.NewLine();
    }
}

void writeUnpairedNormalitySection(ResultsBuffer& out, const core::ColumnRecord& first, bool firstTyped,
                                   const core::ColumnRecord& second, bool secondTyped)
{
    out.NewLine();
    WriteReportHeading(out, "Assumption test: Are the data sampled from Gaussian distributions?");
    out.AppendLine("The t test assumes that the data are sampled from populations that follow ");
    out.AppendLine("Gaussian distributions. This assumption is tested using the method ");
    out.AppendLine("Kolmogorov and Smirnov:");
    WriteNormalityTable(out, {{first, firstTyped}, {second, secondTyped}});
    // Unlike the single-column verdict, a P of exactly 0.05 counts as failed here.
    const auto failed = [](const core::ColumnRecord& c) { return !isMissing(c.normalityP) && c.normalityP <= 0.05L; };
    if (failed(first) || failed(second)) {
        out.NewLine();
        out.AppendLine("At least one column failed the normality test with P<0.05.");
        writeTransformAdvice(out);
    }
    out.NewLine();
}

void writeUnpairedReport(ResultsBuffer& out, const core::ColumnRecord& first, const core::ColumnRecord& second,
                         const TwoColumnTestInput& input, const UnpairedTResult& result)
{
    const bool welch = input.variances == Variances::Welch;
    const TTestResult& test = result.test;

    WriteReportTitle(out, welch ? "Unpaired t test with Welch correction" : "Unpaired t test");
    out.Append("Do the means of ");
    out.Append(first.title);
    out.Append(" and ");
    out.Append(second.title);
    out.AppendLine(" differ significantly?");
    out.NewLine();

    WriteReportHeading(out, "P value");
    WriteTailedPValue(out, input.tails, test.p / 2);
    if (welch)
        out.AppendLine("Welch correction applied. This test does not assume equal variances.");
    out.NewLine();

    writeTLine(out, welch ? "Welch's approximate t = " : "t = ", test);
    out.NewLine();

    WriteReportHeading(out, "95% confidence interval");
    out.Append("Mean difference = ");
    out.AppendNumber(-5, test.difference);
    out.Append(" (Mean of ");
    out.Append(second.title);
    out.Append(" minus mean of ");
    out.Append(first.title);
    out.AppendLine(") ");
    out.Append("The 95% confidence interval of the difference: ");
    writeConfidenceLimits(out, test);
    out.NewLine();
    out.NewLine();

    if (!welch)
        writeEqualVarianceSection(out, result.fTest);
    writeUnpairedNormalitySection(out, first, input.first.rawColumn < 0, second, input.second.rawColumn < 0);

    WriteReportTitle(out, "Summary of Data");
    WriteParameterBlock(out, &first, &second, nullptr);
}

int runUnpairedTTest(const DataTable& table, const TwoColumnTestInput& input, ResultsBuffer& out)
{
    const core::ColumnRecord first = summarizeColumn(table, input.first);
    const core::ColumnRecord second = summarizeColumn(table, input.second);
    const UnpairedTResult result = unpairedT(first, second, input.variances);
    if (result.test.errorCode == error_code::None)
        writeUnpairedReport(out, first, second, input, result);
    return result.test.errorCode;
}

// --- paired t test ---------------------------------------------------------

void writePairingSection(ResultsBuffer& out, const PairedTResult& result)
{
    WriteReportHeading(out, "Assumption test: Was the pairing effective?");
    switch (result.pairing) {
    case PairingCheck::TooFewPairs: out.AppendLine("There are too few pairs to calculate r."); break;
    case PairingCheck::NoVariability: out.AppendLine("Can't calculate r. One group has no variability."); break;
    case PairingCheck::Computed:
        out.Append("Correlation coefficient (r) = ");
        out.AppendNumber(-5, result.r);
        out.NewLine();
        if (result.r < 0) {
            out.AppendLine("The negative correlation coefficient indicates that the pairing or");
            out.AppendLine("matching was NOT effective.");
        } else {
            // Pairing can only be judged effective by a positive r, so its
            // test is one-tailed whatever tails the t test uses.
            const Real oneTailedP = result.rP / 2;
            WritePValueSentence(out, 1, true, oneTailedP);
            out.AppendLine("Effective pairing results in a significant correlation between the columns.");
            out.Append("With these data, the pairing (or matching) appears ");
            if (oneTailedP <= 0.05L) {
                out.AppendLine("to be effective.");
            } else {
                out.AppendLine("not to be effective.");
                out.AppendLine("The unpaired test may be more appropriate.");
            }
        }
        break;
    }
    out.NewLine();
}

void writePairedReport(ResultsBuffer& out, const TwoColumnTestInput& input, const PairedTResult& result)
{
    const TTestResult& test = result.test;

    WriteReportTitle(out, "Paired t test");
    out.Append("Does the mean of the differences between ");
    out.Append(result.first.title);
    out.Append(" and ");
    out.AppendLine(result.second.title);
    out.AppendLine(" differ significantly from zero?");
    out.NewLine();

    WriteReportHeading(out, "P value");
    if (!result.zeroSd)
        WriteTailedPValue(out, input.tails, test.p / 2);
    out.NewLine();

    if (!result.zeroSd) {
        writeTLine(out, "t = ", test);
        out.NewLine();
    }

    WriteReportHeading(out, "95% confidence interval");
    out.Append("Mean difference = ");
    out.AppendNumber(-5, test.difference);
    out.AppendLine(" (Mean of paired differences)");
    if (result.zeroSd) {
        out.NewLine();
        out.AppendLine("The t test cannot be performed when the standard deviation");
        out.AppendLine("is zero. ");
        out.MarkNoResult();
    } else {
        out.Append("The 95% confidence interval of the difference: ");
        writeConfidenceLimits(out, test);
        out.NewLine();
        out.NewLine();

        writePairingSection(out, result);

        WriteReportHeading(out, "Assumption test: Are the differences sampled from a Gaussian distribution?");
        out.AppendLine("The paired t test assumes that the differences are sampled from a ");
        out.AppendLine("Gaussian distribution. This assumption is tested using the ");
        out.AppendLine("method of Kolmogorov and Smirnov:");
        writeNormalityVerdict(out, result.normality);
        out.NewLine();
    }

    WriteReportTitle(out, "Summary of Data");
    WriteParameterBlock(out, &result.first, &result.second, &result.differences);
}

int runPairedTTest(const DataTable& table, const TwoColumnTestInput& input, ResultsBuffer& out)
{
    const PairedTResult result = pairedT(table, input.first, input.second);
    if (result.test.errorCode == error_code::None)
        writePairedReport(out, input, result);
    return result.test.errorCode;
}

}  // namespace

// --- computations ------------------------------------------------------------

Real criticalT(int df)
{
    static constexpr std::array<Real, 14> Table = {0,      12.706L, 4.303L, 3.182L, 2.776L, 2.571L, 2.447L,
                                                   2.365L, 2.306L,  2.262L, 2.228L, 2.201L, 2.179L, 2.160L};
    if (df < 1)
        return 0;
    if (df < static_cast<int>(Table.size()))
        return Table[df];
    return 1.96L * df / (df - 1.20722L);
}

Real tRatio(int n, Real sd, Real hypothetical, Real mean)
{
    return std::fabs(mean - hypothetical) / (sd / std::sqrt(static_cast<Real>(n)));
}

Real pooledVariance(int n1, int n2, Real sd1, Real sd2)
{
    const Real df1 = static_cast<Real>(n1) - 1;
    const Real df2 = static_cast<Real>(n2) - 1;
    return (df1 * sd1 * sd1 + df2 * sd2 * sd2) / (df1 + df2);
}

core::ColumnRecord summarizeColumn(const DataTable& table, const ColumnInput& column)
{
    core::ColumnRecord record;
    if (column.rawColumn < 0) {
        record = column.record;
        ComputeSummaryColumnStatistics(record);
        return record;
    }
    record = ComputeRawColumnStatistics(table, column.rawColumn);
    record.title = column.record.title;
    setNormality(record, NormalityTest(table, column.rawColumn, record.mean, record.sd));
    return record;
}

TTestResult oneSampleT(const core::ColumnRecord& column, Real hypothetical)
{
    TTestResult result;
    if (!hasSpread(column))
        result.errorCode = error_code::ZeroSd;
    if (column.n < 2)
        result.errorCode = error_code::SingleValueInColumn;
    if (result.errorCode != error_code::None)
        return result;

    result.difference = column.mean - hypothetical;
    result.df = column.n - 1;
    result.standardError = column.sd / std::sqrt(static_cast<Real>(column.n));
    finishTest(result);
    return result;
}

UnpairedTResult unpairedT(const core::ColumnRecord& first, const core::ColumnRecord& second, Variances variances)
{
    UnpairedTResult result;
    TTestResult& test = result.test;
    if (!hasSpread(first) || !hasSpread(second))
        test.errorCode = error_code::ZeroSd;
    if (first.n < 2 || second.n < 2)
        test.errorCode = error_code::SingleValueInColumn;
    if (test.errorCode != error_code::None)
        return result;

    const int n1 = first.n;
    const int n2 = second.n;
    test.difference = second.mean - first.mean;
    // The variances are taken of the SDs over a power of two near the larger
    // one, so SDs whose squares overflow still give their standard error;
    // ordinary SDs give the very same bits.
    const Real scale = powerOfTwoScale(std::max(first.sd, second.sd));
    const Real sd1 = first.sd / scale;
    const Real sd2 = second.sd / scale;
    if (variances == Variances::Equal) {
        const Real variance = pooledVariance(n1, n2, sd1, sd2);
        test.standardError = std::sqrt(variance * (Real(n1) + n2) / (Real(n1) * n2)) * scale;
        test.df = checkedAdd(n1 - 1, n2 - 1);
    } else {
        const Real a = sd1 * sd1 / n1;
        const Real b = sd2 * sd2 / n2;
        test.standardError = std::sqrt(a + b) * scale;
        test.df = welchDf(a, b, n1, n2);
    }
    finishTest(test);
    result.fTest = equalVarianceTest(first, second);
    return result;
}

PairedTResult pairedT(const DataTable& table, const ColumnInput& first, const ColumnInput& second)
{
    PairedTResult result;
    TTestResult& test = result.test;
    if (first.rawColumn < 0 || second.rawColumn < 0) {
        test.errorCode = error_code::PairedNeedsRawData;
        return result;
    }
    result.first = summarizeColumn(table, first);
    result.second = summarizeColumn(table, second);
    if (result.first.n < 2 || result.second.n < 2) {
        test.errorCode = error_code::SingleValueInColumn;
        return result;
    }

    const PairedDifferences paired = pairedDifferences(table, first.rawColumn, second.rawColumn);
    result.differences = paired.summary;
    const core::ColumnRecord& differences = result.differences;
    if (differences.n < 2) {
        test.errorCode = error_code::SinglePair;
        return result;
    }

    test.difference = differences.mean;
    test.df = differences.n - 1;
    if (paired.allEqual()) {
        result.zeroSd = true;
        return result;
    }
    test.standardError = differences.sd / std::sqrt(static_cast<Real>(differences.n));
    finishTest(test);

    if (differences.n <= 3) {
        result.pairing = PairingCheck::TooFewPairs;
    } else if (!(result.first.sem > 0 && result.second.sem > 0)) {
        result.pairing = PairingCheck::NoVariability;
    } else {
        // The columns vary, but their paired values may not (the values
        // that vary may sit in rows without a partner). The correlation
        // then refuses with its own code, which is no error of the t test.
        const PearsonResult pearson = ComputePearson(table, first.rawColumn, second.rawColumn);
        if (pearson.errorCode != error_code::None || isMissing(pearson.r) || isMissing(pearson.p)) {
            result.pairing = PairingCheck::NoVariability;
        } else {
            result.pairing = PairingCheck::Computed;
            result.r = pearson.r;
            result.rP = pearson.p;
        }
    }
    result.normality = normalityOfValues(paired.values, differences.mean, differences.sd);
    return result;
}

// --- dispatch ----------------------------------------------------------------

int OneColumnTest(const DataTable& table, const OneColumnTestInput& input, ResultsBuffer& out,
                  ProgressReporter& progress)
{
    if (!input.nonParametric)
        return runOneSampleTTest(table, input, out);
    if (input.column.rawColumn < 0)
        return error_code::NonparametricNeedsRawData;
    return WriteWilcoxonOneSampleReport(table, input.column.rawColumn, input.column.record, input.hypotheticalValue,
                                        input.tails, out, progress);
}

int TwoColumnTest(const DataTable& table, const TwoColumnTestInput& input, ResultsBuffer& out,
                  ProgressReporter& progress)
{
    if (input.nonParametric) {
        if (input.first.rawColumn < 0 || input.second.rawColumn < 0)
            return error_code::NonparametricNeedsRawData;
        return WriteRankTwoColumnReport(table, input.first.rawColumn, input.second.rawColumn, input.first.record,
                                        input.second.record, input.pairing, input.tails, out, progress);
    }
    if (input.pairing == Pairing::Unpaired)
        return runUnpairedTTest(table, input, out);
    return runPairedTTest(table, input, out);
}

}  // namespace ombrix::analyses
