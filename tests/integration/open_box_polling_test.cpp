#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>
#include <functional>

#include "platform/message_box.h"
#include "platform/qt_dialogs.h"
#include "program/program_tables.h"
#include "run/bench_start.h"
#include "run/channel_menu.h"
#include "support/serial_station.h"
#include "ui/dialog_driver.h"
#include "ui/qt_station_timers.h"
#include "ui/station_window.h"

using namespace klv;
using dialog_driver::runUntil;

namespace {

constexpr int kBoxOpenMs = 6000;

// Answers the modal box that is open with Cancel, as Esc does.
void cancelOpenBox()
{
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
        box->reject();
}

TextGrid discharge()
{
    TextGrid table = newStepTable();
    const char* row[5] = {"恒流放", "00.50", "02.50", "00.00", "0"};
    for (int c = 0; c < 5; ++c)
        table.at(1, c + 1) = row[c];
    return table;
}

// A channel whose cell runs away once started: when the unit reports it running, and when it
// reports it stopped again, in ms of the test's clock.
struct Runaway {
    Station& station;
    int slot;
    const QElapsedTimer& clock;
    qint64 runningAt = -1, stoppedAt = -1;
    QTimer watch;

    void start()
    {
        const TextGrid table = discharge();
        startSlots(station, {slot}, &table, ChannelOp::Start);
        QObject::connect(&watch, &QTimer::timeout, [this] {
            const bool running = station.link.slots[slot].running;
            if (running && runningAt < 0)
                runningAt = clock.elapsed();
            if (!running && runningAt >= 0 && stoppedAt < 0)
                stoppedAt = clock.elapsed();
        });
        watch.start(10);
    }
    bool stopped() const { return stoppedAt >= 0; }
    qint64 msToStop() const { return stoppedAt - runningAt; }
};

// The window on the real serial stack as the program runs it: six units on klv-sim at 9600
// baud line timing, QSerialPort on the link thread, Qt's own modal boxes.
struct OpenBoxTest : ::testing::Test {
    LinkedStation bench{{"--line-timing", "--unit", "0:20", "--unit", "1:22", "--unit", "2:23", "--unit", "3:28",
                         "--unit", "4:31", "--unit", "5:19", "--fault", "0:runaway=7", "--fault", "1:runaway=7",
                         "--fault", "2:runaway=7"}};
    Station& station = bench.station;
    StationWindow window{station, bench.linkThread, bench.searchPort};
    QElapsedTimer clock;
    std::vector<qint64> ticks;  // when each poll tick ended

    void SetUp() override
    {
        ASSERT_TRUE(bench.sim.started());
        installQtDialogs();
        window.show();
        bool connected = false;
        window.connectTo(1, 1, 6, [&connected](bool ok) { connected = ok; });
        ASSERT_TRUE(runUntil([&] { return connected; }, 15000));
        clock.start();
        QObject::connect(window.findChild<StationTimers*>(), &StationTimers::polled,
                         [this](const PollTickReport& report) {
                             if (!report.skipped)
                                 ticks.push_back(clock.elapsed());
                         });
        std::vector<int> busy;
        for (int d = 0; d < kMaxDevices; ++d)
            busy.push_back(slotOf(d, 0));
        const TextGrid table = discharge();
        startSlots(station, busy, &table, ChannelOp::Start);
    }
    void TearDown() override
    {
        setMessageHandler(nullptr);
        window.hide();
    }

    // The longest time between two ticks that ended within [from, to], and how many did.
    std::pair<qint64, int> ticksWithin(qint64 from, qint64 to) const
    {
        qint64 gap = 0;
        int count = 0;
        for (size_t i = 1; i < ticks.size(); ++i) {
            if (ticks[i] < from || ticks[i] > to)
                continue;
            gap = std::max(gap, ticks[i] - ticks[i - 1]);
            ++count;
        }
        return {gap, count};
    }

    // Opens a box through `open` (which returns when the box is answered), leaves it open for
    // kBoxOpenMs while the runaway channel starts, and then cancels it.
    void whileABoxIsOpen(const std::function<void()>& open, Runaway& runaway, qint64& openedAt, qint64& closedAt)
    {
        QTimer::singleShot(0, &window, [&] {
            openedAt = clock.elapsed();
            open();
            closedAt = clock.elapsed();
        });
        QTimer::singleShot(300, &window, [&runaway] { runaway.start(); });
        QTimer::singleShot(kBoxOpenMs, &window, cancelOpenBox);
        ASSERT_TRUE(runUntil([&] { return closedAt >= 0; }, kBoxOpenMs + 10000));
    }
};

TEST_F(OpenBoxTest, PollingAndRunawayStopsGoOnWhileAModalBoxIsOpen)
{
    // The reference: a runaway with nothing open.
    Runaway free{station, slotOf(0, 7), clock};
    free.start();
    ASSERT_TRUE(runUntil([&] { return free.stopped(); }, 20000));

    // The same while "关闭软件？" waits for an answer. A tick of six units at 9600 baud takes
    // most of a second, so ticks end up to two seconds apart whatever is open; what a box may
    // not do is stretch that.
    Runaway underClose{station, slotOf(1, 7), clock};
    qint64 openedAt = -1, closedAt = -1;
    const qint64 usualGap = ticksWithin(0, clock.elapsed()).first + 500;
    ASSERT_LT(usualGap, 3000);
    whileABoxIsOpen([this] { window.close(); }, underClose, openedAt, closedAt);
    EXPECT_TRUE(window.isVisible());  // cancelled: the station goes on
    ASSERT_TRUE(underClose.stopped());
    EXPECT_LT(underClose.stoppedAt, closedAt) << "stopped only when the box closed";
    EXPECT_LE(underClose.msToStop(), free.msToStop() + 1500);
    auto [gap, count] = ticksWithin(openedAt, closedAt);
    EXPECT_LE(gap, usualGap) << "a poll tick waited for the box";
    EXPECT_GE(count, kBoxOpenMs / 1000 - 1);

    // And while a channel operation's confirmation waits: a stop asked for 1-1, not yet given.
    Runaway underConfirm{station, slotOf(2, 7), clock};
    station.ui.currentDevice = 0;
    station.ui.selectedChannel = 0;
    openedAt = closedAt = -1;
    whileABoxIsOpen([this] { runMenuOp(station, ChannelOp::Stop, OpScope::Channel); }, underConfirm, openedAt,
                    closedAt);
    ASSERT_TRUE(underConfirm.stopped());
    EXPECT_LT(underConfirm.stoppedAt, closedAt);
    EXPECT_LE(underConfirm.msToStop(), free.msToStop() + 1500);
    std::tie(gap, count) = ticksWithin(openedAt, closedAt);
    EXPECT_LE(gap, usualGap);
    EXPECT_GE(count, kBoxOpenMs / 1000 - 1);
    EXPECT_TRUE(station.link.slots[slotOf(0, 0)].running);  // the cancelled stop sent nothing
}

}  // namespace
