#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/data_set.h"

// Import of delimited text (numbers separated by tabs, semicolons, blanks or
// commas): the text is read whole into a temporary table, with the delimiter
// and the decimal separator found from the text itself; the import dialog then
// chooses what of it goes into the document. Everything here works on text in
// memory except readImportFile.
namespace ombrix::core {

// Data rows an import reads at the most (as many as a data file holds).
inline constexpr int MaxImportRows = 10000;

inline constexpr const char* NotTextFileMessage =
    "The file is not a text file. Only text with numbers separated by tabs, commas, semicolons or blanks can be "
    "imported.";
inline constexpr const char* TooManyImportRowsMessage =
    "There are too many rows of data in this file.Only the first 10000 rows will be read.";
inline constexpr const char* SameValueAndGroupColumnMessage =
    "The column with values and the column with group assignments must be different.";

struct ImportText {
    bool ok = false;
    std::string text;     // UTF-8, whatever the file's encoding was
    std::string message;  // why the file cannot be imported
};

// File bytes as importable text: UTF-8 is kept, anything else is read as
// Latin-1. A byte-order mark and a final Ctrl+Z are dropped. Bytes that no
// text holds (NUL, control characters other than tab, CR, LF and form feed)
// refuse the file with NotTextFileMessage.
ImportText decodeImportText(std::string_view bytes);
// The one place that touches the disk: reads the file and decodes it. A file
// that cannot be read gives the system's message.
ImportText readImportFile(const std::string& path);

// Whether a line is a header line (titles) rather than data: a line holding
// "*" or nothing is data; one starting with anything but a blank, sign,
// separator, point or digit is text; otherwise it is text as soon as one
// character is neither one of those nor an exponent "E".
bool IsTextLine(std::string_view line);

struct Delimiters {
    char delimiter = '\t';
    char decimalSeparator = '.';
};

// Lines ended by LF, CR LF or a lone CR (the line ends are not part of a line).
std::vector<std::string_view> splitLines(std::string_view text);

// The header lines at the top of the lines: blank lines and text lines up to
// the first line of data.
int countHeaderLines(const std::vector<std::string_view>& lines);

// The delimiter and the decimal separator of the data lines (those after the
// header). A tab wins over ";", ";" over a blank, a blank over ","; the
// decimals are the system's separator when the text holds it (and it is not
// the delimiter), else "," when only commas could be decimals, else ".".
Delimiters DetectDelimiters(const std::vector<std::string_view>& lines, int headerLines, char systemDecimalSeparator);

struct Token {
    std::string text;   // what a number can be made of: digits, signs, "*", "E", and "." for the decimals
    bool empty = true;  // the field held nothing but blanks
    bool endOfLine = false;
};

// The next field of a line from position, which moves past the delimiter.
// With a blank delimiter a run of blanks is one delimiter. The decimal
// separator becomes "."; when it is not ".", a "." groups thousands and is
// dropped. Every other character that cannot belong to a number is dropped.
Token ReadToken(std::string_view line, size_t& position, const Delimiters& delimiters);

// The temporary table of an import and what reading it found.
struct TextTable {
    DataTable table;
    Delimiters delimiters;
    int headerLines = 0;
    int columnsRead = 0;       // fields on the widest data line
    bool tooManyRows = false;  // rows beyond MaxImportRows were left out
    int unreadableTokens = 0;  // fields that held something but no number; they are blank
};

// Reads text (UTF-8, from decodeImportText) into a temporary table: each data
// line one row, each field one column (at most 52), values as the text holds
// them; a column's automatic decimals are the most decimals any of its values
// was written with (when the value fits in 14 digits). The table title and
// column titles come from the header lines.
TextTable readTextTable(std::string_view text, char systemDecimalSeparator);

// Titles from the header lines: the first non-blank one is the row of column
// titles when its fields (split at tabs and commas, or the delimiter, outside
// double quotes) number the data columns read; else it is the table title and
// the next non-blank header line gives the column titles.
struct HeaderTitles {
    std::string tableTitle;
    std::vector<std::string> columnTitles;
};
HeaderTitles titlesFromHeader(const std::vector<std::string_view>& headerLines, int columnsRead, char delimiter);

enum class ImportColumns { All, Range, Indexed };
enum class FilterCondition { Equal, Greater, GreaterOrEqual, Less, LessOrEqual, NotEqual };

// The choices of the import dialog. Rows and columns are 0-based here; the
// dialog shows them plus one.
struct ImportOptions {
    bool rowRange = false;
    int fromRow = 0;
    int toRow = 0;

    bool filter = false;
    int filterColumn = 0;
    FilterCondition condition = FilterCondition::Equal;
    Real filterValue = 0;

    ImportColumns columns = ImportColumns::All;
    int fromColumn = 0;  // ImportColumns::Range
    int toColumn = 0;
    int valueColumn = 0;  // ImportColumns::Indexed
    int groupColumn = 1;

    // The document's current cell: where the first row and column land.
    int startRow = 0;
    int startColumn = 0;
};

// What the dialog starts with for a temporary table: everything, from row 1
// and column A.
ImportOptions defaultImportOptions(const TextTable& source);

bool satisfiesFilter(Real value, FilterCondition condition, Real filterValue);

struct ImportResult {
    bool ok = false;
    std::string message;  // the dialog shows it and stays open
    int rowsCopied = 0;
};

// Copies the chosen part of the temporary table into the document, as the
// dialog's OK does. Indexed: the grid is cleared and each group identifier
// gets its own column, titled with the identifier. Otherwise: the accepted
// rows land one under the other from the start cell, each taken column beside
// the last. The columns keep the titles and the decimals they came with; the
// document is marked changed. When the value column is the group column
// nothing changes and the message says why.
ImportResult copyIntoDataSet(const TextTable& source, const ImportOptions& options, DataSet& target);

}  // namespace ombrix::core
