#include "graphs/chart_renderer.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageSize>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/atomic_file.h"

namespace ombrix::graphs {

namespace {

QColor colourOf(Colour colour)
{
    return colour == Colour::Red ? QColor(200, 38, 44) : QColor(40, 96, 176);
}

bool isBar(SeriesKind kind)
{
    return kind == SeriesKind::Bars || kind == SeriesKind::ErrorBars;
}

QString qtext(const std::string& text)
{
    return QString::fromStdString(text);
}

// The direction an error bar points: away from the origin.
double signedError(const ChartPoint& point)
{
    const double error = static_cast<double>(point.error);
    return point.y < 0 ? -error : error;
}

bool finite(double a, double b)
{
    return std::isfinite(a) && std::isfinite(b);
}

struct Range {
    double low = 0;
    double high = 0;
    bool empty = true;
    void add(double v)
    {
        if (!std::isfinite(v))
            return;
        low = empty ? v : std::min(low, v);
        high = empty ? v : std::max(high, v);
        empty = false;
    }
};

// One drawing of one chart: the sizes that follow from the area, then each
// part from the top down.
class ChartPainter {
public:
    ChartPainter(QPainter& painter, const QRectF& area, const Chart& chart, const RenderOptions& options)
        : m_p(painter)
        , m_area(area)
        , m_chart(chart)
        , m_options(options)
    {
        // The text size follows the smaller side, within what stays legible.
        m_unit = std::clamp(std::min(area.width(), area.height() * 1.45) / 52.0, 10.0, 40.0);
        QFont base = QGuiApplication::font();
        if (!options.fontFamily.isEmpty())
            base.setFamily(options.fontFamily);
        base.setBold(false);
        base.setItalic(false);
        m_text = base;
        m_text.setPixelSize(static_cast<int>(std::lround(m_unit)));
        m_title = base;
        m_title.setPixelSize(static_cast<int>(std::lround(m_unit * 1.3)));
        m_title.setBold(true);
        m_subtitle = base;
        m_subtitle.setPixelSize(static_cast<int>(std::lround(m_unit * 1.1)));
        for (const Series& series : chart.series) {
            if (isBar(series.kind))
                ++m_barSeries;
        }
    }

    void draw()
    {
        m_p.save();
        m_p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
        m_p.fillRect(m_area, Qt::white);
        m_p.setClipRect(m_area);
        double top = m_area.top() + m_unit * 0.7;
        top = drawTitles(top);
        top = drawLegend(top);
        if (hasData())
            drawPlot(top + m_unit * 0.6);
        m_p.restore();
    }

private:
    QFontMetricsF metrics(const QFont& font) const { return QFontMetricsF(font, m_p.device()); }

    double drawTitles(double top)
    {
        for (std::size_t i = 0; i < m_chart.title.size(); ++i) {
            const QFont& font = i == 0 ? m_title : m_subtitle;
            const QFontMetricsF fm = metrics(font);
            const QString text = qtext(m_chart.title[i]).trimmed();
            if (!text.isEmpty()) {
                m_p.setFont(font);
                m_p.setPen(QColor(20, 20, 20));
                const QRectF line(m_area.left() + m_unit, top, m_area.width() - 2 * m_unit, fm.height());
                m_p.drawText(line, Qt::AlignHCenter | Qt::AlignVCenter,
                             fm.elidedText(text, Qt::ElideRight, line.width()));
                top += fm.lineSpacing();
            }
        }
        return top;
    }

    void drawMark(SeriesKind kind, Colour colour, const QRectF& box)
    {
        const QColor c = colourOf(colour);
        if (isBar(kind) || kind == SeriesKind::Points) {
            const double side = box.height() * 0.8;
            const QRectF square(box.left(), box.center().y() - side / 2, side, side);
            m_p.setPen(QPen(c.darker(130), m_unit / 14));
            m_p.setBrush(c);
            m_p.drawRect(square);
            return;
        }
        m_p.setPen(linePen(kind, colour));
        m_p.drawLine(QPointF(box.left(), box.center().y()), QPointF(box.right(), box.center().y()));
    }

