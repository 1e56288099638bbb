#pragma once

#include <array>

#include "link/registry.h"

namespace klv {

// Per channel slot: where the channel stands in its program.
struct RunSlot {
    bool busy = false;
    int stepSeconds = 0;
};

struct RunTables {
    std::array<RunSlot, kSlotTableSize> slots{};
};

}  // namespace klv
