#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>

#include "data/data_file.h"
#include "data/data_loader.h"
#include "integration/full_bench.h"
#include "platform/text_file.h"

using namespace klv;

namespace {

constexpr int kSeconds = 10000;
constexpr int kSilentUnit = 3;
constexpr int kSilentFrom = 4000, kSilentFor = 30;
constexpr size_t kResultHeaderLines = 4;

// The results-table rows a channel completed, as the backup and result files write them.
std::vector<std::string> completedRows(const TextGrid& gridList)
{
    std::vector<std::string> rows;
    for (int row = 1; row < gridList.rows && !gridList.at(row, 0).empty(); ++row) {
        std::string line = gridList.at(row, 0);
        for (int c = 1; c < gridList.cols; ++c)
            line += "\t" + gridList.at(row, c);
        rows.push_back(line);
    }
    return rows;
}

// Loop pass, step and mode: the first three cells of a result row.
std::string stepOfRow(const std::string& row)
{
    size_t cut = 0;
    for (int cell = 0; cell < 3 && cut != std::string::npos; ++cell)
        cut = row.find('\t', cut + (cell > 0));
    return row.substr(0, cut);
}

// The saved data file of a slot in the Data folder: "...-<address + 1>-<channel + 1>.dat".
std::string savedDataFile(const std::string& folder, int slot)
{
    const std::string tail = "-" + std::to_string(slot / kChannelsPerDevice + 1) + "-" +
                             std::to_string(slot % kChannelsPerDevice + 1) + ".dat";
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().string().ends_with(tail))
            return entry.path().string();
    return {};
}

struct FaultSoak : FullBench {};

}  // namespace

// Discharge and charge looped on all 48 channels for 10 000 s while 5% of the answers go missing,
// 1% come with a bad checksum and one unit falls silent for 30 s: every step a channel completed
// is in its ".bk1", every ".bk0" runs forward in time, and the data files saved at the stop hold
// every row.
TEST_F(FaultSoak, LoopedTestsOnAFullBenchLoseNothingUnderLostAndDamagedAnswers)
{
    port.setLineTiming(false);
    setUpBench(0.05);
    startAll({{"恒流放", "01.00", "02.75", "00.00", "0"},
              {"恒压充", "01.00", "04.20", "00.05", "0"},
              {"循环", "00.00", "00.00", "00.00", "99"}});

    std::mt19937 rng(20240312);
    int dropped = 0, damaged = 0;
    for (int t = 0; t < kSeconds; ++t) {
        for (int address = 0; address < kMaxDevices; ++address) {
            sim::SimFaults& faults = bus.unit(address)->faults;
            const unsigned roll = rng() % 100;
            const bool spell = address == kSilentUnit && t >= kSilentFrom && t < kSilentFrom + kSilentFor;
            faults.silent = spell || roll < 5;
            faults.badChecksum = !faults.silent && roll == 5;
            dropped += faults.silent;
            damaged += faults.badChecksum;
        }
        second();
    }
    for (int address = 0; address < kMaxDevices; ++address)
        bus.unit(address)->faults = {};
    for (int s = 0; s < kChannels; ++s) {
        ASSERT_TRUE(station.run.slots[s].busy) << "slot " << s << " left its test early";
        stopChannel(station, s);
    }
    for (int t = 0; t < 3; ++t)
        second();

    int rowsChecked = 0, samplesChecked = 0;
    for (int s = 0; s < kChannels; ++s) {
        SCOPED_TRACE("slot " + std::to_string(s));
        const std::vector<std::string> rows = completedRows(station.run.slots[s].gridList);
        ASSERT_GE(rows.size(), 10u) << "the loop hardly ran";

        const std::vector<std::string> bk1 = readLines(backupBase(s) + ".bk1").value_or(std::vector<std::string>{});
        ASSERT_GE(bk1.size(), kResultHeaderLines);
        // The last row is the step the stop cut short: the result file has it, the backup does not.
        // A row's totals may still take the device's last reading after it went to the backup,
        // so the backup row is checked for its loop pass, step and mode.
        ASSERT_EQ(bk1.size() - kResultHeaderLines, rows.size() - 1);
        for (size_t r = 0; r + 1 < rows.size(); ++r)
            ASSERT_EQ(stepOfRow(bk1[kResultHeaderLines + r]), stepOfRow(rows[r])) << "row " << r + 1;

        int previous = -1;
        for (const std::string& line : readLines(backupBase(s) + ".bk0").value_or(std::vector<std::string>{})) {
            if (line.empty() || line[0] < '0' || line[0] > '9')
                continue;
            const int seconds = std::stoi(line);
            ASSERT_GE(seconds, previous) << line;
            previous = seconds;
            ++samplesChecked;
        }

        const std::string saved = savedDataFile(home.path() + "/Data", s);
        ASSERT_FALSE(saved.empty());
        const LoadedData loaded = loadDataFile(saved);
        EXPECT_TRUE(loaded.complete);
        ASSERT_EQ(loaded.results.size(), rows.size());
        for (size_t r = 0; r < rows.size(); ++r) {
            std::string line = loaded.results[r][0];
            for (size_t c = 1; c < loaded.results[r].size(); ++c)
                line += "\t" + loaded.results[r][c];
            EXPECT_EQ(line, rows[r]);
        }
        rowsChecked += static_cast<int>(rows.size());
    }
    // Units not polled in a tick (status-only frames go every other tick) made no use of their fault.
    int timeouts = 0, checksumErrors = 0;
    for (const std::string& line : klvLogLines()) {
        timeouts += line.find(" timeout]") != std::string::npos;
        checksumErrors += line.find("chk error]") != std::string::npos;
    }
    EXPECT_GT(timeouts, kSilentFor / 2);
    EXPECT_GT(checksumErrors, 0);
    EXPECT_LE(timeouts + checksumErrors, dropped + damaged);
    std::printf(
        "fault soak: %d ticks; answers lost: %d timeouts, %d bad checksums (of %d silences and %d bad "
        "checksums set); %d result rows and %d samples checked\n",
        kSeconds, timeouts, checksumErrors, dropped, damaged, rowsChecked, samplesChecked);
}
