#include "core/editing.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "core/text.h"

namespace ombrix::core {

namespace {

constexpr Real Largest = std::numeric_limits<Real>::max();
// 10^Y and e^Y stay below Largest (1.19E4932) for Y up to these, with a
// little room so that rounding of the bound can never overflow.
constexpr Real LargestPowerOfTen = std::numeric_limits<Real>::max_exponent10;  // 4932
constexpr Real LargestExponent = 11356;                                        // ln(Largest) = 11356.52

// a + b, a * b and a / b when the result lies within the range of Real;
// the bounds are tested by operations that cannot overflow themselves.
std::optional<Real> sum(Real a, Real b)
{
    if ((a > 0) == (b > 0) && a != 0 && b != 0 && std::fabs(a) > Largest - std::fabs(b))
        return std::nullopt;
    return a + b;
}

std::optional<Real> product(Real a, Real b)
{
    if (std::fabs(a) > 1 && std::fabs(b) > 1 && std::fabs(a) > Largest / std::fabs(b))
        return std::nullopt;
    return a * b;
}

std::optional<Real> quotient(Real a, Real b)
{
    if (b == 0 || (std::fabs(b) < 1 && std::fabs(a) > Largest * std::fabs(b)))
        return std::nullopt;
    return a / b;
}

std::optional<Real> computeTransform(TransformKind kind, Real y, Real k)
{
    switch (kind) {
    case TransformKind::Square: return product(y, y);
    case TransformKind::Log10:
        if (y <= 0)
            return std::nullopt;
        return std::log10(y);
    case TransformKind::Ln:
        if (y <= 0)
            return std::nullopt;
        return std::log(y);
    case TransformKind::TenToY:
        if (y > LargestPowerOfTen)
            return std::nullopt;
        return std::pow(Real(10), y);
    case TransformKind::ExpY:
        if (y > LargestExponent)
            return std::nullopt;
        return std::exp(y);
    case TransformKind::Reciprocal: return quotient(1, y);
    case TransformKind::SquareRoot:
        if (y < 0)
            return std::nullopt;
        return std::sqrt(y);
    case TransformKind::Logit: {
        if (!(y > 0 && y < k))
            return std::nullopt;
        // K - Y > 0 here; a ratio that underflows to 0 has no logarithm.
        const std::optional<Real> ratio = quotient(y, k - y);
        if (!ratio || *ratio <= 0)
            return std::nullopt;
        return std::log(*ratio);
    }
    case TransformKind::Sine: return std::sin(y);
    case TransformKind::Cosine: return std::cos(y);
    case TransformKind::Tangent: return quotient(std::sin(y), std::cos(y));
    case TransformKind::Arcsine:
        if (y > 1 || y < -1)
            return std::nullopt;
        return std::asin(y);
    case TransformKind::Absolute: return std::fabs(y);
    case TransformKind::TimesK: return product(k, y);
    case TransformKind::PlusK: return sum(y, k);
    case TransformKind::MinusK: return sum(y, -k);
    case TransformKind::DividedByK: return quotient(y, k);
    }
    return std::nullopt;
}

// The block within the table and within the used rows and columns (nothing
// lies beyond them); nothing when no cell of it can hold a number.
std::optional<CellBlock> usedPart(const DataTable& table, const CellBlock& block)
{
    CellBlock b;
    b.firstRow = std::max(0, std::min(block.firstRow, block.lastRow));
    b.firstColumn = std::max(0, std::min(block.firstColumn, block.lastColumn));
    b.lastRow = std::min({std::max(block.firstRow, block.lastRow), table.rowCount() - 1, table.lastUsedRow()});
    b.lastColumn =
        std::min({std::max(block.firstColumn, block.lastColumn), table.columnCount() - 1, table.lastUsedColumn()});
    if (b.firstRow > b.lastRow || b.firstColumn > b.lastColumn)
        return std::nullopt;
    return b;
}

int countNumbers(const DataTable& table, int firstRow, int lastRow, int firstColumn, int lastColumn)
{
    lastRow = std::min(lastRow, table.lastUsedRow());
    lastColumn = std::min(lastColumn, table.lastUsedColumn());
    int count = 0;
    for (int r = firstRow; r <= lastRow; ++r)
        for (int c = firstColumn; c <= lastColumn; ++c)
            if (!table.isBlank(r, c))
                ++count;
    return count;
}

// The value and exclusion mark of one cell copied into another.
void copyCell(DataTable& table, int fromRow, int fromColumn, int toRow, int toColumn)
{
    const Real value = table.value(fromRow, fromColumn);
    const bool excluded = table.isExcluded(fromRow, fromColumn);
    table.setValue(toRow, toColumn, value);
    if (!isMissing(value))
        table.setExcluded(toRow, toColumn, excluded);
}

// A row title copied from another row: a typed title moves, a default one
// (the row number) stays the number of the row it lands on.
void copyRowTitle(DataTable& table, int fromRow, int toRow)
{
    table.setRowTitle(toRow, table.hasRowTitle(fromRow) ? table.rowTitle(fromRow) : DataTable::defaultRowTitle(toRow));
}

// Rows from firstRow down move by `rows` (positive: down, negative: up)
// within the columns; rows left free become blank, rows pushed out of the
// table are lost.
void shiftRows(DataTable& table, int firstRow, int rows, int firstColumn, int lastColumn, bool withTitles)
{
    const int rowCount = table.rowCount();
    // Nothing lies below the last used row, so cells further down only ever
    // receive blanks that they already hold.
    const int lastTouched = std::min(rowCount - 1, table.lastUsedRow() + std::max(rows, 0));
    const auto moveRow = [&](int to) {
        const int from = to - rows;
        const bool inside = from >= firstRow && from < rowCount;
        for (int c = firstColumn; c <= lastColumn; ++c) {
            if (inside)
                copyCell(table, from, c, to, c);
            else
                table.setValue(to, c, MissingValue);
        }
    };
    if (rows > 0) {
        for (int to = lastTouched; to >= firstRow; --to)
            moveRow(to);
    } else {
        for (int to = firstRow; to <= lastTouched; ++to)
            moveRow(to);
    }
    if (!withTitles)
        return;
    const auto moveTitle = [&](int to) {
        const int from = to - rows;
        if (from >= firstRow && from < rowCount)
            copyRowTitle(table, from, to);
        else
            table.setRowTitle(to, DataTable::defaultRowTitle(to));
    };
    if (rows > 0) {
        for (int to = rowCount - 1; to >= firstRow; --to)
            moveTitle(to);
    } else {
        for (int to = firstRow; to < rowCount; ++to)
            moveTitle(to);
    }
}

// Columns from firstColumn on move by `columns` (positive: right, negative:
// left) with everything that belongs to a column; columns left free become
// blank and untitled with automatic decimals.
void shiftColumns(DataTable& table, int firstColumn, int columns)
{
    const int columnCount = table.columnCount();
    const int lastRow = table.lastUsedRow();
    const auto sourceOf = [&](int to) {
        const int from = to - columns;
        return from >= firstColumn && from < columnCount ? from : -1;
    };
    const auto moveColumnState = [&](int to) {
        const int from = sourceOf(to);
        if (from >= 0) {
            table.column(to) = table.column(from);
            table.setAutoDecimals(to, table.autoDecimals(from));
            table.setFixedDecimals(to, table.fixedDecimals(from));
            table.setMeanEntry(to, table.meanEntry(from));
        } else {
            table.column(to) = ColumnRecord{};
            table.setAutoDecimals(to, 0);
            table.setFixedDecimals(to, -1);
            table.setMeanEntry(to, false);
        }
        table.setColumnChanged(to, true);
    };
    // Row by row: the cells of one row lie side by side in memory.
    for (int r = 0; r <= lastRow; ++r) {
        const auto moveCell = [&](int to) {
            if (const int from = sourceOf(to); from >= 0)
                copyCell(table, r, from, r, to);
            else
                table.setValue(r, to, MissingValue);
        };
        if (columns > 0)
            for (int to = columnCount - 1; to >= firstColumn; --to)
                moveCell(to);
        else
            for (int to = firstColumn; to < columnCount; ++to)
                moveCell(to);
    }
    if (columns > 0)
        for (int to = columnCount - 1; to >= firstColumn; --to)
            moveColumnState(to);
    else
        for (int to = firstColumn; to < columnCount; ++to)
            moveColumnState(to);
}

}  // namespace

const char* transformListText(TransformKind kind)
{
    switch (kind) {
    case TransformKind::Square: return "Y=Y squared";
    case TransformKind::Log10: return "Y=Log(Y)";
    case TransformKind::Ln: return "Y=Ln(Y)";
    case TransformKind::TenToY: return "Y=10^Y";
    case TransformKind::ExpY: return "Y=exp(Y)";
    case TransformKind::Reciprocal: return "Y=1/Y";
    case TransformKind::SquareRoot: return "Y=SQRT(Y)";
    case TransformKind::Logit: return "Y=LOGIT(Y)";
    case TransformKind::Sine: return "Y=sin(Y)";
    case TransformKind::Cosine: return "Y=cos(Y)";
    case TransformKind::Tangent: return "Y=tan(Y)";
    case TransformKind::Arcsine: return "Y=arcsin(Y)";
    case TransformKind::Absolute: return "Y=abs(Y)";
    case TransformKind::TimesK: return "Y=K*Y";
    case TransformKind::PlusK: return "Y=Y+K";
    case TransformKind::MinusK: return "Y=Y-K";
    case TransformKind::DividedByK: return "Y=Y/K";
    }
    return "";
}

bool transformUsesK(TransformKind kind)
{
    switch (kind) {
    case TransformKind::Logit:
    case TransformKind::TimesK:
    case TransformKind::PlusK:
    case TransformKind::MinusK:
    case TransformKind::DividedByK: return true;
    default: return false;
    }
}

Real defaultTransformK(TransformKind kind)
{
    return kind == TransformKind::PlusK || kind == TransformKind::MinusK ? 0 : 1;
}

std::optional<Real> transformValue(TransformKind kind, Real y, Real k)
{
    if (isMissing(y) || !std::isfinite(y) || !std::isfinite(k))
        return std::nullopt;
    const std::optional<Real> result = computeTransform(kind, y, k);
    // A result that happens to be the blank marker could not be told from a blank.
    if (!result || isMissing(*result))
        return std::nullopt;
    return result;
}

std::string impossibleTransformQuestion(int count)
{
    return "The transformation you have selected is mathematically impossible with " + std::to_string(count) +
           " of the values. These values will be erased. Continue?";
}

// A computed value (ln 2, 1/3) has no typed text to take its decimals from:
// the column's automatic decimals grow to show it with four significant
// digits (fewer when its own shortest text has fewer), so that a column of
// whole numbers does not show ln 2 as "1". Never lowered; fixed decimals and
// values shown in exponent form are left alone, as when typing.
void widenAutoDecimals(DataTable& table, int column, Real value)
{
    if (isMissing(value) || value == 0 || table.fixedDecimals(column) >= 0 || inExponentRange(value))
        return;
    const Real magnitude = std::fabs(value);
    const int integerPart = magnitude >= 1 ? static_cast<int>(std::floor(std::log10(magnitude))) + 1 : 1;
    const int significant =
        magnitude >= 1 ? std::max(0, 4 - integerPart) : 3 - static_cast<int>(std::floor(std::log10(magnitude)));
    // Most values of a column need no more than it shows already; only the
    // others pay for their shortest text.
    if (significant <= table.autoDecimals(column))
        return;
    const DecimalShape shape = shortestDecimalShape(value);
    const int decimals = std::min(shape.decimals, significant);
    const int integerDigits = std::min(shape.integerDigits, 14);
    if (decimals > table.autoDecimals(column) && decimals + integerDigits <= 14)
        table.setAutoDecimals(column, decimals);
}

EditOutcome transformCells(DataSet& dataSet, const CellBlock& block, TransformKind kind, Real k,
                           const AskYesNo& askEraseImpossible)
{
    DataTable& table = dataSet.table;
    const std::optional<CellBlock> used = usedPart(table, block);
    if (!used)
        return EditOutcome::Unchanged;
    const CellBlock& b = *used;

    // First pass: nothing changes until the user has seen what would be lost.
    std::vector<Real> results;
    int impossible = 0;
    for (int r = b.firstRow; r <= b.lastRow; ++r)
        for (int c = b.firstColumn; c <= b.lastColumn; ++c) {
            const Real y = table.value(r, c);
            if (isMissing(y))
                continue;
            const std::optional<Real> result = transformValue(kind, y, k);
            results.push_back(result.value_or(MissingValue));
            if (!result)
                ++impossible;
        }
    if (results.empty())
        return EditOutcome::Unchanged;
    if (impossible > 0 && (!askEraseImpossible || !askEraseImpossible(impossibleTransformQuestion(impossible))))
        return EditOutcome::Declined;

    auto next = results.begin();
    for (int r = b.firstRow; r <= b.lastRow; ++r)
        for (int c = b.firstColumn; c <= b.lastColumn; ++c) {
            if (table.isBlank(r, c))
                continue;
            const Real result = *next++;
            table.setValue(r, c, result);
            if (!isMissing(result)) {
                table.setMeanEntry(c, false);
                widenAutoDecimals(table, c, result);
            }
        }
    table.recomputeLastUsed();
    dataSet.markChanged();
    return EditOutcome::Done;
}

char combineSymbol(CombineOperator op)
{
    switch (op) {
    case CombineOperator::Plus: return '+';
    case CombineOperator::Minus: return '-';
    case CombineOperator::Times: return '*';
    case CombineOperator::DividedBy: return '/';
    }
    return '?';
}

std::string combinedTitle(int first, CombineOperator op, int second)
{
    return columnName(first) + combineSymbol(op) + columnName(second);
}

void combineColumns(DataSet& dataSet, int target, int first, CombineOperator op, int second)
{
    DataTable& table = dataSet.table;
    if (!DataTable::isValidColumn(target) || !DataTable::isValidColumn(first) || !DataTable::isValidColumn(second))
        return;
    bool stored = false;
    const int lastRow = table.lastUsedRow();
    for (int r = 0; r <= lastRow; ++r) {
        const Real a = table.value(r, first);
        const Real b = table.value(r, second);
        if (isMissing(a) || isMissing(b))
            continue;
        std::optional<Real> result;
        switch (op) {
        case CombineOperator::Plus: result = sum(a, b); break;
        case CombineOperator::Minus: result = sum(a, -b); break;
        case CombineOperator::Times: result = product(a, b); break;
        case CombineOperator::DividedBy: result = quotient(a, b); break;
        }
        if (!result || isMissing(*result))
            continue;
        table.setValue(r, target, *result);
        widenAutoDecimals(table, target, *result);
        stored = true;
    }
    if (stored)
        table.setMeanEntry(target, false);
    table.setColumnTitle(target, combinedTitle(first, op, second));
    table.setColumnChanged(target, true);
    dataSet.markChanged();
}

ColumnRange numberFormatColumns(GridSelection selection, const CellBlock& block, int currentColumn)
{
    switch (selection) {
    case GridSelection::WholeSheet: return {0, TableColumns - 1};
    case GridSelection::WholeColumns:
        return {std::clamp(std::min(block.firstColumn, block.lastColumn), 0, TableColumns - 1),
                std::clamp(std::max(block.firstColumn, block.lastColumn), 0, TableColumns - 1)};
    case GridSelection::WholeRows:
    case GridSelection::Block: break;
    }
    const int column = std::clamp(currentColumn, 0, TableColumns - 1);
    return {column, column};
}

std::string numberFormatLabel(GridSelection selection, const ColumnRange& columns)
{
    if (selection == GridSelection::WholeSheet)
        return "For columns A-Z:";
    if (selection == GridSelection::WholeColumns && columns.first != columns.last)
        return "For columns " + columnName(columns.first) + "-" + columnName(columns.last) + ":";
    return "For column " + columnName(columns.first) + ":";
}

std::optional<int> sharedFixedDecimals(const DataTable& table, const ColumnRange& columns)
{
    const int shared = table.fixedDecimals(columns.first);
    for (int c = columns.first + 1; c <= columns.last; ++c)
        if (table.fixedDecimals(c) != shared)
            return std::nullopt;
    return shared;
}

EditOutcome setColumnDecimals(DataSet& dataSet, const ColumnRange& columns, int decimals)
{
    DataTable& table = dataSet.table;
    bool changed = false;
    for (int c = std::max(columns.first, 0); c <= std::min(columns.last, TableColumns - 1); ++c) {
        const int before = table.fixedDecimals(c);
        table.setFixedDecimals(c, decimals);
        changed = changed || table.fixedDecimals(c) != before;
    }
    if (!changed)
        return EditOutcome::Unchanged;
    dataSet.markChanged();
    return EditOutcome::Done;
}

std::string valuesLostQuestion(int count)
{
    return "The inserted cells push " + std::to_string(count) +
           " values past the end of the table. These values will be lost. Continue?";
}

int valuesLostByInsert(const DataTable& table, const CellBlock& block, ShiftKind kind)
{
    const CellBlock b = clampedBlock(table, block);
    const int rows = b.lastRow - b.firstRow + 1;
    const int columns = b.lastColumn - b.firstColumn + 1;
    switch (kind) {
    case ShiftKind::Cells:
        return countNumbers(table, std::max(b.firstRow, table.rowCount() - rows), table.rowCount() - 1, b.firstColumn,
                            b.lastColumn);
    case ShiftKind::EntireRows:
        return countNumbers(table, std::max(b.firstRow, table.rowCount() - rows), table.rowCount() - 1, 0,
                            table.columnCount() - 1);
    case ShiftKind::EntireColumns:
        return countNumbers(table, 0, table.rowCount() - 1, std::max(b.firstColumn, table.columnCount() - columns),
                            table.columnCount() - 1);
    }
    return 0;
}

EditOutcome insertCells(DataSet& dataSet, const CellBlock& block, ShiftKind kind, const AskYesNo& askLoseValues)
{
    DataTable& table = dataSet.table;
    const CellBlock b = clampedBlock(table, block);
    if (const int lost = valuesLostByInsert(table, b, kind);
        lost > 0 && (!askLoseValues || !askLoseValues(valuesLostQuestion(lost))))
        return EditOutcome::Declined;
    const int rows = b.lastRow - b.firstRow + 1;
    switch (kind) {
    case ShiftKind::Cells: shiftRows(table, b.firstRow, rows, b.firstColumn, b.lastColumn, false); break;
    case ShiftKind::EntireRows: shiftRows(table, b.firstRow, rows, 0, table.columnCount() - 1, true); break;
    case ShiftKind::EntireColumns: shiftColumns(table, b.firstColumn, b.lastColumn - b.firstColumn + 1); break;
    }
    table.recomputeLastUsed();
    dataSet.markChanged();
    return EditOutcome::Done;
}

EditOutcome deleteCells(DataSet& dataSet, const CellBlock& block, ShiftKind kind)
{
    DataTable& table = dataSet.table;
    const CellBlock b = clampedBlock(table, block);
    const int rows = b.lastRow - b.firstRow + 1;
    switch (kind) {
    case ShiftKind::Cells: shiftRows(table, b.firstRow, -rows, b.firstColumn, b.lastColumn, false); break;
    case ShiftKind::EntireRows: shiftRows(table, b.firstRow, -rows, 0, table.columnCount() - 1, true); break;
    case ShiftKind::EntireColumns: shiftColumns(table, b.firstColumn, -(b.lastColumn - b.firstColumn + 1)); break;
    }
    table.recomputeLastUsed();
    dataSet.markChanged();
    return EditOutcome::Done;
}

}  // namespace ombrix::core
