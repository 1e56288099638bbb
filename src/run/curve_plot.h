#pragma once

namespace klv {

struct Station;

// Plot one sample on the device's graph (also used to replay a backup).
void curveRoutine(Station& station, int slot, int seconds, float voltage, float current, bool selected);
// Fit the device graph's axes to the channel's plotting memory.
void fitAxes(Station& station, int slot);

}  // namespace klv
