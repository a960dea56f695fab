#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// How the bytes of a report are read back. Report text is UTF-8 (titles come
// from the data set), and three byte values are style marks. The marks are
// also UTF-8 continuation bytes, so a byte 128 to 130 is a mark only where it
// does not complete a multi-byte character: "Ā" (C4 80) is a letter, a lone
// 80 after "a" is a bold mark. The buffer writes marks only between whole
// characters, which keeps the two readings apart.
namespace ombrix::analyses {

inline constexpr char BoldMark = '\x80';
inline constexpr char UnderlineMark = '\x81';
inline constexpr char ItalicMark = '\x82';

// One unit of report text: a style mark (no column), a line-end byte, or a
// character that takes one column (an ASCII byte, a whole UTF-8 sequence, or
// any other single byte that is not valid UTF-8).
struct ReportChar {
    std::size_t length = 1;
    bool isMark = false;
};

// The unit that starts at text[pos]; pos must be inside text.
ReportChar reportCharAt(std::string_view text, std::size_t pos);

// Columns the text takes on screen: characters, marks not counted.
int displayWidth(std::string_view text);

// The text without its style marks, as it reads in notes or a plain text file.
std::string stripMarks(std::string_view text);

// Characters [from, to) of a line without marks, counted as the viewer counts
// columns; columns past the end are clamped.
std::string_view reportColumns(std::string_view plainLine, int from, int to);

// A stretch of one style in a report line, marks removed: its text, the
// column it starts at and the columns it takes.
struct StyledRun {
    std::string text;
    int column = 0;
    int width = 0;
    bool bold = false;
    bool underline = false;
    bool italic = false;
};

// The styled runs of one stored report line. Every stored line is balanced
// by itself, so each one starts plain; a mark left open at the end of a line
// is simply closed there.
std::vector<StyledRun> styledRuns(std::string_view line);

}  // namespace ombrix::analyses
