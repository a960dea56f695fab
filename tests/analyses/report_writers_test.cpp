#include "analyses/report_writers.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analyses/error_codes.h"
#include "analyses/report_chars.h"
#include "tests/support/golden_file.h"

namespace ombrix::analyses {
namespace {

using testing::matchesGolden;

struct SentenceCase {
    int tails;
    bool withVerdict;
    Real p;
    const char* expected;
};

TEST(ReportWriters, PValueSentence)
{
    const SentenceCase cases[] = {
        {2, true, 0.0034L, "The two-tailed P value is 0.0034, considered very significant."},
        {1, true, 0.0001L, "The one-tailed P value is < 0.0001, considered extremely significant."},
        {2, true, 0.00012L, "The two-tailed P value is 0.0001, considered extremely significant."},
        {2, true, 0.9999L, "The two-tailed P value is > 0.9999, considered not significant."},
        {2, true, 0.99989L, "The two-tailed P value is 0.9999, considered not significant."},
        {0, true, 0.0312L, "The P value is 0.0312, considered significant."},
        {2, true, 0.05L, "The two-tailed P value is 0.0500, considered not quite significant."},
        {2, false, 0.0312L, "The two-tailed P value is 0.0312. "},
        {3, false, 0.5L, "The P value is 0.5000. "},
    };
    for (const SentenceCase& c : cases) {
        ResultsBuffer buffer;
        WritePValueSentence(buffer, c.tails, c.withVerdict, c.p);
        EXPECT_EQ(buffer.text(), std::string(c.expected) + "\r\n") << c.p;
        EXPECT_EQ(buffer.lineCount(), 1);
    }
}

TEST(ReportWriters, VerdictWordsBoundariesGoToTheWeakerVerdict)
{
    const std::pair<Real, const char*> cases[] = {
        {0.0L, "extremely "}, {0.000999L, "extremely "}, {0.001L, "very "},       {0.00999L, "very "}, {0.01L, ""},
        {0.0499L, ""},        {0.05L, "not quite "},     {0.0999L, "not quite "}, {0.10L, "not "},     {1.0L, "not "},
    };
    for (const auto& [p, words] : cases) {
        ResultsBuffer buffer;
        AppendSignificanceWords(buffer, p);
        EXPECT_EQ(buffer.text(), words) << p;
    }
}

TEST(ReportWriters, StarSummaryBoundariesGoToTheStrongerClass)
{
    const std::pair<Real, const char*> cases[] = {
        {0.0001L, "*** P<0.001"},    {0.001L, "*** P<0.001"}, {0.0010001L, " **  P<0.01"}, {0.01L, " **  P<0.01"},
        {0.0100001L, " *   P<0.05"}, {0.05L, " *   P<0.05"},  {0.0500001L, " ns  P>0.05"}, {1.0L, " ns  P>0.05"},
    };
    for (const auto& [p, stars] : cases)
        EXPECT_EQ(SignificanceSummary(p), stars) << p;
}

TEST(ReportWriters, TableCellHelpers)
{
    struct Case {
        void (*write)(ResultsBuffer&);
        const char* expected;
    };
    const Case cases[] = {
        {[](ResultsBuffer& b) { AppendValueOrUnknown(b, 9, MissingValue); }, "  Unknown"},
        {[](ResultsBuffer& b) { AppendValueOrUnknown(b, 9, 1.23456L); }, "    1.235"},
        {[](ResultsBuffer& b) { AppendLimitOrInfinity(b, MissingValue); }, "Infinity"},
        {[](ResultsBuffer& b) { AppendLimitOrInfinity(b, -MissingValue); }, "-Infinity"},
        {[](ResultsBuffer& b) { AppendLimitOrInfinity(b, 123.456L); }, "123.46"},
        // " (" in 5, the percentage in 3, "%)".
        {[](ResultsBuffer& b) { AppendPercentLabel(b, 10, 0.95L); }, "    ( 95%)"},
        {[](ResultsBuffer& b) { AppendPercentLabel(b, 10, 1.0L); }, "    (100%)"},
        {[](ResultsBuffer& b) { AppendPercentLabel(b, 7, 0.05L); }, " (  5%)"},
    };
    for (const Case& c : cases) {
        ResultsBuffer buffer;
        c.write(buffer);
        EXPECT_EQ(buffer.text(), c.expected);
    }
}

// Every code's message, each written over a half-written report with bold
// still on: the report is replaced and the marks closed. Codes without a
// message leave two empty lines; code 0 and below keep the report.
TEST(ReportWriters, CalculationErrorMessages)
{
    std::string all;
    for (int code = -1; code <= 51; ++code) {
        ResultsBuffer buffer;
        buffer.AppendLine("The report so far");
        buffer.ToggleBold();
        buffer.Append("half a line");
        WriteCalculationError(buffer, code);
        EXPECT_EQ(buffer.isBold(), code <= 0) << code;
        all += "== code " + std::to_string(code) + "\r\n" + std::string(buffer.text()) + "\r\n";
    }
    EXPECT_TRUE(matchesGolden(all, "calculation_errors.txt"));
}

TEST(ReportFrame, ErrorReplacesAHalfWrittenReport)
{
    ResultsBuffer buffer;
    const int code = WriteReport(buffer, "Blood pressure", [](ResultsBuffer& b) {
        b.AppendLine("Unpaired t test");
        b.ToggleBold();
        b.Append("t = ");
        volatile Real huge = 1e4000L;
        const Real t = huge * huge;
        b.AppendNumber(-5, t);
        return 0;
    });
    EXPECT_EQ(code, error_code::Overflow);
    EXPECT_TRUE(matchesGolden(buffer.text(), "error_replaces_half_report.txt"));
}

TEST(ReportFrame, MessageReport)
{
    ResultsBuffer buffer;
    buffer.AppendLine("An old report");
    WriteMessageReport(buffer, "Until you enter data, you won't see any results!");
    EXPECT_EQ(buffer.lineCount(), 22);
    EXPECT_TRUE(matchesGolden(buffer.text(), "message_report.txt"));
}

}  // namespace
}  // namespace ombrix::analyses
