#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "link/command_set.h"
#include "link/frame.h"
#include "link/transaction.h"
#include "platform/virtual_port_wait.h"
#include "station.h"
#include "support/scripted_port.h"

// Whatever a unit (or line noise) sends, the decoders must neither crash nor read past the
// bytes they were handed. Every input here is a vector of exactly its own length, so in the
// sanitizer build a read one byte too far is a heap overflow report, not a silent pass.

using namespace klv;

namespace {

constexpr std::uint32_t kSeed = 0xC311A5EDu;  // fixed: a failure reproduces run after run
constexpr int kLongest = 300;
constexpr int kStringsPerLength = 4;

// A pair made of two arbitrary bytes (not only base-240 digits) decodes to at most this.
constexpr int kLargestPair = 255 * 240 + 255;
constexpr double kVoltageCeiling = (kLargestPair - 32768) * 0.01;    // two-range upper form
constexpr double kThreeRangeCeiling = (kLargestPair - 53248) * 0.1;  // three-range upper form
constexpr double kCurrentCeilingMilli = 32767 * 0.001;
constexpr double kCurrentCeilingCenti = 32767 * 0.01;
constexpr double kSlack = 1e-3;  // readings are stored as single precision

// Codes with a row of their own in the model table, and one code that has none.
std::vector<int> modelCodes()
{
    std::vector<int> codes;
    for (int code = 1; code < 256; ++code)
        if (modelRow(code).name != nullptr)
            codes.push_back(code);
    codes.push_back(250);
    return codes;
}

struct DecoderFuzz : ::testing::Test {
    VirtualClock clock;
    VirtualPortWait pump{clock};
    ScriptedPort port{clock};
    Station station{"/nonexistent", port, clock, pump};
    std::mt19937 rng{kSeed};
    std::vector<int> notified;

    void SetUp() override
    {
        station.onLiveData = [this](int slot) { notified.push_back(slot); };
    }

    Bytes randomBytes(int length)
    {
        std::uniform_int_distribution<int> byte(0, 255);
        Bytes b(static_cast<size_t>(length));
        for (auto& x : b)
            x = static_cast<std::uint8_t>(byte(rng));
        return b;
    }
    int randomInt(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }

    // An answer frame of eight entries that begin with a real or a stray code and carry
    // random bytes after it.
    Bytes randomEntryAnswer()
    {
        static constexpr std::array<std::uint8_t, 5> codes{kCmdStatus, kCmdStatus, kCmdStart, kCmdStop,
                                                           kCmdCalibration};
        Bytes payload;
        for (int n = 0; n < kChannelsPerDevice; ++n) {
            // Mostly real codes, so that decoding goes deep; now and then any byte at all.
            std::uint8_t code = randomInt(0, 15) == 0 ? static_cast<std::uint8_t>(randomInt(0, 255))
                                                      : codes[static_cast<size_t>(randomInt(0, 4))];
            Bytes rest = randomBytes(code == kCmdStatus ? 9 : 1);
            payload.push_back(code);
            payload.insert(payload.end(), rest.begin(), rest.end());
        }
        return buildFrame(1, kFrameChannel, payload);
    }

    void useModel(int device, int code)
    {
        DeviceEntry& dev = station.link.devices[device];
        dev.modelCode = static_cast<std::uint8_t>(code);
        dev.busAddress = device;
        applyModelRow(dev);
        // Readings left by a model with a wider current range would not fit this one.
        for (int n = 0; n < kChannelsPerDevice; ++n)
            station.link.slots[slotOf(device, n)] = SlotLink{};
    }

    // Decoding may update the readings or stop at an unrepresentable current; any other
    // outcome is a fault.
    void decodeExpectingOnlyAnswerFailure(int device, const Bytes& answer)
    {
        try {
            decodeChannelAnswer(station, device, answer);
        } catch (const AnswerFailure&) {
        } catch (const std::exception& e) {
            ADD_FAILURE() << "length " << answer.size() << ": unexpected " << e.what();
        } catch (...) {
            ADD_FAILURE() << "length " << answer.size() << ": unexpected non-standard exception";
        }
    }

