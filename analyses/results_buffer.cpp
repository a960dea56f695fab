#include "analyses/results_buffer.h"

#include <algorithm>
#include <cfenv>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <new>

#include "analyses/report_chars.h"

namespace ombrix::analyses {

namespace {

constexpr std::string_view StarSeparator = "                       *     *     *";
// EndReport pads up to this line, CloseReport then up to PaddedLineCount lines.
constexpr int SeparatorPadLine = 21;
constexpr int PaddedLineCount = 22;

// Far beyond any sensible request, but above the 4954 decimals that the
// significant-digits rule asks for at the smallest extended value, so the
// rule is never cut short by the clamp.
constexpr long long MaxDecimals = 5000;

// Rendering a number must not look like an arithmetic fault to the guard
// around the analysis, so the flags raised by the conversions are undone.
class KeptFloatingPointFlags {
public:
    KeptFloatingPointFlags() { std::fegetexceptflag(&m_flags, FE_ALL_EXCEPT); }
    ~KeptFloatingPointFlags() { std::fesetexceptflag(&m_flags, FE_ALL_EXCEPT); }
    KeptFloatingPointFlags(const KeptFloatingPointFlags&) = delete;
    KeptFloatingPointFlags& operator=(const KeptFloatingPointFlags&) = delete;

private:
    std::fexcept_t m_flags{};
};

// floor(log10(magnitude)) for a finite magnitude > 0, read from its 18-digit
// decimal form. log10l itself is a unit in the last place off for many powers
// of ten (log10l(1e-6L) is just below -6), which would render 0.000001 with
// one decimal too many; the decimal form places every value written as a
// power of ten in its own decade.
long long decimalExponent(Real magnitude)
{
    char digits[64];
    const int length = std::snprintf(digits, sizeof digits, "%.17Le", magnitude);
    const std::string_view text(digits, static_cast<std::size_t>(std::clamp(length, 0, 63)));
    const std::size_t e = text.find('e');
    if (e == std::string_view::npos)
        return 1;
    std::size_t first = e + 1;
    if (first < text.size() && text[first] == '+')
        ++first;
    long long exponent = 0;
    std::from_chars(text.data() + first, text.data() + text.size(), exponent);
    return exponent;
}

struct NumberField {
    std::string text;
    long long autoWidth = 0;
};

NumberField renderNumber(int digits, Real x)
{
    KeptFloatingPointFlags keepFlags;

    const bool finite = std::isfinite(x);
    const long long e = (x == 0 || !finite) ? 1 : decimalExponent(std::fabs(x));

    long long decimals = 0;
    if (digits >= 0) {
        decimals = digits;
    } else {
        const long long significant = -static_cast<long long>(digits);
        decimals = e > 0 ? std::max(0LL, significant - e - 1) : significant - e - 2;
    }
    // A request for one significant figure of a number below 1 would ask for
    // -1 decimals; none is the closest meaningful answer.
    decimals = std::clamp(decimals, 0LL, MaxDecimals);

    NumberField field;
    field.autoWidth = decimals + 2 + (e > 1 ? e : 0);

    if (isMissing(x))
        return field;
    if (!finite) {
        field.text = std::isnan(x) ? "NaN" : (x > 0 ? "Infinity" : "-Infinity");
        return field;
    }
    if (x != 0 && (std::fabs(x) > 1e7L || std::fabs(x) <= 1e-4L)) {
        // printf writes at least two exponent digits and all that are needed
        // beyond, so 1.235E+08 and 1.000E-300 both come out whole.
        char text[64];
        const int length = std::snprintf(text, sizeof text, "%.3LE", x);
        field.text.assign(text, static_cast<std::size_t>(std::clamp(length, 0, 63)));
        // The automatic width counts the digits of fixed notation and grows by
        // one per power of ten: 1E+100 would sit behind a hundred spaces and
        // vanish off screen. Exponent texts keep at most two spaces before them.
        field.autoWidth = std::min(field.autoWidth, static_cast<long long>(field.text.size()) + 2);
        return field;
    }
    // |x| <= 1e7 here: at most 8 integer digits, a sign and a point.
    field.text.resize(static_cast<std::size_t>(decimals) + 16);
    const int length = std::snprintf(field.text.data(), field.text.size(), "%.*Lf", static_cast<int>(decimals), x);
    field.text.resize(static_cast<std::size_t>(std::max(length, 0)));
    if (field.text.size() > 1 && field.text.front() == '-' &&
        field.text.find_first_not_of("0.", 1) == std::string::npos)
        field.text.erase(0, 1);
    return field;
}

// The first count characters of text; marks are not characters and all are kept.
std::string firstCharacters(std::string_view text, int count)
{
    std::string kept;
    kept.reserve(text.size());
    int characters = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const ReportChar c = reportCharAt(text, pos);
        if (c.isMark || characters < count) {
            kept.append(text.substr(pos, c.length));
            characters += c.isMark ? 0 : 1;
        }
        pos += c.length;
    }
    return kept;
}

// The result is cut to 80 characters, so more spaces than that never show.
std::string padded(std::string_view text, int spacesBefore, int spacesAfter)
{
    constexpr int most = ResultsBuffer::MaxAppendLength;
    std::string result(static_cast<std::size_t>(std::min(spacesBefore, most)), ' ');
    result.append(text);
    result.append(static_cast<std::size_t>(std::min(spacesAfter, most)), ' ');
    return firstCharacters(result, ResultsBuffer::MaxAppendLength);
}

}  // namespace

