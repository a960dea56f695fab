#include "core/notes.h"

namespace ombrix::core {

void Notes::setText(std::string_view text)
{
    if (const auto end = text.find(EndMark); end != std::string_view::npos)
        text = text.substr(0, end);
    if (text.size() > static_cast<size_t>(MaxTextLength))
        text = text.substr(0, MaxTextLength);
    m_text.assign(text);
}

bool Notes::appendLine(std::string_view line)
{
    if (static_cast<int>(line.size()) + 2 > freeRoom())
        return false;
    m_text.append(line);
    m_text.append("\r\n");
    return true;
}

}  // namespace ombrix::core
