#include "app/step_text.h"

#include <QLocale>

#include "core/data_table.h"
#include "core/text.h"

namespace ombrix::app {

QChar systemDecimalSeparator()
{
    const QString separator = QLocale::system().decimalPoint();
    return separator.size() == 1 ? separator.front() : QLatin1Char('.');
}

QString columnCaption(int column, std::string_view title)
{
    return QString::fromStdString(core::columnName(column)) + QStringLiteral(": ") + fromUtf8(title);
}

QString shortColumnCaption(int column, std::string_view title)
{
    if (core::trimmed(title).empty())
        return QString::fromStdString(core::columnName(column));
    return columnCaption(column, title);
}

}  // namespace ombrix::app
