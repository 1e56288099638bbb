#pragma once

#include <string>
#include <vector>

#include "platform/ini_file.h"
#include "platform/serial_port.h"

namespace klv {

inline constexpr int kMaxPortNumber = 20;

// The device behind port number n: key "COMn" of section "PORTS" when set,
// else the n-th of the system's serial ports in sorted order; empty when none.
std::string portPath(const IniFile& ini, int n, std::vector<std::string> systemPorts);

// Port numbers 1..20 that can be opened; each is closed again at once.
std::vector<int> searchPorts(SerialPort& port);

}  // namespace klv