ResultsBuffer::ResultsBuffer()
{
    m_text.reserve(Capacity);
}

void ResultsBuffer::Reset()
{
    m_text.clear();
    m_column = 1;
    m_line = 1;
    m_lineCount = 0;
    m_bold = false;
    m_underline = false;
    m_closed = false;
    m_noResult = false;
    m_lineIndex.clear();
}

void ResultsBuffer::putControl(char c)
{
    if (room() > 0)
        m_text.push_back(c);
}

void ResultsBuffer::putRepeated(char c, long long count)
{
    const long long kept = std::min<long long>(count, room());
    if (kept <= 0)
        return;
    m_text.append(static_cast<std::size_t>(kept), c);
    m_column += static_cast<int>(kept);
}

void ResultsBuffer::putField(std::string_view text, long long width)
{
    putRepeated(' ', width - static_cast<long long>(text.size()));
    const auto kept = std::min<std::size_t>(text.size(), static_cast<std::size_t>(room()));
    m_text.append(text.substr(0, kept));
    m_column += static_cast<int>(kept);
}

void ResultsBuffer::Append(std::string_view text)
{
    int characters = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const ReportChar c = reportCharAt(text, pos);
        if (c.isMark) {
            putControl(text[pos]);
        } else if (characters < MaxAppendLength) {
            ++characters;
            if (c.length <= static_cast<std::size_t>(room())) {
                m_text.append(text.substr(pos, c.length));
                ++m_column;
            }
        }
        pos += c.length;
    }
}

void ResultsBuffer::AppendLine(std::string_view text)
{
    Append(text);
    NewLine();
}

void ResultsBuffer::NewLine()
{
    if (m_bold)
        putControl(BoldMark);
    if (m_underline)
        putControl(UnderlineMark);
    putControl('\r');
    putControl('\n');
    if (m_bold)
        putControl(BoldMark);
    if (m_underline)
        putControl(UnderlineMark);
    m_column = 1;
    if (m_lineCount < INT_MAX) {
        ++m_line;
        ++m_lineCount;
    }
}

void ResultsBuffer::PadToColumn(int column)
{
    putRepeated(' ', static_cast<long long>(column) - m_column);
}

void ResultsBuffer::AppendRule(int count)
{
    putRepeated('=', count);
}

void ResultsBuffer::AppendDashRule(int count)
{
    putRepeated('-', count);
}

void ResultsBuffer::AppendNumber(int digits, Real x)
{
    const NumberField field = renderNumber(digits, x);
    putField(field.text, field.autoWidth);
}

void ResultsBuffer::AppendNumberInWidth(int width, int digits, Real x)
{
    putField(renderNumber(digits, x).text, width);
}

void ResultsBuffer::AppendInteger(int value)
{
    putField(std::to_string(value), 0);
}

