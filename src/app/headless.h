#pragma once

#include "app/headless_options.h"

namespace klv {

// Exit codes: 0 done, 1 the port cannot be opened, 2 no device answered,
// 3 the step file or a named channel is not usable.
int runHeadless(const HeadlessOptions& options);

}  // namespace klv
