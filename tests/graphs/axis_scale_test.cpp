#include "graphs/axis_scale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace ombrix::graphs {
namespace {

// Ranges widen to whole steps of 1, 2 or 5 times a power of ten, within the
// number of ticks asked for; degenerate ranges still give a usable axis.
TEST(AxisScale, NiceSteps)
{
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double low, high;
        int most;
        bool whole;
        double scaleLow, scaleHigh, step;
        int decimals;
    } cases[] = {
        {0, 9.3, 5, false, 0, 10, 2, 0},
        {0, 3, 6, false, 0, 3, 0.5, 1},
        {0, 3, 6, true, 0, 3, 1, 0},  // counts never get half steps
        {-12, 37, 5, false, -20, 40, 20, 0},
        {299000, 300100, 4, false, 299000, 300500, 500, 0},
        {0.0012, 0.0051, 4, false, 0, 0.006, 0.002, 3},  // 0.001 would take five steps
        {5, 5, 4, false, 2, 8, 2, 0},                    // one value: around it
        {0, 0, 4, false, -1, 1, 0.5, 1},
        {-inf, inf, 4, false, -1, 1, 0.5, 1},
        {7, 3, 4, false, 3, 7, 1, 0},  // reversed
    };
    for (const auto& c : cases) {
        const AxisScale s = niceScale(c.low, c.high, c.most, c.whole);
        EXPECT_DOUBLE_EQ(s.low, c.scaleLow) << c.low << ".." << c.high;
        EXPECT_DOUBLE_EQ(s.high, c.scaleHigh) << c.low << ".." << c.high;
        EXPECT_DOUBLE_EQ(s.step, c.step) << c.low << ".." << c.high;
        EXPECT_EQ(s.decimals, c.decimals) << c.low << ".." << c.high;
        EXPECT_LE(static_cast<int>(s.ticks.size()), c.most + 2);
        EXPECT_DOUBLE_EQ(s.ticks.front(), s.low);
    }
    // Far beyond fixed notation, the axis still ends and reads.
    const AxisScale huge = niceScale(-1e300, 1e300, 5);
    EXPECT_TRUE(huge.scientific);
    EXPECT_LE(huge.ticks.size(), 12u);
}

TEST(AxisScale, TickTexts)
{
    const NumberSeparators point;
    const NumberSeparators comma{",", "."};
    const NumberSeparators narrow{",", "\u202f"};
    const AxisScale half = niceScale(0, 3, 6);
    const AxisScale counts = niceScale(0, 2500000, 5, true);
    const AxisScale tiny = niceScale(0, 1e-8, 4);
    const struct {
        double value;
        const AxisScale& scale;
        bool grouped;
        const NumberSeparators& separators;
        const char* text;
    } cases[] = {
        {1.5, half, false, point, "1.5"},
        {1.5, half, false, comma, "1,5"},
        {2, half, false, point, "2.0"},
        {-0.0, half, false, point, "0.0"},
        {1500000, counts, true, point, "1,500,000"},
        {1500000, counts, true, comma, "1.500.000"},
        {1500000, counts, true, narrow, "1\u202f500\u202f000"},
        {1500000, counts, false, point, "1500000"},
        {-1000, counts, true, point, "-1,000"},
        {500, counts, true, point, "500"},
        {5e-9, tiny, false, comma, "5e-09"},
        {2.5e-9, tiny, false, comma, "2,5e-09"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(tickText(c.value, c.scale, c.grouped, c.separators), c.text) << c.value;
}

}  // namespace
}  // namespace ombrix::graphs