void ResultsBuffer::AppendIntegerInWidth(int width, int value)
{
    putField(std::to_string(value), width);
}

void ResultsBuffer::ToggleBold()
{
    m_bold = !m_bold;
    putControl(BoldMark);
}

void ResultsBuffer::ToggleUnderline()
{
    m_underline = !m_underline;
    putControl(UnderlineMark);
}

void ResultsBuffer::ClearTabStops()
{
    m_tabStops.fill(0);
}

void ResultsBuffer::AddTabStop(int column)
{
    const auto freeSlot = std::find(m_tabStops.begin(), m_tabStops.end(), 0);
    if (freeSlot != m_tabStops.end())
        *freeSlot = column;
}

void ResultsBuffer::NextTabStop()
{
    const auto stop =
        std::find_if(m_tabStops.begin(), m_tabStops.end(), [this](int column) { return column > m_column; });
    if (stop != m_tabStops.end())
        PadToColumn(*stop);
}

void ResultsBuffer::EndReport()
{
    NewLine();
    AppendLine(StarSeparator);
    NewLine();
    NewLine();
    while (m_line < SeparatorPadLine)
        NewLine();
}

void ResultsBuffer::CloseReport()
{
    // A report that EndReport left at exactly 21 lines is not padded further.
    if (m_lineCount < SeparatorPadLine) {
        while (m_lineCount < PaddedLineCount)
            NewLine();
    }
    // The end mark needs its byte; in a full store it takes the last one.
    if (m_text.size() >= static_cast<std::size_t>(MaxTextLength))
        m_text.pop_back();
    buildLineIndex();
    m_closed = true;
}

void ResultsBuffer::buildLineIndex()
{
    m_lineIndex.clear();
    try {
        std::size_t start = 0;
        for (std::size_t pos = 0; pos < m_text.size(); ++pos) {
            if (m_text[pos] != '\r')
                continue;
            m_lineIndex.push_back({static_cast<int>(start), static_cast<int>(pos - start)});
            if (pos + 1 < m_text.size() && m_text[pos + 1] == '\n')
                ++pos;
            start = pos + 1;
        }
        if (start < m_text.size())
            m_lineIndex.push_back({static_cast<int>(start), static_cast<int>(m_text.size() - start)});
    } catch (const std::bad_alloc&) {
        // Without memory for the whole index the viewer shows the lines indexed so far.
    }
}

std::string_view ResultsBuffer::line(int index) const
{
    if (index < 0 || index >= indexedLineCount())
        return {};
    const LineSpan span = m_lineIndex[static_cast<std::size_t>(index)];
    return std::string_view(m_text).substr(static_cast<std::size_t>(span.start), static_cast<std::size_t>(span.length));
}

std::unique_ptr<ResultsBuffer> ScratchBuffer() noexcept
{
    try {
        return std::make_unique<ResultsBuffer>();
    } catch (...) {
        return nullptr;
    }
}

void AppendBuffer(ResultsBuffer& destination, const ResultsBuffer& source)
{
    const std::string_view text = source.text();
    std::string line;
    std::size_t pos = 0;
    while (pos < text.size() && text[pos] != ResultsBuffer::EndMark) {
        const ReportChar c = reportCharAt(text, pos);
        const auto b = static_cast<unsigned char>(text[pos]);
        if (b == '\r') {
            destination.AppendLine(line);
            line.clear();
        } else if (b == '\n') {
            // Line ends are CR LF; the CR already ended the line.
        } else if (c.length == 1 && b == 196) {
            line.push_back('-');
        } else if (c.length == 1 && b == 205) {
            line.push_back('=');
        } else {
            line.append(text.substr(pos, c.length));
        }
        pos += c.length;
    }
    if (!line.empty())
        destination.AppendLine(line);
}

std::string LeftJustify(std::string_view text, int width)
{
    return padded(text, 0, std::max(0, width - displayWidth(text)));
}

std::string RightJustify(std::string_view text, int width)
{
    return padded(text, std::max(0, width - displayWidth(text)), 0);
}

std::string CenterText(std::string_view text, int width)
{
    const int spare = std::max(0, width - displayWidth(text));
    return padded(text, spare / 2, spare - spare / 2);
}

}  // namespace ombrix::analyses
