#pragma once

#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>

#include <optional>

#include "graphs/axis_scale.h"
#include "graphs/chart_model.h"

class QPainter;

// Draws a chart model with QPainter: on screen, and into SVG, PNG and PDF
// pictures that look the same, since every output goes through drawChart.
namespace ombrix::graphs {

struct RenderOptions {
    NumberSeparators separators;  // the desktop's, for the axis numbers
    QString fontFamily;           // empty: the application's font
};

// The size of an exported picture in logical pixels (points in a PDF).
inline constexpr int PictureWidth = 800;
inline constexpr int PictureHeight = 560;

// Draws the chart into area (logical units of the painter), white background
// included. Text sizes follow the area, so a small graph stays legible and a
// large one is not all text.
void drawChart(QPainter& painter, const QRectF& area, const Chart& chart, const RenderOptions& options);

enum class PictureFormat { Svg, Png, Pdf };
// From a file name's extension, in any case; nothing for an unknown one.
std::optional<PictureFormat> pictureFormatOf(const QString& path);

// The title lines joined, for the pictures' own title fields.
QString chartTitleText(const Chart& chart);

QByteArray chartSvg(const Chart& chart, QSize size, const RenderOptions& options);
// scale multiplies the pixels (2: sharp on slides and high-density screens).
QImage chartImage(const Chart& chart, QSize size, qreal scale, const RenderOptions& options);
// The image encoded as PNG (empty if encoding failed), as an export writes it.
QByteArray chartPng(const Chart& chart, QSize size, qreal scale, const RenderOptions& options);
QByteArray chartPdf(const Chart& chart, QSize size, const RenderOptions& options);

// Writes the picture in the format given; on failure returns false and says why.
bool writeChartPicture(const Chart& chart, const QString& path, PictureFormat format, qreal pngScale,
                       const RenderOptions& options, QString* error);

}  // namespace ombrix::graphs
