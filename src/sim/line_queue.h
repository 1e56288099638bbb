#pragma once

#include <cstdint>
#include <deque>
#include <optional>

#include "platform/serial_port.h"

namespace klv::sim {

// A byte on the line at 9600 baud: start, 8 data, parity and stop bit.
inline constexpr std::uint64_t kBitsPerByte = 11;
inline constexpr std::uint64_t kBaud = 9600;

// Answer bytes on their way to the station, each readable from its due time
// (microseconds on the bus's timeline). Bytes arrive in order: an answer
// never overtakes one still on the line.
class LineQueue {
public:
    // With line timing, the request's own bytes and then each answer byte take
    // their time on the line; without it the answer arrives whole after the delay.
    void schedule(const Bytes& answer, std::uint64_t writeUs, size_t requestLength, std::uint32_t delayMs,
                  bool lineTiming);
    int dueCount(std::uint64_t nowUs) const;
    Bytes takeDue(std::uint64_t nowUs);
    std::optional<std::uint64_t> nextDueUs() const;
    void clear() { bytes_.clear(); }

private:
    struct Pending {
        std::uint8_t byte;
        std::uint64_t dueUs;
    };
    std::deque<Pending> bytes_;
};

}  // namespace klv::sim
