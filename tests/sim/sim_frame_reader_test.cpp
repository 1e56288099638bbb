#include <gtest/gtest.h>

#include "link/frame.h"
#include "sim/frame_reader.h"

using namespace klv;
using namespace klv::sim;

TEST(SimFrameReader, CutsFramesOutOfAStreamAndResyncsAfterGarbage)
{
    const Bytes identity{0xFA, 0x00, 0x00, 0x01, 0x22, 0x22, 0xF8};
    const Bytes poll = buildFrame(1, kFrameChannel, Bytes(8, 0x55));
    FrameReader reader;

    // Split anywhere, two in one read.
    EXPECT_TRUE(reader.feed({0xFA, 0x00, 0x00}).empty());
    EXPECT_EQ(reader.feed({0x01, 0x22, 0x22, 0xF8}), std::vector<Bytes>{identity});
    Bytes two = poll;
    two.insert(two.end(), identity.begin(), identity.end());
    EXPECT_EQ(reader.feed(two), (std::vector<Bytes>{poll, identity}));

    // Noise before a frame; a stray start byte whose "frame" fails hides nothing behind it.
    Bytes noisy{0x13, 0x00, 0xFA, 0x07, 0x01, 0x05};
    noisy.insert(noisy.end(), identity.begin(), identity.end());
    EXPECT_EQ(reader.feed(noisy), std::vector<Bytes>{identity});

    // A start byte with a length no request has does not make the reader wait for it.
    Bytes longLength{0xFA, 0x01, 0x01, 0xC8};
    longLength.insert(longLength.end(), identity.begin(), identity.end());
    EXPECT_EQ(reader.feed(longLength), std::vector<Bytes>{identity});

    // A frame with a bad checksum is dropped.
    EXPECT_TRUE(reader.feed({0xFA, 0x00, 0x00, 0x01, 0x22, 0x21, 0xF8}).empty());
    EXPECT_EQ(reader.feed(identity), std::vector<Bytes>{identity});
}
