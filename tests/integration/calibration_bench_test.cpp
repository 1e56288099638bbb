#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>

#include "link/command_set.h"
#include "link/connection.h"
#include "link/poll_cycle.h"
#include "support/bench_fixture.h"
#include "support/serial_station.h"
#include "ui/calibration_dialog.h"

using namespace klv;

// The calibration dialog through QSerialPort to klv-sim, seen from the units' side: each unit
// prints the calibration writes it takes.
TEST(CalibrationBenchTest, LowCurrentPointReachesEachModelInItsOwnUnit)
{
    SerialStation bench({"--unit", "0:20", "--unit", "1:28", "--unit", "2:31"});
    ASSERT_TRUE(bench.sim.started());
    Station& station = bench.station;
    MessageRecorder messages;
    ASSERT_EQ(connectBench(station, 1, scanRange(1, 3)), ConnectResult::Connected);

    // A 1 A discharge on channel 1 of every unit, so that the current point is plausible.
    for (int d = 0; d < 3; ++d) {
        const int s = slotOf(d, 0);
        SlotLink& slot = station.link.slots[s];
        slot.startMode = kModeDischarge;
        slot.startCurrent = 1.0f;
        slot.startVoltage = station.link.devices[d].minVoltage;
        slot.startEndCurrent = 0;
        station.run.slots[s].stepSeconds = 1;  // readings count from the first second
        AddCmd(station, s, kQueueStart);
        station.ui.panels[d].Conn[0] = true;
    }
    auto flowing = [&] {
        for (int d = 0; d < 3; ++d)
            if (std::abs(station.link.slots[slotOf(d, 0)].current - 1.0f) > 0.001f)
                return false;
        return true;
    };
    for (int tick = 0; tick < 6 && !flowing(); ++tick)
        pollTick(station);
    ASSERT_TRUE(flowing());

    station.ui.currentDevice = 0;
    station.ui.selectedChannel = 0;
    CalibrationDialog dialog(station);
    ASSERT_TRUE(dialog.openForSelection());
    auto* txtCL = dialog.findChild<QLineEdit*>(QStringLiteral("txtCL"));
    auto* cmdCL = dialog.findChild<QPushButton*>(QStringLiteral("cmdCL"));
    ASSERT_TRUE(txtCL && cmdCL);
    const struct {
        int device;
        const char* line;
    } expected[] = {
        {0, "calibration 1-1: 77 02 29 A0 item 2 value 10000"},  // TAL-M3: 0.1 mA
        {1, "calibration 2-1: 77 02 04 28 item 2 value 1000"},   // TAL-M8: 1 mA
        {2, "calibration 3-1: 77 02 00 64 item 2 value 100"},    // TAL-M10: 10 mA
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(e.line);
        station.ui.currentDevice = e.device;
        txtCL->setText(QStringLiteral("1.0"));
        cmdCL->click();
        EXPECT_TRUE(messages.shown.empty());
        pollTick(station);
        EXPECT_EQ(bench.sim.waitForLine(QStringLiteral("calibration")).toStdString(), e.line);
    }
    EXPECT_EQ(bench.sim.terminate(), 0);
}