    // Every reading of the device is finite and inside what a pair can express, and no
    // other device's slots moved.
    void expectReadingsDecodable(int device, const std::array<SlotLink, kSlotTableSize>& before,
                                 const std::string& what)
    {
        const double currentCeiling =
            station.link.devices[device].readingCurrentScale == 1000 ? kCurrentCeilingMilli : kCurrentCeilingCenti;
        for (int s = 0; s < kSlotTableSize; ++s) {
            const SlotLink& now = station.link.slots[s];
            const SlotLink& was = before[static_cast<size_t>(s)];
            if (s / kChannelsPerDevice != device || s >= kUsedSlots) {
                EXPECT_EQ(now.current, was.current) << what << " slot " << s;
                EXPECT_EQ(now.capacity, was.capacity) << what << " slot " << s;
                EXPECT_EQ(now.running, was.running) << what << " slot " << s;
                continue;
            }
            for (float v : {now.current, now.voltage, now.capacity, now.energy, now.capacityWrap})
                ASSERT_TRUE(std::isfinite(v)) << what << " slot " << s;
            EXPECT_GE(now.current, 0.0f) << what;
            EXPECT_LE(now.current, currentCeiling + kSlack) << what;
            EXPECT_GE(now.voltage, 0.0f) << what;
            EXPECT_LE(now.voltage, kVoltageCeiling + kSlack) << what;
            EXPECT_GE(now.capacity, 0.0f) << what;
            EXPECT_LE(now.capacity, kThreeRangeCeiling + kSlack) << what;
            EXPECT_GE(now.energy, 0.0f) << what;
            EXPECT_LE(now.energy, kThreeRangeCeiling + kSlack) << what;
            // One answer counts at most one capacity wrap per channel.
            EXPECT_TRUE(now.capacityWrap == was.capacityWrap || now.capacityWrap == was.capacityWrap + 119.304f)
                << what << " slot " << s << " wrap " << now.capacityWrap;
        }
        for (int s : notified)
            EXPECT_EQ(s / kChannelsPerDevice, device) << what << ": notified slot " << s;
        EXPECT_LE(notified.size(), static_cast<size_t>(kChannelsPerDevice)) << what;
    }

    void fuzzDecode(int device, const Bytes& answer, const std::string& what)
    {
        // Noise wraps the capacity often; a fresh offset keeps the float sum exact.
        for (int n = 0; n < kChannelsPerDevice; ++n)
            station.link.slots[slotOf(device, n)].capacityWrap = 0;
        auto before = station.link.slots;
        notified.clear();
        decodeExpectingOnlyAnswerFailure(device, answer);
        expectReadingsDecodable(device, before, what);
    }
};

}  // namespace

TEST_F(DecoderFuzz, IdentityDecoderTakesAnyBytesAndReadsOnlyItsFields)
{
    for (int length = 0; length <= kLongest; ++length) {
        for (int k = 0; k < kStringsPerLength; ++k) {
            Bytes b = randomBytes(length);
            if (k == 1 && length > 14)
                for (size_t n = 7; n < 15; ++n)
                    b[n] = static_cast<std::uint8_t>(randomInt(0, 1));  // presence bytes that mean something
            std::optional<Identity> id = decodeIdentity(b);
            if (length < 15) {
                EXPECT_FALSE(id.has_value()) << "length " << length;
                continue;
            }
            ASSERT_TRUE(id.has_value()) << "length " << length;
            EXPECT_EQ(id->modelCode, b[5]);
            EXPECT_EQ(id->secondIdentity, b[6]);
            for (size_t n = 0; n < 8; ++n)
                EXPECT_EQ(id->present[n], b[7 + n] == 1) << "length " << length << " channel " << n;
        }
    }
}

