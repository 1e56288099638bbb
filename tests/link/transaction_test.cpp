#include <gtest/gtest.h>

#include "link/command_set.h"
#include "link/frame.h"
#include "link/transaction.h"
#include "platform/virtual_port_wait.h"
#include "support/scripted_port.h"

using namespace klv;

namespace {

struct TransactionTest : ::testing::Test {
    VirtualClock clock{1000};
    VirtualPortWait pump{clock};
    ScriptedPort port{clock};
    void SetUp() override { port.open(1); }

    Bytes identityAnswer() { return buildFrame(2, 0, {0x22, 20, 7, 1, 1, 1, 1, 0, 0, 0, 0}); }
    Bytes idleAnswer()
    {
        Bytes payload;
        for (int n = 0; n < 8; ++n)
            payload.insert(payload.end(), {0x55, 0, 0, 0, 0, 0, 0, 0, 0, 0});
        return buildFrame(1, 1, payload);
    }
    PollOutcome poll(std::uint32_t afterMs, Bytes answer)
    {
        port.answerNextWrite(std::move(answer), afterMs);
        return pollTransaction(port, clock, pump, Bytes(14, 0x55), 86);
    }
};

}  // namespace

TEST_F(TransactionTest, IdentityAnswersAreJudgedAtOffsetFifteen)
{
    Bytes answer = identityAnswer();
    ASSERT_EQ(answer.size(), 17u);
    port.answerNextWrite(answer, 40);
    auto got = deviceTransaction(port, clock, pump, identityRequest(2), 17, 15);
    ASSERT_TRUE(got);
    EXPECT_EQ(port.lastWritten, (Bytes{0xFA, 0x02, 0x00, 0x01, 0x22, 0x22, 0xF8}));
    EXPECT_EQ(decodeIdentity(*got)->modelCode, 20);

    Bytes longer = answer;  // surplus bytes are read with it, the checksum still at 15
    longer.insert(longer.end(), {1, 2, 3});
    port.answerNextWrite(longer, 40);
    got = deviceTransaction(port, clock, pump, identityRequest(2), 17, 15);
    ASSERT_TRUE(got);
    EXPECT_EQ(got->size(), 20u);

    Bytes shortAnswer(answer.begin(), answer.begin() + 16);
    port.answerNextWrite(shortAnswer, 40);
    std::uint32_t before = clock.milliseconds();
    EXPECT_FALSE(deviceTransaction(port, clock, pump, identityRequest(2), 17, 15));
    EXPECT_EQ(clock.milliseconds() - before, 300u);  // waited for the one-shot timer

    Bytes shorter(answer.begin(), answer.begin() + 15);  // cannot even hold the checksum
    port.answerNextWrite(shorter, 0);
    EXPECT_FALSE(deviceTransaction(port, clock, pump, identityRequest(2), 17, 15));

    Bytes bad = answer;
    bad[15] ^= 1;
    port.answerNextWrite(bad, 10);
    EXPECT_FALSE(deviceTransaction(port, clock, pump, identityRequest(2), 17, 15));

    port.close();
    EXPECT_FALSE(deviceTransaction(port, clock, pump, identityRequest(2), 17, 15));
}

TEST_F(TransactionTest, PollWindowIsThreeHundredMilliseconds)
{
    EXPECT_EQ(poll(290, idleAnswer()).result, PollResult::Complete);
    EXPECT_EQ(poll(300, idleAnswer()).result, PollResult::Complete);
    EXPECT_EQ(poll(310, idleAnswer()).result, PollResult::Incomplete);
    Bytes shortAnswer = idleAnswer();
    shortAnswer.pop_back();
    EXPECT_EQ(poll(5, shortAnswer).result, PollResult::Incomplete);
    EXPECT_EQ(poll(0, {}).result, PollResult::Incomplete);
}

TEST_F(TransactionTest, PollChecksumSitsWhereTheExpectedLengthSaysEvenInLongerAnswers)
{
    Bytes longer = idleAnswer();
    longer.insert(longer.end(), {0x55, 0x66, 0x77});
    PollOutcome out = poll(100, longer);
    EXPECT_EQ(out.result, PollResult::Complete);
    EXPECT_EQ(out.answer.size(), 89u);

    Bytes bad = idleAnswer();
    bad[84] ^= 1;
    EXPECT_EQ(poll(100, bad).result, PollResult::ChecksumError);
}

TEST_F(TransactionTest, PollNoticesAPortClosedBeforeOrAfterTheWrite)
{
    port.afterWrite = [this] { port.close(); };
    EXPECT_EQ(poll(10, idleAnswer()).result, PollResult::PortClosedAfter);
    EXPECT_EQ(port.writes, 1);
    EXPECT_EQ(poll(10, idleAnswer()).result, PollResult::PortClosedBefore);
    EXPECT_EQ(port.writes, 1);  // nothing written to a closed port
}

TEST_F(TransactionTest, PollWaitEndsWhenTheClockFallsBack)
{
    // The millisecond counter wraps 100 ms into the wait: the window closes at once.
    clock.setMilliseconds(0xFFFFFFFFu - 99);
    std::uint32_t start = clock.milliseconds();
    EXPECT_EQ(poll(250, idleAnswer()).result, PollResult::Incomplete);
    EXPECT_LT(clock.milliseconds() - start, 200u);
}