    QPen linePen(SeriesKind kind, Colour colour) const
    {
        QPen pen(colourOf(colour), kind == SeriesKind::Band ? m_unit / 10 : m_unit / 7);
        if (kind == SeriesKind::Band)
            pen.setStyle(Qt::DashLine);
        pen.setCapStyle(Qt::FlatCap);
        return pen;
    }

    // The legend entries in one centred row below the titles.
    double drawLegend(double top)
    {
        if (m_chart.legend.empty())
            return top;
        const QFontMetricsF fm = metrics(m_text);
        const double markWidth = m_unit * 2;
        const double gap = m_unit * 0.5;
        const double spacing = m_unit * 1.6;
        const double room = m_area.width() - 2 * m_unit;
        const double textRoom =
            std::max(m_unit * 3, room / static_cast<double>(m_chart.legend.size()) - markWidth - gap - spacing);
        std::vector<QString> texts;
        double total = 0;
        for (const LegendEntry& entry : m_chart.legend) {
            texts.push_back(fm.elidedText(qtext(entry.text).trimmed(), Qt::ElideRight, textRoom));
            total += markWidth + gap + fm.horizontalAdvance(texts.back());
        }
        total += spacing * static_cast<double>(m_chart.legend.size() - 1);
        double x = m_area.left() + std::max(m_unit, (m_area.width() - total) / 2);
        top += m_unit * 0.3;
        m_p.setFont(m_text);
        for (std::size_t i = 0; i < m_chart.legend.size(); ++i) {
            const LegendEntry& entry = m_chart.legend[i];
            const double markSide =
                entry.mark == SeriesKind::Line || entry.mark == SeriesKind::Band ? markWidth : m_unit;
            drawMark(entry.mark, entry.colour, QRectF(x, top, markSide, fm.height()));
            x += markSide + gap;
            m_p.setPen(QColor(20, 20, 20));
            const double width = fm.horizontalAdvance(texts[i]);
            m_p.drawText(QRectF(x, top, width + 1, fm.height()), Qt::AlignLeft | Qt::AlignVCenter, texts[i]);
            x += width + spacing;
        }
        return top + fm.lineSpacing();
    }

    bool hasData() const
    {
        return std::any_of(m_chart.series.begin(), m_chart.series.end(),
                           [](const Series& series) { return !series.points.empty(); });
    }

