#include "link/port_map.h"

#include <algorithm>

namespace klv {

std::string portPath(const IniFile& ini, int n, std::vector<std::string> systemPorts)
{
    std::string configured = ini.read("PORTS", "COM" + std::to_string(n), "");
    if (!configured.empty())
        return configured;
    std::sort(systemPorts.begin(), systemPorts.end());
    if (n < 1 || n > static_cast<int>(systemPorts.size()))
        return {};
    return systemPorts[static_cast<size_t>(n - 1)];
}

std::vector<int> searchPorts(SerialPort& port)
{
    std::vector<int> found;
    for (int n = 1; n <= kMaxPortNumber; ++n) {
        if (port.open(n))
            found.push_back(n);
        port.close();
    }
    return found;
}

}  // namespace klv
