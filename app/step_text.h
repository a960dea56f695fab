#pragma once

#include <QChar>
#include <QString>

#include <string>
#include <string_view>

// Text conversions shared by the step pages: the engine speaks UTF-8, the
// widgets QString, and numbers follow the desktop's decimal separator.
namespace ombrix::app {

inline QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The decimal separator of the user's regional settings; '.' when it is not
// a single character.
QChar systemDecimalSeparator();

// A column as the column lists show it: letter(s), ": " and title.
QString columnCaption(int column, std::string_view title);
// A column named in running text: "A: Control", or the letter alone when
// the column has no title.
QString shortColumnCaption(int column, std::string_view title);

}  // namespace ombrix::app
