#include "link/transaction.h"

#include <cstdint>

#include "link/frame.h"

namespace klv {

std::optional<Bytes> deviceTransaction(SerialPort& port, Clock& clock, PortWait& wait, const Bytes& request,
                                       int minLength, int checkOffset)
{
    if (!port.isOpen())
        return std::nullopt;
    port.discardInput();
    port.write(request);
    const std::uint32_t started = clock.milliseconds();  // the one-shot timer starts here
    while (port.isOpen() && port.bytesWaiting() < minLength && clock.milliseconds() - started < kReplyTimeoutMs)
        wait.step();
    // Whether the timer ran out or enough bytes came, what is there is judged by its checksum.
    if (!port.isOpen() || port.bytesWaiting() < 1)
        return std::nullopt;
    Bytes answer = port.readAll();
    // An answer cut short is no answer, even when the byte at the checksum offset arrived.
    if (static_cast<int>(answer.size()) < minLength || !verifyChecksum(answer, 4, checkOffset))
        return std::nullopt;
    return answer;
}

PollOutcome pollTransaction(SerialPort& port, Clock& clock, PortWait& wait, const Bytes& frame, int expectedLength)
{
    if (!port.isOpen())
        return {PollResult::PortClosedBefore, {}};
    port.discardInput();
    port.write(frame);
    bool timedOut = false;
    const std::int64_t t0 = clock.milliseconds();
    if (!port.isOpen())
        return {PollResult::PortClosedAfter, {}};
    while (port.bytesWaiting() < expectedLength) {
        const std::int64_t t = clock.milliseconds();
        // The second test ends the wait when the counter falls back, as it does when it wraps.
        if (t > t0 + kReplyTimeoutMs || t + kReplyTimeoutMs < t0) {
            timedOut = true;
            break;
        }
        wait.step();
        if (!port.isOpen())
            return {PollResult::PortClosedAfter, {}};
    }
    if (timedOut || port.bytesWaiting() < expectedLength)
        return {PollResult::Incomplete, {}};
    Bytes answer = port.readAll();
    bool good = verifyChecksum(answer, 4, expectedLength - 2);
    return {good ? PollResult::Complete : PollResult::ChecksumError, std::move(answer)};
}

}  // namespace klv
