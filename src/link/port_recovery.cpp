#include "link/port_recovery.h"

#include <cstdint>

#include "common/format.h"
#include "common/logs.h"
#include "common/screen_text.h"
#include "link/command_set.h"
#include "station.h"

namespace klv {

namespace {

bool due(std::uint32_t now, std::uint32_t at) { return static_cast<std::int32_t>(now - at) >= 0; }

bool anyMissing(const LinkTables& link)
{
    for (int d = 0; d < kMaxDevices; ++d)
        if (link.devices[d].modelCode != 0 && link.devices[d].missing)
            return true;
    return false;
}

std::string portName(const Station& station) { return "COM" + std::to_string(station.link.portNumber); }

void tell(Station& station, const std::string& line)
{
    if (station.tellOperator)
        station.tellOperator(line);
}

}  // namespace

void losePort(Station& station, const std::string& reason)
{
    LinkTables& link = station.link;
    if (link.portLost)
        return;
    link.portLost = true;
    link.lostAtMs = station.clock.milliseconds();
    link.recoveryDueMs = link.lostAtMs + kRecoveryEveryMs;
    for (int d = 0; d < kMaxDevices; ++d) {
        DeviceEntry& dev = link.devices[d];
        if (dev.modelCode == 0)
            continue;
        dev.offline = dev.missing = true;
        for (int n = 0; n < kChannelsPerDevice; ++n) {
            SlotLink& slot = link.slots[slotOf(d, n)];
            slot.runningAtLoss = slot.running && !slot.stopPending;
        }
    }
    klvLog(station, "ErrComm(" + portName(station) + ") port lost", reason);
    tell(station, fillIn(screenText(KLV_TEXT("Message", "%1 已断开：每2秒重新打开")), {portName(station)}));
}

bool recoveryDue(Station& station)
{
    const LinkTables& link = station.link;
    return (link.portLost || anyMissing(link)) && due(station.clock.milliseconds(), link.recoveryDueMs);
}

std::optional<LinkRequest> PortRecovery::next()
{
    const LinkTables& link = station_.link;
    switch (stage_) {
    case Stage::Open:
        return LinkRequest{LinkRequest::Kind::Open, link.portNumber};
    case Stage::Identify:
        for (++device_; device_ < kMaxDevices; ++device_) {
            const DeviceEntry& dev = link.devices[device_];
            if (dev.modelCode == 0 || !dev.missing)
                continue;
            LinkRequest request{LinkRequest::Kind::Identity};
            request.frame = identityRequest(dev.busAddress);
            request.length = kIdentityAnswerLength;
            request.checkOffset = kIdentityChecksumOffset;
            return request;
        }
        finish();
        break;
    case Stage::Done:
        break;
    }
    return std::nullopt;
}

void PortRecovery::take(const LinkReply& reply)
{
    LinkTables& link = station_.link;
    if (stage_ == Stage::Open) {
        reopened_ = reply.opened;
        stage_ = reply.opened || reply.wasOpen ? Stage::Identify : Stage::Done;
        if (stage_ == Stage::Done)
            link.recoveryDueMs = station_.clock.milliseconds() + kRecoveryEveryMs;
        return;
    }
    if (reply.portLost) {
        stage_ = Stage::Done;
        link.portLost = false;  // lost again: said again
        losePort(station_, reply.lossReason);
        return;
    }
    DeviceEntry& dev = link.devices[device_];
    const auto id = reply.identity ? decodeIdentity(*reply.identity) : std::nullopt;
    if (id && id->modelCode == dev.modelCode) {
        dev.missing = false;
        if (!reopened_)
            klvLog(station_, "Comm(" + portName(station_) + ") unit at bus address " + std::to_string(dev.busAddress) +
                                 " taken up again");
    } else if (id) {
        klvLog(station_, "ErrComm(" + portName(station_) + ") bus address " + std::to_string(dev.busAddress),
               "model code " + std::to_string(id->modelCode) + " answers where " + std::to_string(dev.modelCode) +
                   " was; its tests are not taken up");
    }
}

void PortRecovery::finish()
{
    stage_ = Stage::Done;
    LinkTables& link = station_.link;
    const std::uint32_t now = station_.clock.milliseconds();
    link.recoveryDueMs = now + kRecoveryEveryMs;
    if (!reopened_)
        return;
    link.portLost = false;
    std::string missing;
    for (int d = 0; d < kMaxDevices; ++d)
        if (link.devices[d].modelCode != 0 && link.devices[d].missing)
            missing += (missing.empty() ? "" : ", ") + formatNumber(link.devices[d].busAddress + 1, "00");
    const std::string gap = std::to_string((now - link.lostAtMs + 500) / 1000);
    klvLog(station_, "Comm(" + portName(station_) + ") reopened after " + gap + " s" +
                         (missing.empty() ? "" : "; units not answering: " + missing));
    tell(station_, missing.empty()
                       ? fillIn(screenText(KLV_TEXT("Message", "%1 已重新连接（断开%2秒）")), {portName(station_), gap})
                       : fillIn(screenText(KLV_TEXT("Message", "%1 已重新连接（断开%2秒），设备%3未应答")),
                                {portName(station_), gap, missing}));
}

void sayStopsInGap(Station& station, int device)
{
    for (int n = 0; n < kChannelsPerDevice; ++n) {
        const int s = slotOf(device, n);
        SlotLink& slot = station.link.slots[s];
        if (!slot.runningAtLoss)
            continue;
        slot.runningAtLoss = false;
        if (slot.running || !station.run.slots[s].busy)
            continue;
        const std::string name = channelName(station.link.devices[device].busAddress, n);
        klvLog(station, "ErrComm(" + portName(station) + ") channel " + name + " stopped while the port was lost");
        const std::string line = fillIn(screenText(KLV_TEXT("History", "通道%1在断开期间停止")), {name});
        station.ui.history.push_back(logTime(station.clock.now()) + "  " + line);
        tell(station, line);
    }
}

}  // namespace klv