TEST_F(DecoderFuzz, ChannelAnswerOfRandomBytesForEveryModel)
{
    for (int code : modelCodes()) {
        for (int device : {0, kMaxDevices - 1}) {
            useModel(device, code);
            for (int length = 0; length <= kLongest; ++length) {
                for (int k = 0; k < kStringsPerLength; ++k) {
                    Bytes b = randomBytes(length);
                    // Plain noise rarely holds a known code at offset 4; put one there half the time.
                    if (k % 2 == 1 && length > 4)
                        b[4] = kCmdStatus;
                    for (int s = 0; s < kSlotTableSize; ++s)
                        station.run.slots[s].stepSeconds = k < 2 ? 0 : 5;
                    station.link.pollToggle = k % 2;
                    fuzzDecode(device, b, "model " + std::to_string(code) + " length " + std::to_string(length));
                }
            }
        }
    }
}

TEST_F(DecoderFuzz, AnswersWithRandomEntryBytesWholeAndCutAtEveryLength)
{
    for (int code : modelCodes()) {
        useModel(0, code);
        for (int round = 0; round < 6; ++round) {
            Bytes whole = randomEntryAnswer();
            for (int s = 0; s < kSlotTableSize; ++s)
                station.run.slots[s].stepSeconds = round % 2 == 0 ? 3 : 0;
            for (size_t cut = 0; cut <= whole.size(); ++cut)
                fuzzDecode(0, Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)),
                           "model " + std::to_string(code) + " cut " + std::to_string(cut));
            // The same answer followed by noise, up to the longest string.
            Bytes longer = whole;
            Bytes tail = randomBytes(kLongest - static_cast<int>(whole.size()));
            longer.insert(longer.end(), tail.begin(), tail.end());
            fuzzDecode(0, longer, "model " + std::to_string(code) + " with surplus");
        }
    }
}

TEST_F(DecoderFuzz, TruncatedIdleAnswerUpdatesExactlyTheWholeEntries)
{
    // A real idle answer: eight status entries with readings a unit can send.
    useModel(0, 20);
    Bytes payload;
    for (int n = 0; n < kChannelsPerDevice; ++n) {
        auto c = encodePair(100 * (n + 1)), v = encodePair(3000 + n), q = encodePair(n), e = encodePair(2 * n);
        payload.insert(payload.end(),
                       {kCmdStatus, 0, c.first, c.second, v.first, v.second, q.first, q.second, e.first, e.second});
    }
    const Bytes whole = buildFrame(1, kFrameChannel, payload);
    ASSERT_EQ(whole.size(), 86u);
    for (size_t cut = 0; cut <= whole.size(); ++cut) {
        station.link.slots = {};
        station.link.pollToggle = 0;
        notified.clear();
        decodeChannelAnswer(station, 0, Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)));
        const size_t entries = cut < 4 ? 0 : std::min<size_t>((cut - 4) / 10, kChannelsPerDevice);
        ASSERT_EQ(notified.size(), entries) << "cut " << cut;
        for (int n = 0; n < kChannelsPerDevice; ++n) {
            const SlotLink& s = station.link.slots[n];
            if (static_cast<size_t>(n) < entries) {
                EXPECT_FLOAT_EQ(s.current, 0.1f * static_cast<float>(n + 1)) << "cut " << cut;
                EXPECT_FLOAT_EQ(s.voltage, 3.0f + 0.001f * static_cast<float>(n)) << "cut " << cut;
            } else {
                EXPECT_EQ(s.current, 0.0f) << "cut " << cut << " channel " << n;
                EXPECT_EQ(s.voltage, 0.0f) << "cut " << cut << " channel " << n;
            }
        }
    }
}

TEST_F(DecoderFuzz, ChecksumVerificationAtAnyOffsetOfAnyLength)
{
    for (int length = 0; length <= kLongest; ++length) {
        Bytes b = randomBytes(length);
        for (int offset = -2; offset <= length + 2; ++offset) {
            bool expected = false;
            if (offset >= 4 && offset < length) {
                std::uint8_t x = 0;
                for (int i = 4; i < offset; ++i)
                    x ^= b[static_cast<size_t>(i)];
                expected = x % 240 == b[static_cast<size_t>(offset)];
            }
            ASSERT_EQ(verifyChecksum(b, 4, offset), expected) << "length " << length << " offset " << offset;
        }
    }
}

