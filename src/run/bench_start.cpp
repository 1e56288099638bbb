#include "run/bench_start.h"

#include <sstream>

#include "program/step_apply.h"
#include "station.h"

namespace klv {

namespace {

std::optional<int> wholeNumber(const std::string& text)
{
    try {
        size_t used = 0;
        const int v = std::stoi(text, &used);
        return used == text.size() ? std::optional<int>(v) : std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool present(const Station& station, int d, int n)
{
    return station.link.devices[d].modelCode != 0 && station.ui.panels[d].Conn[n];
}

}  // namespace

std::optional<std::vector<ChannelName>> parseChannelList(const std::string& text)
{
    std::vector<ChannelName> names;
    if (text == "all")
        return names;
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        const size_t dash = item.find('-');
        const auto d = wholeNumber(item.substr(0, dash));
        const auto c = dash == std::string::npos ? std::nullopt : wholeNumber(item.substr(dash + 1));
        if (!d || !c || *d < 1 || *d > kMaxDevices || *c < 1 || *c > kChannelsPerDevice)
            return std::nullopt;
        names.push_back({*d, *c});
    }
    if (names.empty())
        return std::nullopt;
    return names;
}

std::optional<std::vector<int>> slotsOfChannels(const Station& station, const std::vector<ChannelName>& names)
{
    std::vector<int> slots;
    if (names.empty()) {
        for (int d = 0; d < kMaxDevices; ++d)
            for (int n = 0; n < kChannelsPerDevice; ++n)
                if (present(station, d, n))
                    slots.push_back(slotOf(d, n));
        return slots;
    }
    for (const ChannelName& name : names) {
        int found = -1;
        for (int d = 0; d < kMaxDevices && found < 0; ++d)
            if (present(station, d, name.channel - 1) && station.link.devices[d].busAddress == name.device - 1)
                found = slotOf(d, name.channel - 1);
        if (found < 0)
            return std::nullopt;
        slots.push_back(found);
    }
    return slots;
}

void startSlots(Station& station, const std::vector<int>& slots, const TextGrid* program, ChannelOp op)
{
    for (auto& panel : station.ui.panels)
        for (auto& tile : panel.tiles)
            tile.sel = false;
    for (int s : slots) {
        const int d = s / kChannelsPerDevice, n = s % kChannelsPerDevice;
        if (program)
            applyProgram(station.program, station.link, d, *program, 1, std::to_string(n + 1));
        station.ui.panels[d].tiles[n].sel = true;
    }
    runConfirmedOp(station, op, OpScope::Selected);
}

}  // namespace klv
