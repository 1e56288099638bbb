#pragma once

namespace klv {

struct Station;

// The per-channel routines behind every start, continue and stop.
void startChannel(Station& station, int slot);
void continueChannel(Station& station, int slot);
void stopChannel(Station& station, int slot);

}  // namespace klv
