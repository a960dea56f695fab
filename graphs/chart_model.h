#pragma once

#include <string>
#include <vector>

#include "analyses/analysis_inputs.h"
#include "core/data_set.h"
#include "core/real.h"

// The graph of a data set as plain data: which graph its format gets, its
// series with their values, labels and colours, titles, margins and legend.
// A renderer draws it; nothing here knows how.
namespace ombrix::graphs {

enum class Colour { Red, Blue };
// Band: one edge of a confidence band, drawn lighter than a Line.
enum class SeriesKind { Bars, ErrorBars, Points, Line, Band };
enum class ContingencyOrientation { Columns, Rows };

struct ChartPoint {
    Real x = 0;
    Real y = 0;
    Real error = 0;  // error bars: the bar's length away from the origin (never negative)
    std::string label;
};

struct Series {
    SeriesKind kind = SeriesKind::Bars;
    Colour colour = Colour::Red;
    int barWidthPercent = 0;  // 0: the renderer's own width
    // Error bars: the cap's width, in percent of the bar's width or in pixels.
    int errorWidth = 100;
    bool errorWidthInPercent = true;
    std::vector<ChartPoint> points;
};

struct LegendEntry {
    std::string text;
    Colour colour = Colour::Red;
    SeriesKind mark = SeriesKind::Bars;  // drawn beside the text as that series looks
};

// The options the graph step keeps in its window, not in the file (the error
// kind is the choices' ShowSD; the multiple-regression graph's choices are
// the data set's own).
struct ViewOptions {
    ContingencyOrientation orientation = ContingencyOrientation::Columns;
};

struct Chart {
    std::vector<std::string> title;  // the data set's title, then the graph's own line
    std::string bottomAxisTitle;
    std::string leftAxisTitle;  // what the points' Y is, where the graph alone does not say
    int leftMargin = 150;
    int rightMargin = 150;
    bool groupedAxisLabels = false;  // vertical axis numbers with thousands separators
    bool showErrorKind = false;      // the SD and SEM buttons
    bool showOrientation = false;    // the Columns/Rows group
    std::vector<Series> series;
    std::vector<LegendEntry> legend;
    // The multiple-regression graph: the entries of its X and Y lists and the
    // ones chosen (the previous choices where they are still offered).
    std::vector<std::string> xChoices;
    std::vector<std::string> yChoices;
    std::string xChoice;
    std::string yChoice;
};

// At most this many XY points are plotted, in row order and replicate order.
inline constexpr int MostXYPoints = 5000;

// The entry of column c in the multiple-regression graph's lists: "B: Dose",
// or "B: Column B" for an untitled column.
std::string variableEntry(const core::DataTable& table, int column);

// The graph of the data set. line is the fitted line of its last linear
// regression (XY data), empty when none was fitted. The caller brings the
// results up to date first.
Chart buildChart(const core::DataSet& dataSet, const ViewOptions& options, const analyses::RegressionForGraph& line);

}  // namespace ombrix::graphs
