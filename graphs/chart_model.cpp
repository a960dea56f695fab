#include "graphs/chart_model.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "analyses/multiple_regression.h"
#include "core/text.h"
#include "numeric/probability.h"
#include "workflow/dispatcher.h"

namespace ombrix::graphs {

namespace {

using core::DataTable;

ChartPoint at(Real x, Real y)
{
    return {x, y, 0, {}};
}

// Five or more bars get the narrow margins, fewer the wide ones.
void setBarMargins(Chart& chart, std::size_t bars)
{
    chart.leftMargin = bars >= 5 ? 50 : 150;
    chart.rightMargin = bars >= 5 ? 80 : 150;
}

void columnMeans(Chart& chart, const core::DataSet& dataSet)
{
    const DataTable& table = dataSet.table;
    const bool sd = dataSet.choices.ShowSD;
    chart.bottomAxisTitle = "Column";
    chart.title.push_back(sd ? "Mean and Standard Deviation" : "Mean and Standard Error");
    chart.showErrorKind = true;
    Series bars;
    bars.kind = SeriesKind::ErrorBars;
    for (int c = 0; c < core::TableColumns; ++c) {
        const core::ColumnRecord& column = table.column(c);
        if (!table.isSelected(c) || column.n <= 0)
            continue;
        const Real error = sd ? column.sd : column.sem;
        bars.points.push_back(
            {static_cast<Real>(c), column.mean, isMissing(error) ? 0 : std::fabs(error), core::columnName(c)});
    }
    setBarMargins(chart, bars.points.size());
    chart.series.push_back(std::move(bars));
}

void twoByTwo(Chart& chart, const core::DataSet& dataSet, ContingencyOrientation orientation)
{
    using core::TwoByTwoRecord;
    const auto titles = workflow::twoByTwoTitles(dataSet.twoByTwo);  // row 1, row 2, column 1, column 2
    const auto& count = dataSet.twoByTwo.counts;
    const auto value = [&](TwoByTwoRecord::Cell cell) { return isMissing(count[cell]) ? 0 : count[cell]; };
    chart.groupedAxisLabels = true;
    Series red{SeriesKind::Bars, Colour::Red, 50, 100, true, {}};
    Series blue{SeriesKind::Bars, Colour::Blue, 50, 100, true, {}};
    if (orientation == ContingencyOrientation::Columns) {
        chart.bottomAxisTitle = "Columns";
        chart.title.push_back("Column Totals");
        red.points = {{0, value(TwoByTwoRecord::C), 0, titles[2]}, {1, value(TwoByTwoRecord::D), 0, titles[3]}};
        blue.points = {{0, value(TwoByTwoRecord::A), 0, ""}, {1, value(TwoByTwoRecord::B), 0, ""}};
        chart.legend = {{titles[0], Colour::Blue, SeriesKind::Bars}, {titles[1], Colour::Red, SeriesKind::Bars}};
    } else {
        chart.bottomAxisTitle = "Rows";
        chart.title.push_back("Row Totals");
        red.points = {{0, value(TwoByTwoRecord::A), 0, titles[0]}, {1, value(TwoByTwoRecord::C), 0, titles[1]}};
        blue.points = {{0, value(TwoByTwoRecord::B), 0, ""}, {1, value(TwoByTwoRecord::D), 0, ""}};
        chart.legend = {{titles[3], Colour::Blue, SeriesKind::Bars}, {titles[2], Colour::Red, SeriesKind::Bars}};
    }
    chart.series.push_back(std::move(red));
    chart.series.push_back(std::move(blue));
}

void largerTable(Chart& chart, const core::DataSet& dataSet, ContingencyOrientation orientation)
{
    const DataTable& table = dataSet.table;
    const bool columns = orientation == ContingencyOrientation::Columns;
    chart.bottomAxisTitle = columns ? "Columns" : "Rows";
    chart.title.push_back(columns ? "Column Totals" : "Row Totals");
    chart.showOrientation = true;
    Series bars{SeriesKind::Bars, Colour::Red, 50, 100, true, {}};
    const int rows = table.lastUsedRow() + 1;
    const int lastColumn = table.lastUsedColumn();
    const int outer = columns ? lastColumn + 1 : rows;
    const int inner = columns ? rows : lastColumn + 1;
    for (int i = 0; i < outer; ++i) {
        Real total = 0;
        for (int j = 0; j < inner; ++j) {
            const Real x = columns ? table.value(j, i) : table.value(i, j);
            if (!isMissing(x))
                total += x;
        }
        if (total > 0)
            bars.points.push_back(
                {static_cast<Real>(i), total, 0, columns ? core::columnName(i) : std::to_string(i + 1)});
    }
    setBarMargins(chart, bars.points.size());
    chart.series.push_back(std::move(bars));
}

void xy(Chart& chart, const core::DataSet& dataSet, const analyses::RegressionForGraph& line)
{
    const DataTable& table = dataSet.table;
    chart.leftMargin = 30;
    chart.rightMargin = 80;
    // The axes named by the columns' own titles, where the user gave them.
    chart.bottomAxisTitle = std::string(core::trimmed(table.column(0).title));
    chart.leftAxisTitle = std::string(core::trimmed(table.column(1).title));
    Series points{SeriesKind::Points, Colour::Blue, 0, 100, true, {}};
    const int rows = table.lastUsedRow() + 1;
    for (int row = 0; row < rows && static_cast<int>(points.points.size()) < MostXYPoints; ++row) {
        const Real x = table.value(row, 0);
        if (isMissing(x))
            continue;
        for (int c = 1; c <= table.lastUsedColumn() && static_cast<int>(points.points.size()) < MostXYPoints; ++c)
            if (!table.isBlank(row, c) && !table.isExcluded(row, c))
                points.points.push_back(at(x, table.value(row, c)));
    }
    if (points.points.empty() || !line) {
        chart.series.push_back(std::move(points));
        return;
    }
    const auto [low, high] = std::minmax_element(points.points.begin(), points.points.end(),
                                                 [](const ChartPoint& a, const ChartPoint& b) { return a.x < b.x; });
    const Real xMin = low->x;
    const Real xMax = high->x;
    const auto fitted = [&](Real x) { return line->slope * x + line->intercept; };
    chart.legend = {{"Linear Regression", Colour::Blue, SeriesKind::Line},
                    {"95% Confidence Interval", Colour::Blue, SeriesKind::Band}};
    chart.series.push_back(std::move(points));
    chart.series.push_back(
        {SeriesKind::Line, Colour::Blue, 0, 100, true, {at(xMin, fitted(xMin)), at(xMax, fitted(xMax))}});
    if (line->rSquared == 1)
        return;
    Series lower{SeriesKind::Band, Colour::Blue, 0, 100, true, {}};
    Series upper = lower;
    const core::AnalysisChoices& choices = dataSet.choices;
    if (choices.ForceThroughPoint) {
        // Through the point, the band is the lines of the slope's limits.
        for (const Real x : {xMin, xMax}) {
            lower.points.push_back(at(x, choices.ForceY + line->slopeLower * (x - choices.ForceX)));
            upper.points.push_back(at(x, choices.ForceY + line->slopeUpper * (x - choices.ForceX)));
        }
    } else {
        const int m = static_cast<int>(chart.series.front().points.size());
        const Real t = numeric::CriticalT95(m - 2);
        for (int i = 0; i < 100; ++i) {
            const Real x = xMin + i * (xMax - xMin) * 0.01L;
            const Real d = x - line->meanX;
            const Real half = t * line->syx * std::sqrt(Real(1) / m + d * d / line->sxx);
            lower.points.push_back(at(x, fitted(x) - half));
            upper.points.push_back(at(x, fitted(x) + half));
        }
    }
    chart.series.push_back(std::move(lower));
    chart.series.push_back(std::move(upper));
}

bool present(const DataTable& table, int row, int column)
{
    return !table.isBlank(row, column) && !table.isExcluded(row, column);
}

// The lists, then the choices: kept by their text where still offered; with
// neither, X takes the first entry and Y the second; with one missing, it
// takes the first entry that differs from the other choice.
void chooseVariables(Chart& chart, const core::DataSet& dataSet)
{
    const DataTable& table = dataSet.table;
    const core::AnalysisChoices& choices = dataSet.choices;
    std::vector<int> withData;
    for (int c = 0; c < core::TableColumns; ++c)
        if (table.column(c).n > 0)
            withData.push_back(c);
    const auto entries = [&](auto keep) {
        std::vector<std::string> list;
        for (const int c : withData)
            if (keep(c))
                list.push_back(variableEntry(table, c));
        return list;
    };
    const auto analysedX = [&](int c) {
        return choices.IndependentColumns[static_cast<std::size_t>(c)] &&
               (!choices.MultRegAnalysis || c != choices.DependentColumn);
    };
    if (!dataSet.graph.analysedDataOnly) {
        chart.xChoices = chart.yChoices = entries([](int) { return true; });
    } else if (choices.MultRegAnalysis) {
        chart.xChoices = entries(analysedX);
        chart.yChoices = entries([&](int c) { return c == choices.DependentColumn; });
        chart.yChoices.push_back("Residuals");
    } else {
        chart.xChoices = chart.yChoices = entries(analysedX);
    }
    const auto offered = [](const std::vector<std::string>& list, const std::string& entry) {
        return std::find(list.begin(), list.end(), entry) != list.end();
    };
    const auto firstOtherThan = [](const std::vector<std::string>& list, const std::string& other) {
        for (const std::string& entry : list)
            if (entry != other)
                return entry;
        return std::string();
    };
    chart.xChoice = dataSet.graph.multipleRegressionX;
    chart.yChoice = dataSet.graph.multipleRegressionY;
    const bool xKept = offered(chart.xChoices, chart.xChoice);
    const bool yKept = offered(chart.yChoices, chart.yChoice);
    if (!xKept && !yKept) {
        chart.xChoice = chart.xChoices.empty() ? std::string() : chart.xChoices[0];
        chart.yChoice = chart.yChoices.size() < 2 ? firstOtherThan(chart.yChoices, chart.xChoice) : chart.yChoices[1];
    } else if (!xKept) {
        chart.xChoice = firstOtherThan(chart.xChoices, chart.yChoice);
    } else if (!yKept) {
        chart.yChoice = firstOtherThan(chart.yChoices, chart.xChoice);
    }
}

// The chosen X against the chosen Y, one point per row holding both;
// "Residuals" is each analysed row's Y less the fitted model's prediction.
void multipleRegression(Chart& chart, const core::DataSet& dataSet)
{
    chart.leftMargin = 50;
    chart.rightMargin = 80;
    chooseVariables(chart, dataSet);
    const DataTable& table = dataSet.table;
    const auto columnOf = [&](const std::string& entry) {
        for (int c = 0; c < core::TableColumns; ++c)
            if (table.column(c).n > 0 && variableEntry(table, c) == entry)
                return c;
        return -1;
    };
    chart.bottomAxisTitle = chart.xChoice;
    chart.leftAxisTitle = chart.yChoice;
    const int xColumn = columnOf(chart.xChoice);
    const bool residuals = chart.yChoice == "Residuals";
    const int yColumn = residuals ? dataSet.choices.DependentColumn : columnOf(chart.yChoice);
    if (xColumn < 0 || yColumn < 0)
        return;
    analyses::MultipleRegressionResult fit;
    if (residuals) {
        analyses::MultipleRegressionInput input;
        input.dependentColumn = dataSet.choices.DependentColumn;
        input.independentColumns = dataSet.choices.IndependentColumns;
        fit = analyses::ComputeMultipleRegression(table, input);
        if (fit.problem != analyses::FitProblem::None)
            return;
    }
    Series points{SeriesKind::Points, Colour::Blue, 0, 100, true, {}};
    for (int row = 0; row <= table.lastUsedRow(); ++row) {
        if (!present(table, row, xColumn) || !present(table, row, yColumn))
            continue;
        Real y = table.value(row, yColumn);
        if (residuals) {
            Real predicted = fit.coefficients[0];
            bool used = true;
            for (std::size_t i = 0; i < fit.xColumns.size() && used; ++i) {
                used = present(table, row, fit.xColumns[i]);
                if (used)
                    predicted += fit.coefficients[i + 1] * table.value(row, fit.xColumns[i]);
            }
            if (!used)
                continue;
            y -= predicted;
        }
        points.points.push_back(at(table.value(row, xColumn), y));
    }
    chart.series.push_back(std::move(points));
}

}  // namespace

std::string variableEntry(const core::DataTable& table, int column)
{
    std::string entry = core::columnName(column);
    entry += ": ";
    const std::string& title = table.column(column).title;
    if (core::trimmedRight(title).empty()) {
        entry += "Column ";
        entry += core::columnName(column);
    } else {
        entry += title;
    }
    return entry;
}

Chart buildChart(const core::DataSet& dataSet, const ViewOptions& options, const analyses::RegressionForGraph& line)
{
    Chart chart;
    chart.title.push_back(dataSet.table.title());
    using core::DataFormat;
    switch (dataSet.format) {
    case DataFormat::XY: xy(chart, dataSet, line); break;
    case DataFormat::Raw:
    case DataFormat::MeanSDN:
    case DataFormat::MeanSEMN: columnMeans(chart, dataSet); break;
    case DataFormat::TwoByTwo:
        chart.showOrientation = true;
        twoByTwo(chart, dataSet, options.orientation);
        break;
    case DataFormat::LargerTable: largerTable(chart, dataSet, options.orientation); break;
    case DataFormat::MultipleRegression:
        // One title line only.
        multipleRegression(chart, dataSet);
        break;
    }
    return chart;
}

}  // namespace ombrix::graphs
