#include "run/menu_enabling.h"

#include "platform/text_file.h"
#include "run/backup_files.h"
#include "station.h"
#include "view/tile_selection.h"

namespace klv {

namespace {

bool running(const Station& station, int slot) { return station.run.slots[slot].busy; }
bool hasProgram(const Station& station, int slot) { return station.program.stepCount[slot] >= 1; }
bool hasBackup(const Station& station, int slot) { return fileExists(backupBaseName(station, slot) + ".bk0"); }

ControlMenuState singleChannel(const Station& station, int d, int n)
{
    const int slot = slotOf(d, n);
    ControlMenuState m;
    m.menuAdj = true;
    if (running(station, slot)) {
        m.menuChnStop = m.menuStop = true;
        return m;
    }
    m.menuChnStart = m.menuStart = hasProgram(station, slot);
    m.menuChnCont = m.menuCont = hasBackup(station, slot);
    m.menuSaveChnData = m.menuSet = m.MenuSaveData = true;
    for (int i = 0; i < kChannelsPerDevice; ++i)
        if (!hasBackup(station, slotOf(d, i)) || running(station, slotOf(d, i)))
            m.menuCont = false;
    if (station.link.devices[d].modelCode == 0)
        return m;
    // The first channel without a program or with a test running decides for the device.
    for (int i = 0; i < kChannelsPerDevice; ++i) {
        const int s = slotOf(d, i);
        if (running(station, s)) {
            m.menuStart = m.menuCont = m.MenuSaveData = false;
            m.menuStop = true;
            break;
        }
        if (!hasProgram(station, s)) {
            m.menuStart = m.MenuSaveData = m.menuStop = false;
            break;
        }
    }
    return m;
}

ControlMenuState severalChannels(const Station& station)
{
    ControlMenuState m;
    m.menuSelStart = m.menuSelCont = true;
    for (int d = 0; d < kMaxDevices; ++d) {
        for (int n = 0; n < kChannelsPerDevice; ++n) {
            const int slot = slotOf(d, n);
            if (!station.ui.panels[d].tiles[n].sel)
                continue;
            if (running(station, slot)) {
                m.menuSelStart = m.menuSelCont = false;
                m.menuSelStop = true;
                continue;
            }
            if (!hasProgram(station, slot))
                m.menuSelStart = false;
            if (!hasBackup(station, slot))
                m.menuSelCont = false;
        }
    }
    return m;
}

}  // namespace

std::optional<ControlMenuState> controlMenuFor(Station& station, int d, int n)
{
    if (selectedTileCount(station) != 1)
        return severalChannels(station);
    if (!station.ui.panels[d].tiles[n].sel)
        return std::nullopt;
    station.ui.currentDevice = d;
    station.ui.selectedChannel = n;
    return singleChannel(station, d, n);
}

}  // namespace klv
