#include "graphs/chart_renderer.h"
#include "graphs/print_document.h"

#include <QBuffer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <filesystem>

#include "analyses/report_chars.h"
#include "analyses/results_buffer.h"
#include "core/oxd_file.h"
#include "tests/support/golden_file.h"
#include "workflow/dispatcher.h"

namespace ombrix::graphs {
namespace {

const std::string Examples = OMBRIX_EXAMPLES_DIR;

// The graph the graph step shows: the analysis first, then the chart.
Chart chartOf(const std::string& path)
{
    core::OpenResult opened = core::openDataFile(path);
    EXPECT_TRUE(opened.dataSet) << path;
    if (!opened.dataSet)
        return {};
    analyses::ResultsBuffer results;
    analyses::RegressionForGraph line;
    workflow::SteadyClock clock;
    workflow::CalculationProgress progress(clock);
    workflow::CalculationTarget target{results, line, progress, nullptr};
    workflow::Calculate(*opened.dataSet, target);
    return buildChart(*opened.dataSet, {}, line);
}

// Every text an SVG shows, joined; empty when the XML does not parse.
QString svgTexts(const QByteArray& svg)
{
    QXmlStreamReader xml(svg);
    QString texts;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isCharacters())
            texts += xml.text().toString() + QLatin1Char('\n');
    }
    return xml.hasError() ? QString() : texts;
}

// Every example drawn as each picture: the SVG parses and shows the titles,
// the PNG decodes at twice the size with the titles in its text fields, the
// PDF is one; and the file written is the picture.
TEST(ChartRender, EveryExampleAsEachPicture)
{
    const RenderOptions options;
    const QSize size(PictureWidth, PictureHeight);
    QTemporaryDir dir;
    for (const std::string& name : testing::dataFileNames(Examples)) {
        const Chart chart = chartOf(Examples + "/" + name + ".OXD");
        ASSERT_FALSE(chart.title.empty());
        const QString texts = svgTexts(chartSvg(chart, size, options));
        ASSERT_FALSE(texts.isEmpty()) << name;
        for (const std::string& line : chart.title)
            EXPECT_TRUE(texts.contains(QString::fromStdString(line))) << name << ": " << line;
        if (!chart.bottomAxisTitle.empty()) {
            EXPECT_TRUE(texts.contains(QString::fromStdString(chart.bottomAxisTitle))) << name;
        }

        QByteArray png = chartPng(chart, size, 2, options);
        QBuffer readBack(&png);
        QImageReader reader(&readBack, "PNG");
        const QImage image = reader.read();
        EXPECT_EQ(image.size(), size * 2) << name;
        EXPECT_EQ(image.text(QStringLiteral("Title")), chartTitleText(chart)) << name;

        EXPECT_TRUE(chartPdf(chart, size, options).startsWith("%PDF-")) << name;

        const QString file = dir.filePath(QString::fromStdString(name) + QStringLiteral(".png"));
        QString error;
        ASSERT_TRUE(writeChartPicture(chart, file, PictureFormat::Png, 1, options, &error)) << error.toStdString();
        EXPECT_EQ(QImage(file).size(), size);
    }
}

// What the pixels say: bars in red and blue where the model puts them, the
// origin at the bottom, and the graph's own legibility floor at 600 x 400.
TEST(ChartRender, BarsAndPointsLandInTheirColours)
{
    Chart bars;
    bars.title = {"Bars", "Second line"};
    bars.series.push_back({SeriesKind::Bars, Colour::Red, 50, 100, true, {{0, 10, 0, "A"}, {1, 5, 0, "B"}}});
    bars.series.push_back({SeriesKind::Bars, Colour::Blue, 50, 100, true, {{0, 4, 0, ""}, {1, 8, 0, ""}}});
    const QImage image = chartImage(bars, QSize(600, 400), 1, {});
    const auto countNear = [&](QColor target) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                n += std::abs(c.red() - target.red()) + std::abs(c.green() - target.green()) +
                         std::abs(c.blue() - target.blue()) <
                     30;
            }
        return n;
    };
    const int red = countNear(QColor(200, 38, 44));
    const int blue = countNear(QColor(40, 96, 176));
    EXPECT_GT(red, 2000);
    EXPECT_GT(blue, 2000);
    // Red stands 10 + 5, blue 4 + 8: the areas follow the values.
    EXPECT_NEAR(static_cast<double>(red) / blue, 15.0 / 12.0, 0.15);
}

