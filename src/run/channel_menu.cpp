#include "run/channel_menu.h"

#include <string>
#include <vector>

#include "common/format.h"
#include "common/logs.h"
#include "common/screen_text.h"
#include "platform/message_box.h"
#include "run/channel_ops.h"
#include "run/grid_rows.h"
#include "station.h"

namespace klv {

namespace {

struct Channel {
    int device, channel;
};

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

// What an operation acts on, as its confirmation and its history line name it: 启动设备1,
// 启动通道2-4, 启动选中通道; rows by operation, columns by scope.
std::string subject(const Station& station, ChannelOp op, OpScope scope, Say say)
{
    static constexpr Text kSubjects[3][3] = {
        {KLV_TEXT("History", "启动设备%1"), KLV_TEXT("History", "启动通道%1"), KLV_TEXT("History", "启动选中通道")},
        {KLV_TEXT("History", "继续设备%1"), KLV_TEXT("History", "继续通道%1"), KLV_TEXT("History", "继续选中通道")},
        {KLV_TEXT("History", "停止设备%1"), KLV_TEXT("History", "停止通道%1"), KLV_TEXT("History", "停止选中通道")}};
    const int d = station.ui.currentDevice;
    const std::string pattern = say(kSubjects[static_cast<int>(op)][static_cast<int>(scope)]);
    switch (scope) {
    case OpScope::Device:
        return fillIn(pattern, {std::to_string(d + 1)});
    case OpScope::Channel:
        return fillIn(pattern, {channelName(device(station, d).busAddress, station.ui.selectedChannel)});
    case OpScope::Selected:
        break;
    }
    return pattern;
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
    const Text question = scope == OpScope::Device ? KLV_TEXT("Message", "%1所有通道？") : KLV_TEXT("Message", "%1？");
    return fillIn(screenText(question), {subject(station, op, scope, screenText)});
}

namespace {

// One message for every test a continue left alone because its unit is not the one on the bus.
void sayUnitRefusals(Station& station)
{
    auto& refusals = station.run.unitRefusals;
    if (refusals.empty())
        return;
    std::string text;
    for (const std::string& line : refusals)
        text += (text.empty() ? "" : "\n") + line;
    refusals.clear();
    showMessage(text, MsgIcon::Information);
}

}  // namespace

void runConfirmedOp(Station& station, ChannelOp op, OpScope scope)
{
    if (!hasTarget(station, scope))
        return;
    const std::string time = logTime(station.clock.now()) + "  ";
    station.ui.history.push_back(time + subject(station, op, scope, screenText));
    sysLog(station, time + subject(station, op, scope, fileText));
    for (Channel ch : scopeChannels(station, scope))
        applyToChannel(station, op, scope, ch);
    sayUnitRefusals(station);
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
