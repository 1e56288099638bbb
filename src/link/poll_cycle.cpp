#include "link/poll_cycle.h"

#include <exception>
#include <string>

#include "common/logs.h"
#include "link/command_set.h"
#include "link/transaction.h"
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

void closeAfterDisconnect(Station& station)
{
    if (station.port.isOpen()) {
        station.port.close();
        for (auto& panel : station.ui.panels)
            for (auto& tile : panel.tiles)
                tile.Color = kColorLampOff;
        for (int s = 0; s < kSlotTableSize; ++s)
            resetSlot(station, s);
    }
}

// Keeps a second tick out while this one waits inside a transaction.
class BusyGuard {
public:
    explicit BusyGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyGuard() { flag_ = false; }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    bool& flag_;
};

}  // namespace

PollTickReport pollTick(Station& station)
{
    PollTickReport report;
    LinkTables& link = station.link;
    if (link.pollBusy) {
        report.skipped = true;
        return report;
    }
    BusyGuard busy(link.pollBusy);
    if (!link.connected) {
        closeAfterDisconnect(station);
        report.timerOff = true;
        return report;
    }
    int d = 0;
    try {
        for (d = 0; d < kMaxDevices; ++d) {
            DeviceEntry& dev = link.devices[d];
            if (dev.modelCode == 0)
                continue;
            ChannelFrame frame = buildChannelFrame(station, d);
            if (frame.allStatus && link.pollToggle == 1)
                continue;
            PollOutcome outcome =
                pollTransaction(station.port, station.clock, station.pump, frame.frame, frame.expectedLength);
            switch (outcome.result) {
            case PollResult::PortClosedBefore:
                return report;
            case PollResult::PortClosedAfter:
                continue;
            case PollResult::Incomplete:
                countFailure(dev);
                klvLog(station, tag(d) + " timeout");
                continue;
            case PollResult::ChecksumError:
                dev.offline = false;
                dev.timeoutCount = 0;
                klvLog(station, tag(d) + "chk error");
                continue;
            case PollResult::Complete:
                dev.offline = false;
                dev.timeoutCount = 0;
                decodeChannelAnswer(station, d, outcome.answer);
                ++report.answersDecoded;
                continue;
            }
        }
    } catch (const std::exception& failure) {
        countFailure(link.devices[d]);
        klvLog(station, tag(d), failure.what());
        return report;
    }
    link.pollToggle = 1 - link.pollToggle;
    return report;
}

}  // namespace klv
