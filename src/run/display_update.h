#pragma once

namespace klv {

struct Station;

// Tile texts and colours, the list row, the results row, and the voltage and
// current checks; called by the run tick for every present channel.
void displayUpdate(Station& station, int slot);

}  // namespace klv