    void drawPlot(double top)
    {
        const QFontMetricsF fm = metrics(m_text);
        const bool bars = m_barSeries > 0;
        Range xs;
        Range ys;
        if (bars)
            ys.add(0);  // bars stand on the origin
        for (const Series& series : m_chart.series) {
            for (const ChartPoint& point : series.points) {
                const double x = static_cast<double>(point.x);
                const double y = static_cast<double>(point.y);
                if (!finite(x, y))
                    continue;
                xs.add(x);
                ys.add(y);
                if (series.kind == SeriesKind::ErrorBars)
                    ys.add(y + signedError(point));
            }
        }
        if (ys.empty)
            return;
        if (!bars) {
            // A little air so that no point sits on the frame.
            const double xPad = (xs.high - xs.low) * 0.03;
            const double yPad = (ys.high - ys.low) * 0.04;
            xs.low -= xPad;
            xs.high += xPad;
            ys.low -= yPad;
            ys.high += yPad;
        }

        double bottom = m_area.bottom() - m_unit * 0.6;
        const bool axisTitle = !trimmedText(m_chart.bottomAxisTitle).isEmpty();
        if (axisTitle)
            bottom -= fm.lineSpacing() * 1.2;
        bottom -= fm.lineSpacing() + m_unit * 0.5;  // tick labels and marks
        const double height = bottom - top;
        if (height < m_unit * 3)
            return;
        const AxisScale yScale = niceScale(ys.low, ys.high, std::max(2, static_cast<int>(height / (m_unit * 2.8))),
                                           m_chart.groupedAxisLabels);

        double labelWidth = 0;
        std::vector<QString> yTexts;
        for (const double tick : yScale.ticks) {
            yTexts.push_back(
                QString::fromStdString(tickText(tick, yScale, m_chart.groupedAxisLabels, m_options.separators)));
            labelWidth = std::max(labelWidth, fm.horizontalAdvance(yTexts.back()));
        }
        const QString leftTitle = trimmedText(m_chart.leftAxisTitle);
        const double titleRoom = leftTitle.isEmpty() ? 0 : fm.lineSpacing() * 1.3;
        const double left =
            m_area.left() + m_area.width() * m_chart.leftMargin / 1000.0 + titleRoom + labelWidth + m_unit * 0.8;
        const double right = m_area.right() - m_area.width() * m_chart.rightMargin / 1000.0;
        const double width = right - left;
        if (width < m_unit * 3)
            return;
        const QRectF plot(left, top, width, height);
        const auto py = [&](double y) {
            return plot.bottom() - (y - yScale.low) / (yScale.high - yScale.low) * height;
        };

        const QColor grid(225, 225, 225);
        const QColor axis(90, 90, 90);
        const double thin = std::max(m_unit / 14, 0.6);
        m_p.setFont(m_text);
        for (std::size_t i = 0; i < yScale.ticks.size(); ++i) {
            const double y = py(yScale.ticks[i]);
            m_p.setPen(QPen(grid, thin));
            m_p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
            m_p.setPen(QPen(axis, thin));
            m_p.drawLine(QPointF(plot.left() - m_unit * 0.35, y), QPointF(plot.left(), y));
            m_p.setPen(QColor(40, 40, 40));
            m_p.drawText(QRectF(plot.left() - m_unit * 0.5 - labelWidth, y - fm.height() / 2, labelWidth, fm.height()),
                         Qt::AlignRight | Qt::AlignVCenter, yTexts[i]);
        }

        if (bars)
            drawBars(plot, py, yScale);
        else
            drawXY(plot, py, xs);

        m_p.setPen(QPen(axis, thin * 1.5));
        m_p.drawLine(plot.bottomLeft(), plot.topLeft());
        m_p.drawLine(plot.bottomLeft(), plot.bottomRight());
        if (!leftTitle.isEmpty()) {
            // Read from the bottom up, beside the axis numbers.
            m_p.save();
            m_p.setFont(m_text);
            m_p.setPen(QColor(20, 20, 20));
            const double x = plot.left() - m_unit * 0.8 - labelWidth - fm.lineSpacing() * 0.7;
            m_p.translate(x, plot.center().y());
            m_p.rotate(-90);
            const QRectF box(-plot.height() / 2, -fm.height() / 2, plot.height(), fm.height());
            m_p.drawText(box, Qt::AlignCenter, fm.elidedText(leftTitle, Qt::ElideRight, box.width()));
            m_p.restore();
        }
        if (axisTitle) {
            m_p.setFont(m_text);
            m_p.setPen(QColor(20, 20, 20));
            const QRectF titleBox(plot.left(), plot.bottom() + m_unit * 0.5 + fm.lineSpacing() * 1.1, plot.width(),
                                  fm.height());
            m_p.drawText(titleBox, Qt::AlignHCenter | Qt::AlignVCenter,
                         fm.elidedText(qtext(m_chart.bottomAxisTitle).trimmed(), Qt::ElideRight, titleBox.width()));
        }
    }

    static QString trimmedText(const std::string& text) { return qtext(text).trimmed(); }

