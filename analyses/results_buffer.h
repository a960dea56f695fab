#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/real.h"

namespace ombrix::analyses {

// The text of one results report, written line by line by an analysis and
// shown in a fixed-pitch font. Tables are laid out by padding to columns,
// never with tab characters. Lines end with CR LF; bold and underline are
// toggled by the mark bytes of report_chars.h, and every stored line is
// balanced by itself (an open mark is closed before a line end and reopened
// after it).
//
// Capacity: at most MaxTextLength bytes are kept; whatever is written after
// that is dropped without notice, so an analysis never has to check for room.
// Columns count characters that were kept, so a full buffer stops padding.
//
// The operation names are the report vocabulary every analysis is written in.
class ResultsBuffer {
public:
    static constexpr int Capacity = 500000;
    // One byte of the capacity is reserved for the end mark of CloseReport.
    static constexpr int MaxTextLength = Capacity - 1;
    static constexpr int MaxAppendLength = 80;
    static constexpr int MaxTabStops = 20;
    static constexpr char EndMark = '\x1a';

    // Reserves the whole capacity at once, so writing a report never
    // allocates; throws std::bad_alloc when that memory is not available.
    ResultsBuffer();
    // A copy would not keep the reserved capacity; reports are moved or shared by reference.
    ResultsBuffer(const ResultsBuffer&) = delete;
    ResultsBuffer& operator=(const ResultsBuffer&) = delete;
    ResultsBuffer(ResultsBuffer&&) noexcept = default;
    ResultsBuffer& operator=(ResultsBuffer&&) noexcept = default;

    // Discards the text and the line index: column 1, line 1, no completed
    // line, bold and underline off. Tab stops are kept (table writers clear
    // them first).
    void Reset();

    // Appends text (UTF-8, no line ends). Only its first 80 characters are
    // kept; style marks in it are not characters and are always kept, so a
    // copied line stays balanced.
    void Append(std::string_view text);
    void AppendLine(std::string_view text);
    void NewLine();

    // Spaces until the next character lands in column n; nothing when the
    // current column is already n or beyond.
    void PadToColumn(int column);
    void AppendRule(int count);      // '=' characters
    void AppendDashRule(int count);  // '-' characters

    // digits >= 0: exactly that many decimals; digits < 0: about -digits
    // significant figures (statistics use -5, P values 4). Magnitudes above
    // 1e7 or at most 1e-4 (but not 0) are written as d.dddE+xx. MissingValue
    // gives an empty text, that is a field of spaces; infinities and NaN
    // give "Infinity", "-Infinity" and "NaN". AppendNumber picks the field
    // width from the number's magnitude (a positive number may get a leading
    // space, one in exponent form at most two); the InWidth form
    // right-justifies in width characters. A text
    // longer than its field is never cut, and numbers are not subject to the
    // 80-character cut of Append.
    void AppendNumber(int digits, Real x);
    void AppendNumberInWidth(int width, int digits, Real x);
    void AppendInteger(int value);
    void AppendIntegerInWidth(int width, int value);

    void ToggleBold();
    void ToggleUnderline();

    void ClearTabStops();
    // Ignored when all 20 stops are in use. Writers add stops in ascending order.
    void AddTabStop(int column);
    // Pads to the first stop (in the order added) beyond the current column;
    // nothing when there is none.
    void NextTabStop();

    // Ends the current line, writes the star separator and two empty lines,
    // then pads with empty lines up to line 21.
    void EndReport();
    // Finishes the text for display: a report of fewer than 21 lines is padded
    // to 22 (one of exactly 21 is left as it is), the last byte of a full
    // store makes way for the end mark, and the line index is built.
    void CloseReport();

    // An analysis that cannot give its result says why in the report and
    // marks it so; the command line then exits as for a validation message.
    void MarkNoResult() { m_noResult = true; }
    bool hasNoResult() const { return m_noResult; }

    // The stored bytes, without the end mark.
    std::string_view text() const { return m_text; }
    int currentColumn() const { return m_column; }
    int currentLine() const { return m_line; }
    // Completed lines (NewLine calls since Reset).
    int lineCount() const { return m_lineCount; }
    bool isBold() const { return m_bold; }
    bool isUnderline() const { return m_underline; }
    bool isClosed() const { return m_closed; }

    // Lines found by CloseReport, 0-based, without their CR LF and with their
    // marks. Normally lineCount() of them; fewer when text was dropped at the
    // capacity. Any index outside the range gives an empty line.
    int indexedLineCount() const { return static_cast<int>(m_lineIndex.size()); }
    std::string_view line(int index) const;

private:
    struct LineSpan {
        int start = 0;
        int length = 0;
    };

    int room() const { return MaxTextLength - static_cast<int>(m_text.size()); }
    // Writes bytes that take no column (marks, line ends) if there is room.
    void putControl(char c);
    // Writes count copies of c, each taking a column, as far as there is room.
    void putRepeated(char c, long long count);
    // Writes an ASCII text of known width (numbers), not cut at 80 characters.
    void putField(std::string_view text, long long width);
    void buildLineIndex();

    std::string m_text;
    int m_column = 1;
    int m_line = 1;
    int m_lineCount = 0;
    bool m_bold = false;
    bool m_underline = false;
    bool m_closed = false;
    bool m_noResult = false;
    std::array<int, MaxTabStops> m_tabStops{};
    std::vector<LineSpan> m_lineIndex;
};

// A second buffer for the right-hand or lower table of an analysis, reset and
// with the full capacity. Null when the memory is not available; the analysis
// then stops with the out-of-memory code.
std::unique_ptr<ResultsBuffer> ScratchBuffer() noexcept;

// Copies source into destination line by line with AppendLine. The copy ends
// at the end mark or at the end of the stored text; a last line without line
// end is copied too. Lone bytes 196 and 205 (the single and double rule
// characters of old reports) become '-' and '='; the same bytes starting a
// UTF-8 letter are kept.
void AppendBuffer(ResultsBuffer& destination, const ResultsBuffer& source);

// Text helpers for table cells. Widths count characters; the result holds at
// most 80 characters. A text already width characters or longer comes back
// unchanged (cut to 80).
std::string LeftJustify(std::string_view text, int width);
std::string RightJustify(std::string_view text, int width);
// (width - length) / 2 spaces before the text, rounded down, then spaces to width.
std::string CenterText(std::string_view text, int width);

}  // namespace ombrix::analyses
