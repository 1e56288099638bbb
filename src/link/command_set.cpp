#include "link/command_set.h"

#include <string>

#include "common/logs.h"
#include "link/frame.h"
#include "station.h"

namespace klv {

namespace {

constexpr int kStatusAnswerBytes = 10;
constexpr int kEchoAnswerBytes = 2;
constexpr float kCapacityWrap = 119.304f;
constexpr int kStopConfirmTicks = 5;

void appendPair(Bytes& out, int n)
{
    auto [high, low] = encodePair(n);
    out.push_back(high);
    out.push_back(low);
}

std::uint8_t startModeByte(int startMode)
{
    if (startMode == kModeDischarge)
        return 16;
    if (startMode == kModeCharge)
        return 17;
    return 18;
}

// The start entry, or nothing when a set value cannot travel as a pair.
std::optional<Bytes> startEntry(const SlotLink& slot, int setCurrentScale)
{
    auto current = scaleSetValue(slot.startCurrent, setCurrentScale);
    auto voltage = scaleSetValue(slot.startVoltage, 100);
    auto endCurrent = scaleSetValue(slot.startEndCurrent, setCurrentScale);
    if (!current || !voltage || !endCurrent)
        return std::nullopt;
    Bytes entry{kCmdStart, startModeByte(slot.startMode)};
    appendPair(entry, *current);
    appendPair(entry, *voltage);
    appendPair(entry, *endCurrent);
    return entry;
}

std::optional<Bytes> calibrationEntry(const SlotLink& slot)
{
    if (slot.calibrationValue < 0 || slot.calibrationValue > kPairMax || slot.calibrationItem < 0 ||
        slot.calibrationItem > 239)
        return std::nullopt;
    Bytes entry{kCmdCalibration, static_cast<std::uint8_t>(slot.calibrationItem)};
    appendPair(entry, slot.calibrationValue);
    return entry;
}

void clearStop(SlotLink& link)
{
    link.stopPending = link.stopUnconfirmed = false;
    link.stopSends = 0;
}

// A pending stop's next frame: after five ticks without a confirmation the klv log says it once.
int pendingStop(Station& station, int slot)
{
    SlotLink& link = station.link.slots[slot];
    if (++link.stopSends == kStopConfirmTicks + 1) {
        link.stopUnconfirmed = true;
        klvLog(station, "ErrTmrComm(" + slotTag(slot) + ") stop unconfirmed");
    }
    return kQueueStop;
}

int pairAt(const Bytes& b, size_t p) { return decodePair(b[p], b[p + 1]); }

// Only devices 0..5 own channel slots; the device table's spare entry 6 would reach past
// the end of the slot tables.
const DeviceEntry& deviceWithSlots(const Station& station, int device)
{
    if (device < 0 || device >= kMaxDevices)
        throw std::out_of_range("channel frame: device index " + std::to_string(device));
    return station.link.devices[device];
}

}  // namespace

Bytes identityRequest(int address)
{
    return buildFrame(static_cast<std::uint8_t>(address), kFrameIdentity, {kCmdIdentity});
}

std::optional<Identity> decodeIdentity(const Bytes& answer)
{
    if (answer.size() < 15)
        return std::nullopt;
    Identity id;
    id.modelCode = answer[5];
    id.secondIdentity = answer[6];
    for (size_t n = 0; n < 8; ++n)
        id.present[n] = answer[7 + n] == 1;
    return id;
}

void AddCmd(Station& station, int slot, int queueCode)
{
    if (slot < 0 || slot >= kSlotTableSize)
        throw std::out_of_range("AddCmd: channel slot " + std::to_string(slot));
    SlotLink& link = station.link.slots[slot];
    link.command = queueCode;
    if (queueCode == kQueueStop && !link.stopPending) {
        link.stopPending = true;
        link.stopSends = 0;
        link.runningAtLoss = false;  // the station's own stop, not one the unit made in a gap
    } else if (queueCode == kQueueStart) {
        clearStop(link);
    }
}

void resetSlot(Station& station, int slot) { AddCmd(station, slot, kQueueNothing); }

ChannelFrame buildChannelFrame(Station& station, int device)
{
    const DeviceEntry& dev = deviceWithSlots(station, device);
    Bytes payload;
    int expected = 6;
    int statusEntries = 0;
    for (int n = 0; n < kChannelsPerDevice; ++n) {
        SlotLink& slot = station.link.slots[slotOf(device, n)];
        int code = slot.command;
        if (slot.stopPending && (code == kQueueNothing || code == kQueueStop))
            code = pendingStop(station, slotOf(device, n));
        std::optional<Bytes> entry;
        if (code == kQueueStart || code == kQueueCalibration) {
            entry = code == kQueueStart ? startEntry(slot, dev.setCurrentScale) : calibrationEntry(slot);
            if (!entry) {
                // A value the pair cannot carry is never sent; the channel is polled instead.
                klvLog(station,
                       "ErrTmrComm(" + std::to_string(device) + "-" + std::to_string(n) + ") set value out of range");
                code = kQueueNothing;
            }
        }
        switch (code) {
        case kQueueNothing:
            payload.push_back(kCmdStatus);
            expected += kStatusAnswerBytes;
            ++statusEntries;
            break;
        case kQueueStart:
            payload.insert(payload.end(), entry->begin(), entry->end());
            expected += kEchoAnswerBytes;
            break;
        case kQueueCalibration:
            payload.insert(payload.end(), entry->begin(), entry->end());
            break;
        case kQueueStop:
            payload.push_back(kCmdStop);
            payload.push_back(0x00);
            expected += kEchoAnswerBytes;
            break;
        default:
            break;  // no entry for this channel
        }
        slot.command = kQueueNothing;
    }
    return {buildFrame(static_cast<std::uint8_t>(dev.busAddress), kFrameChannel, payload), expected,
            statusEntries == kChannelsPerDevice};
}

void decodeChannelAnswer(Station& station, int device, const Bytes& b)
{
    const DeviceEntry& dev = deviceWithSlots(station, device);
    size_t p = 4;
    for (int n = 0; n < kChannelsPerDevice; ++n) {
        const int s = slotOf(device, n);
        SlotLink& slot = station.link.slots[s];
        if (p >= b.size())
            return;
        const std::uint8_t code = b[p];
        const size_t length = code == kCmdStatus ? kStatusAnswerBytes : kEchoAnswerBytes;
        bool known = code == kCmdStatus || code == kCmdStart || code == kCmdStop || code == kCmdCalibration;
        // An unknown entry, or one cut short, leaves this and every later channel alone.
        if (!known || p + length > b.size())
            return;
        if (code == kCmdStart && b[p + 1] == 1)
            slot.running = true;
        else if (code == kCmdStop && b[p + 1] == 1) {
            slot.running = false;
            clearStop(slot);
        } else if (code == kCmdStatus) {
            slot.running = b[p + 1] == 1;
            if (!slot.running)
                clearStop(slot);
            if (station.run.slots[s].stepSeconds >= 1 || !slot.running) {
                auto current = decodeCurrent(pairAt(b, p + 2), dev.readingCurrentScale);
                if (!current)
                    throw AnswerFailure("current reading overflow");
                slot.current = *current;
                slot.voltage = decodeTwoRange(pairAt(b, p + 4));
            }
            float q = decodeThreeRange(pairAt(b, p + 6));
            if (q + 100 < slot.capacity)
                slot.capacityWrap += kCapacityWrap;
            slot.capacity = q;
            slot.energy = decodeThreeRange(pairAt(b, p + 8));
        }
        p += length;
        bool notify = (code == kCmdStatus && station.link.pollToggle == 0) || code == kCmdStop;
        if (notify && station.onLiveData)
            station.onLiveData(s);
    }
}

}  // namespace klv
