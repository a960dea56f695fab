#pragma once

#include <string>
#include <string_view>

namespace ombrix::core {

// The free text of a data set, edited in the notes window and saved with the
// data file. It lives in a fixed buffer of 8010 characters whose end is marked
// by character 26 (Ctrl+Z), so the text itself holds at most 8009 characters.
// Lines are separated by CR LF.
class Notes {
public:
    static constexpr int Capacity = 8010;
    static constexpr char EndMark = '\x1a';
    static constexpr int MaxTextLength = Capacity - 1;

    const std::string& text() const { return m_text; }
    bool empty() const { return m_text.empty(); }

    // Stores the text up to the first end mark, cut to MaxTextLength.
    void setText(std::string_view text);
    void clear() { m_text.clear(); }

    // Characters that can still be added before the buffer is full.
    int freeRoom() const { return MaxTextLength - static_cast<int>(m_text.size()); }

    // Appends one line and its CR LF; false (and nothing appended) when it does not fit.
    bool appendLine(std::string_view line);

    // The buffer as stored: the text followed by the end mark.
    std::string buffer() const { return m_text + EndMark; }

private:
    std::string m_text;
};

}  // namespace ombrix::core
