#include "link/connection.h"

#include <algorithm>

#include "common/format.h"
#include "common/logs.h"
#include "common/screen_text.h"
#include "link/command_set.h"
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

// One address of the scan and its answer; true when a device took device index k.
bool registerDevice(Station& station, int address, int k, const std::optional<Bytes>& answer)
{
    DeviceEntry& dev = station.link.devices[k];
    PanelState& panel = station.ui.panels[k];
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
    std::string line = deviceListLine(address, shownModelName(dev), dev.maxVoltage, dev.maxCurrent);
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
    return fillIn(
        screenText(KLV_TEXT("Table", "设备%1: %2 (%3V/%4A)")),
        {formatNumber(address + 1, "00"), modelName, formatNumber(maxVoltage, "0.0"), formatNumber(maxCurrent, "0")});
}

ConnectScan::ConnectScan(Station& station, int portNumber, ScanRange range, ScanProgress progress)
        : station_(station), portNumber_(portNumber), range_(range), progress_(std::move(progress)),
          address_(range.firstAddress - 1)
{
}

std::optional<LinkRequest> ConnectScan::next()
{
    switch (stage_) {
    case Stage::Open:
        return LinkRequest{LinkRequest::Kind::Open, portNumber_};
    case Stage::Scan:
        if (++address_ <= range_.lastAddress) {
            if (progress_)
                progress_(fillIn(screenText(KLV_TEXT("Message", "设备%1:连接中...")), {std::to_string(address_ + 1)}));
            LinkRequest request{LinkRequest::Kind::Identity};
            request.frame = identityRequest(address_);
            request.length = kIdentityAnswerLength;
            request.checkOffset = kIdentityChecksumOffset;
            return request;
        }
        finish();
        return std::nullopt;
    case Stage::Done:
        break;
    }
    return std::nullopt;
}

void ConnectScan::take(const LinkReply& reply)
{
    if (stage_ == Stage::Scan) {
        const auto id = reply.identity ? decodeIdentity(*reply.identity) : std::nullopt;
        if (const int k = positionFor(address_, id ? id->modelCode : 0); k >= 0)
            registerDevice(station_, address_, k, reply.identity);
        return;
    }
    stage_ = Stage::Done;
    if (reply.wasOpen) {
        result_ = ConnectResult::AlreadyOpen;
    } else if (!reply.opened) {
        // The box keeps its one fixed text; the log says why and what to do.
        openFailure_ = reply.openFailure;
        if (!openFailure_.empty())
            klvLog(station_, "ErrConnect(COM" + std::to_string(portNumber_) + ")", openFailure_);
        result_ = ConnectResult::WrongPort;
        showMessage(KLV_NOOP("Message", "错误的端口！"), MsgIcon::Error);
    } else {
        opened();
    }
}

// The port is open: the tables start afresh for the scan.
void ConnectScan::opened()
{
    stage_ = Stage::Scan;
    LinkTables& link = station_.link;
    link.portNumber = portNumber_;
    link.firstAddress = range_.firstAddress;
    link.lastAddress = range_.lastAddress;
    IniFile(station_.home + "/klv.ini").write("COMM", "PORT1", std::to_string(portNumber_));
    resetCommandSlots(station_);
    for (int d = 0; d < kMaxDevices; ++d) {
        for (int n = 0; n < kChannelsPerDevice; ++n)
            if (station_.run.slots[slotOf(d, n)].busy && link.devices[d].modelCode != 0)
                kept_[d] = {link.devices[d].busAddress, link.devices[d].modelCode};
    }

    station_.ui.lstDev.clear();
    station_.ui.treeDev.clear();
    station_.ui.treeDev.push_back({"com", "COM" + std::to_string(portNumber_), "", false});
    resetGridView(station_);
    link.portLost = false;
    for (int d = 0; d < kMaxDevices; ++d) {
        link.devices[d].modelCode = 0;
        link.devices[d].secondIdentity = 0;
        link.devices[d].missing = false;
    }
    resetTiles(station_);
}

// The kept position of this unit, else the first position neither taken nor kept; -1: none.
int ConnectScan::positionFor(int address, int modelCode) const
{
    if (modelCode == 0)
        return -1;
    for (int d = 0; d < kMaxDevices; ++d)
        if (kept_[d].address == address && kept_[d].modelCode == modelCode)
            return d;
    for (int d = 0; d < kMaxDevices; ++d)
        if (kept_[d].address < 0 && station_.link.devices[d].modelCode == 0)
            return d;
    return -1;
}

void ConnectScan::finish()
{
    stage_ = Stage::Done;
    for (auto& node : station_.ui.treeDev)
        node.expanded = true;
    LinkTables& link = station_.link;
    for (int d = 0; d < kMaxDevices; ++d) {
        PanelState& panel = station_.ui.panels[d];
        bool present = link.devices[d].modelCode != 0;
        if (present)
            link.connected = true;
        for (int n = 0; n < kChannelsPerDevice; ++n)
            panel.tiles[n].Enable = present && panel.Conn[n];
        if (present)
            panel.Bold = true;
    }
    result_ = link.connected ? ConnectResult::Connected : ConnectResult::NoDevice;
}

ConnectResult connectBench(Station& station, int portNumber, ScanRange range, const ScanProgress& progress)
{
    ConnectScan scan(station, portNumber, range, progress);
    converse(station, scan);
    return scan.result();
}

bool disconnectBench(Station& station)
{
    // A device that stopped answering keeps the running flags it last reported; they must not
    // hold the station connected to a bench that is gone (a pulled USB adapter).
    for (int s = 0; s < kUsedSlots; ++s) {
        if (station.link.slots[s].running && !station.link.devices[deviceOfSlot(s)].offline) {
            showMessage(KLV_NOOP("Message", "请先停止运行!"), MsgIcon::Information);
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
    station.link.portLost = false;
    return true;
}

}  // namespace klv
