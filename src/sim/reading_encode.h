#pragma once

namespace klv::sim {

// The unit's side of the auto-ranged readings: the finest range that holds
// the value, negative values read 0, values beyond the coarsest range read its top.
int encodeTwoRange(double value);
int encodeThreeRange(double value);

}  // namespace klv::sim
