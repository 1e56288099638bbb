#include "sim/sim_unit.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "link/frame.h"
#include "sim/reading_encode.h"

namespace klv::sim {

namespace {
constexpr std::uint8_t kIdentity = 0x22, kStatus = 0x55, kStart = 0x33, kStop = 0x66, kCalibrate = 0x77;
constexpr double kRunawayVoltsPerSecond = 5.0;
constexpr double kRunawayTop = 240.0;

// Bytes of a request entry by its command byte; 0 for a byte that starts no entry.
size_t entryLength(std::uint8_t code)
{
    switch (code) {
    case kStatus:
        return 1;
    case kStart:
        return 8;
    case kStop:
        return 2;
    case kCalibrate:
        return 4;
    default:
        return 0;
    }
}

bool wellFormed(const Bytes& f)
{
    return f.size() >= 6 && f[0] == kFrameStart && f.size() == f[3] + 6u && f.back() == kFrameEnd &&
           verifyChecksum(f, 4, static_cast<int>(f.size()) - 2);
}

void appendPair(Bytes& out, int n)
{
    auto [high, low] = encodePair(n);
    out.push_back(high);
    out.push_back(low);
}

StartMode modeOf(std::uint8_t modeByte)
{
    switch (modeByte) {
    case 16:
        return kModeDischarge;
    case 17:
        return kModeCharge;
    default:
        return kModeRest;
    }
}
}  // namespace

SimUnit::SimUnit(int address, int modelCode, Presence presence) : address_(address), model_(modelRow(modelCode))
{
    for (size_t n = 0; n < channels_.size(); ++n) {
        channels_[n].present = presence[n];
        channels_[n].cell = cellForModel(model_);
        channels_[n].settle();
    }
}

std::optional<Bytes> SimUnit::answer(const Bytes& request)
{
    if (!wellFormed(request) || request[1] != address_)
        return std::nullopt;
    if (request[2] == kFrameIdentity && request[3] == 1 && request[4] == kIdentity)
        return buildFrame(static_cast<std::uint8_t>(address_), kFrameIdentity, identityPayload());
    if (request[2] == kFrameChannel) {
        if (auto payload = channelPayload(request))
            return buildFrame(static_cast<std::uint8_t>(address_), kFrameChannel, *payload);
    }
    return std::nullopt;
}

Bytes SimUnit::identityPayload() const
{
    Bytes p{kIdentity, static_cast<std::uint8_t>(model_.code), secondIdentity};
    for (const SimChannel& ch : channels_)
        p.push_back(ch.present ? 1 : 0);
    return p;
}

std::optional<Bytes> SimUnit::channelPayload(const Bytes& request)
{
    // Check the whole frame before acting on any entry of it.
    std::vector<const std::uint8_t*> entries;
    const size_t end = request.size() - 2;
    for (size_t p = 4; p < end;) {
        size_t length = entryLength(request[p]);
        if (length == 0 || p + length > end || entries.size() == channels_.size())
            return std::nullopt;
        entries.push_back(&request[p]);
        p += length;
    }
    const bool carriesStop = std::any_of(entries.begin(), entries.end(), [](auto e) { return e[0] == kStop; });
    if (carriesStop && faults.lostStopFrames > 0) {
        --faults.lostStopFrames;
        return std::nullopt;
    }
    Bytes out;
    for (size_t n = 0; n < entries.size(); ++n)
        appendAnswer(static_cast<int>(n), entries[n], out);
    return out;
}

void SimUnit::appendAnswer(int n, const std::uint8_t* entry, Bytes& out)
{
    SimChannel& ch = channel(n);
    switch (entry[0]) {
    case kStatus:
        appendStatus(n, out);
        break;
    case kStart:
        if (ch.present) {
            double scale = model_.setCurrentScale;
            ch.start(modeOf(entry[1]), decodePair(entry[2], entry[3]) / scale, decodePair(entry[4], entry[5]) / 100.0,
                     decodePair(entry[6], entry[7]) / scale);
        }
        out.insert(out.end(), {kStart, static_cast<std::uint8_t>(ch.present ? 1 : 0)});
        break;
    case kStop:
        if (ch.present)
            ch.stop();
        out.insert(out.end(), {kStop, static_cast<std::uint8_t>(ch.present ? 1 : 0)});
        break;
    case kCalibrate:
        // Taken silently: a calibration write has no answer entry.
        if (ch.present) {
            ch.calibrationWrites.push_back({entry[1], decodePair(entry[2], entry[3])});
            if (onCalibration)
                onCalibration(n, Bytes(entry, entry + 4));
        }
        break;
    }
}

void SimUnit::appendStatus(int n, Bytes& out) const
{
    const SimChannel& ch = channel(n);
    out.push_back(kStatus);
    out.push_back(ch.present && ch.running ? 1 : 0);
    if (!ch.present) {
        out.insert(out.end(), 8, 0);
        return;
    }
    appendPair(out, std::clamp<long>(std::lround(ch.current * model_.readingCurrentScale), 0, 32767));
    appendPair(out, encodeTwoRange(voltageReading(n)));
    appendPair(out, encodeThreeRange(std::fmod(ch.capacityAh, kCapacityWrapAh)));
    appendPair(out, encodeThreeRange(ch.energyWh));
}

double SimUnit::voltageReading(int n) const
{
    const SimChannel& ch = channel(n);
    return ch.voltage + (faults.runawayChannel == n ? ch.runawayVolts : 0.0);
}

void SimUnit::tick(double dt)
{
    for (int n = 0; n < kChannelsPerDevice; ++n) {
        SimChannel& ch = channel(n);
        ch.tick(dt);
        if (!ch.running)
            continue;
        if (faults.runawayChannel == n)
            ch.runawayVolts = std::min(ch.runawayVolts + kRunawayVoltsPerSecond * dt, kRunawayTop);
        // Half a step of slack: steps of a fraction of a second do not add up exactly.
        if (faults.stopAfterSeconds && ch.seconds + dt / 2 >= *faults.stopAfterSeconds)
            ch.stop();
    }
}

}  // namespace klv::sim
