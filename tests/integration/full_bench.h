#pragma once

#include <string>
#include <vector>

#include "link/poll_cycle.h"
#include "program/step_apply.h"
#include "program/step_program.h"
#include "program/step_tables.h"
#include "run/channel_ops.h"
#include "run/live_data.h"
#include "run/run_engine.h"
#include "support/bench_fixture.h"
#include "view/station_startup.h"

// Six units of eight channels, every channel with a small cell, connected, with live data
// handling and auto-save on, ready to run one program on all 48 channels.
struct FullBench : BenchFixture {
    static constexpr int kChannels = klv::kMaxDevices * klv::kChannelsPerDevice;

    void setUpBench(double capacityAh)
    {
        for (int address = 0; address < klv::kMaxDevices; ++address) {
            auto& unit = bus.addUnit(address, 22);
            for (int n = 0; n < klv::kChannelsPerDevice; ++n) {
                unit.channel(n).cell.capacityAh = capacityAh * (1 + 0.01 * n);
                unit.channel(n).cell.stateOfCharge = 0.6;
            }
        }
        klv::startUpStation(station);
        ASSERT_EQ(connect(), klv::ConnectResult::Connected);
        klv::installLiveData(station);
        station.run.autoSave = true;
    }

    // Rows of five cells (mode, set current, set voltage, end current, time/count), applied to
    // every channel of every device and started.
    void startAll(std::initializer_list<klv::test::StepRowTexts> rows)
    {
        const klv::TextGrid table = klv::test::stepTable(rows);
        for (int d = 0; d < klv::kMaxDevices; ++d)
            klv::applyProgram(station.program, station.link, d, table, 1, klv::kApplyAllTarget);
        for (int s = 0; s < kChannels; ++s)
            klv::startChannel(station, s);
    }

    // One second of the station: the poll tick, then the run tick.
    klv::PollTickReport second()
    {
        const std::uint32_t started = clock.milliseconds();
        const klv::PollTickReport report = klv::pollTick(station);
        klv::runTick(station);
        finishSecond(started);
        return report;
    }

    std::string backupBase(int slot) const
    {
        return home.path() + "/klv-com1-" + std::to_string(slot / klv::kChannelsPerDevice + 1) + "-" +
               std::to_string(slot % klv::kChannelsPerDevice + 1);
    }
};
