#pragma once

#include <string>

namespace klv {

// Why this process may not read and write the serial device at path, with the remedy: on
// Linux that is nearly always a missing membership of the group that owns the device.
// Empty when the process has both rights, so the failure to open lies elsewhere.
std::string portAccessProblem(const std::string& path);

}  // namespace klv
