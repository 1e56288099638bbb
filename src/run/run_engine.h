#pragma once

namespace klv {

struct Station;

// One tick of the run timer: every present channel of every device, once.
void runTick(Station& station);

}  // namespace klv
