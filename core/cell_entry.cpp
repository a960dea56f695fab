#include "core/cell_entry.h"

#include <algorithm>
#include <climits>

#include "core/text.h"

namespace ombrix::core {

std::string meanEntryQuestion(int column)
{
    return "Column " + columnName(column) +
           " contains data entered as mean and error. You cannot enter raw data without erasing the mean data. "
           "Erase mean data?";
}

bool applyDecimalsRule(DataTable& table, int column, Real value)
{
    if (isMissing(value) || inExponentRange(value))
        return false;
    const DecimalShape shape = shortestDecimalShape(value);
    const int integerDigits = std::min(shape.integerDigits, MaxShownDigits);
    const int room = MaxShownDigits - integerDigits;

    const int fixed = table.fixedDecimals(column);
    if (fixed < 0) {
        // Widen to the typed decimals, but never past the digits that can be
        // shown: a value with many integer digits gets what room is left.
        const int wanted = std::min(shape.decimals, room);
        if (wanted > table.autoDecimals(column)) {
            table.setAutoDecimals(column, wanted);
            return true;
        }
        return false;
    }
    if (fixed != shape.decimals && fixed + integerDigits > MaxShownDigits) {
        table.setFixedDecimals(column, room);
        return true;
    }
    return false;
}

CellEntryResult enterCellText(DataSet& dataSet, int row, int column, std::string_view text, char decimalSeparator,
                              const AskYesNo& askEraseMeanData)
{
    CellEntryResult result;
    DataTable& table = dataSet.table;
    if (!table.isValidCell(row, column))
        return result;

    result.cellText = withDecimalPoint(text, decimalSeparator);
    const Real value = parseNumber(result.cellText).value_or(MissingValue);

    if (!isMissing(value) && table.meanEntry(column)) {
        ColumnRecord& record = table.column(column);
        const bool summaryBlank = isMissing(record.mean) && isMissing(record.sd) && isMissing(record.sem);
        if (!summaryBlank) {
            if (!askEraseMeanData || !askEraseMeanData(meanEntryQuestion(column))) {
                result.cellText.clear();
                return result;
            }
            record.mean = MissingValue;
            record.sd = MissingValue;
            record.sem = MissingValue;
            result.redrawGrid = true;
        }
        table.setMeanEntry(column, false);
    }

    if (inExponentRange(value))
        result.redrawCell = true;
    else
        result.redrawColumn = applyDecimalsRule(table, column, value);

    table.setValue(row, column, value);
    result.stored = true;
    dataSet.markChanged();
    return result;
}

SummaryField summaryFieldOfRow(int gridRow, bool showSD)
{
    switch (gridRow) {
    case 2: return SummaryField::Mean;
    case 3: return showSD ? SummaryField::SD : SummaryField::SEM;
    case 4: return SummaryField::N;
    case 6: return showSD ? SummaryField::SEM : SummaryField::SD;
    case 7: return SummaryField::Lower95;
    case 8: return SummaryField::Upper95;
    case 10: return SummaryField::Minimum;
    case 11: return SummaryField::Median;
    case 12: return SummaryField::Maximum;
    case 14: return SummaryField::NormalityStatistic;
    case 15: return SummaryField::NormalityP;
    default: return SummaryField::None;
    }
}

bool enterSummaryText(DataSet& dataSet, int gridRow, int column, std::string_view text, char decimalSeparator)
{
    const SummaryField field = summaryFieldOfRow(gridRow, dataSet.choices.ShowSD);
    if (field == SummaryField::None || !DataTable::isValidColumn(column))
        return false;

    const Real value = parseNumber(withDecimalPoint(text, decimalSeparator)).value_or(MissingValue);
    ColumnRecord& record = dataSet.table.column(column);
    switch (field) {
    case SummaryField::Mean: record.mean = value; break;
    case SummaryField::SD: record.sd = value; break;
    case SummaryField::SEM: record.sem = value; break;
    case SummaryField::N:
        record.n = (isMissing(value) || value < 2 || value > Real(INT_MAX)) ? 0 : static_cast<std::int32_t>(value);
        break;
    case SummaryField::Lower95: record.lower95 = value; break;
    case SummaryField::Upper95: record.upper95 = value; break;
    case SummaryField::Minimum: record.minimum = value; break;
    case SummaryField::Median: record.median = value; break;
    case SummaryField::Maximum: record.maximum = value; break;
    case SummaryField::NormalityStatistic: record.normalityStatistic = value; break;
    case SummaryField::NormalityP: record.normalityP = value; break;
    case SummaryField::None: break;
    }
    dataSet.table.setMeanEntry(column, true);
    dataSet.table.setColumnChanged(column, true);
    dataSet.markChanged();
    return true;
}

void toggleExclusion(DataSet& dataSet, const CellBlock& block)
{
    DataTable& table = dataSet.table;
    const CellBlock b = clampedBlock(table, block);
    // Only the used part of the table can hold numbers or marks.
    const int lastRow = std::min(b.lastRow, table.lastUsedRow());
    const int lastColumn = std::min(b.lastColumn, table.lastUsedColumn());

    bool anyExcluded = false;
    for (int r = b.firstRow; r <= lastRow && !anyExcluded; ++r)
        for (int c = b.firstColumn; c <= lastColumn && !anyExcluded; ++c)
            anyExcluded = table.isExcluded(r, c);

    for (int r = b.firstRow; r <= lastRow; ++r)
        for (int c = b.firstColumn; c <= lastColumn; ++c)
            if (anyExcluded ? table.isExcluded(r, c) : !table.isBlank(r, c))
                table.setExcluded(r, c, !anyExcluded);
    dataSet.markChanged();
}

void enterColumnTitle(DataSet& dataSet, int column, std::string_view title, char decimalSeparator,
                      bool& askAboutNumbers, const AskYesNo& askMoveToFirstRow, const AskYesNo& askEraseMeanData)
{
    if (!DataTable::isValidColumn(column))
        return;
    const std::string text = withDecimalPoint(title, decimalSeparator);
    if (askAboutNumbers && parseNumber(text)) {
        if (askMoveToFirstRow && askMoveToFirstRow(NumericTitleQuestion)) {
            dataSet.table.setColumnTitle(column, "");
            enterCellText(dataSet, 0, column, text, '.', askEraseMeanData);
            dataSet.markChanged();
            return;
        }
        askAboutNumbers = false;
    }
    dataSet.table.setColumnTitle(column, title);
    dataSet.markChanged();
}

CellBlock clampedBlock(const DataTable& table, const CellBlock& block)
{
    CellBlock b;
    b.firstRow = std::clamp(std::min(block.firstRow, block.lastRow), 0, table.rowCount() - 1);
    b.lastRow = std::clamp(std::max(block.firstRow, block.lastRow), 0, table.rowCount() - 1);
    b.firstColumn = std::clamp(std::min(block.firstColumn, block.lastColumn), 0, table.columnCount() - 1);
    b.lastColumn = std::clamp(std::max(block.firstColumn, block.lastColumn), 0, table.columnCount() - 1);
    return b;
}

}  // namespace ombrix::core
