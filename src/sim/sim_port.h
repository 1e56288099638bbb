#pragma once

#include <functional>
#include <set>

#include "platform/clock.h"
#include "platform/serial_port.h"
#include "sim/line_queue.h"
#include "sim/sim_bus.h"

namespace klv::sim {

// The station's serial port wired straight to a simulated bus. Every call
// first brings the bus up to the clock, so the cells age as the clock moves.
class SimPort : public SerialPort {
public:
    SimPort(SimBus& bus, Clock& clock);

    bool open(int portNumber) override;
    void close() override;
    bool isOpen() const override { return openPort_ != 0; }
    int bytesWaiting() override;
    void discardInput() override;
    Bytes readAll() override;
    void write(const Bytes& bytes) override;

    // Off: an answer is readable whole as soon as it is written (after any late-answer delay).
    void setLineTiming(bool on) { lineTiming_ = on; }
    // Ports that open; {1} at first. Taking a port away makes open() fail for it.
    void setPortAvailable(int portNumber, bool available);
    int openPort() const { return openPort_; }

    // Runs after each write has reached the bus, with the request written.
    std::function<void(const Bytes& request)> afterWrite;

private:
    std::uint64_t nowUs();

    SimBus& bus_;
    Clock& clock_;
    LineQueue input_;
    std::set<int> available_{1};
    int openPort_ = 0;
    bool lineTiming_ = true;
};

}  // namespace klv::sim
