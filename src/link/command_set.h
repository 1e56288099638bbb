#pragma once

#include <optional>
#include <stdexcept>

#include "link/registry.h"
#include "platform/serial_port.h"

namespace klv {

struct Station;

inline constexpr std::uint8_t kCmdIdentity = 0x22;
inline constexpr std::uint8_t kCmdStatus = 0x55;
inline constexpr std::uint8_t kCmdStart = 0x33;
inline constexpr std::uint8_t kCmdStop = 0x66;
inline constexpr std::uint8_t kCmdCalibration = 0x77;

inline constexpr int kIdentityAnswerLength = 17;
inline constexpr int kIdentityChecksumOffset = 15;

struct Identity {
    std::uint8_t modelCode = 0;
    std::uint8_t secondIdentity = 0;
    ChannelFlags present{};
};

Bytes identityRequest(int address);
// The identity fields of a verified answer; nothing when it is too short to hold them.
std::optional<Identity> decodeIdentity(const Bytes& answer);

// Queue a command code for a channel slot (0..48); the last code before the next frame wins.
// A stop stays pending past its frame until the unit confirms it; a start takes its place.
void AddCmd(Station& station, int slot, int queueCode);
void resetSlot(Station& station, int slot);

struct ChannelFrame {
    Bytes frame;
    int expectedLength = 6;
    bool allStatus = false;  // all eight entries are status polls
};

// The device's frame from its eight command slots, which it consumes.
ChannelFrame buildChannelFrame(Station& station, int device);

// A status answer whose current cannot be represented ends the decoding of the answer.
class AnswerFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Readings and running flags from a verified channel answer, with live-data notifications.
void decodeChannelAnswer(Station& station, int device, const Bytes& answer);

}  // namespace klv
