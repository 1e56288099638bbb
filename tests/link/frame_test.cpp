#include <gtest/gtest.h>

#include "link/frame.h"

using namespace klv;

namespace {
std::pair<std::uint8_t, std::uint8_t> pairOf(int high, int low) { return {std::uint8_t(high), std::uint8_t(low)}; }
}  // namespace

TEST(FrameTest, ChecksumIsXorModulo240AndNeverAFrameByte)
{
    EXPECT_EQ(checksum(Bytes{0x22}, 0, 0), 0x22);
    Bytes stop{0x66, 0x00, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55};
    EXPECT_EQ(checksum(stop, 0, 8), 0x33);
    EXPECT_EQ(checksum(Bytes{0xF5}, 0, 0), 0x05);
    EXPECT_EQ(checksum(Bytes{0xFA}, 0, 0), 0x0A);
    EXPECT_EQ(checksum(Bytes{0xF8}, 0, 0), 0x08);
    for (int a = 0; a < 256; ++a)
        for (int b = 0; b < 256; b += 17)
            EXPECT_LT(checksum(Bytes{std::uint8_t(a), std::uint8_t(b)}, 0, 1), 0xF0);
}

TEST(FrameTest, BuildsTheFramesOnTheWireExactly)
{
    EXPECT_EQ(buildFrame(2, kFrameIdentity, {0x22}), (Bytes{0xFA, 0x02, 0x00, 0x01, 0x22, 0x22, 0xF8}));
    Bytes stop{0x66, 0x00, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55};
    EXPECT_EQ(buildFrame(1, kFrameChannel, stop),
              (Bytes{0xFA, 0x01, 0x01, 0x09, 0x66, 0x00, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x33, 0xF8}));
}

TEST(FrameTest, VerifyLooksOnlyAtTheChecksumWhereTheCallerExpectsIt)
{
    Bytes answer = buildFrame(3, kFrameIdentity, {1, 2, 3});
    EXPECT_TRUE(verifyChecksum(answer, 4, 7));
    answer.back() = 0x00;  // a wrong end byte does not matter
    answer[0] = 0x11;      // nor does the start byte
    EXPECT_TRUE(verifyChecksum(answer, 4, 7));
    answer[7] ^= 1;
    EXPECT_FALSE(verifyChecksum(answer, 4, 7));
    EXPECT_FALSE(verifyChecksum(Bytes{0xFA, 0, 0, 1, 5}, 4, 5));  // too short to hold the checksum
}

TEST(FrameTest, Base240PairsRoundTripAtTheirBounds)
{
    EXPECT_EQ(encodePair(0), pairOf(0, 0));
    EXPECT_EQ(encodePair(239), pairOf(0, 0xEF));
    EXPECT_EQ(encodePair(240), pairOf(1, 0));
    EXPECT_EQ(encodePair(500), pairOf(2, 0x14));
    EXPECT_EQ(encodePair(57599), pairOf(0xEF, 0xEF));
    for (int n = 0; n <= kPairMax; n += 7) {
        auto [h, l] = encodePair(n);
        EXPECT_EQ(decodePair(h, l), n);
    }
}

TEST(FrameTest, SetValuesScaleRoundHalfToEvenAndRefuseWhatCannotTravel)
{
    EXPECT_EQ(scaleSetValue(4.2f, 100), 420);
    EXPECT_EQ(scaleSetValue(0.5f, 1000), 500);
    EXPECT_EQ(scaleSetValue(120.0f, 100), 12000);
    EXPECT_EQ(scaleSetValue(0.0625f, 1000), 62);   // 62.5 → 62
    EXPECT_EQ(scaleSetValue(0.1875f, 1000), 188);  // 187.5 → 188
    EXPECT_EQ(scaleSetValue(575.99f, 100), 57599);
    EXPECT_FALSE(scaleSetValue(576.0f, 100).has_value());
    EXPECT_FALSE(scaleSetValue(-0.1f, 100).has_value());
}

TEST(FrameTest, AutoRangedAndCurrentReadingsDecode)
{
    EXPECT_FLOAT_EQ(decodeTwoRange(32767), 32.767f);
    EXPECT_FLOAT_EQ(decodeTwoRange(32768), 0.0f);
    EXPECT_FLOAT_EQ(decodeTwoRange(33188), 4.20f);
    EXPECT_FLOAT_EQ(decodeThreeRange(53248), 0.0f);
    EXPECT_FLOAT_EQ(decodeThreeRange(53249), 0.1f);
    EXPECT_FLOAT_EQ(decodeThreeRange(53247), 204.79f);
    EXPECT_FLOAT_EQ(decodeThreeRange(30736), 30.736f);
    EXPECT_FLOAT_EQ(*decodeCurrent(1000, 1000), 1.0f);
    EXPECT_FLOAT_EQ(*decodeCurrent(1000, 100), 10.0f);
    EXPECT_FLOAT_EQ(*decodeCurrent(32767, 1000), 32.767f);
    EXPECT_FALSE(decodeCurrent(32768, 1000).has_value());
}
