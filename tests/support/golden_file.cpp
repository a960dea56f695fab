#include "tests/support/golden_file.h"

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace ombrix::testing {

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

    // The first line that differs, with marks and other bytes outside
    // printable ASCII shown as \xNN.
    std::size_t at = 0;
    int line = 1;
    for (std::size_t end; (end = expected.find("\r\n", at)) != std::string::npos &&
                          text.substr(at, end + 2 - at) == std::string_view(expected).substr(at, end + 2 - at);
         at = end + 2)
        ++line;
    const auto shown = [at](std::string_view all) {
        const std::string_view rest = all.substr(at);
        std::string visible;
        for (const char c : rest.substr(0, rest.find("\r\n"))) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
            visible += c >= 0x20 && c < 0x7F ? std::string(1, c) : std::string(hex);
        }
        return visible;
    };
    return ::testing::AssertionFailure() << name << " differs first at line " << line << "\n  expected: \""
                                         << shown(expected) << "\"\n  actual:   \"" << shown(text) << "\"\n  (sizes "
                                         << expected.size() << " and " << text.size() << ")";
}

std::vector<std::string> dataFileNames(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().extension() == ".OXD")
            names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace ombrix::testing
