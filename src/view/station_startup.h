#pragma once

namespace klv {

struct Station;

// What the main window does to the tables when it loads: folders and
// configuration file, legend colours, one graph of sixteen curves per device,
// the list grid's header, and every tile and registry entry cleared.
void startUpStation(Station& station);
// The live grid's header row.
void resetGridView(Station& station);

}  // namespace klv