// Nothing a data set can hold stops the drawing: no series, empty series,
// values beyond a double, a single point, all points on one vertical.
TEST(ChartRender, AwkwardChartsStillDraw)
{
    std::vector<Chart> charts(5);
    charts[0].title = {"", ""};
    charts[1].series.push_back({SeriesKind::Points, Colour::Blue, 0, 100, true, {}});
    charts[2].series.push_back(
        {SeriesKind::ErrorBars, Colour::Red, 0, 100, true, {{0, 1e4000L, 1e4000L, "A"}, {1, -3, 2, "B"}}});
    charts[3].series.push_back({SeriesKind::Points, Colour::Blue, 0, 100, true, {{5, 5, 0, ""}}});
    charts[4].series.push_back({SeriesKind::Points, Colour::Blue, 0, 100, true, {{1, 2, 0, ""}, {1, 7, 0, ""}}});
    charts[4].series.push_back({SeriesKind::Band, Colour::Blue, 0, 100, true, {{1, 2, 0, ""}, {1, 7, 0, ""}}});
    for (const Chart& chart : charts) {
        const QImage image = chartImage(chart, QSize(300, 200), 1, {});
        EXPECT_EQ(image.size(), QSize(300, 200));
        EXPECT_FALSE(svgTexts(chartSvg(chart, QSize(300, 200), {})).isNull());
    }
}

// Tables for print: columns aligned, and those beyond the width in further
// groups that repeat the first column.
TEST(PrintDocument, TableLinesFitTheWidth)
{
    const std::vector<std::vector<std::string>> cells = {
        {"", "Dose", "Response", "Weight"}, {"1", "0.5", "12.25", "70"}, {"10", "20.0", "8", ""}};
    EXPECT_EQ(tableLines(cells, 80), (std::vector<std::string>{"    Dose  Response  Weight",
                                                               "1    0.5     12.25      70", "10  20.0         8"}));
    EXPECT_EQ(tableLines(cells, 18),
              (std::vector<std::string>{"    Dose  Response", "1    0.5     12.25", "10  20.0         8", "",
                                        "    Weight", "1       70", "10"}));
    EXPECT_TRUE(tableLines({}, 80).empty());
}

// A long report paginates: every line is in the PDF's own text, in order,
// once, with "Page k of n" on each page, and the graph on a last page.
TEST(PrintDocument, LongReportPaginatesAsSearchableText)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    PrintContent content;
    const std::string bold(1, analyses::BoldMark);
    const std::string underline(1, analyses::UnderlineMark);
    for (int i = 1; i <= 150; ++i)
        content.lines.push_back("Line " + std::to_string(i) + " of the report " + bold + "bold" + bold + " and " +
                                underline + "underlined" + underline);
    const Chart chart = chartOf(Examples + "/car_stopping_xy.OXD");
    content.chart = &chart;
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(pagesPdf({QStringLiteral("Trial"), QStringLiteral("trial.OXD"), QStringLiteral("2026-12-07")}, content));
    file.close();
    QProcess extract;
    extract.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(extract.waitForFinished(20000));
    const QString text = QString::fromUtf8(extract.readAllStandardOutput());
    qsizetype at = 0;
    for (int i = 1; i <= 150; ++i) {
        const QString line = QStringLiteral("Line %1 of the report bold and underlined").arg(i);
        const qsizetype found = text.indexOf(line, at);
        ASSERT_GE(found, at) << i;
        at = found + line.size();
    }
    const qsizetype pages = text.count(QLatin1Char('\f'));
    EXPECT_GE(pages, 3);
    for (qsizetype page = 1; page <= pages; ++page)
        EXPECT_TRUE(text.contains(QStringLiteral("Page %1 of %2").arg(page).arg(pages))) << page;
    EXPECT_TRUE(text.section(QLatin1Char('\f'), pages - 1, pages - 1).contains(QStringLiteral("Linear Regression")));
}

TEST(ChartRender, PictureFormatsByExtension)
{
    EXPECT_EQ(pictureFormatOf(QStringLiteral("a/b.SVG")), PictureFormat::Svg);
    EXPECT_EQ(pictureFormatOf(QStringLiteral("graph.png")), PictureFormat::Png);
    EXPECT_EQ(pictureFormatOf(QStringLiteral("graph.Pdf")), PictureFormat::Pdf);
    EXPECT_EQ(pictureFormatOf(QStringLiteral("graph.jpg")), std::nullopt);
    EXPECT_EQ(pictureFormatOf(QStringLiteral("svg")), std::nullopt);
}

}  // namespace
}  // namespace ombrix::graphs

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