TEST_F(DecoderFuzz, PollTransactionJudgesAnyAnswerAndDecodesOnlyWhatPasses)
{
    port.open(1);
    useModel(0, 28);  // reading current scale 100: the widest current range
    // The answer lengths of real frames: idle, one start or stop, eight starts.
    for (int expected : {86, 78, 22}) {
        const Bytes frame = buildFrame(1, kFrameChannel, Bytes(8, kCmdStatus));
        for (int length = 0; length <= kLongest; ++length) {
            Bytes b = randomBytes(length);
            // Half of the long enough answers get a good checksum, so that decoding follows.
            if (length % 2 == 0 && length >= expected)
                b[static_cast<size_t>(expected - 2)] = checksum(b, 4, expected - 3);
            port.answerNextWrite(b, static_cast<std::uint32_t>(randomInt(0, 250)));
            PollOutcome out = pollTransaction(port, clock, pump, frame, expected);
            const std::string what = "expected " + std::to_string(expected) + " length " + std::to_string(length);
            if (length < expected) {
                EXPECT_EQ(out.result, PollResult::Incomplete) << what;
                continue;
            }
            const bool good = checksum(b, 4, expected - 3) == b[static_cast<size_t>(expected - 2)];
            ASSERT_EQ(out.result, good ? PollResult::Complete : PollResult::ChecksumError) << what;
            EXPECT_EQ(out.answer, b) << what;
            if (out.result == PollResult::Complete)
                fuzzDecode(0, out.answer, what);
        }
    }
}

TEST_F(DecoderFuzz, DeviceTransactionJudgesAnyIdentityAnswer)
{
    port.open(1);
    for (int length = 0; length <= kLongest; ++length) {
        for (int k = 0; k < 2; ++k) {
            Bytes b = randomBytes(length);
            if (k == 1 && length > kIdentityChecksumOffset)
                b[kIdentityChecksumOffset] = checksum(b, 4, kIdentityChecksumOffset - 1);
            port.answerNextWrite(b, static_cast<std::uint32_t>(randomInt(0, 250)));
            auto answer = deviceTransaction(port, clock, pump, identityRequest(2), kIdentityAnswerLength,
                                            kIdentityChecksumOffset);
            const bool good = length >= kIdentityAnswerLength &&
                              checksum(b, 4, kIdentityChecksumOffset - 1) == b[kIdentityChecksumOffset];
            ASSERT_EQ(answer.has_value(), good) << "length " << length;
            if (answer) {
                auto id = decodeIdentity(*answer);
                ASSERT_TRUE(id.has_value());
                EXPECT_EQ(id->modelCode, b[5]);
            }
        }
    }
}

TEST_F(DecoderFuzz, DeviceIndexWithoutSlotsIsRefusedBeforeAnyByteIsRead)
{
    // Index 6 of the device table exists but owns no channel slots: its channels would lie
    // past the end of the slot tables.
    Bytes payload;
    for (int n = 0; n < kChannelsPerDevice; ++n)
        payload.insert(payload.end(), {kCmdStatus, 1, 0, 10, 0, 20, 0, 30, 0, 40});
    const Bytes idle = buildFrame(1, kFrameChannel, payload);
    for (int device : {-1, kMaxDevices, kDeviceTableSize}) {
        EXPECT_THROW(decodeChannelAnswer(station, device, idle), std::out_of_range) << device;
        EXPECT_THROW(buildChannelFrame(station, device), std::out_of_range) << device;
    }
    EXPECT_TRUE(notified.empty());
    // The last real device decodes into its own eight slots and no further.
    decodeChannelAnswer(station, kMaxDevices - 1, idle);
    EXPECT_EQ(notified.size(), static_cast<size_t>(kChannelsPerDevice));
    EXPECT_TRUE(station.link.slots[kUsedSlots - 1].running);
    EXPECT_FALSE(station.link.slots[kUsedSlots].running);
}
