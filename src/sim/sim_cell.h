#pragma once

#include "link/registry.h"

namespace klv::sim {

// A Li-ion cell, or a string of them in series for the high-voltage models.
struct SimCell {
    double capacityAh = 2.0;
    double resistanceOhm = 0.05;
    double stateOfCharge = 0.5;  // 0 empty (3.0 V a cell), 1 full (4.2 V a cell)
    int series = 1;

    double openCircuitVoltage() const;
};

// A cell that suits the model: big enough for its maximum current, enough
// cells in series to use its voltage range.
SimCell cellForModel(const ModelRow& row);

}  // namespace klv::sim
