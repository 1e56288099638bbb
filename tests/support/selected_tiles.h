#pragma once

#include <string>
#include <vector>

#include "station.h"

// The selected tiles of every panel as "device-channel", both counted from 1.
inline std::vector<std::string> selectedTileNames(const klv::Station& station)
{
    std::vector<std::string> names;
    for (int d = 0; d < klv::kMaxDevices; ++d)
        for (int n = 0; n < klv::kChannelsPerDevice; ++n)
            if (station.ui.panels[d].tiles[n].sel)
                names.push_back(std::to_string(d + 1) + "-" + std::to_string(n + 1));
    return names;
}
