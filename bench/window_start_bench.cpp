// The start of the station window against a bare QMainWindow of the same size, each in a process
// of its own as a user starts them, in turns in the same run: from the application object until
// the window's first paint, the event loop running from its show.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QLabel>
#include <QMainWindow>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "bench_app.h"
#include "platform/clock.h"
#include "platform/qt_serial_port.h"
#include "platform/text_file.h"
#include "sim_child.h"
#include "station.h"
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

// The window as klv-station's main() builds it, on a program folder it has started on before.
struct StationStart {
    explicit StationStart(const std::string& home) : station(home, clock) {}
    klv::SystemClock clock;
    klv::Station station;
    const klv::QtSerialPort::Resolver ports = [](int) { return std::string(); };
    klv::LinkThread link{ports, clock};
    klv::QtSerialPort searchPort{ports};
    klv::StationWindow window{station, link, searchPort};
};

struct BareStart {
    QMainWindow window;
    explicit BareStart(const std::string&) { window.resize(1080, 780); }
};

// A bare window with one line of Chinese text: what loading the fonts costs any window that
// shows a word, which the bare window never pays.
struct TextStart {
    QMainWindow window;
    explicit TextStart(const std::string&)
    {
        window.resize(1080, 780);
        window.setCentralWidget(new QLabel(QStringLiteral("多通道电池测试系统")));
    }
};

// Milliseconds from t0 until the first paint of a Start's window; the window is then closed.
template <class Start>
double msToFirstPaint(Clock::time_point t0, const std::string& home)
{
    FirstPaint seen;
    qApp->installEventFilter(&seen);
    auto start = std::make_unique<Start>(home);
    seen.window = &start->window;
    fprintf(stderr, "TMP built %.1f\n", std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    start->window.show();
    fprintf(stderr, "TMP shown %.1f\n", std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    // Not painted in a few seconds: the time says so.
    QTimer::singleShot(5000, &seen.loop, &QEventLoop::quit);
    if (!seen.painted)
        seen.loop.exec();
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    qApp->removeEventFilter(&seen);
    return seen.painted ? ms : 1e9;
}

// One cold start in a fresh process of this binary; its milliseconds, 1e9 when it failed.
double coldStart(const bench::ScratchFolder& folder, const std::string& which)
{
    const std::string out = folder.path() + "/" + which + ".out";
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const pid_t pid = bench::spawn({self, "--cold-start=" + which, folder.path()}, out);
    if (pid <= 0 || bench::reap(pid).exitCode != 0)
        return 1e9;
    const auto text = klv::readFileBytes(out);
    return text ? std::atof(text->c_str()) : 1e9;
}

// The best of the runs of each, taken in turns so that the machine's load falls on both alike;
// one start of each before, as the operator's program folder and the libraries have been used.
void Window_StartVsBare(benchmark::State& state)
{
    const bench::ScratchFolder folder;
    const char* kinds[] = {"station", "bare", "text"};
    double best[3] = {1e9, 1e9, 1e9};
    for (const char* kind : kinds)
        coldStart(folder, kind);
    for (auto _ : state) {
        double all = 0;
        for (int k = 0; k < 3; ++k) {
            const double ms = coldStart(folder, kinds[k]);
            best[k] = std::min(best[k], ms);
            all += ms;
        }
        state.SetIterationTime(all / 1e3);
    }
    if (*std::max_element(best, best + 3) >= 1e9)
        state.SkipWithError("a window was not painted within five seconds");
    state.counters["station_ms"] = best[0];
    state.counters["bare_ms"] = best[1];
    state.counters["text_ms"] = best[2];
    state.counters["ratio"] = best[0] / best[1];
    state.counters["over_text_window"] = best[0] / best[2];
}
BENCHMARK(Window_StartVsBare)->Iterations(7)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int coldStartChild(const std::string& which, const std::string& home)
{
    const auto t0 = Clock::now();
    ensureGuiApplication();
    fprintf(stderr, "TMP app %.1f\n", std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    const double ms = which == "station" ? msToFirstPaint<StationStart>(t0, home)
                      : which == "text"  ? msToFirstPaint<TextStart>(t0, home)
                                         : msToFirstPaint<BareStart>(t0, home);
    std::printf("%.3f\n", ms);
    return ms < 1e9 ? 0 : 1;
}
