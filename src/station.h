#pragma once

#include <functional>
#include <string>

#include "link/registry.h"
#include "platform/clock.h"
#include "platform/port_wait.h"
#include "platform/serial_port.h"
#include "program/program_tables.h"
#include "run/run_tables.h"
#include "view/ui_tables.h"

namespace klv {

class LabFeed;
class SaveQueue;

// The whole station: every table, and the platform pieces the operations use.
// Operations take a Station& and read and write its tables directly.
struct Station {
    // The program's station: its port belongs to the link thread.
    Station(std::string programFolder, Clock& clk) : home(std::move(programFolder)), clock(clk) {}
    // A station whose conversation is carried out where it is asked (tests and benchmarks).
    Station(std::string programFolder, SerialPort& serial, Clock& clk, PortWait& wait)
            : home(std::move(programFolder)), clock(clk), port(&serial), portWait(&wait)
    {
    }

    std::string home;  // program folder: klv.ini, Data, Log and the backups
    Clock& clock;
    // The port and wait of the direct link; null when the link thread owns the port.
    SerialPort* port = nullptr;
    PortWait* portWait = nullptr;

    LinkTables link;
    ProgramTables program;
    RunTables run;
    UiTables ui;

    // Live-data handling's record step for a slot, called from the answer decoder.
    std::function<void(int slot)> onLiveData;
    // Where saved data files are written when the station runs with a window or headless:
    // off the polling thread. Without one they are written at once.
    SaveQueue* saveQueue = nullptr;
    // Told at once, in the operator's language (the window's status bar, headless stderr): a
    // file of a running test that cannot be written, once per failure, and the port lost and back.
    std::function<void(const std::string& line)> tellOperator;
    // The lab database's store when the station runs with --lab; without one nothing is sent.
    LabFeed* lab = nullptr;
};

}  // namespace klv
