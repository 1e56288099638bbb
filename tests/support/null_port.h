#pragma once

#include "platform/serial_port.h"

// A port with nothing behind it, for stations whose tables are driven by hand (benchmarks,
// fuzz targets): it never opens and never answers.
class NullPort : public klv::SerialPort {
public:
    bool open(int) override { return false; }
    void close() override {}
    bool isOpen() const override { return false; }
    int bytesWaiting() override { return 0; }
    void discardInput() override {}
    klv::Bytes readAll() override { return {}; }
    void write(const klv::Bytes&) override {}
};
