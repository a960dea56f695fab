#include "cli/choice_setter.h"

#include <cmath>
#include <functional>
#include <map>

#include "core/text.h"

namespace ombrix::cli {

namespace {

using core::AnalysisChoices;

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

struct Field {
    // Takes the value text; returns an error text or "".
    std::function<std::string(core::DataSet&, std::string_view)> set;
};

Field integerField(int AnalysisChoices::*member, int low, int high)
{
    return {[=](core::DataSet& d, std::string_view text) -> std::string {
        const auto value = core::parseNumber(text);
        if (!value || *value != std::trunc(*value) || *value < low || *value > high)
            return "expects a whole number from " + std::to_string(low) + " to " + std::to_string(high);
        d.choices.*member = static_cast<int>(*value);
        return {};
    }};
}

Field columnField(std::int32_t AnalysisChoices::*member, int low)
{
    return {[=](core::DataSet& d, std::string_view text) -> std::string {
        const int letter = columnOfName(text);
        if (letter >= 0) {
            d.choices.*member = letter;
            return {};
        }
        const auto value = core::parseNumber(text);
        if (!value || *value != std::trunc(*value) || *value < low || *value > core::TableColumns - 1)
            return "expects a column letter or a whole number from " + std::to_string(low) + " to 51";
        d.choices.*member = static_cast<std::int32_t>(*value);
        return {};
    }};
}

Field flagField(bool AnalysisChoices::*member)
{
    return {[=](core::DataSet& d, std::string_view text) -> std::string {
        if (text == "1" || text == "T")
            d.choices.*member = true;
        else if (text == "0" || text == "F")
            d.choices.*member = false;
        else
            return "expects 0 or 1";
        return {};
    }};
}

Field numberField(Real AnalysisChoices::*member)
{
    return {[=](core::DataSet& d, std::string_view text) -> std::string {
        const auto value = core::parseNumber(text);
        if (!value)
            return "expects a number";
        d.choices.*member = *value;
        return {};
    }};
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

const std::map<std::string, Field, std::less<>>& fields()
{
    static const std::map<std::string, Field, std::less<>> table = {
        {"ColumnCategory", integerField(&AnalysisChoices::ColumnCategory, 0, 3)},
        {"AllColumns", flagField(&AnalysisChoices::AllColumns)},
        {"OneColNonParametric", flagField(&AnalysisChoices::OneColNonParametric)},
        {"HypotheticalChoice", integerField(&AnalysisChoices::HypotheticalChoice, 0, 3)},
        {"HypotheticalValue", numberField(&AnalysisChoices::HypotheticalValue)},
        {"OneColTwoSided", flagField(&AnalysisChoices::OneColTwoSided)},
        {"OneColColumn", columnField(&AnalysisChoices::OneColColumn, -1)},
        {"TwoColNonParametric", flagField(&AnalysisChoices::TwoColNonParametric)},
        {"TwoColUnpaired", flagField(&AnalysisChoices::TwoColUnpaired)},
        {"TwoColTwoSided", flagField(&AnalysisChoices::TwoColTwoSided)},
        {"TwoColFirst", columnField(&AnalysisChoices::TwoColFirst, -1)},
        {"TwoColSecond", columnField(&AnalysisChoices::TwoColSecond, -1)},
        {"TwoColEqualSD", flagField(&AnalysisChoices::TwoColEqualSD)},
        {"OrdinaryAnova", flagField(&AnalysisChoices::OrdinaryAnova)},
        {"MultiColNonParametric", flagField(&AnalysisChoices::MultiColNonParametric)},
        {"PostTestState", integerField(&AnalysisChoices::PostTestState, 0, 2)},
        {"PostTestMethod", integerField(&AnalysisChoices::PostTestMethod, 0, 4)},
        {"PostTestPairs", integerField(&AnalysisChoices::PostTestPairs, 0, 2)},
        {"ControlColumn", integerField(&AnalysisChoices::ControlColumn, -1, core::TableColumns - 1)},
        {"SelectedPairs",
         {[](core::DataSet& d, std::string_view text) -> std::string {
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
         }}},
        {"TwoByTwoTest", integerField(&AnalysisChoices::TwoByTwoTest, 0, 1)},
        {"TwoByTwoYates", flagField(&AnalysisChoices::TwoByTwoYates)},
        {"TwoByTwoTwoSided", flagField(&AnalysisChoices::TwoByTwoTwoSided)},
        {"TwoByTwoProportions", flagField(&AnalysisChoices::TwoByTwoProportions)},
        {"TwoByTwoOddsRatio", flagField(&AnalysisChoices::TwoByTwoOddsRatio)},
        {"TwoByTwoRelativeRisk", flagField(&AnalysisChoices::TwoByTwoRelativeRisk)},
        {"TwoByTwoSensitivity", flagField(&AnalysisChoices::TwoByTwoSensitivity)},
        {"XYTest", integerField(&AnalysisChoices::XYTest, 0, 2)},
        {"DoRegression", flagField(&AnalysisChoices::DoRegression)},
        {"ForceThroughPoint", flagField(&AnalysisChoices::ForceThroughPoint)},
        {"ForceX", numberField(&AnalysisChoices::ForceX)},
        {"ForceY", numberField(&AnalysisChoices::ForceY)},
        {"RunsTest", flagField(&AnalysisChoices::RunsTest)},
        {"StandardCurve", flagField(&AnalysisChoices::StandardCurve)},
        {"MultRegAnalysis", flagField(&AnalysisChoices::MultRegAnalysis)},
        {"DependentColumn", columnField(&AnalysisChoices::DependentColumn, 0)},
        {"IndependentColumns",
         {[](core::DataSet& d, std::string_view text) -> std::string {
             std::array<bool, core::TableColumns> flags{};
             if (!text.empty()) {
                 for (const std::string_view letter : split(text, ',')) {
                     const int column = columnOfName(letter);
                     if (column < 0)
                         return "'" + std::string(letter) + "' is not a column letter";
                     flags[column] = true;
                 }
             }
             d.choices.IndependentColumns = flags;
             return {};
         }}},
        {"ShowSD", flagField(&AnalysisChoices::ShowSD)},
    };
    return table;
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
    const auto& known = fields();
    const auto field = known.find(name);
    if (field == known.end())
        return "unknown choice '" + std::string(name) + "'";
    const std::string error = field->second.set(dataSet, core::trimmed(value));
    if (!error.empty())
        return std::string(name) + " " + error;
    dataSet.markChanged();
    return {};
}

std::vector<std::string> choiceNames()
{
    std::vector<std::string> names;
    for (const auto& [name, field] : fields())
        names.push_back(name);
    return names;
}

std::string selectColumns(core::DataSet& dataSet, std::string_view letters)
{
    std::array<bool, core::TableColumns> selected{};
    for (const std::string_view letter : split(letters, ',')) {
        const int column = columnOfName(letter);
        if (column < 0)
            return "'" + std::string(letter) + "' is not a column letter";
        selected[column] = true;
    }
    for (int c = 0; c < core::TableColumns; ++c)
        dataSet.table.setSelected(c, selected[c]);
    dataSet.choices.AllColumns = false;
    dataSet.markChanged();
    return {};
}

}  // namespace ombrix::cli
