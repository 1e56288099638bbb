#pragma once

#include <string>
#include <vector>

#include "program/step_program.h"
#include "support/bench_fixture.h"

// A connected bench whose graphs have the sixteen curves the main window gives them, with
// helpers to load programs and to lay down backup files by hand.
struct ChannelFixture : BenchFixture {
    ChannelFixture()
    {
        for (klv::CurveGraph& graph : station.ui.graphs)
            graph.setCurveCount(16);
    }

    // Rows of five cells (mode, set current, set voltage, end current, time/count) from row 1,
    // with the step and loop count they give.
    void loadProgram(int slot, const std::vector<std::vector<std::string>>& rows)
    {
        klv::TextGrid& table = station.program.gridRun[slot];
        for (size_t r = 0; r < rows.size(); ++r)
            for (size_t c = 0; c < rows[r].size(); ++c)
                table.at(static_cast<int>(r) + 1, static_cast<int>(c) + 1) = rows[r][c];
        const klv::StepCounts counts = klv::countSteps(table);
        station.program.stepCount[slot] = counts.stepCount;
        station.program.loopCount[slot] = counts.loopCount;
    }

    // The backup files of device index d, channel n on the fixture's port 1.
    std::string backupBase(int d, int n) const
    {
        return home.path() + "/klv-com1-" + std::to_string(d + 1) + "-" + std::to_string(n + 1);
    }

    std::vector<std::string> sysLogLines()
    {
        auto path = home.path() + "/Log/sys-" + klv::dateStamp(clock.now()) + ".log";
        return klv::readLines(path).value_or(std::vector<std::string>{});
    }

    std::string now() { return klv::logTime(clock.now()); }
};
