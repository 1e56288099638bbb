#pragma once

#include <functional>
#include <string>

#include "link/registry.h"
#include "platform/clock.h"
#include "platform/event_pump.h"
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
    Station(std::string programFolder, SerialPort& serial, Clock& clk, EventPump& events)
            : home(std::move(programFolder)), port(serial), clock(clk), pump(events)
    {
    }

    std::string home;  // program folder: klv.ini, Data, Log and the backups
    SerialPort& port;
    Clock& clock;
    EventPump& pump;

    LinkTables link;
    ProgramTables program;
    RunTables run;
    UiTables ui;

    // Live-data handling's record step for a slot, called from the answer decoder.
    std::function<void(int slot)> onLiveData;
    // Where saved data files are written when the station runs with a window or headless:
    // off the polling thread. Without one they are written at once.
    SaveQueue* saveQueue = nullptr;
    // The lab database's store when the station runs with --lab; without one nothing is sent.
    LabFeed* lab = nullptr;
};

}  // namespace klv
