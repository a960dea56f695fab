#include "core/text.h"

#include <gtest/gtest.h>

#include <cmath>

namespace ombrix::core {
namespace {

TEST(ParseNumber, AcceptsOnlyPlainDecimalNumbers)
{
    const struct {
        const char* text;
        bool ok;
        Real value;
    } cases[] = {
        {"1.25", true, 1.25L}, {"  -3 ", true, -3},      {"+.5", true, 0.5L},  {"5.", true, 5},
        {"1e3", true, 1000},   {"2.5E-2", true, 0.025L}, {"-0", true, 0},      {"", false, 0},
        {"   ", false, 0},     {".", false, 0},          {"abc", false, 0},    {"1,5", false, 0},
        {"1.2.3", false, 0},   {"inf", false, 0},        {"nan", false, 0},    {"0x10", false, 0},
        {"1e", false, 0},      {"1e+", false, 0},        {"12abc", false, 0},  {"1e5000", false, 0},
        {"1.7e38", false, 0},  {"-2e38", true, -2e38L},  {"1e-5000", true, 0},
    };
    for (const auto& c : cases) {
        const auto value = parseNumber(c.text);
        ASSERT_EQ(value.has_value(), c.ok) << '"' << c.text << '"';
        if (c.ok) {
            EXPECT_EQ(*value, c.value) << c.text;
        }
    }
    EXPECT_FALSE(std::signbit(*parseNumber("-0")));
}

}  // namespace
}  // namespace ombrix::core
