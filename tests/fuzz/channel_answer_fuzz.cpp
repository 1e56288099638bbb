// The channel answer decoder on any bytes, for any model: it may stop at a current it cannot
// represent, but it never throws anything else, never touches another device's channels and
// leaves only finite readings.
#include <cmath>

#include "fuzz_input.h"
#include "link/command_set.h"
#include "link/registry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    using namespace klv;
    static fuzz::FuzzStation bench;
    Station& station = bench.station;
    if (size < 3)
        return 0;
    // Byte 0: the model code; byte 1: device, poll toggle and whether the step has begun.
    const int device = data[1] % kMaxDevices;
    DeviceEntry& dev = station.link.devices[device];
    dev.modelCode = data[0];
    dev.busAddress = device;
    applyModelRow(dev);
    station.link.slots = {};
    station.link.pollToggle = (data[1] >> 3) & 1;
    for (RunSlot& run : station.run.slots)
        run.stepSeconds = (data[1] >> 4) & 1 ? 5 : 0;
    int notified = 0;
    station.onLiveData = [&](int slot) {
        fuzz::require(slot / kChannelsPerDevice == device, "live data only for the answering device");
        ++notified;
    };

    const Bytes answer(data + 2, data + size);
    try {
        decodeChannelAnswer(station, device, answer);
    } catch (const AnswerFailure&) {
    }
    fuzz::require(notified <= kChannelsPerDevice, "at most one notice a channel");
    for (int s = 0; s < kSlotTableSize; ++s) {
        const SlotLink& slot = station.link.slots[s];
        for (float v : {slot.current, slot.voltage, slot.capacity, slot.energy, slot.capacityWrap})
            fuzz::require(std::isfinite(v) && v >= 0, "finite readings");
        if (s / kChannelsPerDevice != device)
            fuzz::require(slot.current == 0 && slot.capacity == 0 && !slot.running, "other devices untouched");
    }
    return 0;
}
