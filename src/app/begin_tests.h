#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/station_options.h"

namespace klv {

struct Station;

// What --program, --channels, --continue and --autosave ask of a connected bench: the step
// file applied to the channels and started, or the channels that have backups continued.
// The slots begun, or nothing with the reason in `error` (the file or a channel unusable).
std::optional<std::vector<int>> beginTests(Station& station, const StationOptions& options, std::string& error);

}  // namespace klv
