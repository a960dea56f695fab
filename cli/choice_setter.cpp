#include "cli/choice_setter.h"

#include <cmath>

#include "core/choice_table.h"
#include "core/oxd_file.h"
#include "core/text.h"

namespace ombrix::cli {

namespace {

// Appended piece by piece: GCC 12 misreads "'" + std::string as an
// overlapping copy and warns.
std::string notAColumnLetter(std::string_view text)
{
    std::string message = "'";
    message += text;
    message += "' is not a column letter";
    return message;
}

using core::ChoiceDescriptor;
using core::ChoiceKind;

std::vector<std::string_view> split(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (true) {
        const size_t end = text.find(separator, start);
        parts.push_back(core::trimmed(text.substr(start, end == std::string_view::npos ? end : end - start)));
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

std::optional<int> wholeNumberIn(std::string_view text, int low, int high)
{
    const auto value = core::parseNumber(text);
    if (!value || *value != std::trunc(*value) || *value < low || *value > high)
        return std::nullopt;
    return static_cast<int>(*value);
}

// The columns an analysis of three or more columns uses, in order: the pair
// flags are numbered by position among them.
std::vector<int> analysedColumns(const core::DataSet& d)
{
    std::vector<int> columns;
    for (int c = 0; c < core::TableColumns; ++c)
        if (d.table.column(c).n > 0 && (d.choices.AllColumns || d.table.isSelected(c)))
            columns.push_back(c);
    return columns;
}

std::string setPairFlags(core::DataSet& d, std::string_view text)
{
    const std::vector<int> analysed = analysedColumns(d);
    auto position = [&](int column) {
        for (size_t i = 0; i < analysed.size(); ++i)
            if (analysed[i] == column)
                return static_cast<int>(i);
        return -1;
    };
    auto pairs = d.choices.SelectedPairs;
    pairs.fill(false);
    if (!text.empty()) {
        for (const std::string_view pair : split(text, ',')) {
            const auto ends = split(pair, '-');
            if (ends.size() != 2)
                return "expects letter pairs such as A-B,A-C";
            int i = position(columnOfName(ends[0]));
            int j = position(columnOfName(ends[1]));
            if (i < 0 || j < 0 || i == j)
                return "pair " + std::string(pair) + " is not a pair of two analysed columns";
            if (i > j)
                std::swap(i, j);
            pairs[core::selectedPairIndex(i, j)] = true;
        }
    }
    d.choices.SelectedPairs = pairs;
    return {};
}

std::string setColumnFlags(core::DataSet& d, std::string_view text)
{
    std::array<bool, core::TableColumns> flags{};
    if (!text.empty()) {
        for (const std::string_view letter : split(text, ',')) {
            const int column = columnOfName(letter);
            if (column < 0)
                return notAColumnLetter(letter);
            flags[column] = true;
        }
    }
    d.choices.IndependentColumns = flags;
    return {};
}

// Returns an error text, empty when the value was taken.
std::string setValue(const ChoiceDescriptor& choice, core::DataSet& d, std::string_view text)
{
    switch (choice.kind) {
    case ChoiceKind::Flag:
        if (text == "1" || text == "T")
            choice.set(d.choices, 1);
        else if (text == "0" || text == "F")
            choice.set(d.choices, 0);
        else
            return "expects 0 or 1";
        return {};
    case ChoiceKind::Integer:
    case ChoiceKind::Named:
        if (const auto value = wholeNumberIn(text, choice.low, choice.high)) {
            choice.set(d.choices, *value);
            return {};
        }
        return "expects a whole number from " + std::to_string(choice.low) + " to " + std::to_string(choice.high);
    case ChoiceKind::Column: {
        int column = columnOfName(text);
        if (column < 0)
            column = wholeNumberIn(text, choice.low, choice.high).value_or(-2);
        if (column < choice.low)
            return "expects a column letter or a whole number from " + std::to_string(choice.low) + " to " +
                   std::to_string(choice.high);
        // The calculation would quietly move to a column that holds data.
        if (column >= 0 && d.table.column(column).n <= 0)
            return "names column " + core::columnName(column) + ", which holds no data";
        choice.set(d.choices, column);
        return {};
    }
    case ChoiceKind::Number:
        if (const auto value = core::parseNumber(text)) {
            d.choices.*choice.number = *value;
            return {};
        }
        return "expects a number";
    case ChoiceKind::PairFlags: return setPairFlags(d, text);
    case ChoiceKind::ColumnFlags: return setColumnFlags(d, text);
    }
    return {};
}

std::string valuesHelp(const ChoiceDescriptor& choice)
{
    std::string text;
    switch (choice.kind) {
    case ChoiceKind::Flag: return "0 or 1";
    case ChoiceKind::Integer: return std::to_string(choice.low) + " to " + std::to_string(choice.high);
    case ChoiceKind::Column: return "a column letter";
    case ChoiceKind::Number: return "a number";
    case ChoiceKind::PairFlags: return "letter pairs";
    case ChoiceKind::ColumnFlags: return "column letters";
    case ChoiceKind::Named:
        for (const core::ChoiceValueName& value : choice.values)
            text += (text.empty() ? "" : ", ") + std::to_string(value.value) + " " + value.meaning;
        return text;
    }
    return text;
}

std::string defaultHelp(const ChoiceDescriptor& choice)
{
    const core::AnalysisChoices defaults;
    switch (choice.kind) {
    case ChoiceKind::Flag:
    case ChoiceKind::Integer:
    case ChoiceKind::Named: return std::to_string(choice.get(defaults));
    case ChoiceKind::Column: return core::columnName(choice.get(defaults));
    case ChoiceKind::Number: return core::cellFileText(defaults.*choice.number);
    case ChoiceKind::PairFlags: return "all";
    case ChoiceKind::ColumnFlags: return "none";
    }
    return {};
}

}  // namespace

int columnOfName(std::string_view name)
{
    name = core::trimmed(name);
    for (int c = 0; c < core::TableColumns; ++c)
        if (core::columnName(c) == name)
            return c;
    return -1;
}

std::string setChoice(core::DataSet& dataSet, std::string_view name, std::string_view value)
{
    const ChoiceDescriptor* choice = core::findChoice(name);
    if (!choice)
        return "unknown choice '" + std::string(name) + "'";
    if (choice->derived)
        return std::string(name) + " follows from the selected columns; choose them with --select";
    const std::string error = setValue(*choice, dataSet, core::trimmed(value));
    if (!error.empty())
        return std::string(name) + " " + error;
    dataSet.markChanged();
    return {};
}

std::string choicesHelp()
{
    std::string text;
    for (const ChoiceDescriptor& choice : core::choiceTable()) {
        if (choice.derived)
            continue;
        std::string line = "  " + std::string(choice.name);
        line.resize(std::max<size_t>(line.size() + 1, 24), ' ');
        line += choice.meaning;
        text += line + '\n';
        // The values on the lines below, broken after a comma to fit 79 columns.
        const std::string values = valuesHelp(choice) + "; default " + defaultHelp(choice);
        std::string row(24, ' ');
        for (size_t start = 0; start < values.size();) {
            const size_t comma = values.find(", ", start);
            const size_t end = comma == std::string::npos ? values.size() : comma + 2;
            if (row.size() > 24 && row.size() + (end - start) > 79) {
                text += std::string(core::trimmedRight(row)) + '\n';
                row.assign(24, ' ');
            }
            row += values.substr(start, end - start);
            start = end;
        }
        text += row + '\n';
    }
    return text;
}

std::string selectColumns(core::DataSet& dataSet, std::string_view letters)
{
    std::array<bool, core::TableColumns> selected{};
    for (const std::string_view letter : split(letters, ',')) {
        const int column = columnOfName(letter);
        if (column < 0)
            return notAColumnLetter(letter);
        if (dataSet.table.column(column).n <= 0)
            return "column " + core::columnName(column) + " holds no data";
        selected[column] = true;
    }
    for (int c = 0; c < core::TableColumns; ++c)
        dataSet.table.setSelected(c, selected[c]);
    dataSet.choices.AllColumns = false;
    dataSet.markChanged();
    return {};
}

}  // namespace ombrix::cli
