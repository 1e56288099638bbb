#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>

#include "link/frame.h"
#include "sim/sim_bus.h"

namespace klv::sim::testing {

// A channel frame of the given entries, in channel order.
inline Bytes channelFrame(int address, std::initializer_list<Bytes> entries)
{
    Bytes payload;
    for (const Bytes& e : entries)
        payload.insert(payload.end(), e.begin(), e.end());
    return buildFrame(static_cast<std::uint8_t>(address), kFrameChannel, payload);
}

inline Bytes statusPolls(int address)
{
    return buildFrame(static_cast<std::uint8_t>(address), kFrameChannel, Bytes(8, 0x55));
}

inline Bytes startEntry(int modeByte, int current, int voltage, int endCurrent)
{
    auto c = encodePair(current), v = encodePair(voltage), e = encodePair(endCurrent);
    return {0x33, static_cast<std::uint8_t>(modeByte), c.first, c.second, v.first, v.second, e.first, e.second};
}

// A channel's readings as the station decodes them from a status answer.
struct Reading {
    bool running;
    float current, voltage, capacity, energy;
};

inline Reading readChannel(SimBus& bus, int address, int channel, int readingCurrentScale = 1000)
{
    std::optional<SimReply> reply = bus.handle(statusPolls(address));
    EXPECT_TRUE(reply);
    if (!reply)
        return {};
    const Bytes& b = reply->bytes;
    EXPECT_EQ(b.size(), 86u);
    EXPECT_TRUE(verifyChecksum(b, 4, 84));
    size_t p = 4 + 10 * static_cast<size_t>(channel);
    EXPECT_EQ(b[p], 0x55);
    return {b[p + 1] == 1, decodeCurrent(decodePair(b[p + 2], b[p + 3]), readingCurrentScale).value_or(-1),
            decodeTwoRange(decodePair(b[p + 4], b[p + 5])), decodeThreeRange(decodePair(b[p + 6], b[p + 7])),
            decodeThreeRange(decodePair(b[p + 8], b[p + 9]))};
}

}  // namespace klv::sim::testing
