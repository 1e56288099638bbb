#include "link/poll_cycle.h"

#include <exception>
#include <string>

#include "common/logs.h"
#include "link/command_set.h"
#include "station.h"

namespace klv {

namespace {

constexpr int kOfflineAfter = 4;  // the count runs to 5, the sixth failure sets the flag

void countFailure(DeviceEntry& dev)
{
    if (dev.timeoutCount > kOfflineAfter)
        dev.offline = true;
    else
        ++dev.timeoutCount;
}

std::string tag(int device) { return "ErrTmrComm(" + std::to_string(device) + ")"; }

// The port closed after a disconnect: lamps off and command slots emptied.
void clearAfterDisconnect(Station& station)
{
    for (auto& panel : station.ui.panels)
        for (auto& tile : panel.tiles)
            tile.Color = kColorLampOff;
    for (int s = 0; s < kSlotTableSize; ++s)
        resetSlot(station, s);
}

}  // namespace

PollCycle::~PollCycle()
{
    // A tick abandoned mid-way (the station quitting) must not keep later ones out.
    if (holdsBusy_)
        station_.link.pollBusy = false;
}

std::optional<LinkRequest> PollCycle::next()
{
    LinkTables& link = station_.link;
    if (stage_ == Stage::Start) {
        if (link.pollBusy) {
            report_.skipped = true;
            stage_ = Stage::Done;
            return std::nullopt;
        }
        link.pollBusy = holdsBusy_ = true;
        if (!link.connected) {
            report_.timerOff = true;
            stage_ = Stage::Closing;
            return LinkRequest{LinkRequest::Kind::Close};
        }
        if (recoveryDue(station_)) {
            recovery_ = std::make_unique<PortRecovery>(station_);
            stage_ = Stage::Recovering;
        } else if (link.portLost) {
            finish(false);
            return std::nullopt;
        } else {
            stage_ = Stage::Devices;
        }
    }
    if (stage_ == Stage::Recovering) {
        if (auto request = recovery_->next())
            return request;
        if (link.portLost) {
            finish(false);
            return std::nullopt;
        }
        stage_ = Stage::Devices;
    }
    if (stage_ != Stage::Devices)
        return std::nullopt;
    try {
        for (++device_; device_ < kMaxDevices; ++device_) {
            if (link.devices[device_].modelCode == 0 || link.devices[device_].missing)
                continue;
            ChannelFrame frame = buildChannelFrame(station_, device_);
            if (frame.allStatus && link.pollToggle == 1)
                continue;
            LinkRequest request{LinkRequest::Kind::Poll};
            request.frame = std::move(frame.frame);
            request.length = frame.expectedLength;
            return request;
        }
    } catch (const std::exception& failure) {
        fail(failure.what());
        return std::nullopt;
    }
    finish(true);
    return std::nullopt;
}

void PollCycle::take(const LinkReply& reply)
{
    if (stage_ == Stage::Closing) {
        if (reply.wasOpen)
            clearAfterDisconnect(station_);
        finish(false);
        return;
    }
    if (stage_ == Stage::Recovering) {
        recovery_->take(reply);
        return;
    }
    if (reply.portLost) {
        losePort(station_, reply.lossReason);
        finish(false);
        return;
    }
    DeviceEntry& dev = station_.link.devices[device_];
    switch (reply.poll.result) {
    case PollResult::PortClosedBefore:
        finish(false);  // the tick ends where it stands
        return;
    case PollResult::PortClosedAfter:
        return;
    case PollResult::Incomplete:
        countFailure(dev);
        klvLog(station_, tag(device_) + " timeout");
        return;
    case PollResult::ChecksumError:
        dev.offline = false;
        dev.timeoutCount = 0;
        klvLog(station_, tag(device_) + "chk error");
        return;
    case PollResult::Complete:
        dev.offline = false;
        dev.timeoutCount = 0;
        try {
            decodeChannelAnswer(station_, device_, reply.poll.answer);
            sayStopsInGap(station_, device_);
            ++report_.answersDecoded;
        } catch (const std::exception& failure) {
            fail(failure.what());
        }
        return;
    }
}

void PollCycle::fail(const char* what)
{
    countFailure(station_.link.devices[device_]);
    klvLog(station_, tag(device_), what);
    finish(false);
}

void PollCycle::finish(bool toggle)
{
    if (toggle)
        station_.link.pollToggle = 1 - station_.link.pollToggle;
    station_.link.pollBusy = holdsBusy_ = false;
    stage_ = Stage::Done;
}

PollTickReport pollTick(Station& station)
{
    PollCycle cycle(station);
    converse(station, cycle);
    return cycle.report();
}

}  // namespace klv
