#pragma once

namespace klv {

struct Station;

// Tile texts and colours, the list row, the results row, and the voltage and
// current checks; called by the run tick for every present channel.
void displayUpdate(Station& station, int slot);
// A fresh sample from the poll: curve points and the ".bk0" line.
void recordStep(Station& station, int slot);
// Plot one sample on the device's graph (also used to replay a backup).
void curveRoutine(Station& station, int slot, int seconds, float voltage, float current, bool selected);
// Fit the device graph's axes to the channel's plotting memory.
void fitAxes(Station& station, int slot);

// Make the record step the station's handler of fresh readings from the poll.
void installLiveData(Station& station);

}  // namespace klv
