#pragma once

#include <optional>
#include <string>

#include "link/transaction.h"

namespace klv {

// One step of the serial conversation, as the window thread asks it of whoever owns the
// port: the link thread in the program, the caller itself in virtual-time tests.
struct LinkRequest {
    enum class Kind { Open, Close, Identity, Poll };
    Kind kind = Kind::Poll;
    int portNumber = 0;   // Open
    Bytes frame;          // Identity, Poll
    int length = 0;       // Identity: the least answer length; Poll: the expected length
    int checkOffset = 0;  // Identity: where its checksum stands
};

struct LinkReply {
    bool opened = false;            // Open: the port is now open
    bool wasOpen = false;           // Open, Close: the port was open before
    std::string openFailure;        // Open: why it failed, for the log
    std::optional<Bytes> identity;  // Identity: the answer, when its checksum held
    PollOutcome poll{PollResult::PortClosedBefore, {}};
    bool portLost = false;   // Identity, Poll: the port has gone away on its own
    std::string lossReason;  // why, for the log
};

// Carries out one request on the port, waiting out its answer window: the same code on the
// link thread and in the tests.
LinkReply carryOut(SerialPort& port, Clock& clock, PortWait& wait, const LinkRequest& request);

}  // namespace klv
