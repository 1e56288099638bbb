#pragma once

#include "app/station_options.h"

namespace klv {

// Exit codes: 0 done, 1 the port cannot be opened, 2 no device answered,
// 3 the step file or a named channel is not usable.
// Connects at once; --program/--continue run tests, otherwise the readings are printed.
int runHeadless(const StationOptions& options);

}  // namespace klv
