#pragma once

#include <optional>

#include "platform/clock.h"
#include "platform/port_wait.h"
#include "platform/serial_port.h"

namespace klv {

inline constexpr std::uint32_t kReplyTimeoutMs = 300;

// The identity query's wait: a 300 ms one-shot timer, left early once at least
// minLength bytes wait. Returns the answer when its checksum at checkOffset holds.
std::optional<Bytes> deviceTransaction(SerialPort& port, Clock& clock, PortWait& wait, const Bytes& request,
                                       int minLength, int checkOffset);

enum class PollResult {
    Complete,          // bytes read, checksum good
    ChecksumError,     // bytes read, checksum bad
    Incomplete,        // fewer than the expected bytes within the window
    PortClosedBefore,  // nothing written: the tick ends
    PortClosedAfter,   // written, then the port went away: this device is skipped
};

struct PollOutcome {
    PollResult result;
    Bytes answer;
};

// The polling cycle's wait on the millisecond clock, with its wrap test.
PollOutcome pollTransaction(SerialPort& port, Clock& clock, PortWait& wait, const Bytes& frame, int expectedLength);

}  // namespace klv
