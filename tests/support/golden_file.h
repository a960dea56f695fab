#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

namespace ombrix::testing {

// Compares text byte for byte with tests/golden/<name>. With the environment
// variable OMBRIX_UPDATE_GOLDEN=1 the file is rewritten instead; whoever runs
// that reviews the diff before it is committed.
::testing::AssertionResult matchesGolden(std::string_view text, const std::string& name);

// The names, without extension and sorted, of the data files (.OXD) in a folder.
std::vector<std::string> dataFileNames(const std::string& folder);

}  // namespace ombrix::testing
