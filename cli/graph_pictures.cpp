#include "cli/graph_pictures.h"

#include <QDate>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>

#include <cstdio>
#include <memory>

#include "graphs/chart_renderer.h"
#include "graphs/print_document.h"

namespace ombrix::cli {

namespace {

// Qt's own chatter (no runtime folder, no session bus) is noise on a command
// line whose errors are its own messages; real failures still show.
void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "ombrix-report: %s\n", message.toLocal8Bit().constData());
}

// Qt, started once and ended with the writer (before the program's static
// objects go, which Qt needs).
struct OffscreenQt {
    int argc = 1;
    char name[14] = "ombrix-report";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QGuiApplication> application;

    void start()
    {
        if (application || QGuiApplication::instance())
            return;
        // A picture needs fonts but never a screen: the same output with or
        // without a desktop session.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(quietMessages);
        application = std::make_unique<QGuiApplication>(argc, argv);
    }
};

}  // namespace

DocumentWriters offscreenWriters()
{
    auto qt = std::make_shared<OffscreenQt>();
    DocumentWriters writers;
    writers.graph = [qt](const graphs::Chart& chart, const std::string& path) -> std::string {
        qt->start();
        const QString file = QString::fromStdString(path);
        const auto format = graphs::pictureFormatOf(file);
        if (!format)
            return "the file name must end in .svg, .png or .pdf";
        QString error;
        if (!graphs::writeChartPicture(chart, file, *format, 2, graphs::RenderOptions{}, &error))
            return error.toStdString();
        return {};
    };
    writers.pdf = [qt](const PrintedReport& report) -> std::string {
        qt->start();
        graphs::PrintHeader header;
        header.title = QString::fromStdString(report.title);
        header.fileName = QFileInfo(QString::fromStdString(report.fileName)).fileName();
        header.date = QLocale::c().toString(QDate::currentDate(), QStringLiteral("yyyy-MM-dd"));
        graphs::PrintContent content;
        content.lines = report.lines;
        content.chart = report.chart;
        return graphs::pagesPdf(header, content).toStdString();
    };
    return writers;
}

}  // namespace ombrix::cli