    template <class ToY> void drawBars(const QRectF& plot, const ToY& py, const AxisScale& yScale)
    {
        std::vector<double> slots;
        for (const Series& series : m_chart.series)
            if (isBar(series.kind))
                for (const ChartPoint& point : series.points)
                    slots.push_back(static_cast<double>(point.x));
        std::sort(slots.begin(), slots.end());
        slots.erase(std::unique(slots.begin(), slots.end()), slots.end());
        if (slots.empty())
            return;
        const double slotWidth = plot.width() / static_cast<double>(slots.size());
        const double origin = py(std::clamp(0.0, yScale.low, yScale.high));
        std::vector<QString> labels(slots.size());
        int barIndex = 0;
        for (const Series& series : m_chart.series) {
            if (!isBar(series.kind))
                continue;
            const double groupWidth = slotWidth * (series.barWidthPercent > 0 ? series.barWidthPercent : 60) / 100.0;
            const double barWidth = groupWidth / m_barSeries;
            const QColor colour = colourOf(series.colour);
            for (const ChartPoint& point : series.points) {
                const double value = static_cast<double>(point.y);
                if (!std::isfinite(value))
                    continue;
                const auto slot = static_cast<std::size_t>(
                    std::lower_bound(slots.begin(), slots.end(), static_cast<double>(point.x)) - slots.begin());
                if (labels[slot].isEmpty())
                    labels[slot] = qtext(point.label).trimmed();
                const double centre = plot.left() + (static_cast<double>(slot) + 0.5) * slotWidth;
                const double barLeft = centre - groupWidth / 2 + barIndex * barWidth;
                const double end = py(value);
                m_p.setPen(QPen(colour.darker(140), std::max(m_unit / 14, 0.6)));
                m_p.setBrush(colour);
                m_p.drawRect(QRectF(QPointF(barLeft, std::min(origin, end)),
                                    QPointF(barLeft + barWidth, std::max(origin, end))));
                if (series.kind == SeriesKind::ErrorBars)
                    drawErrorBar(series, point, barLeft + barWidth / 2, barWidth, py);
            }
            ++barIndex;
        }
        const QFontMetricsF fm = metrics(m_text);
        m_p.setFont(m_text);
        m_p.setPen(QColor(40, 40, 40));
        for (std::size_t i = 0; i < slots.size(); ++i) {
            const double centre = plot.left() + (static_cast<double>(i) + 0.5) * slotWidth;
            const QRectF box(centre - slotWidth / 2 + 2, plot.bottom() + m_unit * 0.4, slotWidth - 4, fm.height());
            m_p.drawText(box, Qt::AlignHCenter | Qt::AlignVCenter,
                         fm.elidedText(labels[i], Qt::ElideRight, box.width()));
        }
    }

    template <class ToY>
    void drawErrorBar(const Series& series, const ChartPoint& point, double centre, double barWidth, const ToY& py)
    {
        const double error = signedError(point);
        if (error == 0 || !std::isfinite(error))
            return;
        const double value = static_cast<double>(point.y);
        double cap = barWidth;
        if (series.errorWidth != 0)
            cap = series.errorWidthInPercent ? std::trunc(series.errorWidth * barWidth * 0.01) : series.errorWidth;
        const double end = py(value + error);
        QPen pen(QColor(25, 25, 25), std::max(m_unit / 9, 0.8));
        pen.setCapStyle(Qt::FlatCap);
        m_p.setPen(pen);
        m_p.drawLine(QPointF(centre, py(value)), QPointF(centre, end));
        m_p.drawLine(QPointF(centre - cap / 2, end), QPointF(centre + cap / 2, end));
    }

