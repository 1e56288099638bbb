#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace klv {

using Bytes = std::vector<std::uint8_t>;

// The station's one serial line: opened by port number (1..20) at 9600 baud,
// even parity, 8 data bits, 1 stop bit.
class SerialPort {
public:
    virtual ~SerialPort() = default;
    virtual bool open(int portNumber) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual int bytesWaiting() = 0;
    virtual void discardInput() = 0;
    virtual Bytes readAll() = 0;
    virtual void write(const Bytes& bytes) = 0;
    // Why the last open failed and what to do about it, or why the port was lost, for the log;
    // empty when not known.
    virtual std::string failure() const { return {}; }
    // The port went away on its own since it was opened (an adapter pulled, the line hung up):
    // it is closed, and stays lost until it is opened again.
    virtual bool lost() const { return false; }
};

}  // namespace klv
