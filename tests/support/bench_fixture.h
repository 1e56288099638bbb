#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/format.h"
#include "link/connection.h"
#include "platform/message_box.h"
#include "platform/text_file.h"
#include "platform/virtual_port_wait.h"
#include "sim/sim_bus.h"
#include "sim/sim_port.h"
#include "station.h"
#include "support/temp_folder.h"

// Messages the station showed, answered with a chosen button.
struct MessageRecorder {
    struct Shown {
        std::string text;
        klv::MsgIcon icon;
    };
    std::vector<Shown> shown;
    klv::MsgResult answer = klv::MsgResult::Ok;
    MessageRecorder()
    {
        klv::setMessageHandler([this](const std::string& text, klv::MsgIcon icon, klv::MsgButtons) {
            shown.push_back({text, icon});
            return answer;
        });
    }
    ~MessageRecorder() { klv::setMessageHandler(nullptr); }
};

// A station in a fresh program folder, wired to a simulated bench in virtual time.
struct BenchFixture : ::testing::Test {
    TempFolder home;
    klv::VirtualClock clock{5000};
    klv::VirtualPortWait pump{clock};
    klv::sim::SimBus bus;
    klv::sim::SimPort port{bus, clock};
    klv::Station station{home.path(), port, clock, pump};
    MessageRecorder messages;

    BenchFixture() { klv::makeFolder(home.path() + "/Log"); }

    klv::ConnectResult connect(int start = 1, int stop = 6)
    {
        return klv::connectBench(station, 1, klv::scanRange(start, stop));
    }
    // The rest of a one-second timer period after a tick.
    void finishSecond(std::uint32_t tickStartedMs)
    {
        std::uint32_t spent = clock.milliseconds() - tickStartedMs;
        if (spent < 1000)
            clock.advance(1000 - spent);
    }
    std::vector<std::string> klvLogLines()
    {
        auto dir = home.path() + "/Log/klv-" + klv::dateStamp(clock.now()) + ".log";
        return klv::readLines(dir).value_or(std::vector<std::string>{});
    }
};
