#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/real.h"

// Small text utilities shared by the data model, the file reader and the reports.
namespace ombrix::core {

std::string_view trimmed(std::string_view text);
std::string_view trimmedRight(std::string_view text);

// The first maxChars characters of a UTF-8 text, never cutting a character in two.
std::string truncatedText(std::string_view text, int maxChars);
int characterCount(std::string_view text);

// Text from files and the clipboard is UTF-8 when it is valid UTF-8, and
// otherwise taken as Latin-1 (8-bit files of older programs) and converted.
bool isValidUtf8(std::string_view bytes);
std::string latin1ToUtf8(std::string_view bytes);

// A number as a user types it: optional blanks, sign, digits, one '.', an
// optional exponent. Anything else (empty text, letters, "inf", "nan", hex
// notation, a value too large for the number type, the blank marker itself)
// gives nothing; the caller treats that as a blank.
std::optional<Real> parseNumber(std::string_view text);

// Replaces ',' by '.' when the user's decimal separator is not '.', so that a
// number typed with a comma reads the same as one typed with a point.
std::string withDecimalPoint(std::string_view text, char decimalSeparator);

// Shortest decimal form of x that reads back as x exactly, split into what the
// decimals rule needs: the count of decimals (trailing zeros removed) and of
// integer digits (at least 1).
struct DecimalShape {
    int decimals = 0;
    int integerDigits = 1;
};
DecimalShape shortestDecimalShape(Real x);

}  // namespace ombrix::core
