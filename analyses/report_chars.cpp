#include "analyses/report_chars.h"

namespace ombrix::analyses {

namespace {

bool isContinuationByte(unsigned char b)
{
    return (b & 0xC0) == 0x80;
}

// Length of the multi-byte UTF-8 character starting at text[pos], or 0 when
// no complete one starts there. Only the structure is checked (lead byte and
// continuation bytes); that is all the mark reading needs.
std::size_t utf8SequenceLength(std::string_view text, std::size_t pos)
{
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t continuation = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        continuation = 1;
    else if (lead >= 0xE0 && lead <= 0xEF)
        continuation = 2;
    else if (lead >= 0xF0 && lead <= 0xF4)
        continuation = 3;
    else
        return 0;
    if (text.size() - pos <= continuation)
        return 0;
    for (std::size_t i = 1; i <= continuation; ++i) {
        if (!isContinuationByte(static_cast<unsigned char>(text[pos + i])))
            return 0;
    }
    return continuation + 1;
}

}  // namespace

ReportChar reportCharAt(std::string_view text, std::size_t pos)
{
    if (const std::size_t length = utf8SequenceLength(text, pos); length > 0)
        return {length, false};
    const auto b = static_cast<unsigned char>(text[pos]);
    return {1, b >= 0x80 && b <= 0x82};
}

int displayWidth(std::string_view text)
{
    int width = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const ReportChar c = reportCharAt(text, pos);
        if (!c.isMark)
            ++width;
        pos += c.length;
    }
    return width;
}

std::string stripMarks(std::string_view text)
{
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const ReportChar c = reportCharAt(text, pos);
        if (!c.isMark)
            plain.append(text.substr(pos, c.length));
        pos += c.length;
    }
    return plain;
}

std::string_view reportColumns(std::string_view plainLine, int from, int to)
{
    std::size_t begin = plainLine.size();
    std::size_t end = plainLine.size();
    int column = 0;
    for (std::size_t pos = 0; pos < plainLine.size(); ++column) {
        if (column == from)
            begin = pos;
        if (column == to) {
            end = pos;
            break;
        }
        pos += reportCharAt(plainLine, pos).length;
    }
    if (begin >= end)
        return {};
    return plainLine.substr(begin, end - begin);
}

std::vector<StyledRun> styledRuns(std::string_view line)
{
    std::vector<StyledRun> runs;
    StyledRun pending;
    auto flush = [&] {
        const int next = pending.column + pending.width;
        if (pending.width > 0)
            runs.push_back(pending);
        pending.text.clear();
        pending.column = next;
        pending.width = 0;
    };
    for (std::size_t pos = 0; pos < line.size();) {
        const ReportChar c = reportCharAt(line, pos);
        if (c.isMark) {
            flush();
            switch (line[pos]) {
            case BoldMark: pending.bold = !pending.bold; break;
            case UnderlineMark: pending.underline = !pending.underline; break;
            default: pending.italic = !pending.italic; break;
            }
        } else {
            pending.text.append(line.substr(pos, c.length));
            ++pending.width;
        }
        pos += c.length;
    }
    flush();
    return runs;
}

}  // namespace ombrix::analyses
