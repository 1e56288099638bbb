#include "run/display_update.h"

#include <cmath>
#include <exception>
#include <string>

#include "common/format.h"
#include "common/logs.h"
#include "common/screen_text.h"
#include "run/result_rows.h"
#include "station.h"

namespace klv {

namespace {

constexpr int kColorCharging = 255;
constexpr int kColorResting = 49344;
constexpr int kColorDischarging = 0xC000;
constexpr int kColorIdleTile = 8421504;

// Below this a channel holds no battery: a finished tile turns to stopped and a voltage error clears.
constexpr double kNoBatteryVolts = 0.5;
// Seconds into a charge step before the voltage window and the current are judged.
constexpr int kVoltageSettleSeconds = 10;
constexpr int kCurrentSettleSeconds = 30;
constexpr double kCurrentShortfall = 0.5;
constexpr double kVoltageShortfall = 0.3;
// After this many unanswered polls the readings are stale: the results row keeps what it had.
constexpr int kStaleAfterTimeouts = 4;

constexpr int kGridLoop = 1, kGridStep = 2, kGridMode = 3, kGridVoltage = 4, kGridCurrent = 5, kGridCapacity = 6,
              kGridEnergy = 7, kGridTime = 8, kGridState = 9;

std::string voltageText(float v, int voltageScale)
{
    if (voltageScale == 1000)
        return fmt0_000(v);
    return v >= 100 ? fmt000_0(v) : fmt00_00(v);
}

std::string currentText(float i, int readingCurrentScale)
{
    return readingCurrentScale == 1000 && i < 10 ? fmt0_000(i) : fmt00_00(i);
}

std::string amountText(float v)
{
    if (v < 10)
        return fmt0_000(v);
    return v < 100 ? fmt00_00(v) : fmt000_0(v);
}

// Models whose current readings wander around the set current within this much show the set current.
double currentSnapWindow(int modelCode)
{
    switch (modelCode) {
    case 24:
        return 0.005;
    case 25:
        return 0.03;
    default:
        return 0;
    }
}

// The grid's word is kept as stored; the tile, with room for a few letters after the channel,
// has short translations of its own.
struct ModeLook {
    int color;
    const char* word;
    Text tileWord;
};

ModeLook modeLook(int startMode)
{
    switch (startMode) {
    case kModeCharge:
        return {kColorCharging, KLV_NOOP("Table", "充电"), KLV_TEXT("Tile", "充电")};
    case kModeDischarge:
        return {kColorDischarging, KLV_NOOP("Table", "放电"), KLV_TEXT("Tile", "放电")};
    default:
        return {kColorResting, KLV_NOOP("Table", "搁置"), KLV_TEXT("Tile", "搁置")};
    }
}

struct View {
    Station& station;
    int slot;
    const DeviceEntry& dev;
    SlotLink& link;
    RunSlot& run;
    TileState& tile;
    TextGrid& grid;

    View(Station& st, int s)
            : station(st), slot(s), dev(st.link.devices.at(deviceOfSlot(s))), link(st.link.slots.at(s)),
              run(st.run.slots.at(s)), tile(st.ui.panels.at(deviceOfSlot(s)).tiles.at(channelOfSlot(s))),
              grid(st.ui.gridView)
    {
    }

    std::string& gridCell(int col) { return grid.at(slot + 1, col); }
    bool charging() const { return link.startMode == kModeCharge && link.running; }

    void snapCurrent()
    {
        if (std::fabs(double(link.current) - link.startCurrent) < currentSnapWindow(dev.modelCode))
            link.current = link.startCurrent;
    }

    void checkVoltage()
    {
        const float upper = station.program.upperVoltageLimit.at(slot);
        const float lower = station.program.lowerVoltageLimit.at(slot);
        const float v = link.voltage;
        const bool outsideWindow =
            charging() && run.stepSeconds > run.resumedStepSeconds + kVoltageSettleSeconds && (v < lower || v > upper);
        if (v > dev.maxVoltage || outsideWindow) {
            run.voltageError = true;
            klvLog(station, "ErrShowData(" + slotTag(slot) + ") volerr:" + shortText(v) + " " + shortText(upper) + " " +
                                shortText(lower));
        } else if (v < kNoBatteryVolts && !link.running) {
            run.voltageError = false;
        }
    }

