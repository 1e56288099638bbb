#pragma once

#include <vector>

#include "platform/serial_port.h"

namespace klv::sim {

// Cuts request frames out of a byte stream: a frame starts with 0xFA, is its
// length byte + 6 long, and no request is longer than 70. Bytes before a start
// byte are dropped; a frame that fails its checksum or end byte gives up only
// its start byte, so a real frame hidden behind garbage is still found.
class FrameReader {
public:
    std::vector<Bytes> feed(const Bytes& bytes);

private:
    Bytes buffer_;
};

}  // namespace klv::sim
