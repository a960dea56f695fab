#include "graphs/axis_scale.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace ombrix::graphs {

namespace {

// 1, 2 or 5 times a power of ten, at least raw.
double niceStep(double raw)
{
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double normal = raw / magnitude;
    if (normal <= 1)
        return magnitude;
    if (normal <= 2)
        return 2 * magnitude;
    if (normal <= 5)
        return 5 * magnitude;
    return 10 * magnitude;
}

std::string grouped(const std::string& digits, const std::string& separator)
{
    std::string out;
    const std::size_t n = digits.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += separator;
        out += digits[i];
    }
    return out;
}

}  // namespace

AxisScale niceScale(double low, double high, int mostTicks, bool wholeSteps)
{
    AxisScale scale;
    if (!std::isfinite(low) || !std::isfinite(high)) {
        low = std::isfinite(low) ? low : (std::isfinite(high) ? high : 0);
        high = low;
    }
    if (low > high)
        std::swap(low, high);
    if (high - low <= std::fabs(high) * 1e-12) {
        // One value: a range around it that shows it mid-axis (or from 0).
        const double around = low == 0 ? 1 : std::fabs(low) * 0.5;
        low -= around;
        high += around;
    }
    mostTicks = std::clamp(mostTicks, 1, 50);
    double step = niceStep((high - low) / mostTicks);
    if (!std::isfinite(step) || step <= 0 || (wholeSteps && step < 1))
        step = 1;
    // Rounding the ends outwards can add a step: then the next nice step.
    for (int i = 0; i < 4 && std::ceil(high / step) - std::floor(low / step) > mostTicks; ++i)
        step = niceStep(step * 1.001);
    scale.step = step;
    scale.low = std::floor(low / step) * step;
    scale.high = std::ceil(high / step) * step;
    // Rounding can leave one step more than asked; the loop is bounded either way.
    const int steps = std::min(static_cast<int>(std::lround((scale.high - scale.low) / step)), 2 * mostTicks + 2);
    for (int i = 0; i <= steps; ++i) {
        double tick = scale.low + i * step;
        if (std::fabs(tick) < step * 1e-9)
            tick = 0;  // never "-0"
        scale.ticks.push_back(tick);
    }
    const double largest = std::max(std::fabs(scale.low), std::fabs(scale.high));
    scale.scientific = largest >= 1e15 || step < 1e-6;
    scale.decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
    return scale;
}

std::string tickText(double value, const AxisScale& scale, bool groupThousands, const NumberSeparators& separators)
{
    char buffer[64];
    if (scale.scientific) {
        std::snprintf(buffer, sizeof buffer, "%.3g", value);
    } else {
        std::snprintf(buffer, sizeof buffer, "%.*f", scale.decimals, value);
    }
    std::string text = buffer;
    if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos)
        text.erase(0, 1);  // a zero tick rounded from a tiny negative
    if (scale.scientific) {
        if (const std::size_t point = text.find('.'); point != std::string::npos)
            text.replace(point, 1, separators.decimal);
        return text;
    }
    const std::size_t sign = text[0] == '-' ? 1 : 0;
    const std::size_t point = std::min(text.find('.'), text.size());
    std::string digits = text.substr(sign, point - sign);
    if (groupThousands)
        digits = grouped(digits, separators.group);
    std::string out = text.substr(0, sign) + digits;
    if (point < text.size())
        out += separators.decimal + text.substr(point + 1);
    text = out;
    return text;
}

}  // namespace ombrix::graphs
