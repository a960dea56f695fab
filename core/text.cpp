#include "core/text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace ombrix::core {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isContinuationByte(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

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
    // The shortest text that reads back as x, in fixed notation.
    char text[128];
    const auto end = std::to_chars(text, text + sizeof text, x, std::chars_format::fixed).ptr;
    const std::string_view digits(text, static_cast<size_t>(end - text));
    const size_t point = digits.find('.');
    std::string_view whole = digits.substr(0, point);
    if (!whole.empty() && whole.front() == '-')
        whole.remove_prefix(1);
    shape.integerDigits = whole == "0" ? 1 : static_cast<int>(whole.size());
    shape.decimals = point == std::string_view::npos ? 0 : static_cast<int>(digits.size() - point - 1);
    return shape;
}

bool isValidUtf8(std::string_view bytes)
{
    for (size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        const size_t length = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
        if (length == 0 || i + length > bytes.size())
            return false;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

std::string latin1ToUtf8(std::string_view bytes)
{
    std::string utf8;
    utf8.reserve(bytes.size() + bytes.size() / 8);
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80) {
            utf8 += ch;
        } else {
            utf8 += static_cast<char>(0xC0 | (b >> 6));
            utf8 += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return utf8;
}

}  // namespace ombrix::core
