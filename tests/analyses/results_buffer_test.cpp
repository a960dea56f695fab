#include "analyses/results_buffer.h"

#include <cfenv>
#include <climits>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "analyses/report_chars.h"

namespace ombrix::analyses {
namespace {

const std::string Bold(1, BoldMark);
const std::string Underline(1, UnderlineMark);
constexpr Real Infinity = std::numeric_limits<Real>::infinity();

// Expected fields worked out by hand from the rendering rule: e is the
// decade of x (1 for 0), the significant-digits rule gives the decimals, and
// the automatic width is decimals + 2, plus e when e > 1.
struct NumberCase {
    int width;  // -1: AppendNumber with its automatic width
    int digits;
    Real x;
    const char* expected;
};

TEST(ResultsBuffer, NumberRendering)
{
    const NumberCase cases[] = {
        // The five worked examples: e = 4, 2, 1, 0, -2; 12.346 keeps 6 characters in a width of 5.
        {-1, -5, 12345.6L, " 12346"},
        {-1, -5, 123.456L, "123.46"},
        {-1, -5, 12.3456L, "12.346"},
        {-1, -5, 1.23456L, "1.235"},
        {-1, -5, 0.0123456L, "0.01235"},
        // Zero counts as e = 1: three decimals.
        {-1, -5, 0.0L, "0.000"},
        {-1, -5, -0.0L, "0.000"},
        // Exponent form: e = -5 gives 8 decimals, width 10.
        {-1, -5, -0.00001L, "-1.000E-05"},
        {-1, -5, 20000000.0L, "2.000E+07"},
        // 1e7 itself is still fixed: e = 7, no decimals, width 9.
        {-1, -5, 10000000.0L, " 10000000"},
        {-1, -5, 123456789.0L, " 1.235E+08"},
        {-1, -5, -4.5e-6L, " -4.500E-06"},
        // 1e-4 is the last value in exponent form, just above it is fixed.
        {-1, -5, 1e-4L, "1.000E-04"},
        {-1, -5, 1.5e-4L, "0.0001500"},
        // Powers of ten sit in their own decade: 0.001 has e = -3.
        {-1, -5, 0.001L, "0.001000"},
        {-1, -5, 1000.0L, "1000.0"},
        {-1, -5, 1e-6L, "  1.000E-06"},
        // The automatic width of the exponent form stops at two spaces.
        {-1, -5, 1e100L, "  1.000E+100"},
        {-1, -5, -2.5e-300L, "  -2.500E-300"},
        // Fixed decimals; a rounded negative zero loses its sign.
        {-1, 4, 0.0312L, "0.0312"},
        {-1, 2, -0.001L, "0.00"},
        {10, 2, 3.14159L, "      3.14"},
        {3, -5, 12345.6L, "12346"},
        // Exponents of three and four digits are written whole.
        {0, -5, 1e-300L, "1.000E-300"},
        {0, -5, -1.5e1000L, "-1.500E+1000"},
        // The blank marker is an empty text: the field is all spaces.
        {8, -5, MissingValue, "        "},
        {0, -5, Infinity, "Infinity"},
    };
    for (const NumberCase& c : cases) {
        ResultsBuffer buffer;
        if (c.width < 0)
            buffer.AppendNumber(c.digits, c.x);
        else
            buffer.AppendNumberInWidth(c.width, c.digits, c.x);
        EXPECT_EQ(buffer.text(), c.expected) << "width " << c.width << " digits " << c.digits;
    }
}

TEST(ResultsBuffer, RenderingNumbersRaisesNoFloatingPointFlag)
{
    const Real nan = std::numeric_limits<Real>::quiet_NaN();
    std::feclearexcept(FE_ALL_EXCEPT);
    ResultsBuffer buffer;
    for (const Real x : {0.1L, 1e-4000L, 3.7e4000L, -Infinity, nan, MissingValue, 0.0L})
        buffer.AppendNumber(-5, x);
    EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), 0);
}

TEST(ResultsBuffer, Integers)
{
    ResultsBuffer buffer;
    buffer.AppendInteger(INT_MIN);
    buffer.AppendIntegerInWidth(6, 42);
    buffer.AppendIntegerInWidth(2, -12345);
    EXPECT_EQ(buffer.text(), "-2147483648    42-12345");
}

TEST(ResultsBuffer, AppendKeepsTheFirst80Characters)
{
    ResultsBuffer buffer;
    buffer.Append(std::string(60, 'a') + std::string(40, 'b'));
    EXPECT_EQ(buffer.text(), std::string(60, 'a') + std::string(20, 'b'));
    EXPECT_EQ(buffer.currentColumn(), 81);

    // Marks are not characters: a bold line of 100 characters keeps both marks.
    buffer.Reset();
    buffer.Append(Bold + std::string(100, 'x') + Bold);
    EXPECT_EQ(buffer.text(), Bold + std::string(80, 'x') + Bold);

    // Two-byte characters are never cut in half.
    buffer.Reset();
    std::string accents;
    for (int i = 0; i < 100; ++i)
        accents += "\xC3\xA9";
    buffer.Append(accents);
    EXPECT_EQ(buffer.text(), accents.substr(0, 160));
    EXPECT_EQ(buffer.currentColumn(), 81);
}

