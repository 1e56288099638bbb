#pragma once

namespace klv {

struct Station;

// A fresh sample from the poll: curve points and the ".bk0" line.
void recordStep(Station& station, int slot);

// Make the record step the station's handler of fresh readings from the poll.
void installLiveData(Station& station);

}  // namespace klv
