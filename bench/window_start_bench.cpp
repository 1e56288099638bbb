// The start of the station window against a bare QMainWindow of the same size, both in the
// same run: from building the window until its first paint, the event loop running from its show.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QMainWindow>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <memory>
#include <string>

#include "bench_app.h"
#include "platform/clock.h"
#include "platform/qt_serial_port.h"
#include "station.h"
#include "support/temp_folder.h"
#include "ui/link_thread.h"
#include "ui/station_window.h"

namespace {

using Clock = std::chrono::steady_clock;

// Quits the loop at the first paint of any widget of the window; the paint of the whole window
// is one event, so the loop ends once the first frame is drawn. Watched on the GUI thread only.
struct FirstPaint : QObject {
    QWidget* window = nullptr;
    QEventLoop loop;
    bool painted = false;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == window) {
            painted = true;
            loop.quit();
        }
        return false;
    }
};

// The window as klv-station's main() builds it, on a fresh program folder.
struct StationStart {
    TempFolder home;
    klv::SystemClock clock;
    klv::Station station{home.path(), clock};
    const klv::QtSerialPort::Resolver ports = [](int) { return std::string(); };
    klv::LinkThread link{ports, clock};
    klv::QtSerialPort searchPort{ports};
    klv::StationWindow window{station, link, searchPort};
};

struct BareStart {
    QMainWindow window;
    BareStart() { window.resize(1080, 780); }
};

// Milliseconds from building a Start until its window's first paint; the window is then closed.
template <class Start>
double msToFirstPaint()
{
    FirstPaint seen;
    qApp->installEventFilter(&seen);
    const auto t0 = Clock::now();
    auto start = std::make_unique<Start>();
    seen.window = &start->window;
    start->window.show();
    // Not painted in a few seconds: the time says so.
    QTimer::singleShot(5000, &seen.loop, &QEventLoop::quit);
    if (!seen.painted)
        seen.loop.exec();
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    qApp->removeEventFilter(&seen);
    return seen.painted ? ms : 1e9;
}

// Each window once before timing, so that neither pays what Qt sets up at the first window of a
// process (fonts, style); then the best of the runs of each, taken in turns.
void Window_StartVsBare(benchmark::State& state)
{
    ensureGuiApplication();
    msToFirstPaint<BareStart>();
    msToFirstPaint<StationStart>();
    double station = 1e9, bare = 1e9;
    for (auto _ : state) {
        const double s = msToFirstPaint<StationStart>();
        const double b = msToFirstPaint<BareStart>();
        station = std::min(station, s);
        bare = std::min(bare, b);
        state.SetIterationTime((s + b) / 1e3);
    }
    if (station >= 1e9 || bare >= 1e9)
        state.SkipWithError("a window was not painted within five seconds");
    state.counters["station_ms"] = station;
    state.counters["bare_ms"] = bare;
    state.counters["ratio"] = station / bare;
}
BENCHMARK(Window_StartVsBare)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