TEST(ResultsBuffer, NewLineClosesAndReopensOpenMarks)
{
    ResultsBuffer buffer;
    buffer.ToggleBold();
    buffer.Append("a");
    buffer.NewLine();
    buffer.Append("b");
    buffer.ToggleBold();
    buffer.ToggleUnderline();
    buffer.NewLine();
    buffer.ToggleUnderline();
    EXPECT_EQ(buffer.text(),
              Bold + "a" + Bold + "\r\n" + Bold + "b" + Bold + Underline + Underline + "\r\n" + Underline + Underline);
    EXPECT_EQ(buffer.lineCount(), 2);
    EXPECT_EQ(buffer.currentLine(), 3);
    EXPECT_EQ(buffer.currentColumn(), 1);
    EXPECT_FALSE(buffer.isBold());
    EXPECT_FALSE(buffer.isUnderline());
}

TEST(ResultsBuffer, ColumnsCountCharactersNotMarksOrBytes)
{
    ResultsBuffer buffer;
    buffer.ToggleBold();
    buffer.Append("\xC2\xB5g/ml");  // µg/ml: 5 characters, 6 bytes
    buffer.ToggleBold();
    EXPECT_EQ(buffer.currentColumn(), 6);
    buffer.PadToColumn(9);
    EXPECT_EQ(buffer.currentColumn(), 9);
    buffer.PadToColumn(4);
    buffer.AppendRule(2);
    buffer.AppendDashRule(3);
    EXPECT_EQ(buffer.text(), Bold + "\xC2\xB5g/ml" + Bold + "   ==---");
    EXPECT_EQ(displayWidth(buffer.text()), 13);
    // C4 80 is the letter A with macron, not a bold mark.
    EXPECT_EQ(stripMarks("\xC4\x80" + Bold + "b"), "\xC4\x80"
                                                   "b");
}

// Lines written with `analysisLines` lines before the frame closes: EndReport
// adds 4 lines and pads up to line 21 (20 complete lines); CloseReport pads a
// report of fewer than 21 lines to 22 and leaves longer ones alone.
TEST(ResultsBuffer, FrameLineCounts)
{
    struct Case {
        int analysisLines;
        int total;
    };
    const Case cases[] = {{0, 22}, {3, 22}, {16, 22}, {17, 21}, {18, 22}, {19, 23}, {30, 34}};
    for (const Case& c : cases) {
        ResultsBuffer buffer;
        for (int i = 0; i < c.analysisLines; ++i)
            buffer.AppendLine("result");
        buffer.EndReport();
        buffer.CloseReport();
        EXPECT_EQ(buffer.lineCount(), c.total) << c.analysisLines;
        EXPECT_EQ(buffer.indexedLineCount(), c.total) << c.analysisLines;
        EXPECT_EQ(buffer.line(c.analysisLines + 1), "                       *     *     *");
    }
}

TEST(ResultsBuffer, LongLinesAndManyLinesAreIndexedWhole)
{
    ResultsBuffer buffer;
    for (int i = 0; i < 5; ++i)
        buffer.Append(std::string(80, static_cast<char>('a' + i)));
    for (int i = 0; i < 40000; ++i)
        buffer.NewLine();
    buffer.CloseReport();
    ASSERT_EQ(buffer.indexedLineCount(), 40000);
    EXPECT_EQ(buffer.line(0).size(), 400u);
    EXPECT_EQ(buffer.line(0).substr(395), "eeeee");
    EXPECT_EQ(buffer.line(39999), "");
    EXPECT_EQ(buffer.line(40000), "");
    EXPECT_EQ(buffer.line(-1), "");
}

TEST(ResultsBuffer, TextBeyondTheCapacityIsDropped)
{
    ResultsBuffer buffer;
    const std::string line(78, 'x');  // 80 bytes with CR LF
    for (int i = 0; i < 7000; ++i)
        buffer.AppendLine(line);
    EXPECT_EQ(buffer.text().size(), 499999u);
    EXPECT_EQ(buffer.lineCount(), 7000);

    buffer.CloseReport();
    // 6249 whole lines fill 499,920 bytes; 78 bytes of the next remain after
    // the last byte made way for the end mark.
    const std::string_view text = buffer.text();
    EXPECT_EQ(text.size(), 499998u);
    ASSERT_EQ(buffer.indexedLineCount(), 6250);
    EXPECT_EQ(buffer.line(6248), line);
    EXPECT_EQ(buffer.line(6249), line);
    for (int i = 0; i < buffer.indexedLineCount(); ++i)
        EXPECT_LE(buffer.line(i).data() + buffer.line(i).size(), text.data() + text.size());
}

TEST(ResultsBuffer, AppendBufferCopiesLineByLine)
{
    ResultsBuffer source;
    source.AppendLine("a\xC4"
                      "b\xCD"
                      "c");               // lone rule bytes
    source.AppendLine("\xC4\x80 stays");  // a letter that starts with byte 196
    source.ToggleBold();
    source.Append("bold");
    source.ToggleBold();
    source.NewLine();
    source.Append("x\ny");  // a stray LF is skipped
    source.NewLine();
    source.Append("last\x1a"
                  "after the end mark");

    ResultsBuffer destination;
    destination.Append("before ");
    AppendBuffer(destination, source);
    destination.CloseReport();

    const std::string expected[] = {"before a-b=c", "\xC4\x80 stays", Bold + "bold" + Bold, "xy", "last"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(destination.line(i), expected[i]) << i;
    EXPECT_EQ(destination.line(5), "");
}

}  // namespace
}  // namespace ombrix::analyses