    template <class ToY> void drawXY(const QRectF& plot, const ToY& py, const Range& xs)
    {
        const QFontMetricsF fm = metrics(m_text);
        // As many X ticks as their texts leave room for.
        AxisScale xScale;
        for (int most = std::max(2, static_cast<int>(plot.width() / (m_unit * 5))); most >= 1; --most) {
            xScale = niceScale(xs.low, xs.high, most);
            double widest = 0;
            for (const double tick : xScale.ticks)
                widest = std::max(widest, fm.horizontalAdvance(QString::fromStdString(
                                              tickText(tick, xScale, false, m_options.separators))));
            if ((widest + m_unit) * static_cast<double>(xScale.ticks.size()) <= plot.width() * 1.1)
                break;
        }
        const auto px = [&](double x) {
            return plot.left() + (x - xScale.low) / (xScale.high - xScale.low) * plot.width();
        };
        const double thin = std::max(m_unit / 14, 0.6);
        for (const double tick : xScale.ticks) {
            const double x = px(tick);
            m_p.setPen(QPen(QColor(225, 225, 225), thin));
            m_p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
            m_p.setPen(QPen(QColor(90, 90, 90), thin));
            m_p.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + m_unit * 0.35));
            const QString text = QString::fromStdString(tickText(tick, xScale, false, m_options.separators));
            const double w = fm.horizontalAdvance(text) + 2;
            m_p.setPen(QColor(40, 40, 40));
            m_p.setFont(m_text);
            m_p.drawText(QRectF(x - w / 2, plot.bottom() + m_unit * 0.4, w, fm.height()), Qt::AlignCenter, text);
        }

        m_p.save();
        m_p.setClipRect(plot.adjusted(-m_unit, -m_unit, m_unit, m_unit), Qt::IntersectClip);
        const double radius = m_unit * 0.26;
        for (const Series& series : m_chart.series) {
            if (series.kind != SeriesKind::Points)
                continue;
            QColor fill = colourOf(series.colour);
            fill.setAlpha(190);
            const QPen outline(colourOf(series.colour).darker(140), std::max(m_unit / 16, 0.5));
            // On pixels, one marker drawn once and stamped is many times
            // faster than thousands of smoothed circles; pictures that scale
            // (SVG, PDF) keep true circles.
            const QTransform device = m_p.deviceTransform();
            const bool stamp = m_p.paintEngine()->type() == QPaintEngine::Raster && device.isAffine() &&
                               device.m12() == 0 && device.m21() == 0 && device.m11() == device.m22();
            QImage marker;
            double half = 0;
            if (stamp) {
                const double scale = device.m11();
                const int side = static_cast<int>(std::ceil((radius + outline.widthF()) * 2 * scale)) + 2;
                marker = QImage(side, side, QImage::Format_ARGB32_Premultiplied);
                marker.fill(Qt::transparent);
                QPainter sprite(&marker);
                sprite.setRenderHint(QPainter::Antialiasing);
                sprite.scale(scale, scale);
                sprite.setPen(outline);
                sprite.setBrush(fill);
                half = side / 2.0 / scale;
                sprite.drawEllipse(QPointF(half, half), radius, radius);
                sprite.end();
                marker.setDevicePixelRatio(scale);
            } else {
                m_p.setPen(outline);
                m_p.setBrush(fill);
            }
            for (const ChartPoint& point : series.points) {
                const double x = static_cast<double>(point.x);
                const double y = static_cast<double>(point.y);
                if (!finite(x, y))
                    continue;
                if (stamp)
                    m_p.drawImage(QPointF(px(x) - half, py(y) - half), marker);
                else
                    m_p.drawEllipse(QPointF(px(x), py(y)), radius, radius);
            }
        }
        m_p.setBrush(Qt::NoBrush);
        for (const Series& series : m_chart.series) {
            if (series.kind != SeriesKind::Line && series.kind != SeriesKind::Band)
                continue;
            QPainterPath path;
            bool started = false;
            for (const ChartPoint& point : series.points) {
                const double x = static_cast<double>(point.x);
                const double y = static_cast<double>(point.y);
                if (!finite(x, y))
                    continue;
                if (started) {
                    path.lineTo(px(x), py(y));
                } else {
                    path.moveTo(px(x), py(y));
                    started = true;
                }
            }
            m_p.setPen(linePen(series.kind, series.colour));
            m_p.drawPath(path);
        }
        m_p.restore();
    }

    QPainter& m_p;
    QRectF m_area;
    const Chart& m_chart;
    const RenderOptions& m_options;
    double m_unit = 12;
    QFont m_text;
    QFont m_title;
    QFont m_subtitle;
    int m_barSeries = 0;
};

