#include "core/text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace ombrix::core {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool isContinuationByte(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    return trimmedRight(text);
}

std::string_view trimmedRight(std::string_view text)
{
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

int characterCount(std::string_view text)
{
    int count = 0;
    for (const char c : text)
        count += isContinuationByte(static_cast<unsigned char>(c)) ? 0 : 1;
    return count;
}

std::string truncatedText(std::string_view text, int maxChars)
{
    if (maxChars <= 0)
        return {};
    int count = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (!isContinuationByte(static_cast<unsigned char>(text[i]))) {
            if (count == maxChars)
                return std::string(text.substr(0, i));
            ++count;
        }
    }
    return std::string(text);
}

std::optional<Real> parseNumber(std::string_view text)
{
    text = trimmed(text);
    if (text.empty() || text.size() > 200)
        return std::nullopt;

    // Check the shape ourselves: strtold would also take "inf", "nan" and hex.
    size_t i = 0;
    if (text[i] == '+' || text[i] == '-')
        ++i;
    size_t digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        size_t expDigits = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            ++i;
            ++expDigits;
        }
        if (expDigits == 0)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;

    const std::string copy(text);
    const Real value = std::strtold(copy.c_str(), nullptr);
    // The blank marker itself is no number.
    if (!std::isfinite(value) || value == MissingValue)
        return std::nullopt;
    return value == 0 ? Real(0) : value;
}

std::string withDecimalPoint(std::string_view text, char decimalSeparator)
{
    std::string result(text);
    if (decimalSeparator != '.') {
        for (char& c : result)
            if (c == ',')
                c = '.';
    }
    return result;
}

DecimalShape shortestDecimalShape(Real x)
{
    DecimalShape shape;
    if (x == 0 || !std::isfinite(x))
        return shape;

    // Fewest significant digits that still read back as x.
    char text[64];
    int significant = 1;
    for (; significant <= 21; ++significant) {
        std::snprintf(text, sizeof text, "%.*Le", significant - 1, x);
        if (std::strtold(text, nullptr) == x)
            break;
    }
    // "d.dddde+XX": the exponent follows the 'e'.
    const char* e = text;
    while (*e && *e != 'e')
        ++e;
    const int exponent = *e ? std::atoi(e + 1) : 0;

    int mantissaDigits = 0;
    for (const char* p = text; p < e; ++p)
        if (*p >= '0' && *p <= '9')
            ++mantissaDigits;
    // Trailing zeros of the mantissa are no decimals.
    for (const char* p = e - 1; p > text && (*p == '0' || *p == '.'); --p)
        if (*p == '0')
            --mantissaDigits;

    shape.decimals = mantissaDigits - 1 - exponent;
    if (shape.decimals < 0)
        shape.decimals = 0;
    shape.integerDigits = exponent >= 0 ? exponent + 1 : 1;
    return shape;
}

}  // namespace ombrix::core
