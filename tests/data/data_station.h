#pragma once

#include <array>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/virtual_port_wait.h"
#include "station.h"
#include "support/scripted_port.h"
#include "support/temp_folder.h"

// A station in a fresh program folder with no bench behind it: the tests fill its tables by hand.
struct DataStation {
    TempFolder home;
    klv::VirtualClock clock;
    klv::VirtualPortWait pump{clock};
    ScriptedPort port{clock};
    klv::Station station{home.path(), port, clock, pump};

    explicit DataStation(klv::LocalDateTime now = {2024, 3, 12, 9, 30, 5}) : clock(0, now)
    {
        // Two curves per channel, as the main window sets its device graphs up.
        for (auto& graph : station.ui.graphs)
            graph.setCurveCount(2 * klv::kChannelsPerDevice);
    }

    void addDevice(int device, const std::string& model, int busAddress, int readingCurrentScale)
    {
        klv::DeviceEntry& entry = station.link.devices[device];
        entry.modelCode = 1;
        entry.modelName = model;
        entry.busAddress = busAddress;
        entry.readingCurrentScale = readingCurrentScale;
    }

    // Step rows from row 1: mode, set current, set voltage, end current, time/count.
    void setProgram(int slot, const std::vector<std::array<std::string, 5>>& rows, int stepCount)
    {
        klv::TextGrid& table = station.program.gridRun[slot];
        for (size_t r = 0; r < rows.size(); ++r)
            for (int c = 0; c < 5; ++c)
                table.at(static_cast<int>(r) + 1, c + 1) = rows[r][static_cast<size_t>(c)];
        station.program.stepCount[slot] = stepCount;
    }

    void addPoint(int slot, float seconds, float current, float voltage)
    {
        klv::CurveGraph& graph = station.ui.graphs[slot / klv::kChannelsPerDevice];
        const int n = slot % klv::kChannelsPerDevice;
        graph.AddXY(2 * n, seconds, voltage);
        graph.AddXY(2 * n + 1, seconds, current);
    }

    // Room for this many result rows; the table starts empty.
    void growResults(int slot, int rows)
    {
        klv::TextGrid& grid = station.run.slots[slot].gridList;
        if (rows + 1 > grid.rows)
            grid.resize(rows + 2, grid.cols);
    }

    void setResult(int slot, int row, const std::array<std::string, 6>& cells)
    {
        klv::TextGrid& grid = station.run.slots[slot].gridList;
        for (int c = 0; c < 6; ++c)
            grid.at(row, c) = cells[static_cast<size_t>(c)];
    }
};

// The bytes of a file as they stand on disk; empty when it cannot be read.
inline std::string fileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}
