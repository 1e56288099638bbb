#include <gtest/gtest.h>

#include "common/format.h"
#include "link/frame.h"
#include "link/poll_cycle.h"
#include "platform/text_file.h"
#include "platform/virtual_port_wait.h"
#include "station.h"
#include "support/scripted_port.h"
#include "support/temp_folder.h"

using namespace klv;

TEST(PollFailureTest, AnOverflowingCurrentEndsTheTickCountedAndLogged)
{
    TempFolder home;
    makeFolder(home.path() + "/Log");
    VirtualClock clock;
    VirtualPortWait pump(clock);
    ScriptedPort port(clock);
    Station station(home.path(), port, clock, pump);
    port.open(1);
    station.link.connected = true;
    station.link.devices[0].modelCode = 20;
    applyModelRow(station.link.devices[0]);

    Bytes payload;
    for (int n = 0; n < 8; ++n)
        payload.insert(payload.end(), {0x55, 0, std::uint8_t(n == 2 ? 0x89 : 0), 0, 0, 0, 0, 0, 0, 0});
    port.answerNextWrite(buildFrame(0, kFrameChannel, payload), 20);
    PollTickReport report = pollTick(station);
    EXPECT_EQ(report.answersDecoded, 0);
    EXPECT_EQ(station.link.devices[0].timeoutCount, 1);
    EXPECT_EQ(station.link.pollToggle, 0);
    auto log = readLines(home.path() + "/Log/klv-" + dateStamp(clock.now()) + ".log");
    ASSERT_TRUE(log);
    ASSERT_EQ(log->size(), 1u);
    EXPECT_NE(log->at(0).find(":[ErrTmrComm(0)]current reading overflow"), std::string::npos);
}
