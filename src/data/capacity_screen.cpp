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

void screenChannels(Station& station, const CapacityQuery& query, float minimum, float maximum)
{
    try {
        for (int d = query.firstDevice; d <= query.lastDevice; ++d) {
            for (int i = 0; i < kChannelsPerDevice; ++i) {
                PanelState& panel = station.ui.panels.at(d);
                bool pass = panel.Conn[i];
                bool any = false;
                if (pass) {
                    for (const SelectedStep& step : selectedSteps(station, slotOf(d, i), query, SIZE_MAX)) {
                        any = true;
                        if (minimum > step.capacity || maximum < step.capacity) {
                            pass = false;
                            break;
                        }
                    }
                }
                panel.tiles[i].ChnColor = pass && any ? kScreenPass : kScreenFail;
            }
        }
    } catch (const std::exception&) {
        // A damaged results row: the channels screened so far keep their colours.
    }
}

void clearScreening(Station& station)
{
    for (PanelState& panel : station.ui.panels)
        for (TileState& tile : panel.tiles)
            tile.ChnColor = kScreenFail;
}

}  // namespace klv
