#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "link/poll_cycle.h"
#include "program/step_apply.h"
#include "program/step_program.h"
#include "run/channel_menu.h"
#include "run/channel_ops.h"
#include "run/live_data.h"
#include "run/run_engine.h"
#include "support/bench_fixture.h"
#include "ui/translations.h"
#include "view/station_startup.h"

using namespace klv;

namespace {

// One operator's session on two units: a device started from its menu, a refused start, the
// program run to its end with auto-save. Returns every file of the program folder by name.
struct Session : BenchFixture {
    void TestBody() override {}

    std::map<std::string, std::string> run()
    {
        port.setLineTiming(false);
        for (int address : {0, 1}) {
            auto& unit = bus.addUnit(address, address == 0 ? 20 : 22);
            for (int n = 0; n < 8; ++n) {
                unit.channel(n).cell.capacityAh = 0.03 + 0.005 * n;
                unit.channel(n).cell.stateOfCharge = 0.5;
            }
        }
        startUpStation(station);
        EXPECT_EQ(connect(), ConnectResult::Connected);
        installLiveData(station);
        station.run.autoSave = true;
        TextGrid table = newStepTable();
        const char* rows[][5] = {{"恒流放", "01.00", "02.75", "00.00", "0"}, {"搁置", "00.00", "00.00", "00.00", "1"}};
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 5; ++c)
                table.at(r + 1, c + 1) = rows[r][c];
        applyProgram(station.program, station.link, 0, table, 1, kApplyAllTarget);
        station.ui.currentDevice = 0;
        runConfirmedOp(station, ChannelOp::Start, OpScope::Device);
        station.run.slots[slotOf(1, 0)].voltageError = true;  // refused: 启动通道2-1出错
        startChannel(station, slotOf(1, 0));
        auto busy = [this] {
            for (int n = 0; n < kChannelsPerDevice; ++n)
                if (station.run.slots[n].busy)
                    return true;
            return false;
        };
        for (int second = 0; second < 3 * 3600 && busy(); ++second) {
            const std::uint32_t started = clock.milliseconds();
            pollTick(station);
            runTick(station);
            finishSecond(started);
        }
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(home.path())) {
            if (!entry.is_regular_file())
                continue;
            std::ifstream f(entry.path(), std::ios::binary);
            files[std::filesystem::relative(entry.path(), home.path()).string()] = {std::istreambuf_iterator<char>(f),
                                                                                    std::istreambuf_iterator<char>()};
        }
        return files;
    }
};

}  // namespace

TEST(EnglishSession, WritesTheSameFilesAsAChineseOne)
{
    std::map<std::string, std::string> chinese, english;
    std::vector<std::string> chineseHistory, englishHistory;
    {
        Session s;
        chinese = s.run();
        chineseHistory = s.station.ui.history;
    }
    {
        Translations texts(Language::English);
        texts.install();
        Session s;
        english = s.run();
        englishHistory = s.station.ui.history;
    }
    // The English screen was in use: its history list speaks English.
    ASSERT_EQ(englishHistory.size(), chineseHistory.size());
    ASSERT_GE(chineseHistory.size(), 2u);
    EXPECT_NE(chineseHistory[0].find("启动设备1"), std::string::npos);
    EXPECT_NE(englishHistory[0].find("Start device 1"), std::string::npos);
    EXPECT_NE(englishHistory[1].find("Start channel 2-1 refused"), std::string::npos);

    // Data, result and backup files and both logs, byte for byte.
    int data = 0, backups = 0;
    for (const auto& [name, bytes] : chinese) {
        data += name.ends_with(".dat") || name.ends_with(".run");
        backups += name.ends_with(".bk0") || name.ends_with(".bk1");
    }
    EXPECT_GE(data, 2 * 8);
    EXPECT_EQ(backups, 2 * 8);
    ASSERT_EQ(english.size(), chinese.size());
    for (const auto& [name, bytes] : chinese) {
        SCOPED_TRACE(name);
        ASSERT_EQ(english.count(name), 1u);
        EXPECT_EQ(english[name], bytes);
    }
}
