#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/data_table.h"

// Export of the data table and of a report as text files. The functions build
// the text (UTF-8, lines ended by CR LF); the caller writes it, for instance
// with replaceFileAtomically.
namespace ombrix::core {

enum class ExportArrangement {
    Standard,  // the table as it appears
    Index,     // every value in column 1, its column's number in column 2
};

struct ExportOptions {
    ExportArrangement arrangement = ExportArrangement::Standard;
    bool sheetTitle = true;
    bool columnTitles = true;
    char separator = '\t';
    char decimalSeparator = '.';  // '.' or ','
};

// TAB for a name ending in ".TXT" (any case), a comma for any other.
char exportSeparatorFor(std::string_view path);

// The used part of the table (up to the last used row and column). Every
// value is written with all the digits it holds, so that importing the file
// gives the same numbers back; a blank cell is an empty field and a mark of
// exclusion is not written. With a decimal comma a comma separator would be
// ambiguous, so ';' separates instead. A title holding the separator or a
// double quote is put in double quotes. An all-empty line of column titles is
// left out: it would read back as a row of blanks.
std::string exportDataText(const DataTable& table, const ExportOptions& options);

// The report, one line of text per report line.
std::string exportReportText(const std::vector<std::string>& lines);

}  // namespace ombrix::core
