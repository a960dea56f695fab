#include "graphs/print_document.h"

#include <QBuffer>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

#include "analyses/report_chars.h"
#include "core/text.h"

namespace ombrix::graphs {

namespace {

constexpr double ReportPointSize = 9.5;
constexpr double SmallestPointSize = 5.5;

// The layout of one printout on one device, in the device's pixels.
struct Layout {
    QRectF page;
    QFont text;
    QFont heading;
    QFont footnote;
    double charWidth = 0;
    double lineSpacing = 0;
    double ascent = 0;
    QRectF body;
    int linesPerPage = 1;
};

Layout layoutFor(QPagedPaintDevice& device, const PrintContent& content)
{
    Layout layout;
    layout.page = QRectF(0, 0, device.width(), device.height());
    QPaintDevice* metricsDevice = &device;
    layout.heading = QGuiApplication::font();
    layout.heading.setPointSizeF(10);
    layout.heading.setBold(true);
    layout.footnote = QGuiApplication::font();
    layout.footnote.setPointSizeF(8);
    // The report's columns line up only in a fixed-pitch face; the widest
    // line decides the size, so that no line is cut at the margin.
    int widest = 1;
    for (const std::string& line : content.lines)
        widest = std::max(widest, analyses::displayWidth(line));
    layout.text = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    layout.text.setPointSizeF(ReportPointSize);
    double advance = QFontMetricsF(layout.text, metricsDevice).horizontalAdvance(QLatin1Char('0'));
    if (advance * widest > layout.page.width() && advance > 0) {
        const double size = std::max(SmallestPointSize, ReportPointSize * layout.page.width() / (advance * widest));
        layout.text.setPointSizeF(size);
    }
    const QFontMetricsF text(layout.text, metricsDevice);
    layout.charWidth = text.horizontalAdvance(QLatin1Char('0'));
    layout.lineSpacing = text.lineSpacing();
    layout.ascent = text.ascent();
    const double headingHeight = QFontMetricsF(layout.heading, metricsDevice).lineSpacing() * 1.8;
    const double footerHeight = QFontMetricsF(layout.footnote, metricsDevice).lineSpacing() * 1.8;
    layout.body = layout.page.adjusted(0, headingHeight, 0, -footerHeight);
    layout.linesPerPage = std::max(1, static_cast<int>(layout.body.height() / layout.lineSpacing));
    return layout;
}

void drawFrame(QPainter& painter, const Layout& layout, const PrintHeader& header, int page, int pages)
{
    const QRectF& box = layout.page;
    painter.setPen(Qt::black);
    painter.setFont(layout.heading);
    const QFontMetricsF heading(layout.heading, painter.device());
    const double half = box.width() / 2;
    const QRectF top(box.left(), box.top(), box.width(), heading.height());
    painter.drawText(top, Qt::AlignLeft | Qt::AlignVCenter, heading.elidedText(header.title, Qt::ElideRight, half));
    painter.setFont(layout.footnote);
    const QFontMetricsF foot(layout.footnote, painter.device());
    painter.drawText(top, Qt::AlignRight | Qt::AlignVCenter,
                     foot.elidedText(header.fileName, Qt::ElideLeft, half * 0.9));
    const double rule = top.bottom() + heading.height() * 0.3;
    painter.setPen(QPen(Qt::gray, std::max(1.0, heading.height() / 20)));
    painter.drawLine(QPointF(box.left(), rule), QPointF(box.right(), rule));
    painter.setPen(Qt::black);
    const QRectF bottom(box.left(), box.bottom() - foot.height(), box.width(), foot.height());
    painter.drawText(bottom, Qt::AlignLeft | Qt::AlignVCenter, header.date);
    painter.drawText(bottom, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("Page %1 of %2").arg(page).arg(pages));
}

void drawLine(QPainter& painter, const Layout& layout, const std::string& line, double baseline)
{
    for (const analyses::StyledRun& run : analyses::styledRuns(line)) {
        QFont font = layout.text;
        font.setBold(run.bold);
        font.setItalic(run.italic);
        font.setUnderline(run.underline);
        painter.setFont(font);
        painter.drawText(QPointF(layout.body.left() + run.column * layout.charWidth, baseline),
                         QString::fromStdString(run.text));
    }
}

}  // namespace

int printPages(QPagedPaintDevice& device, const PrintHeader& header, const PrintContent& content)
{
    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const Layout layout = layoutFor(device, content);
    const int lineCount = static_cast<int>(content.lines.size());
    const int textPages = (lineCount + layout.linesPerPage - 1) / layout.linesPerPage;
    const int pages = std::max(1, textPages + (content.chart ? 1 : 0));
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            device.newPage();
        drawFrame(painter, layout, header, page + 1, pages);
        painter.setPen(Qt::black);
        if (page < textPages) {
            const int first = page * layout.linesPerPage;
            const int last = std::min(lineCount, first + layout.linesPerPage);
            for (int i = first; i < last; ++i)
                drawLine(painter, layout, content.lines[static_cast<std::size_t>(i)],
                         layout.body.top() + (i - first) * layout.lineSpacing + layout.ascent);
        } else if (content.chart) {
            // The graph keeps the proportions of an exported picture, as large
            // as the page allows; its text scales with it.
            const double scale = std::min(layout.body.width() / PictureWidth, layout.body.height() / PictureHeight);
            painter.save();
            painter.translate(layout.body.left() + (layout.body.width() - PictureWidth * scale) / 2, layout.body.top());
            painter.scale(scale, scale);
            drawChart(painter, QRectF(0, 0, PictureWidth, PictureHeight), *content.chart, content.renderOptions);
            painter.restore();
        }
    }
    painter.end();
    return pages;
}

QByteArray pagesPdf(const PrintHeader& header, const PrintContent& content, const QPageSize& pageSize)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageSize(pageSize);
        writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        writer.setTitle(header.title.isEmpty() ? header.fileName : header.title);
        writer.setCreator(QStringLiteral("Ombrix"));
        if (printPages(writer, header, content) == 0)
            return {};
    }
    return buffer.data();
}

std::vector<std::string> tableLines(const std::vector<std::vector<std::string>>& cells, int widthChars)
{
    std::size_t columns = 0;
    for (const auto& row : cells)
        columns = std::max(columns, row.size());
    if (columns == 0)
        return {};
    std::vector<int> widths(columns, 0);
    for (const auto& row : cells)
        for (std::size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], core::characterCount(row[c]));
    const auto pad = [](std::string text, int width, bool right) {
        const int fill = std::max(0, width - core::characterCount(text));
        return right ? std::string(static_cast<std::size_t>(fill), ' ') + text
                     : text + std::string(static_cast<std::size_t>(fill), ' ');
    };
    std::vector<std::string> lines;
    std::size_t next = 1;
    do {
        // As many columns as fit beside the first one, at least one.
        std::size_t end = next;
        int used = widths[0];
        while (end < columns && (end == next || used + 2 + widths[end] <= widthChars)) {
            used += 2 + widths[end];
            ++end;
        }
        if (!lines.empty())
            lines.emplace_back();
        for (const auto& row : cells) {
            std::string line = pad(row.empty() ? std::string() : row[0], widths[0], false);
            for (std::size_t c = next; c < end; ++c)
                line += "  " + pad(c < row.size() ? row[c] : std::string(), widths[c], true);
            lines.push_back(std::string(core::trimmedRight(line)));
        }
        next = end;
    } while (next < columns);
    return lines;
}

}  // namespace ombrix::graphs
