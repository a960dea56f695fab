#pragma once

#include <optional>
#include <string>

#include "core/cell_entry.h"
#include "core/clipboard_text.h"
#include "core/data_set.h"

// The commands that reshape the data table in bulk: Transform, Combine
// Variables, Number Format, Insert and Delete. Each acts on a data set and a
// block of cells; questions go to the caller as callbacks. Every command that
// changes something marks the touched columns changed (their statistics are
// computed again) and the data set modified with its results stale.
namespace ombrix::core {

// The transforms in the order of the dialog's list.
enum class TransformKind {
    Square,
    Log10,
    Ln,
    TenToY,
    ExpY,
    Reciprocal,
    SquareRoot,
    Logit,
    Sine,
    Cosine,
    Tangent,
    Arcsine,
    Absolute,
    TimesK,
    PlusK,
    MinusK,
    DividedByK,
};
inline constexpr int TransformKindCount = 17;

// "Y=Y squared", "Y=Log(Y)", ...
const char* transformListText(TransformKind kind);
// Whether the transform takes the constant K, and the K a choice of it sets.
bool transformUsesK(TransformKind kind);
Real defaultTransformK(TransformKind kind);

// Y transformed, or nothing when the result is impossible: a logarithm of 0
// or less, 1/0, the root or arcsine outside their domain, a logit outside
// 0 < Y < K, division by K = 0, and any result beyond the range of Real
// (10^Y, exp(Y), Y squared, K*Y, Y+K for huge values). The domain is tested
// before computing, so no floating-point exception flag is ever raised.
std::optional<Real> transformValue(TransformKind kind, Real y, Real k);

std::string impossibleTransformQuestion(int count);

enum class EditOutcome {
    Done,       // the table changed
    Unchanged,  // nothing to do (no numbers in the block, no new setting)
    Declined,   // the user answered No to the question
};

// Transforms every number of the block: a first pass counts the impossible
// results; when there are any the user is asked whether they may become
// blanks, and only a Yes lets the second pass store. Blank cells stay blank;
// a number stored clears its column's mean-entry flag.
EditOutcome transformCells(DataSet& dataSet, const CellBlock& block, TransformKind kind, Real k,
                           const AskYesNo& askEraseImpossible);

enum class CombineOperator { Plus, Minus, Times, DividedBy };
char combineSymbol(CombineOperator op);
// The new column's title: the first column's name, the operator, the second
// column's name, as the formula reads ("A-B").
std::string combinedTitle(int first, CombineOperator op, int second);

// target = first (op) second, row by row over the used rows. A row where
// either value is blank, or where the result does not exist (division by 0,
// beyond the range of Real), leaves the target cell as it was. The target's
// title becomes combinedTitle().
void combineColumns(DataSet& dataSet, int target, int first, CombineOperator op, int second);

// The columns the Number Format command sets and the label naming them.
struct ColumnRange {
    int first = 0;
    int last = 0;
};
ColumnRange numberFormatColumns(GridSelection selection, const CellBlock& block, int currentColumn);
std::string numberFormatLabel(GridSelection selection, const ColumnRange& columns);
// The fixed decimals all the columns share (-1 automatic), or nothing when
// they differ.
std::optional<int> sharedFixedDecimals(const DataTable& table, const ColumnRange& columns);
// Sets the fixed decimals (-1 automatic) of the columns.
EditOutcome setColumnDecimals(DataSet& dataSet, const ColumnRange& columns, int decimals);

enum class ShiftKind { Cells, EntireRows, EntireColumns };

std::string valuesLostQuestion(int count);
// How many numbers an insertion would push past the last row (or, for
// entire columns, past the last column) of the table.
int valuesLostByInsert(const DataTable& table, const CellBlock& block, ShiftKind kind);

// Opens a gap the size of the block: cells move down (within the block's
// columns, or every column for entire rows) or columns move right, with their
// exclusion marks; entire rows take their row titles along, entire columns
// their titles, records, decimals and mean-entry flags. When numbers would be
// pushed out of the table the user is asked first, naming how many.
EditOutcome insertCells(DataSet& dataSet, const CellBlock& block, ShiftKind kind, const AskYesNo& askLoseValues);
// Removes the block and closes the gap: the mirror of insertCells. The cells
// left free at the bottom (or the columns at the right) become blank.
EditOutcome deleteCells(DataSet& dataSet, const CellBlock& block, ShiftKind kind);

}  // namespace ombrix::core
