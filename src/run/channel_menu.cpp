#include "run/channel_menu.h"

#include <string>
#include <vector>

#include "common/format.h"
#include "common/logs.h"
#include "platform/message_box.h"
#include "run/channel_ops.h"
#include "run/grid_rows.h"
#include "station.h"

namespace klv {

namespace {

struct Channel {
    int device, channel;
};

const char* verb(ChannelOp op)
{
    switch (op) {
    case ChannelOp::Start:
        return "启动";
    case ChannelOp::Continue:
        return "继续";
    case ChannelOp::Stop:
        break;
    }
    return "停止";
}

bool isDevice(int d) { return d >= 0 && d < kMaxDevices; }
bool isChannel(int n) { return n >= 0 && n < kChannelsPerDevice; }

// The device and channel scopes act on the current device (and selected channel), which
// do not exist until a tile has been chosen.
bool hasTarget(const Station& station, OpScope scope)
{
    switch (scope) {
    case OpScope::Device:
        return isDevice(station.ui.currentDevice);
    case OpScope::Channel:
        return isDevice(station.ui.currentDevice) && isChannel(station.ui.selectedChannel);
    case OpScope::Selected:
        break;
    }
    return true;
}

const DeviceEntry& device(const Station& station, int d) { return station.link.devices[d]; }
const PanelState& panel(const Station& station, int d) { return station.ui.panels[d]; }

// What an operation acts on, as both its texts name it: 启动设备1, 启动通道2-4, 启动选中通道.
std::string subject(const Station& station, ChannelOp op, OpScope scope)
{
    const int d = station.ui.currentDevice;
    switch (scope) {
    case OpScope::Device:
        return verb(op) + ("设备" + std::to_string(d + 1));
    case OpScope::Channel:
        return verb(op) + ("通道" + channelName(device(station, d).busAddress, station.ui.selectedChannel));
    case OpScope::Selected:
        break;
    }
    return verb(op) + std::string("选中通道");
}

// The channels of a scope in visiting order; the selected scope takes the selected tiles
// of the registered devices.
std::vector<Channel> scopeChannels(const Station& station, OpScope scope)
{
    const int d = station.ui.currentDevice;
    std::vector<Channel> channels;
    switch (scope) {
    case OpScope::Device:
        for (int n = 0; n < kChannelsPerDevice; ++n)
            channels.push_back({d, n});
        break;
    case OpScope::Channel:
        channels.push_back({d, station.ui.selectedChannel});
        break;
    case OpScope::Selected:
        for (int dev = 0; dev < kMaxDevices; ++dev)
            for (int n = 0; n < kChannelsPerDevice; ++n)
                if (device(station, dev).modelCode != 0 && panel(station, dev).tiles[n].sel)
                    channels.push_back({dev, n});
        break;
    }
    return channels;
}

void emptyResultsTable(TextGrid& results)
{
    for (int r = 1; r < results.rows; ++r)
        for (int c = 0; c < kResultColumns; ++c)
            results.at(r, c).clear();
    setGridRows(results, kResultRowsAtStart);
}

void emptyStepTable(TextGrid& steps)
{
    for (int r = 1; r <= kStepRows; ++r)
        for (int c = 0; c < kStepTableCols; ++c)
            steps.at(r, c).clear();
}

void applyToChannel(Station& station, ChannelOp op, OpScope scope, Channel ch)
{
    const int slot = slotOf(ch.device, ch.channel);
    const bool registered = device(station, ch.device).modelCode != 0;
    const bool present = panel(station, ch.device).Conn[ch.channel];
    // Start and stop need a present tile; the single-channel items also a registered device.
    const bool startable = scope == OpScope::Selected || (present && (scope == OpScope::Device || registered));
    TextGrid& results = station.run.slots[slot].gridList;
    switch (op) {
    case ChannelOp::Start:
        if (startable)
            startChannel(station, slot);
        if (startable || scope == OpScope::Channel)
            emptyResultsTable(results);
        break;
    case ChannelOp::Continue:
        emptyResultsTable(results);
        emptyStepTable(station.program.gridRun[slot]);
        if (registered)
            continueChannel(station, slot);
        break;
    case ChannelOp::Stop:
        if (startable)
            stopChannel(station, slot);
        break;
    }
}

}  // namespace

std::string confirmationText(const Station& station, ChannelOp op, OpScope scope)
{
    if (!hasTarget(station, scope))
        return {};
    return subject(station, op, scope) + (scope == OpScope::Device ? "所有通道？" : "？");
}

void runConfirmedOp(Station& station, ChannelOp op, OpScope scope)
{
    if (!hasTarget(station, scope))
        return;
    const std::string line = logTime(station.clock.now()) + "  " + subject(station, op, scope);
    station.ui.history.push_back(line);
    sysLog(station, line);
    for (Channel ch : scopeChannels(station, scope))
        applyToChannel(station, op, scope, ch);
}

bool runMenuOp(Station& station, ChannelOp op, OpScope scope)
{
    if (!hasTarget(station, scope))
        return false;
    if (showMessage(confirmationText(station, op, scope), MsgIcon::Information, MsgButtons::OkCancel) != MsgResult::Ok)
        return false;
    runConfirmedOp(station, op, scope);
    return true;
}

}  // namespace klv
