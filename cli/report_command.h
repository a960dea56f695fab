#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "workflow/progress.h"

namespace ombrix::graphs {
struct Chart;
}

namespace ombrix::cli {

inline constexpr int ExitReport = 0;
inline constexpr int ExitMessage = 1;  // the report is a validation or error message
inline constexpr int ExitFailure = 2;  // the file cannot be read or the command line is wrong

// Writes the graph as a picture in the format the file name's extension
// names (.svg, .png or .pdf); returns what went wrong, empty on success.
using GraphWriter = std::function<std::string(const graphs::Chart& chart, const std::string& path)>;

// What a --pdf document holds: the report lines with their style marks, then
// the graph, under the data set's title and file name.
struct PrintedReport {
    std::vector<std::string> lines;
    const graphs::Chart* chart = nullptr;
    std::string title;
    std::string fileName;
};
// The document's bytes; empty when it could not be drawn.
using PdfWriter = std::function<std::string(const PrintedReport& report)>;

// The writers of pictures and documents; without them --graph and --pdf are refused.
struct DocumentWriters {
    GraphWriter graph;
    PdfWriter pdf;
};

// ombrix-report: opens a data file as the Open command does (or imports a
// delimited text file into a new raw-data set), calculates as the results
// step does and prints the report without its marks, one line per report
// line. args excludes the program name. The clock and the status view drive
// the progress of long exact calculations (the view may be null). The system
// decimal separator is the one import and export use unless the command line
// names another. writers draw --graph pictures and --pdf documents.
int runReportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, workflow::Clock& clock,
                     workflow::StatusView* view, workflow::CalculationProgress** progressOut = nullptr,
                     char systemDecimalSeparator = '.', const DocumentWriters& writers = {});

std::string usageText();

}  // namespace ombrix::cli
