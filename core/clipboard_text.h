#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/cell_entry.h"
#include "core/data_set.h"

// The text the data grid puts on the clipboard and takes from it: one line per
// row ended by CR LF, TAB between cells, UTF-8 throughout. No length limit:
// what is copied is complete.
namespace ombrix::core {

// Pasted rows go no further than the rows a data file holds.
inline constexpr int MaxPasteRows = 10000;
// A pasted title longer than this is cut.
inline constexpr int MaxPastedTitleLength = 80;

inline constexpr const char* IncludeColumnTitlesQuestion = "Include column titles?";
inline constexpr const char* IncludeRowTitlesQuestion = "Include row titles?";

// How the grid's selection was made; it decides the titles a copy may carry
// and where a paste starts.
enum class GridSelection {
    Block,         // any other block of cells
    WholeColumns,  // from the first to the last data row
    WholeRows,     // from the first to the last data column
    WholeSheet,
};

struct CopyOptions {
    CellBlock block;  // the selected cells, inclusive, 0-based
    bool rowTitles = false;
    bool columnTitles = false;
    char decimalSeparator = '.';  // the system's: numbers are written as the grid shows them
};

// The selected cells as the grid shows them (column decimals, "*" before an
// excluded value), rows up to the last one holding a value in the selected
// columns. With column titles, a first line of titles (after an empty cell
// when row titles are included); with row titles, each line starts with its
// row's title.
std::string copyCellsText(const DataTable& table, const CopyOptions& options);

// The same cells as an HTML table, titles as header cells, for programs that
// take formatted text.
std::string copyCellsHtml(const DataTable& table, const CopyOptions& options);

// A grid of texts (the column statistics) as clipboard text.
std::string copyGridText(const std::vector<std::vector<std::string>>& rows);

// Where a paste starts. Row -1 is the title row, column -1 the row-title
// column: a whole-sheet selection starts at both, whole columns at the title
// row, whole rows at the row-title column, any other selection at the
// current cell.
struct PasteStart {
    int row = 0;
    int column = 0;
};
PasteStart pasteStart(GridSelection selection, int currentRow, int currentColumn);

struct PasteOptions {
    PasteStart start;
    bool transpose = false;
    char systemDecimalSeparator = '.';
};

struct PasteResult {
    bool pasted = false;  // some cell or title changed
    CellBlock cells;      // the data cells reached (meaningful when cellsPasted > 0)
    int cellsPasted = 0;
    bool stoppedAtLastRow = false;
};

// Pastes clipboard text into the data set. The decimal point is the system's
// separator when the text holds it, else "."; a "." that is not the decimal
// point groups thousands and is dropped. TAB, "," and ";" (unless one is the
// decimal point) end a field, LF a line; CR is ignored and NUL ends the text.
// A field that is no number (or holds "#") leaves a blank; "*" before a number
// pastes it excluded, as the grid's own copy writes it. Fields for the title
// row or the row-title column become titles. Rows stop at MaxPasteRows;
// columns beyond the table are skipped (or, transposed, end the paste).
PasteResult pasteCellsText(DataSet& dataSet, std::string_view text, const PasteOptions& options);

}  // namespace ombrix::core