    void checkCurrent()
    {
        const bool shortfall = charging() && run.stepSeconds > run.resumedStepSeconds + kCurrentSettleSeconds &&
                               link.current + kCurrentShortfall < link.startCurrent &&
                               link.voltage + kVoltageShortfall < link.startVoltage;
        if (shortfall) {
            run.currentError = true;
            klvLog(station, "ErrShowData(" + slotTag(slot) + ") curerr:" + shortText(link.current));
        } else if (!link.running) {
            run.currentError = false;
        }
    }

    void showBusy(float capacity, float energy)
    {
        const ModeLook look = modeLook(link.startMode);
        tile.Color = look.color;
        tile.Txt = caption(look.tileWord);
        gridCell(kGridMode) = look.word;
        gridCell(kGridState) = KLV_NOOP("Table", "测试");
        if (dev.timeoutCount > kStaleAfterTimeouts)
            return;
        const int r = currentResultRow(run.gridList);
        const bool rest = link.startMode == kModeRest;
        const std::string stepTime = formatHms(run.stepSeconds);
        run.gridList.at(r, 3) = fmt0_000(rest ? 0 : capacity);
        run.gridList.at(r, 4) = fmt0_000(rest ? 0 : energy);
        run.gridList.at(r, 5) = stepTime;
        gridCell(kGridLoop) = std::to_string(run.loopPass);
        gridCell(kGridStep) = std::to_string(run.currentStep);
        gridCell(kGridCapacity) = tile.cap;
        gridCell(kGridEnergy) = tile.Wh;
        gridCell(kGridTime) = stepTime;
    }

    void showIdle()
    {
        tile.Color = kColorIdleTile;
        const bool finished = run.testFinished && link.voltage > kNoBatteryVolts;
        const ModeLook look = finished ? ModeLook{0, KLV_NOOP("Table", "完成"), KLV_TEXT("Tile", "完成")}
                                       : ModeLook{0, KLV_NOOP("Table", "停止"), KLV_TEXT("Tile", "停止")};
        tile.Txt = caption(look.tileWord);
        gridCell(kGridState) = look.word;
        run.testFinished = finished;
    }

    std::string caption(Text word) const
    {
        return channelName(dev.busAddress, channelOfSlot(slot)) + "  " + screenText(word);
    }

    void update()
    {
        tile.vol = voltageText(link.voltage, dev.voltageScale);
        snapCurrent();
        tile.cur = currentText(link.current, dev.readingCurrentScale);
        checkVoltage();
        checkCurrent();
        const float capacity = link.capacity + link.capacityWrap;
        const float energy = link.energy + run.energyOffset;
        if (!run.voltageError && !dev.offline) {
            tile.cap = amountText(capacity);
            tile.Wh = amountText(energy);
        } else {
            tile.cap = screenText(dev.offline ? KLV_TEXT("Tile", "通讯") : KLV_TEXT("Tile", "电压"));
            tile.Wh = screenText(KLV_TEXT("Tile", "出错"));
        }
        gridCell(kGridVoltage) = tile.vol;
        gridCell(kGridCurrent) = tile.cur;
        if (run.busy)
            showBusy(capacity, energy);
        else
            showIdle();
        // The unit has not confirmed a stop: the tile says so until it does.
        if (link.stopUnconfirmed)
            tile.Txt = caption(KLV_TEXT("Tile", "停止未确认"));
        else if (station.link.portLost)
            tile.Txt = caption(KLV_TEXT("Tile", "端口断开"));
        else if (dev.missing)
            tile.Txt = caption(KLV_TEXT("Tile", "设备未应答"));
    }
};

}  // namespace

void displayUpdate(Station& station, int slot)
{
    try {
        View(station, slot).update();
    } catch (const std::exception& e) {
        klvLog(station, "ErrShowData(" + std::to_string(slot) + ")", e.what());
    }
}

}  // namespace klv
