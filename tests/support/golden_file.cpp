#include "tests/support/golden_file.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace ombrix::testing {

namespace {

// A line as the failure message shows it: marks and other bytes outside
// printable ASCII as \xNN.
std::string visible(std::string_view line)
{
    std::string shown;
    for (const char c : line) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F) {
            shown.push_back(c);
        } else {
            static constexpr char hex[] = "0123456789ABCDEF";
            shown += "\\x";
            shown.push_back(hex[b >> 4]);
            shown.push_back(hex[b & 0xF]);
        }
    }
    return shown;
}

std::string_view lineAt(std::string_view text, int index)
{
    for (int i = 0; i < index; ++i) {
        const std::size_t end = text.find("\r\n");
        if (end == std::string_view::npos)
            return {};
        text.remove_prefix(end + 2);
    }
    return text.substr(0, text.find("\r\n"));
}

int lineCount(std::string_view text)
{
    int count = 1;
    for (std::size_t pos = text.find("\r\n"); pos != std::string_view::npos;
         pos = text.find("\r\n", pos + 2))
        ++count;
    return count;
}

}  // namespace

::testing::AssertionResult matchesGolden(std::string_view text, const std::string& name)
{
    const std::string path = std::string(OMBRIX_TEST_DATA_DIR) + "/golden/" + name;

    const char* update = std::getenv("OMBRIX_UPDATE_GOLDEN");
    if (update != nullptr && std::string_view(update) == "1") {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        if (!out)
            return ::testing::AssertionFailure() << "cannot write " << path;
        return ::testing::AssertionSuccess() << "rewrote " << path;
    }

    std::ifstream in(path, std::ios::binary);
    if (!in)
        return ::testing::AssertionFailure() << "cannot read " << path;
    const std::string expected{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (expected == text)
        return ::testing::AssertionSuccess();

    const int expectedLines = lineCount(expected);
    int line = 0;
    while (line < expectedLines && lineAt(expected, line) == lineAt(text, line))
        ++line;
    return ::testing::AssertionFailure()
           << name << " differs first at line " << line + 1 << "\n  expected: \""
           << visible(lineAt(expected, line)) << "\"\n  actual:   \"" << visible(lineAt(text, line))
           << "\"\n  (sizes " << expected.size() << " and " << text.size() << ")";
}

}  // namespace ombrix::testing
