#pragma once

#include <cstdint>
#include <functional>

#include "platform/clock.h"
#include "platform/serial_port.h"

// A port whose answer to the next write is set by the test: these bytes,
// complete this many virtual milliseconds after the write.
class ScriptedPort : public klv::SerialPort {
public:
    explicit ScriptedPort(klv::Clock& clock) : clock_(clock) {}

    void answerNextWrite(klv::Bytes bytes, std::uint32_t afterMs)
    {
        script_ = std::move(bytes);
        delayMs_ = afterMs;
    }
    std::function<void()> afterWrite;
    klv::Bytes lastWritten;
    int writes = 0;

    bool open(int) override { return open_ = true; }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    int bytesWaiting() override { return due() ? static_cast<int>(pending_.size()) : 0; }
    void discardInput() override { pending_.clear(); }
    klv::Bytes readAll() override
    {
        klv::Bytes out = due() ? pending_ : klv::Bytes{};
        pending_.clear();
        return out;
    }
    void write(const klv::Bytes& bytes) override
    {
        lastWritten = bytes;
        ++writes;
        pending_ = std::move(script_);
        script_.clear();
        writtenAt_ = clock_.milliseconds();
        if (afterWrite)
            afterWrite();
    }

private:
    bool due() { return clock_.milliseconds() - writtenAt_ >= delayMs_; }
    klv::Clock& clock_;
    bool open_ = false;
    klv::Bytes script_, pending_;
    std::uint32_t delayMs_ = 0, writtenAt_ = 0;
};
