#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/golden_file.h"
#include "tests/workflow/report_fixture.h"

// The t test reports as the results step produces them, from typed data sets.
//
// Where the numbers in the golden files come from (R 4, checked line by line):
// - t, df and P: t.test(); P printed to four decimals. The program's t
//   probability uses a continued fraction with a 3e-7 tolerance, far below
//   the fourth decimal for these data.
// - The 95% interval of a difference uses the tests' own critical t: the
//   three-decimal table up to 13 df, above that 1.96·df/(df − 1.20722). The
//   expected limits are difference ∓ that value × SE computed in R, and
//   differ from t.test()'s conf.int in the fifth significant digit.
// - Welch: the df is truncated to an integer before P and the critical t are
//   taken, so P is 2·pt(−t, floor(df)), not t.test()'s P with fractional df.
// - F test: var.test() (larger variance over smaller, P doubled).
// - Column summaries: mean, sd, median of R; their limits use the column
//   statistics' three-decimal critical t (qt(0.975, df) rounded).
// - KS and its P: the Kolmogorov-Smirnov distance against pt(z, 5000) (the
//   program's normal function throughout) with the column's mean and SD, and
//   the Dallal-Wilkinson formula evaluated in R; pnorm moves KS in the fifth
//   decimal only.
// - Pairing: cor.test()'s r, and its two-tailed P halved.
namespace ombrix::workflow::testing {
namespace {

using core::DataFormat;

struct ReportCase {
    const char* golden;
    std::function<void(ReportFixture&)> setUp;
};

void PrintTo(const ReportCase& c, std::ostream* os) { *os << c.golden; }

void oneColumn(ReportFixture& f, Real hypothetical, bool twoSided)
{
    f.dataSet->choices.HypotheticalChoice = 3;
    f.dataSet->choices.HypotheticalValue = hypothetical;
    f.dataSet->choices.OneColTwoSided = twoSided;
}

enum class Design { Paired, Unpaired, Welch };

void twoColumns(ReportFixture& f, Design design, bool twoSided)
{
    f.dataSet->choices.TwoColUnpaired = design != Design::Paired;
    f.dataSet->choices.TwoColEqualSD = design != Design::Welch;
    f.dataSet->choices.TwoColTwoSided = twoSided;
}

// Mean, SD or SEM (whichever the format shows first) and N typed into the
// summary grid of a column.
void typedSummary(ReportFixture& f, int column, const char* mean, const char* spread, const char* n,
                  const char* title)
{
    core::enterSummaryText(*f.dataSet, 2, column, mean, '.');
    core::enterSummaryText(*f.dataSet, 3, column, spread, '.');
    core::enterSummaryText(*f.dataSet, 4, column, n, '.');
    f.dataSet->table.setColumnTitle(column, title);
}

void pairedEffectiveData(ReportFixture& f)
{
    f.column(0, {"142", "138", "150", "161", "128", "145", "155", "133", "147", "140"}, "Before");
    f.column(1, {"135", "132", "146", "150", "125", "140", "147", "130", "139", "137"}, "After");
}

void pairedNotEffectiveData(ReportFixture& f)
{
    f.column(0, {"12.1", "14.3", "11.8", "13.5", "12.9", "14.0", "13.2", "12.4"}, "Left");
    f.column(1, {"11.4", "12.2", "12.9", "12.6", "11.0", "12.8", "13.6", "11.3"}, "Right");
}

void sdDifferData(ReportFixture& f)
{
    f.column(0, {"10.2", "11.1", "9.8", "10.5", "10.9", "10.1", "10.4", "10.7"}, "Steady");
    f.column(1, {"12.5", "8.4", "15.1", "9.9", "14.2", "7.6", "13.8", "11.0", "16.3"}, "Erratic");
}

const ReportCase reportCases[] = {
    // n 10, H 100: t 1.4821, df 9, P 0.1725; interval −1.12 ∓ 2.262·0.75569.
    {"t_test_one_sample",
     [](ReportFixture& f) {
         f.column(0, {"98.2", "101.5", "97.8", "103.1", "99.4", "96.7", "100.9", "95.3", "98.8", "97.1"}, "Weight");
         oneColumn(f, 100, true);
     }},
    // Skewed, H 2, one-tailed: t 1.3879, P/2 0.0993; KS 0.34, P 0.0017 fails.
    {"t_test_one_sample_one_tailed",
     [](ReportFixture& f) {
         f.column(0, {"1", "1", "1", "1", "2", "2", "3", "8", "15", "40"}, "Counts");
         oneColumn(f, 2, false);
     }},
    // Four values, H 4 (by hand; t with 3 df has a closed-form
    // distribution): mean 4.8, SD 1.02956, t 1.5541, P 0.2180; interval
    // 0.8 ∓ 3.182·0.51478. Too few values for the normality test.
    {"t_test_one_sample_four_values",
     [](ReportFixture& f) {
         f.column(0, {"4.1", "5.3", "3.8", "6.0"}, "Yield");
         oneColumn(f, 4, true);
     }},
    // Typed mean 12.5, SEM 0.8, N 15 against 10, one-tailed: SD 3.0984,
    // t 3.125, df 14, P/2 0.0037; interval 2.5 ∓ 2.14496·0.8; no normality.
    {"t_test_summary_one_sample",
     [](ReportFixture& f) {
         f.dataSet->chooseFormat(DataFormat::MeanSEMN);
         typedSummary(f, 0, "12.5", "0.8", "15", "Dose");
         oneColumn(f, 10, false);
     }},
    // Mean difference 5.8, t 6.7936, df 9, P 7.96e-5 (< 0.0001); r 0.97825,
    // P 9.53e-7.
    {"t_test_paired", [](ReportFixture& f) {
         pairedEffectiveData(f);
         twoColumns(f, Design::Paired, true);
     }},
    // Four pairs (by hand, closed-form t with 3 and 2 df): differences 1.9,
    // 2.6, 1.2, 2.5, mean 2.05, SD 0.64550, t 6.3517, P 0.0079; interval
    // 2.05 ∓ 3.182·0.32275; r 0.98602, P/2 0.0070. Too few differences for
    // the normality test.
    {"t_test_paired_four_pairs",
     [](ReportFixture& f) {
         f.column(0, {"12.0", "15.5", "11.2", "14.1"}, "Left");
         f.column(1, {"10.1", "12.9", "10.0", "11.6"}, "Right");
         twoColumns(f, Design::Paired, true);
     }},
    // One-tailed: t 2.0881, df 7, P/2 0.0376; r 0.28217, P/2 0.2492.
    {"t_test_paired_not_effective",
     [](ReportFixture& f) {
         pairedNotEffectiveData(f);
         twoColumns(f, Design::Paired, false);
     }},
    // Every decimal difference is 0.1, although the binary ones differ in
    // their last bits: no t, the SD message, SD and SEM 0 in the summary.
    {"t_test_paired_zero_sd",
     [](ReportFixture& f) {
         f.column(0, {"1.3", "2.4", "5.6", "7.7"}, "Morning");
         f.column(1, {"1.2", "2.3", "5.5", "7.6"}, "Evening");
         twoColumns(f, Design::Paired, true);
     }},
    // n 8 and 7, df 13, table value 2.160: t 4.5411, P 0.0006; F 1.1635
    // (6, 7 df), P 0.8368.
    {"t_test_unpaired",
     [](ReportFixture& f) {
         f.column(0, {"4.2", "5.1", "3.8", "4.9", "5.5", "4.4", "4.7", "5.0"}, "Control");
         f.column(1, {"5.8", "6.3", "5.1", "6.9", "5.6", "6.1", "6.4"}, "Treated");
         twoColumns(f, Design::Unpaired, true);
     }},
    // df 15 from the formula (2.13155): t 1.4930, P 0.1562; F 49.916 (8, 7
    // df), P < 0.0001, with the advice lines.
    {"t_test_unpaired_unequal_sd", [](ReportFixture& f) {
         sdDifferData(f);
         twoColumns(f, Design::Unpaired, true);
     }},
    // The same data with Welch: df 8.36 truncated to 8 (2.306), t 1.5855,
    // P 0.1515; no F test.
    {"t_test_welch", [](ReportFixture& f) {
         sdDifferData(f);
         twoColumns(f, Design::Welch, true);
     }},
    // Typed 52.3/6.1/12 and 58.9/7.4/10: t 2.2951, df 20, P 0.0327;
    // interval 6.6 ∓ 2.08591·2.87571; F 1.4716 (9, 11 df), P 0.5377.
    {"t_test_summary_unpaired",
     [](ReportFixture& f) {
         f.dataSet->chooseFormat(DataFormat::MeanSDN);
         typedSummary(f, 0, "52.3", "6.1", "12", "Placebo");
         typedSummary(f, 1, "58.9", "7.4", "10", "Drug");
         twoColumns(f, Design::Unpaired, true);
     }},
    // Values near the top of the extended range, whose squares overflow:
    // the same report as for 1, 2, 3 against 2, 3, 4 with every number
    // times 1E2500 (by hand: SDs 1, pooled SE sqrt(2/3), t 1.2247 with 4 df,
    // P 0.2879; F 1, P 1).
    {"t_test_unpaired_near_range_top",
     [](ReportFixture& f) {
         f.column(0, {"1E2500", "2E2500", "3E2500"}, "Low");
         f.column(1, {"2E2500", "3E2500", "4E2500"}, "High");
         twoColumns(f, Design::Unpaired, true);
     }},
    {"t_test_error_40",
     [](ReportFixture& f) {
         f.column(0, {"5", "5", "5"}, "Flat");
         oneColumn(f, 0, true);
     }},
    {"t_test_error_42",
     [](ReportFixture& f) {
         f.dataSet->chooseFormat(DataFormat::MeanSDN);
         typedSummary(f, 0, "52.3", "6.1", "12", "Placebo");
         oneColumn(f, 50, true);
         f.dataSet->choices.OneColNonParametric = true;
     }},
    {"t_test_error_44",
     [](ReportFixture& f) {
         f.column(0, {"1", "2", "3"}, "Raw");
         typedSummary(f, 1, "2.5", "1.1", "3", "Typed");
         twoColumns(f, Design::Paired, true);
     }},
    // Column B has one value: SEM 0 (code 40), replaced by 49.
    {"t_test_error_49",
     [](ReportFixture& f) {
         f.column(0, {"1", "2", "3"}, "Several");
         f.column(1, {"4"}, "Single");
         twoColumns(f, Design::Unpaired, true);
     }},
    // Two values in each column, but only row 2 holds both.
    {"t_test_error_50",
     [](ReportFixture& f) {
         f.column(0, {"1", "2", ""}, "First");
         f.column(1, {"", "3", "4"}, "Second");
         twoColumns(f, Design::Paired, true);
     }},
};

constexpr const char* PairingHeading = "Assumption test: Was the pairing effective?";

// Splits a report into its lines, without line ends and style marks.
std::vector<std::string> plainLines(const std::string& report)
{
    std::vector<std::string> lines;
    const std::string plain = analyses::stripMarks(report);
    std::size_t start = 0;
    for (std::size_t end = plain.find("\r\n"); end != std::string::npos; end = plain.find("\r\n", start)) {
        lines.push_back(plain.substr(start, end - start));
        start = end + 2;
    }
    lines.push_back(plain.substr(start));
    return lines;
}

// The lines under the pairing heading, up to the next heading.
std::vector<std::string> pairingSection(const std::string& report)
{
    std::vector<std::string> section;
    const std::vector<std::string> lines = plainLines(report);
    std::size_t i = 0;
    while (i < lines.size() && lines[i] != PairingHeading)
        ++i;
    for (++i; i < lines.size() && lines[i].rfind("Assumption test:", 0) != 0; ++i)
        section.push_back(lines[i]);
    return section;
}

class TTestReport : public ::testing::TestWithParam<ReportCase> {};

TEST_P(TTestReport, MatchesGolden)
{
    ReportFixture fixture;
    GetParam().setUp(fixture);
    EXPECT_TRUE(ombrix::testing::matchesGolden(fixture.calculate(), std::string("reports/") + GetParam().golden + ".txt"));
}

INSTANTIATE_TEST_SUITE_P(Reports, TTestReport, ::testing::ValuesIn(reportCases),
                         [](const ::testing::TestParamInfo<ReportCase>& info) { return std::string(info.param.golden); });

struct PairingCase {
    const char* name;
    std::function<void(ReportFixture&)> setUp;
    std::vector<std::string> expected;
};

void PrintTo(const PairingCase& c, std::ostream* os) { *os << c.name; }

// The branches of the pairing check that the golden reports do not reach
// (r from cor.test()).
const PairingCase pairingCases[] = {
    // r −0.9756.
    {"Negative",
     [](ReportFixture& f) {
         f.column(0, {"5.1", "6.3", "4.8", "7.2", "5.9", "6.6"});
         f.column(1, {"6.0", "4.9", "6.8", "4.1", "5.5", "5.0"});
     },
     {"Correlation coefficient (r) = -0.9756", "The negative correlation coefficient indicates that the pairing or",
      "matching was NOT effective.", ""}},
    {"ThreePairs",
     [](ReportFixture& f) {
         f.column(0, {"1", "2", "4"});
         f.column(1, {"1.5", "1", "2"});
     },
     {"There are too few pairs to calculate r.", ""}},
    {"ConstantColumn",
     [](ReportFixture& f) {
         f.column(0, {"1", "2", "4", "7", "3"});
         f.column(1, {"2", "2", "2", "2", "2"});
     },
     {"Can't calculate r. One group has no variability.", ""}},
    // Column B varies only in the row without a partner: its paired values
    // are constant, so there is no r (and no correlation error either).
    {"ConstantPairedValues",
     [](ReportFixture& f) {
         f.column(0, {"1", "2", "4", "7", "3", ""});
         f.column(1, {"2", "2", "2", "2", "2", "9"});
     },
     {"Can't calculate r. One group has no variability.", ""}},
};

class PairingSection : public ::testing::TestWithParam<PairingCase> {};

TEST_P(PairingSection, ReportsTheCorrelationOfThePairs)
{
    ReportFixture fixture;
    GetParam().setUp(fixture);
    twoColumns(fixture, Design::Paired, true);
    EXPECT_EQ(pairingSection(fixture.calculate()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Paired, PairingSection, ::testing::ValuesIn(pairingCases),
                         [](const ::testing::TestParamInfo<PairingCase>& info) { return std::string(info.param.name); });

// Nonparametric requests on raw columns go to the rank tests, whose reports
// are checked with them; here only that no t test answers instead.
TEST(NonparametricRequest, IsNotAnsweredByATTest)
{
    for (const int columns : {1, 2}) {
        for (const bool paired : {false, true}) {
            ReportFixture f;
            f.column(0, {"3.1", "4.7", "2.2", "5.9", "4.4"}, "First");
            if (columns == 2)
                f.column(1, {"2.8", "4.1", "2.9", "5.0", "3.6"}, "Second");
            f.dataSet->choices.OneColNonParametric = true;
            f.dataSet->choices.TwoColNonParametric = true;
            twoColumns(f, paired ? Design::Paired : Design::Unpaired, true);
            const std::string report = f.calculate();
            for (const char* title : {"One sample t test", "Paired t test", "Unpaired t test"})
                EXPECT_EQ(report.find(title), std::string::npos) << columns << paired << title;
            EXPECT_EQ(report.find("not available yet"), std::string::npos);
        }
    }
}

}  // namespace
}  // namespace ombrix::workflow::testing
