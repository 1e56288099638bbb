#include "sim/sim_bus.h"

#include <algorithm>
#include <stdexcept>

namespace klv::sim {

SimUnit& SimBus::addUnit(int address, int modelCode, Presence presence)
{
    if (units_.size() == kMaxUnits)
        throw std::invalid_argument("a bus holds at most six units");
    if (unit(address))
        throw std::invalid_argument("bus address " + std::to_string(address) + " is taken");
    return units_.emplace_back(address, modelCode, presence);
}

SimUnit* SimBus::unit(int address)
{
    auto it = std::find_if(units_.begin(), units_.end(), [&](const SimUnit& u) { return u.address() == address; });
    return it == units_.end() ? nullptr : &*it;
}

void SimBus::follow(std::uint32_t clockMs)
{
    if (lastClockMs_)
        elapse(static_cast<std::uint32_t>(clockMs - *lastClockMs_));  // modulo 2^32: the wrap is harmless
    lastClockMs_ = clockMs;
}

void SimBus::elapse(std::uint64_t ms)
{
    elapsedMs_ += ms;
    pendingSimulatedMs_ += static_cast<double>(ms) * speed_;
    const double stepMs = stepSeconds_ * 1000;
    for (; pendingSimulatedMs_ >= stepMs; pendingSimulatedMs_ -= stepMs)
        for (SimUnit& u : units_)
            u.tick(stepSeconds_);
}

std::optional<SimReply> SimBus::handle(const Bytes& request)
{
    if (request.size() < 2)
        return std::nullopt;
    SimUnit* u = unit(request[1]);
    if (!u)
        return std::nullopt;
    const SimFaults& f = u->faults;
    if (f.silent || (f.silentAfterMs && elapsedMs_ >= *f.silentAfterMs))
        return std::nullopt;
    std::optional<Bytes> answer = u->answer(request);
    if (!answer)
        return std::nullopt;
    Bytes& b = *answer;
    if (f.badChecksum)
        b[b.size() - 2] = static_cast<std::uint8_t>((b[b.size() - 2] + 1) % 240);
    b.resize(b.size() - std::min(b.size(), static_cast<size_t>(std::max(f.shortBy, 0))));
    b.insert(b.end(), static_cast<size_t>(std::max(f.surplusBytes, 0)), 0x00);
    return SimReply{std::move(b), f.lateMs};
}

}  // namespace klv::sim