// Written as the program writes every file: beside the target and renamed
// over it, so a failed export never leaves half a picture in place of a good one.
bool writeBytes(const QString& path, const QByteArray& bytes, QString* error)
{
    const std::string problem =
        core::replaceFileAtomically(QFile::encodeName(path).toStdString(),
                                    std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (!problem.empty() && error)
        *error = QString::fromStdString(problem);
    return problem.empty();
}

}  // namespace

void drawChart(QPainter& painter, const QRectF& area, const Chart& chart, const RenderOptions& options)
{
    ChartPainter(painter, area, chart, options).draw();
}

std::optional<PictureFormat> pictureFormatOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("svg"))
        return PictureFormat::Svg;
    if (suffix == QLatin1String("png"))
        return PictureFormat::Png;
    if (suffix == QLatin1String("pdf"))
        return PictureFormat::Pdf;
    return std::nullopt;
}

QString chartTitleText(const Chart& chart)
{
    QStringList lines;
    for (const std::string& line : chart.title)
        if (!qtext(line).trimmed().isEmpty())
            lines.push_back(qtext(line).trimmed());
    return lines.join(QLatin1String(" - "));
}

QByteArray chartSvg(const Chart& chart, QSize size, const RenderOptions& options)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setTitle(chartTitleText(chart));
    generator.setDescription(QStringLiteral("Graph drawn by Ombrix"));
    QPainter painter(&generator);
    drawChart(painter, QRectF(QPointF(0, 0), QSizeF(size)), chart, options);
    painter.end();
    return buffer.data();
}

QImage chartImage(const Chart& chart, QSize size, qreal scale, const RenderOptions& options)
{
    scale = std::clamp<qreal>(scale, 0.25, 8);
    QImage image(QSize(static_cast<int>(std::lround(size.width() * scale)),
                       static_cast<int>(std::lround(size.height() * scale))),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    image.setText(QStringLiteral("Title"), chartTitleText(chart));
    image.setText(QStringLiteral("Software"), QStringLiteral("Ombrix"));
    QPainter painter(&image);
    painter.scale(scale, scale);
    drawChart(painter, QRectF(QPointF(0, 0), QSizeF(size)), chart, options);
    painter.end();
    return image;
}

QByteArray chartPng(const Chart& chart, QSize size, qreal scale, const RenderOptions& options)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    // Opaque pixels and a light compression: a fraction of the time for a
    // file little larger.
    const QImage image = chartImage(chart, size, scale, options).convertToFormat(QImage::Format_RGB32);
    if (!image.save(&buffer, "PNG", 80))
        bytes.clear();
    return bytes;
}

QByteArray chartPdf(const Chart& chart, QSize size, const RenderOptions& options)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(72);  // one logical pixel is one point
        writer.setPageSize(QPageSize(QSizeF(size), QPageSize::Point, QString(), QPageSize::ExactMatch));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setTitle(chartTitleText(chart));
        writer.setCreator(QStringLiteral("Ombrix"));
        QPainter painter(&writer);
        drawChart(painter, QRectF(QPointF(0, 0), QSizeF(size)), chart, options);
        painter.end();
    }
    return buffer.data();
}

bool writeChartPicture(const Chart& chart, const QString& path, PictureFormat format, qreal pngScale,
                       const RenderOptions& options, QString* error)
{
    const QSize size(PictureWidth, PictureHeight);
    QByteArray bytes;
    switch (format) {
    case PictureFormat::Svg: bytes = chartSvg(chart, size, options); break;
    case PictureFormat::Pdf: bytes = chartPdf(chart, size, options); break;
    case PictureFormat::Png:
        bytes = chartPng(chart, size, pngScale, options);
        if (bytes.isEmpty()) {
            if (error)
                *error = QStringLiteral("The picture could not be encoded.");
            return false;
        }
        break;
    }
    return writeBytes(path, bytes, error);
}

}  // namespace ombrix::graphs
