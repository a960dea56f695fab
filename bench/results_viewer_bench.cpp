// The results viewer with a report of tens of thousands of lines: showing
// it, painting a screenful anywhere in it and paging through it must not
// depend on its length (only the lines in view are laid out).
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <string>

#include "analyses/results_buffer.h"
#include "app/results_viewer.h"

namespace {

using ombrix::analyses::ResultsBuffer;
using ombrix::app::TResultsViewer;

// A table of the given length with a bold header every 20 rows. Rows are
// short so that 30,000 of them fit the buffer's 500,000 characters.
void writeReport(benchmark::State& state, ResultsBuffer& report)
{
    const int lines = static_cast<int>(state.range(0));
    report.Reset();
    for (int i = 0; i < lines; ++i) {
        if (i % 20 == 0) {
            report.ToggleBold();
            report.Append("Pair     Diff");
            report.ToggleBold();
        } else {
            report.Append("A-" + std::to_string(i % 52));
            report.PadToColumn(6);
            report.AppendNumberInWidth(8, -5, i * 0.37);
        }
        report.NewLine();
    }
    report.CloseReport();
    if (report.indexedLineCount() < lines)
        state.SkipWithError("the report did not fit the buffer");
}

void paint(TResultsViewer& viewer, QImage& canvas)
{
    canvas.fill(Qt::white);
    viewer.viewport()->render(&canvas);
}

void BM_ShowReport(benchmark::State& state)
{
    ResultsBuffer report;
    writeReport(state, report);
    TResultsViewer viewer;
    viewer.resize(800, 600);
    for (auto _ : state)
        viewer.setReport(&report);
}
BENCHMARK(BM_ShowReport)->Arg(100)->Arg(5000)->Arg(30000)->Unit(benchmark::kMillisecond);

void BM_PaintLastScreen(benchmark::State& state)
{
    ResultsBuffer report;
    writeReport(state, report);
    TResultsViewer viewer;
    viewer.resize(800, 600);
    viewer.setReport(&report);
    QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
    QApplication::sendEvent(&viewer, &end);
    QImage canvas(viewer.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state)
        paint(viewer, canvas);
}
BENCHMARK(BM_PaintLastScreen)->Arg(100)->Arg(5000)->Arg(30000)->Unit(benchmark::kMillisecond);

void BM_PageDownAndPaint(benchmark::State& state)
{
    ResultsBuffer report;
    writeReport(state, report);
    TResultsViewer viewer;
    viewer.resize(800, 600);
    viewer.setReport(&report);
    QImage canvas(viewer.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    QKeyEvent pageDown(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
    QKeyEvent home(QEvent::KeyPress, Qt::Key_Home, Qt::ControlModifier);
    for (auto _ : state) {
        if (viewer.cursorPosition().line + 1 >= viewer.lineCount())
            QApplication::sendEvent(&viewer, &home);
        QApplication::sendEvent(&viewer, &pageDown);
        paint(viewer, canvas);
    }
}
BENCHMARK(BM_PageDownAndPaint)->Arg(100)->Arg(5000)->Arg(30000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
