#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/data_set.h"

// What happens when the user types into the grids, as the model sees it.
// Questions go to the caller (the window) as callbacks that answer Yes (true)
// or No (false), so the rules can be exercised without a window.
namespace ombrix::core {

using AskYesNo = std::function<bool(const std::string& question)>;

// A rectangular block of cells, inclusive.
struct CellBlock {
    int firstRow = 0;
    int firstColumn = 0;
    int lastRow = 0;
    int lastColumn = 0;
};

// The block with its corners in order and inside the table.
CellBlock clampedBlock(const DataTable& table, const CellBlock& block);

struct CellEntryResult {
    bool stored = false;  // the value (or a blank) went into the cell
    bool redrawCell = false;
    bool redrawColumn = false;  // the column's decimals changed
    bool redrawGrid = false;    // summary values were erased
    std::string cellText;       // what the editor should now show
};

std::string meanEntryQuestion(int column);

// Typing text into a cell of the data grid: the decimal comma, the question
// about erasing typed summary values, the decimals rule, then the store.
CellEntryResult enterCellText(DataSet& dataSet, int row, int column, std::string_view text, char decimalSeparator,
                              const AskYesNo& askEraseMeanData);

// The decimals rule alone: widens the column's shown decimals to fit a typed
// value (never beyond 14 digits in all). True when the column must be redrawn.
bool applyDecimalsRule(DataTable& table, int column, Real value);

// The field each row of the summary grid edits.
enum class SummaryField {
    None,
    Mean,
    SD,
    SEM,
    N,
    Lower95,
    Upper95,
    Minimum,
    Median,
    Maximum,
    NormalityStatistic,
    NormalityP,
};
SummaryField summaryFieldOfRow(int gridRow, bool showSD);

// Typing into the summary grid. A typed N below 2, above 2147483647 or blank
// stores 0; otherwise its integer part. False when the row edits nothing.
bool enterSummaryText(DataSet& dataSet, int gridRow, int column, std::string_view text, char decimalSeparator);

// The exclude command on a block: when any cell is excluded every mark is
// removed, otherwise every cell holding a number is marked.
void toggleExclusion(DataSet& dataSet, const CellBlock& block);

inline constexpr const char* NumericTitleQuestion =
    "You entered a number as the column title. Is this number supposed to go into the first data row instead?";

// Typing a column title. A title that is a number may belong in the first data
// row: the user is asked while askAboutNumbers is set; No keeps the title and
// clears askAboutNumbers (the caller keeps it for the rest of the session).
void enterColumnTitle(DataSet& dataSet, int column, std::string_view title, char decimalSeparator,
                      bool& askAboutNumbers, const AskYesNo& askMoveToFirstRow, const AskYesNo& askEraseMeanData);

}  // namespace ombrix::core
