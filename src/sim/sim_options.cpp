#include "sim/sim_options.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdio>
#include <stdexcept>
#include <string_view>

#include "link/frame.h"

namespace klv::sim {

const char* const kSimUsage =
    "usage: klv-sim --link PATH [--unit ADDR:MODEL[:PRESENCE]]... [--speed FACTOR]\n"
    "               [--line-timing] [--fault ADDR:KIND[=VALUE]]... [--unplug AT:FOR]\n"
    "  --link PATH      link the bench's terminal at PATH; its own path is printed\n"
    "  --unit ...       a unit at bus address ADDR (0..5) of model code MODEL; PRESENCE\n"
    "                   is eight digits 0/1 for channels 0..7 (default all present).\n"
    "                   Without --unit: 0:20 and 1:22\n"
    "  --speed FACTOR   a bench FACTOR times quicker (default 1): its cells hold 1/FACTOR\n"
    "                   of their charge, so they empty and fill FACTOR times sooner at the\n"
    "                   same current along the same voltage curve, while the units count\n"
    "                   capacity and energy of the real current over real time\n"
    "  --line-timing    pace the answers at 9600 baud, 11 bits a byte\n"
    "  --fault ...      trouble from the unit at ADDR; KIND is one of silent,\n"
    "                   silent-after=SECONDS, short=BYTES, checksum, surplus=BYTES,\n"
    "                   late=MS, runaway=CHANNEL, stop-early=SECONDS\n"
    "  --unplug AT:FOR  the adapter pulled AT seconds after the start: the terminal closes\n"
    "                   and its link goes; FOR seconds later a new terminal is linked at\n"
    "                   the same path, the units having run on through the gap\n"
    "It prints its terminal's path, then a line for each calibration write a unit takes.\n";

namespace {
[[noreturn]] void fail(const std::string& message) { throw std::invalid_argument(message); }

template <typename Number>
Number parseNumber(std::string_view text, Number lo, Number hi, const std::string& what)
{
    Number x{};
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), x);
    if (ec != std::errc{} || end != text.data() + text.size() || x < lo || x > hi)
        fail(what + " out of range or not a number: '" + std::string(text) + "'");
    return x;
}

int parseAddress(std::string_view text) { return parseNumber(text, 0, 5, "bus address"); }

UnitOption parseUnit(std::string_view text)
{
    UnitOption u;
    auto first = text.find(':');
    if (first == std::string_view::npos)
        fail("--unit takes ADDR:MODEL[:PRESENCE]: '" + std::string(text) + "'");
    u.address = parseAddress(text.substr(0, first));
    std::string_view rest = text.substr(first + 1);
    auto second = rest.find(':');
    u.modelCode = parseNumber(rest.substr(0, second), 0, 239, "model code");
    if (second != std::string_view::npos) {
        std::string_view presence = rest.substr(second + 1);
        if (presence.size() != u.presence.size() || presence.find_first_not_of("01") != std::string_view::npos)
            fail("PRESENCE is eight digits 0 or 1: '" + std::string(presence) + "'");
        for (size_t n = 0; n < presence.size(); ++n)
            u.presence[n] = presence[n] == '1';
    }
    return u;
}

