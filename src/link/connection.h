#pragma once

#include <functional>
#include <string>

namespace klv {

struct Station;

struct ScanRange {
    int firstAddress = 0, lastAddress = 5;
};

// Device numbers 1..6 as chosen, in either order, to bus addresses.
ScanRange scanRange(int startNumber, int stopNumber);

enum class ConnectResult { Connected, NoDevice, WrongPort, AlreadyOpen };

// Open the port, ask every address of the range for its identity and fill the
// registry, panels, list, tree and grid. progress receives "设备N:连接中...".
ConnectResult connectBench(Station& station, int portNumber, ScanRange range,
                           const std::function<void(const std::string&)>& progress = {});

// Refused with "请先停止运行!" while any channel's output is on; the next poll tick closes the port.
bool disconnectBench(Station& station);

// The list line of a device: 设备01: TAL-M3 (4.5V/1A).
std::string deviceListLine(int address, const std::string& modelName, float maxVoltage, float maxCurrent);

}  // namespace klv
