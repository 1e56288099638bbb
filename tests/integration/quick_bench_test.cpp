#include <gtest/gtest.h>

#include <filesystem>

#include "data/data_loader.h"
#include "support/sim_process.h"
#include "support/step_programs.h"
#include "support/temp_folder.h"

using namespace klv;

// A bench twenty times quicker is still one a real unit could be: a one-minute 1 A discharge,
// run headless over the serial stack and saved on its own, has in its result row the charge and
// the energy that its own data file records (each reading held until the next, over the file's
// time), for both units' current formats.
TEST(QuickBenchTest, SavedCapacityAndEnergyAreWhatTheDataFileRecords)
{
    TempFolder home;
    const std::string link = home.path() + "/tty";
    SimProcess sim(link, {"--speed", "20"});
    ASSERT_TRUE(sim.started());
    writeBenchIni(home.path(), link);
    const std::string program =
        writeProgramFile(home.path() + "/minute.stp", {{"恒流放", "01.00", "03.00", "00.00", "1"}});
    const StationRun run =
        runHeadlessStation({"--home", QString::fromStdString(home.path()), "--port", "1", "--program",
                            QString::fromStdString(program), "--channels", "1-1,2-1", "--autosave"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();

    int saved = 0;
    for (const auto& entry : std::filesystem::directory_iterator(home.path() + "/Data")) {
        if (entry.path().extension() != ".dat")
            continue;
        ++saved;
        SCOPED_TRACE(entry.path().filename().string());
        const LoadedData test = loadDataFile(entry.path().string());
        ASSERT_TRUE(test.complete);
        ASSERT_EQ(test.results.size(), 1u);
        double ampSeconds = 0, wattSeconds = 0;
        for (size_t i = 1; i < test.records.size(); ++i) {
            const LoadedRecord& r = test.records[i - 1];
            const int seconds = test.records[i].seconds - r.seconds;
            ampSeconds += r.current * seconds;
            wattSeconds += r.current * r.voltage * seconds;
        }
        const double ah = ampSeconds / 3600, wh = wattSeconds / 3600;
        EXPECT_GT(ah, 0.95 / 60);  // the whole minute at 1 A
        EXPECT_NEAR(std::stod(test.results[0][3]), ah, 0.05 * ah);
        EXPECT_NEAR(std::stod(test.results[0][4]), wh, 0.05 * wh);
    }
    EXPECT_EQ(saved, 2);
}
