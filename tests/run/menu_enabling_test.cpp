#include <gtest/gtest.h>

#include "data/data_station.h"
#include "platform/text_file.h"
#include "run/backup_files.h"
#include "run/menu_enabling.h"

using namespace klv;

namespace {

// One device of eight channels; each channel's program, test and backup as a case sets them.
struct MenuBench : DataStation {
    MenuBench() { addDevice(0, "TAL-M1", 0, 1000); }

    void channel(int n, bool program, bool running, bool backup)
    {
        const int slot = slotOf(0, n);
        station.program.stepCount[slot] = program ? 1 : 0;
        station.run.slots[slot].busy = running;
        if (backup)
            ASSERT_TRUE(writeLines(backupBaseName(station, slot) + ".bk0", {"1"}));
    }

    std::vector<std::string> enabled(int n)
    {
        const auto menu = controlMenuFor(station, 0, n);
        if (!menu)
            return {"no menu"};
        const std::pair<bool, const char*> items[] = {
            {menu->menuSet, "Set"},          {menu->menuAdj, "Adj"},           {menu->menuChnStart, "ChnStart"},
            {menu->menuChnStop, "ChnStop"},  {menu->menuChnCont, "ChnCont"},   {menu->menuSaveChnData, "SaveChn"},
            {menu->menuStart, "Start"},      {menu->menuStop, "Stop"},         {menu->menuCont, "Cont"},
            {menu->MenuSaveData, "SaveDev"}, {menu->menuSelStart, "SelStart"}, {menu->menuSelStop, "SelStop"},
            {menu->menuSelCont, "SelCont"}};
        std::vector<std::string> names;
        for (const auto& [on, name] : items)
            if (on)
                names.push_back(name);
        return names;
    }
};

using Names = std::vector<std::string>;

}  // namespace

TEST(MenuEnablingTest, OneSelectedChannelEnablesWhatItAndItsDeviceCanDo)
{
    // Channel 3 (index 2) is pressed; channel 1 decides for the device when it cannot start.
    const struct {
        const char* name;
        bool program, running, backup;  // channel 3
        bool firstProgram, firstRunning;
        Names enabled;
    } cases[] = {
        {"running", true, true, false, true, false, {"Adj", "ChnStop", "Stop"}},
        {"idle, programmed device",
         true,
         false,
         false,
         true,
         false,
         {"Set", "Adj", "ChnStart", "SaveChn", "Start", "SaveDev"}},
        {"idle, a backup of its own",
         true,
         false,
         true,
         true,
         false,
         {"Set", "Adj", "ChnStart", "ChnCont", "SaveChn", "Start", "SaveDev"}},
        {"no program", false, false, false, true, false, {"Set", "Adj", "SaveChn"}},
        {"another channel running", true, false, false, true, true, {"Set", "Adj", "ChnStart", "SaveChn", "Stop"}},
    };
    for (const auto& c : cases) {
        MenuBench b;
        for (int n = 0; n < kChannelsPerDevice; ++n)
            b.channel(n, true, false, false);
        b.channel(0, c.firstProgram, c.firstRunning, false);
        b.channel(2, c.program, c.running, c.backup);
        b.station.ui.panels[0].tiles[2].sel = true;
        EXPECT_EQ(b.enabled(2), c.enabled) << c.name;
        EXPECT_EQ(b.station.ui.currentDevice, 0) << c.name;
        EXPECT_EQ(b.station.ui.selectedChannel, 2) << c.name;
    }
}

TEST(MenuEnablingTest, SeveralSelectedChannelsEnableTheSelectionItems)
{
    MenuBench b;
    for (int n = 0; n < kChannelsPerDevice; ++n)
        b.channel(n, true, false, true);
    b.station.ui.panels[0].tiles[1].sel = true;
    b.station.ui.panels[0].tiles[4].sel = true;
    EXPECT_EQ(b.enabled(1), (Names{"SelStart", "SelCont"}));
    b.station.run.slots[slotOf(0, 4)].busy = true;
    EXPECT_EQ(b.enabled(1), Names{"SelStop"});

    // One tile selected, but not the one pressed: no menu.
    b.station.ui.panels[0].tiles[4].sel = false;
    EXPECT_EQ(b.enabled(6), Names{"no menu"});
}
