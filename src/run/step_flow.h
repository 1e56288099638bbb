#pragma once

namespace klv {

struct Station;

// Phase 0: the current step's set values into the start parameters, its results row opened,
// its start queued (not for a rest step) and the step table coloured.
void loadStep(Station& station, int slot);

// Phase 2 with the output off: the stop judged against the step's cut-off, then the result
// backed up and the test moved on to the next step, the next loop pass or its end.
void endOfStep(Station& station, int slot);

}  // namespace klv