void parseFault(std::string_view text, std::map<int, SimFaults>& faults)
{
    auto colon = text.find(':');
    if (colon == std::string_view::npos)
        fail("--fault takes ADDR:KIND[=VALUE]: '" + std::string(text) + "'");
    SimFaults& f = faults[parseAddress(text.substr(0, colon))];
    std::string_view kind = text.substr(colon + 1);
    std::string_view value;
    bool hasValue = false;
    if (auto eq = kind.find('='); eq != std::string_view::npos) {
        value = kind.substr(eq + 1);
        kind = kind.substr(0, eq);
        hasValue = true;
    }
    std::string name(kind);
    bool flag = name == "silent" || name == "checksum";
    if (flag == hasValue)
        fail(flag ? "fault " + name + " takes no value" : "fault " + name + " needs a value");
    if (name == "silent")
        f.silent = true;
    else if (name == "checksum")
        f.badChecksum = true;
    else if (name == "silent-after")
        f.silentAfterMs = static_cast<std::uint64_t>(parseNumber(value, 0.001, 1e9, name) * 1000);
    else if (name == "short")
        f.shortBy = parseNumber(value, 1, 255, name);
    else if (name == "surplus")
        f.surplusBytes = parseNumber(value, 1, 255, name);
    else if (name == "late")
        f.lateMs = parseNumber(value, 1u, 600'000u, name);
    else if (name == "runaway")
        f.runawayChannel = parseNumber(value, 0, kChannelsPerDevice - 1, name);
    else if (name == "stop-early")
        f.stopAfterSeconds = parseNumber(value, 1, INT_MAX, name);
    else
        fail("unknown fault '" + name + "'");
}

Unplug parseUnplug(std::string_view text)
{
    auto colon = text.find(':');
    if (colon == std::string_view::npos)
        fail("--unplug takes AT:FOR: '" + std::string(text) + "'");
    return {parseNumber(text.substr(0, colon), 0.0, 1e6, "unplug time"),
            parseNumber(text.substr(colon + 1), 0.001, 1e6, "unplug duration")};
}
}  // namespace

SimOptions parseSimOptions(const std::vector<std::string>& args)
{
    SimOptions o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--line-timing") {
            o.lineTiming = true;
            continue;
        }
        if (a != "--link" && a != "--unit" && a != "--speed" && a != "--fault" && a != "--unplug")
            fail("unknown option " + a);
        if (i + 1 == args.size())
            fail(a + " needs a value");
        const std::string& value = args[++i];
        if (a == "--link")
            o.linkPath = value;
        else if (a == "--unit")
            o.units.push_back(parseUnit(value));
        else if (a == "--speed")
            o.speed = parseNumber(value, 1e-3, 1e6, "speed");
        else if (a == "--unplug")
            o.unplug = parseUnplug(value);
        else
            parseFault(value, o.faults);
    }
    if (o.linkPath.empty())
        fail("--link PATH is required");
    if (o.units.empty())
        o.units = {{0, 20, kAllPresent}, {1, 22, kAllPresent}};
    for (size_t i = 0; i < o.units.size(); ++i)
        for (size_t j = 0; j < i; ++j)
            if (o.units[i].address == o.units[j].address)
                fail("two units at bus address " + std::to_string(o.units[i].address));
    for (const auto& [address, f] : o.faults)
        if (std::none_of(o.units.begin(), o.units.end(), [&](const UnitOption& u) { return u.address == address; }))
            fail("--fault for bus address " + std::to_string(address) + ", where no unit is");
    return o;
}

void setUpBus(SimBus& bus, const SimOptions& options)
{
    // A quicker bench is a smaller one, not a faster clock: the station's clock and the units'
    // counters stay real. The cells keep their resistance, so their voltage against state of
    // charge is unchanged, and they step as finely as a full-size cell steps in a second.
    bus.setStepSeconds(std::min(1.0, 1.0 / options.speed));
    for (const UnitOption& u : options.units) {
        SimUnit& unit = bus.addUnit(u.address, u.modelCode, u.presence);
        // Cells of one batch differ a little, so that capacity screening has something to sort.
        for (int n = 0; n < kChannelsPerDevice; ++n)
            unit.channel(n).cell.capacityAh *= (0.94 + 0.02 * n) / options.speed;
        if (auto f = options.faults.find(u.address); f != options.faults.end())
            unit.faults = f->second;
    }
}

std::string calibrationLine(int address, int channel, const Bytes& entry)
{
    std::string line = "calibration " + channelName(address, channel) + ":";
    char hex[4];
    for (std::uint8_t b : entry) {
        std::snprintf(hex, sizeof hex, " %02X", b);
        line += hex;
    }
    if (entry.size() == 4)
        line += " item " + std::to_string(entry[1]) + " value " + std::to_string(decodePair(entry[2], entry[3]));
    return line;
}

}  // namespace klv::sim
