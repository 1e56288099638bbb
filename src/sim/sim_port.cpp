#include "sim/sim_port.h"

namespace klv::sim {

SimPort::SimPort(SimBus& bus, Clock& clock) : bus_(bus), clock_(clock) { bus_.follow(clock_.milliseconds()); }

std::uint64_t SimPort::nowUs()
{
    bus_.follow(clock_.milliseconds());
    return bus_.elapsedMs() * 1000;
}

bool SimPort::open(int portNumber)
{
    if (isOpen() || !available_.contains(portNumber))
        return false;
    openPort_ = portNumber;
    return true;
}

void SimPort::close()
{
    openPort_ = 0;
    input_.clear();
}

int SimPort::bytesWaiting() { return isOpen() ? input_.dueCount(nowUs()) : 0; }

void SimPort::discardInput() { input_.takeDue(nowUs()); }

Bytes SimPort::readAll() { return isOpen() ? input_.takeDue(nowUs()) : Bytes{}; }

void SimPort::write(const Bytes& bytes)
{
    if (!isOpen())
        return;
    std::uint64_t writeUs = nowUs();
    if (auto reply = bus_.handle(bytes))
        input_.schedule(reply->bytes, writeUs, bytes.size(), reply->delayMs, lineTiming_);
    if (afterWrite)
        afterWrite(bytes);
}

void SimPort::setPortAvailable(int portNumber, bool available)
{
    if (available)
        available_.insert(portNumber);
    else
        available_.erase(portNumber);
}

}  // namespace klv::sim
