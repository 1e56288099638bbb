#include <gtest/gtest.h>

#include "link/command_set.h"
#include "link/connection.h"
#include "link/poll_cycle.h"
#include "platform/ini_file.h"
#include "run/run_engine.h"
#include "support/bench_fixture.h"

using namespace klv;

using ConnectionTest = BenchFixture;

TEST_F(ConnectionTest, DevicesTakeDenseIndexesInAddressOrder)
{
    bus.addUnit(2, 20);
    bus.addUnit(4, 22);
    std::vector<std::string> progress;
    ASSERT_EQ(connectBench(station, 1, scanRange(6, 1), [&](const std::string& m) { progress.push_back(m); }),
              ConnectResult::Connected);
    EXPECT_EQ(progress, (std::vector<std::string>{"设备1:连接中...", "设备2:连接中...", "设备3:连接中...",
                                                  "设备4:连接中...", "设备5:连接中...", "设备6:连接中..."}));
    const auto& devs = station.link.devices;
    EXPECT_EQ(devs[0].busAddress, 2);
    EXPECT_EQ(devs[0].modelName, "TAL-M3");
    EXPECT_EQ(devs[0].setCurrentScale, 1000);
    EXPECT_EQ(devs[1].busAddress, 4);
    EXPECT_EQ(devs[1].modelName, "TAL-M5");
    EXPECT_EQ(devs[1].setCurrentScale, 100);
    EXPECT_FLOAT_EQ(devs[1].maxCurrent, 4.0f);
    EXPECT_EQ(devs[2].modelCode, 0);
    EXPECT_EQ(station.ui.panels[0].tiles[0].Txt, "3-1");
    EXPECT_EQ(station.ui.panels[1].tiles[7].Txt, "5-8");
    EXPECT_EQ(station.ui.lstDev, (std::vector<std::string>{"设备03: TAL-M3 (4.5V/1A)", "设备05: TAL-M5 (4.5V/4A)"}));
    ASSERT_EQ(station.ui.treeDev.size(), 3u);
    EXPECT_EQ(station.ui.treeDev[0].text, "COM1");
    EXPECT_EQ(station.ui.treeDev[2].key, "dev1");
    EXPECT_TRUE(station.ui.treeDev[2].expanded);
    EXPECT_EQ(station.ui.gridView.at(0, 4), "电压(V)");
    EXPECT_EQ(station.ui.gridView.at(9, 0), "5-1");
    EXPECT_TRUE(station.link.connected);
    EXPECT_TRUE(station.ui.panels[1].Bold);
    EXPECT_FALSE(station.ui.panels[2].Bold);
    EXPECT_EQ(IniFile(home.path() + "/klv.ini").read("COMM", "PORT1", ""), "1");
}

TEST_F(ConnectionTest, AbsentChannelsAreNamedInTheGridOnly)
{
    bus.addUnit(0, 31, {true, true, true, true, false, false, false, false});
    ASSERT_EQ(connect(), ConnectResult::Connected);
    const PanelState& panel = station.ui.panels[0];
    for (int n = 0; n < 8; ++n) {
        bool present = n < 4;
        EXPECT_EQ(panel.Conn[n], present);
        EXPECT_EQ(panel.tiles[n].Enable, present);
        EXPECT_EQ(panel.tiles[n].Txt, present ? "1-" + std::to_string(n + 1) : "");
        EXPECT_EQ(station.ui.gridView.at(n + 1, 0), "1-" + std::to_string(n + 1));
    }
    EXPECT_EQ(panel.tiles[0].VolColor, station.ui.shpVol);
    EXPECT_EQ(station.ui.lstDev[0], "设备01: TAL-M10 (120.0V/20A)");
}

TEST_F(ConnectionTest, AnUnknownModelIsListedWithItsChannelsAbsentAndOnlyStatusPolled)
{
    bus.addUnit(0, 20);
    bus.addUnit(3, 99);
    bus.addUnit(4, 22);
    ASSERT_EQ(connect(3, 6), ConnectResult::Connected);  // the range leaves address 0 out
    const DeviceEntry& unknown = station.link.devices[0];
    EXPECT_EQ(unknown.busAddress, 3);
    EXPECT_EQ(unknown.modelName, "未知99");
    EXPECT_EQ(station.link.devices[1].modelName, "TAL-M5");
    EXPECT_EQ(station.link.devices[2].modelCode, 0);
    EXPECT_EQ(station.ui.lstDev[0], "设备04: 未知99 (0.0V/0A)");
    for (const TileState& tile : station.ui.panels[0].tiles) {
        EXPECT_FALSE(tile.Enable);
        EXPECT_EQ(tile.Txt, "");
    }
    EXPECT_TRUE(station.ui.panels[1].tiles[0].Enable);

    // A minute of polling: the unit's resting cells would all be over its maximum voltage of 0.
    std::vector<Bytes> toUnknown;
    port.afterWrite = [&](const Bytes& request) {
        if (request[1] == 3)
            toUnknown.push_back(request);
    };
    for (int t = 0; t < 60; ++t) {
        std::uint32_t started = clock.milliseconds();
        pollTick(station);
        runTick(station);
        finishSecond(started);
    }
    ASSERT_EQ(toUnknown.size(), 30u);  // idle: every second tick
    for (const Bytes& frame : toUnknown)
        EXPECT_EQ(Bytes(frame.begin() + 4, frame.end() - 2), Bytes(8, kCmdStatus));
    const auto log = klvLogLines();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find("unknown model code 99 at bus address 3"), std::string::npos) << log[0];
}

TEST_F(ConnectionTest, PortAndEmptyBusFailures)
{
    port.setPortAvailable(1, false);
    EXPECT_EQ(connect(), ConnectResult::WrongPort);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "错误的端口！");
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Error);
    EXPECT_FALSE(station.link.connected);

    port.setPortAvailable(1, true);
    EXPECT_EQ(connect(), ConnectResult::NoDevice);
    EXPECT_FALSE(station.link.connected);
    EXPECT_TRUE(port.isOpen());  // left open until the next port search
    EXPECT_EQ(connect(), ConnectResult::AlreadyOpen);
}

TEST_F(ConnectionTest, DisconnectIsRefusedWhileAnAnsweringDeviceHasItsOutputOn)
{
    bus.addUnit(0, 22);
    ASSERT_EQ(connect(), ConnectResult::Connected);
    station.link.slots[5].running = true;
    EXPECT_FALSE(disconnectBench(station));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "请先停止运行!");
    EXPECT_TRUE(station.link.connected);

    // The bench went away (adapter pulled): the device's last running flags no longer hold it.
    station.link.devices[0].offline = true;
    EXPECT_TRUE(disconnectBench(station));
    EXPECT_FALSE(station.link.connected);
    EXPECT_TRUE(station.ui.lstDev.empty());
    EXPECT_FALSE(station.ui.panels[0].tiles[0].Enable);
    EXPECT_EQ(station.ui.panels[0].tiles[0].Txt, "");
}
