#pragma once

#include <QByteArray>
#include <QPageSize>
#include <QString>

#include <string>
#include <vector>

#include "graphs/chart_renderer.h"

class QPagedPaintDevice;

// Printed pages of what a data set window shows: lines of fixed-pitch text
// (report lines with their bold, underline and italic marks, or a table laid
// out in columns), then the graph on a page of its own, each page with a
// header and a footer. The same pages go to a printer, a preview and a PDF.
namespace ombrix::graphs {

struct PrintHeader {
    QString title;     // the data set's title
    QString fileName;  // the document's file name
    QString date;      // as the footer shows it
};

struct PrintContent {
    std::vector<std::string> lines;  // may hold report style marks
    const Chart* chart = nullptr;    // drawn after the lines, scaled to the page
    RenderOptions renderOptions;
};

// Draws every page on the device (a QPrinter or a QPdfWriter, set up by the
// caller). Returns the number of pages; 0 when the device cannot be painted.
int printPages(QPagedPaintDevice& device, const PrintHeader& header, const PrintContent& content);

// The pages as a PDF document of the page size given, with margins of 15 mm.
QByteArray pagesPdf(const PrintHeader& header, const PrintContent& content,
                    const QPageSize& pageSize = QPageSize(QPageSize::A4));

// A table of texts as lines of text in aligned columns (numbers to the
// right, the first column to the left), two blanks apart. Columns that do
// not fit widthChars go into further groups below, each repeating the first
// column so that every row stays readable.
std::vector<std::string> tableLines(const std::vector<std::vector<std::string>>& cells, int widthChars);

}  // namespace ombrix::graphs
