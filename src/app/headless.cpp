#include "app/headless.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <csignal>
#include <cstdio>

#include "app/begin_tests.h"
#include "app/lab_link.h"
#include "common/format.h"
#include "common/screen_text.h"
#include "data/data_file.h"
#include "data/save_queue.h"
#include "link/connection.h"
#include "link/port_map.h"
#include "platform/ini_file.h"
#include "platform/qt_serial_port.h"
#include "platform/text_file.h"
#include "run/backup_files.h"
#include "run/channel_ops.h"
#include "run/live_data.h"
#include "station.h"
#include "ui/link_thread.h"
#include "ui/qt_station_timers.h"
#include "view/station_startup.h"

namespace klv {

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void onSignal(int) { stopRequested = 1; }

bool present(const Station& station, int d, int n)
{
    return station.link.devices[d].modelCode != 0 && station.ui.panels[d].Conn[n];
}

std::string nameOfSlot(const Station& station, int slot)
{
    return channelName(station.link.devices[deviceOfSlot(slot)].busAddress, channelOfSlot(slot));
}

void printReadings(const Station& station)
{
    for (int d = 0; d < kMaxDevices; ++d) {
        for (int n = 0; n < kChannelsPerDevice; ++n) {
            if (!present(station, d, n))
                continue;
            const SlotLink& s = station.link.slots[slotOf(d, n)];
            std::printf("%s running=%d V=%s I=%s Ah=%s Wh=%s offline=%d\n", nameOfSlot(station, slotOf(d, n)).c_str(),
                        s.running ? 1 : 0, shortText(s.voltage).c_str(), shortText(s.current).c_str(),
                        shortText(s.capacityWrap + s.capacity).c_str(), shortText(s.energy).c_str(),
                        station.link.devices[d].offline ? 1 : 0);
        }
    }
    std::fflush(stdout);
}

// A busy channel as the list view shows it.
void printProgress(const Station& station, const std::vector<int>& slots)
{
    for (int s : slots) {
        if (!station.run.slots[s].busy)
            continue;
        auto cell = [&](int c) { return station.ui.gridView.at(s + 1, c).c_str(); };
        std::printf("%s loop=%s step=%s state=%s V=%s I=%s Ah=%s time=%s\n", nameOfSlot(station, s).c_str(), cell(1),
                    cell(2), cell(3), cell(4), cell(5), cell(6), cell(8));
    }
    std::fflush(stdout);
}

bool anyBusy(const Station& station, const std::vector<int>& slots)
{
    for (int s : slots)
        if (station.run.slots[s].busy)
            return true;
    return false;
}

bool stopsPending(const Station& station, const std::vector<int>& slots)
{
    for (int s : slots)
        if (station.link.slots[s].stopPending)
            return true;
    return station.link.pollBusy;
}

// One stderr line for each channel whose stop has gone unconfirmed, said once until confirmed.
void sayUnconfirmedStops(const Station& station, const std::vector<int>& slots, std::vector<bool>& said)
{
    for (int s : slots) {
        const bool unconfirmed = station.link.slots[s].stopUnconfirmed;
        if (unconfirmed && !said[s])
            std::fprintf(
                stderr, "%s\n",
                fillIn(screenText(KLV_TEXT("Headless", "通道%1停止未确认")), {nameOfSlot(station, s)}).c_str());
        said[s] = unconfirmed;
    }
}

// After "stop all" the exit waits this long for the units to confirm every stop.
constexpr std::uint32_t kStopConfirmWaitMs = 10000;
constexpr int kExitStopsUnconfirmed = 4;

// The exit status after the wait: non-zero, naming the channels, when a stop is still unconfirmed.
int exitAfterStops(const Station& station, const std::vector<int>& slots)
{
    std::string names;
    for (int s : slots)
        if (station.link.slots[s].stopPending)
            names += (names.empty() ? "" : " ") + nameOfSlot(station, s);
    if (names.empty())
        return 0;
    std::fprintf(stderr, "%s\n", fillIn(screenText(KLV_TEXT("Headless", "停止未确认：%1")), {names}).c_str());
    return kExitStopsUnconfirmed;
}

int monitor(Station& station, StationTimers& timers, const StationOptions& options, Clock& clock)
{
    QObject::connect(&timers, &StationTimers::polled, [&station](const PollTickReport& report) {
        if (report.answersDecoded > 0)
            printReadings(station);
    });
    QTimer watch;
    const std::uint32_t started = clock.milliseconds();
    QObject::connect(&watch, &QTimer::timeout, [&] {
        bool timeUp = options.seconds >= 0 && clock.milliseconds() - started >= std::uint32_t(options.seconds) * 1000u;
        if (stopRequested || timeUp)
            QCoreApplication::quit();
    });
    timers.start();
    watch.start(50);
    return QCoreApplication::exec();
}

int runTests(Station& station, StationTimers& timers, const StationOptions& options, Clock& clock)
{
    std::string error;
    auto slots = beginTests(station, options, error);
    if (!slots) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 3;
    }
    installLiveData(station);
    QTimer progress, watch;
    QObject::connect(&progress, &QTimer::timeout, [&] { printProgress(station, *slots); });
    bool stopping = false;
    std::uint32_t stoppedAt = 0;
    int code = 0;
    std::vector<bool> said(kSlotTableSize, false);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (stopRequested && !stopping) {
            stopping = true;
            stoppedAt = clock.milliseconds();
            for (int s : *slots)
                if (station.run.slots[s].busy)
                    stopChannel(station, s);
            timers.stopRun();
        }
        sayUnconfirmedStops(station, *slots, said);
        // Done when every test has ended and the units have confirmed every stop.
        if (!anyBusy(station, *slots) && !stopsPending(station, *slots)) {
            QCoreApplication::quit();
        } else if (stopping && clock.milliseconds() - stoppedAt >= kStopConfirmWaitMs) {
            code = exitAfterStops(station, *slots);
            QCoreApplication::quit();
        }
    });
    timers.start();
    progress.start(10000);
    watch.start(100);
    const int loop = QCoreApplication::exec();
    return code != 0 ? code : loop;
}

