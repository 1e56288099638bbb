#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "link/conversation.h"
#include "link/registry.h"

namespace klv {

struct Station;

struct ScanRange {
    int firstAddress = 0, lastAddress = 5;
};

// Device numbers 1..6 as chosen, in either order, to bus addresses.
ScanRange scanRange(int startNumber, int stopNumber);

enum class ConnectResult { Connected, NoDevice, WrongPort, AlreadyOpen };

using ScanProgress = std::function<void(const std::string&)>;

// Open the port, ask every address of the range for its identity and fill the registry,
// panels, list, tree and grid. progress receives "设备N:连接中..." before each address.
// Units take positions in the order they answer, except that a position with running tests
// is kept for its own unit (bus address and model): a re-scan never moves a test to another.
class ConnectScan final : public Conversation {
public:
    ConnectScan(Station& station, int portNumber, ScanRange range, ScanProgress progress = {});
    std::optional<LinkRequest> next() override;
    void take(const LinkReply& reply) override;
    ConnectResult result() const { return result_; }
    // Why the port did not open, for the log and the terminal; empty when not known.
    const std::string& openFailure() const { return openFailure_; }

private:
    void opened();
    void finish();
    int positionFor(int address, int modelCode) const;

    Station& station_;
    int portNumber_;
    ScanRange range_;
    ScanProgress progress_;
    enum class Stage { Open, Scan, Done } stage_ = Stage::Open;
    int address_;  // the address asked last
    struct Kept {
        int address = -1;  // -1: the position is free for any unit
        std::uint8_t modelCode = 0;
    };
    std::array<Kept, kMaxDevices> kept_{};
    ConnectResult result_ = ConnectResult::NoDevice;
    std::string openFailure_;
};

// A whole scan carried out on the station's own port.
ConnectResult connectBench(Station& station, int portNumber, ScanRange range, const ScanProgress& progress = {});

// Refused with "请先停止运行!" while any channel's output is on; the next poll tick closes the port.
bool disconnectBench(Station& station);

// The list line of a device: 设备01: TAL-M3 (4.5V/1A).
std::string deviceListLine(int address, const std::string& modelName, float maxVoltage, float maxCurrent);

}  // namespace klv
