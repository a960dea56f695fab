#pragma once

#include <string>
#include <vector>

// The numbers along a graph's axis: a range widened to steps of 1, 2 or 5
// times a power of ten, and the text of each tick in the user's separators.
namespace ombrix::graphs {

struct AxisScale {
    double low = 0;
    double high = 1;
    double step = 1;
    int decimals = 0;         // digits after the separator every tick needs
    bool scientific = false;  // too large or too small for fixed notation
    std::vector<double> ticks;
};

// The smallest range of whole steps holding [low, high] with at most
// mostTicks steps (at least 1). An empty or non-finite range becomes a
// usable one around its value. wholeSteps keeps steps of at least 1 (counts).
AxisScale niceScale(double low, double high, int mostTicks, bool wholeSteps = false);

struct NumberSeparators {
    std::string decimal = ".";
    std::string group = ",";  // between thousands, where the axis asks for it
};

// A tick's text: fixed notation with the scale's decimals (and thousands
// grouped when grouped is true), or scientific notation for scales that need it.
std::string tickText(double value, const AxisScale& scale, bool grouped, const NumberSeparators& separators);

}  // namespace ombrix::graphs