// Exit status of a run whose files could not all be written; the others keep theirs.
constexpr int kUnwritten = 5;

// A run that could not write everything must not look like one that did.
int unwrittenExitCode(Station& station, int code, size_t failedSaves)
{
    retryBackups(station);
    const size_t lines = unwrittenBackupLines(station);
    if (lines > 0)
        std::fprintf(stderr, "%zu backup lines could not be written\n", lines);
    return code == 0 && (lines > 0 || failedSaves > 0) ? kUnwritten : code;
}

}  // namespace

// The main thread holds the tables, the run tick and live data; the link thread the port.
int runHeadless(const StationOptions& options)
{
    IniFile ini(options.home + "/klv.ini");
    SystemClock clock;
    // Data files are written off the polling thread; whatever is still waiting is written before the end.
    SaveQueue saves;
    Station station(options.home, clock);
    station.saveQueue = &saves;
    const auto lab = openLab(station, options);
    if (lab)
        lab->announce = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
    station.tellOperator = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
    startUpStation(station);
    LinkThread link([&ini](int n) { return portPath(ini, n, systemSerialPorts()); }, clock);

    auto scan = std::make_unique<ConnectScan>(station, options.port, scanRange(options.from, options.to));
    const ConnectScan& running = *scan;
    ConnectResult result = ConnectResult::NoDevice;
    std::string openFailure;
    QEventLoop scanning;
    link.run(std::move(scan), [&] {
        result = running.result();
        openFailure = running.openFailure();
        scanning.quit();
    });
    scanning.exec();
    if (result == ConnectResult::WrongPort) {
        // The message box routine has printed "错误的端口！"; the reason and remedy follow.
        if (!openFailure.empty())
            std::fprintf(stderr, "%s\n", openFailure.c_str());
        return 1;
    }
    if (result != ConnectResult::Connected) {
        std::fprintf(stderr, "no device answered\n");
        return 2;
    }
    for (const auto& line : station.ui.lstDev)
        std::printf("%s\n", line.c_str());
    std::fflush(stdout);

    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    StationTimers timers(station, link);
    int code = options.program.empty() && !options.resume ? monitor(station, timers, options, clock)
                                                          : runTests(station, timers, options, clock);
    // The lab link sends for five seconds more at most; what it did not send waits for the next start.
    if (lab) {
        if (const std::int64_t waiting = lab->stop(); waiting > 0)
            std::fprintf(stderr, "%s\n",
                         fillIn(screenText(KLV_TEXT("Headless", "实验室库: %1 行待发, 下次启动时发送")),
                                {std::to_string(waiting)})
                             .c_str());
    }
    // The last tests' saves are still on the queue; a file that could not be written is said here.
    saves.finish();
    const size_t reported = station.ui.history.size();
    reportFailedSaves(station);
    for (size_t i = reported; i < station.ui.history.size(); ++i)
        std::fprintf(stderr, "%s\n", station.ui.history[i].c_str());
    return unwrittenExitCode(station, code, station.ui.history.size() - reported);
}

}  // namespace klv
