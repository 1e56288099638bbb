#include "link/connection.h"

#include <algorithm>

#include "common/format.h"
#include "common/logs.h"
#include "link/command_set.h"
#include "link/transaction.h"
#include "platform/ini_file.h"
#include "platform/message_box.h"
#include "station.h"
#include "view/legend_colours.h"
#include "view/station_startup.h"

namespace klv {

namespace {

void resetTiles(Station& station)
{
    for (auto& panel : station.ui.panels) {
        for (auto& tile : panel.tiles) {
            tile.Color = kColorLampOff;
            tile.Txt.clear();
            tile.ChnColor = kColorChannelIdle;
        }
        panel.Bold = false;
    }
}

void resetCommandSlots(Station& station)
{
    for (int s = 0; s < kSlotTableSize; ++s)
        resetSlot(station, s);
}

// One address of the scan; true when a device took device index k.
bool registerDevice(Station& station, int address, int k)
{
    DeviceEntry& dev = station.link.devices[k];
    PanelState& panel = station.ui.panels[k];
    auto answer = deviceTransaction(station.port, station.clock, station.pump, identityRequest(address),
                                    kIdentityAnswerLength, kIdentityChecksumOffset);
    if (auto id = answer ? decodeIdentity(*answer) : std::nullopt) {
        dev.modelCode = id->modelCode;
        dev.secondIdentity = id->secondIdentity;
        dev.busAddress = address;
        panel.Conn = id->present;
    }
    dev.setCurrentScale = 100;
    if (dev.modelCode == 0)
        return false;
    applyModelRow(dev);
    if (!isKnownModel(dev.modelCode)) {
        // With no ratings every reading would be a voltage error, logged each second for days;
        // its channels are treated as absent, so the unit only ever gets status polls.
        panel.Conn.fill(false);
        klvLog(station, "ErrConnect(COM" + std::to_string(station.link.portNumber) + ")",
               "unknown model code " + std::to_string(dev.modelCode) + " at bus address " + std::to_string(address));
    }
    for (int n = 0; n < kChannelsPerDevice; ++n) {
        TileState& tile = panel.tiles[n];
        if (panel.Conn[n]) {
            tile.Txt = channelName(address, n);
            station.ui.graphs[k].setMaxY(0, dev.maxVoltage);
            station.ui.graphs[k].setMaxY(1, dev.maxCurrent);
            applyLegendColours(station, k, n);
        }
        station.ui.gridView.at(slotOf(k, n) + 1, 0) = channelName(address, n);
    }
    std::string line = deviceListLine(address, dev.modelName, dev.maxVoltage, dev.maxCurrent);
    station.ui.lstDev.push_back(line);
    station.ui.treeDev.push_back({"dev" + std::to_string(k), line, "com", false});
    return true;
}

}  // namespace

ScanRange scanRange(int startNumber, int stopNumber)
{
    if (startNumber > stopNumber)
        std::swap(startNumber, stopNumber);
    return {startNumber - 1, stopNumber - 1};
}

std::string deviceListLine(int address, const std::string& modelName, float maxVoltage, float maxCurrent)
{
    return "设备" + formatNumber(address + 1, "00") + ": " + modelName + " (" + formatNumber(maxVoltage, "0.0") + "V/" +
           formatNumber(maxCurrent, "0") + "A)";
}

ConnectResult connectBench(Station& station, int portNumber, ScanRange range,
                           const std::function<void(const std::string&)>& progress)
{
    LinkTables& link = station.link;
    if (station.port.isOpen())
        return ConnectResult::AlreadyOpen;
    if (!station.port.open(portNumber)) {
        // The box keeps its one fixed text; the log says why and what to do.
        const std::string failure = station.port.openFailure();
        if (!failure.empty())
            klvLog(station, "ErrConnect(COM" + std::to_string(portNumber) + ")", failure);
        showMessage("错误的端口！", MsgIcon::Error);
        return ConnectResult::WrongPort;
    }
    link.portNumber = portNumber;
    link.firstAddress = range.firstAddress;
    link.lastAddress = range.lastAddress;
    IniFile(station.home + "/klv.ini").write("COMM", "PORT1", std::to_string(portNumber));
    resetCommandSlots(station);

    station.ui.lstDev.clear();
    station.ui.treeDev.clear();
    station.ui.treeDev.push_back({"com", "COM" + std::to_string(portNumber), "", false});
    resetGridView(station);
    for (int d = 0; d < kMaxDevices; ++d) {
        link.devices[d].modelCode = 0;
        link.devices[d].secondIdentity = 0;
    }
    resetTiles(station);

    int k = 0;
    for (int a = range.firstAddress; a <= range.lastAddress && k < kMaxDevices; ++a) {
        if (progress)
            progress("设备" + std::to_string(a + 1) + ":连接中...");
        if (registerDevice(station, a, k))
            ++k;
    }
    for (auto& node : station.ui.treeDev)
        node.expanded = true;

    for (int d = 0; d < kMaxDevices; ++d) {
        PanelState& panel = station.ui.panels[d];
        bool present = link.devices[d].modelCode != 0;
        if (present)
            link.connected = true;
        for (int n = 0; n < kChannelsPerDevice; ++n)
            panel.tiles[n].Enable = present && panel.Conn[n];
        if (present)
            panel.Bold = true;
    }
    return link.connected ? ConnectResult::Connected : ConnectResult::NoDevice;
}

bool disconnectBench(Station& station)
{
    // A device that stopped answering keeps the running flags it last reported; they must not
    // hold the station connected to a bench that is gone (a pulled USB adapter).
    for (int s = 0; s < kUsedSlots; ++s) {
        if (station.link.slots[s].running && !station.link.devices[deviceOfSlot(s)].offline) {
            showMessage("请先停止运行!", MsgIcon::Information);
            return false;
        }
    }
    station.ui.lstDev.clear();
    station.ui.treeDev.clear();
    resetTiles(station);
    for (auto& panel : station.ui.panels)
        for (auto& tile : panel.tiles)
            tile.Enable = false;
    station.link.connected = false;
    return true;
}

}  // namespace klv
