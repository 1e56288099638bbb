// Opening a data file of a million records in the viewer window: the time to the first view
// against the loader's own time for the same file, and how long the window's event loop
// went without turning meanwhile.
#include <benchmark/benchmark.h>

#include <QEventLoop>
#include <QTimer>
#include <algorithm>

#include "bench_app.h"
#include "bench_station.h"
#include "ui/data_viewer_window.h"

namespace {

using namespace klvbench;

struct OpenTimes {
    double seconds = 0;     // open to the first view painted
    double longestGap = 0;  // between two turns of the event loop
    bool complete = false;
};

OpenTimes openInWindow(klv::DataViewerWindow& window, const std::string& path)
{
    OpenTimes times;
    QEventLoop loop;
    double last = wallNow();
    // A timer of 5 ms shows how long the loop went without turning: the longest gap between its
    // shots is the longest freeze. (A 0 ms timer would spin a core and slow the loader it measures.)
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const double now = wallNow();
        times.longestGap = std::max(times.longestGap, now - last);
        last = now;
    });
    QObject::connect(&window, &klv::DataViewerWindow::loadFinished, &loop, [&](bool complete) {
        times.complete = complete;
        loop.quit();
    });
    const double t0 = wallNow();
    ticker.start();
    window.openFile(QString::fromStdString(path));
    loop.exec();
    window.repaint();  // the first view on the screen
    times.seconds = wallNow() - t0;
    ticker.stop();
    times.longestGap = std::max(times.longestGap, wallNow() - last);
    return times;
}

void ViewerOpen_1M(benchmark::State& state)
{
    ensureGuiApplication();
    MillionFile& file = MillionFile::get();
    const std::string path = file.base + ".dat";
    klv::DataViewerWindow window(file.bench.station);
    window.resize(1080, 720);
    window.show();
    QCoreApplication::processEvents();

    double loader = 1e9, open = 1e9, gap = 0;
    bool complete = true;
    for (auto _ : state) {
        // Both in the same run, one after the other, so a busy machine weighs on both alike.
        const double l0 = wallNow();
        const klv::LoadedData data = klv::loadDataFile(path);
        loader = std::min(loader, wallNow() - l0);
        complete = complete && data.complete && data.records.size() == kRecords;
        const OpenTimes times = openInWindow(window, path);
        open = std::min(open, times.seconds);
        gap = std::max(gap, times.longestGap);
        complete = complete && times.complete;
        state.SetIterationTime(times.seconds);
    }
    if (!complete || window.viewer().graph().DpCnt(0) != kRecords)
        state.SkipWithError("the window did not show the million records");
    state.counters["loader_ms"] = loader * 1e3;
    state.counters["first_view_ms"] = open * 1e3;
    state.counters["ratio"] = open / loader;
    state.counters["within_2x"] = open <= 2 * loader ? 1 : 0;
    state.counters["longest_loop_gap_ms"] = gap * 1e3;
}
BENCHMARK(ViewerOpen_1M)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
