#include "data/capacity_screen.h"

#include <climits>
#include <stdexcept>

#include "common/format.h"
#include "common/number_text.h"
#include "station.h"

namespace klv {

std::optional<std::string> boundText(const std::string& text)
{
    const auto value = parseCellNumber(text);
    if (!value)
        return std::nullopt;
    return fmt00_00(*value);
}

std::vector<ScreenedTile> screenChannels(const CapacitySnapshot& snapshot, float minimum, float maximum,
                                         std::stop_token stop)
{
    std::vector<ScreenedTile> tiles;
    try {
        for (const ChannelResults& channel : snapshot.channels) {
            if (stop.stop_requested())
                break;
            bool pass = channel.connected;
            bool any = false;
            if (pass) {
                for (const SelectedStep& step : selectedSteps(channel.results, snapshot.query, SIZE_MAX)) {
                    any = true;
                    if (minimum > step.capacity || maximum < step.capacity) {
                        pass = false;
                        break;
                    }
                }
            }
            tiles.push_back({channel.device, channel.channel, pass && any ? kScreenPass : kScreenFail});
        }
    } catch (const std::exception&) {
        // A damaged results row: the channels screened so far keep their colours.
    }
    return tiles;
}

void applyScreening(Station& station, const std::vector<ScreenedTile>& tiles)
{
    for (const ScreenedTile& tile : tiles)
        station.ui.panels[tile.device].tiles[tile.channel].ChnColor = tile.colour;
}

void clearScreening(Station& station)
{
    for (PanelState& panel : station.ui.panels)
        for (TileState& tile : panel.tiles)
            tile.ChnColor = kScreenFail;
}

}  // namespace klv
