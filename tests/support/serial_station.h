#pragma once

#include <QStringList>
#include <string>

#include "link/port_map.h"
#include "platform/ini_file.h"
#include "platform/qt_event_pump.h"
#include "platform/qt_serial_port.h"
#include "platform/text_file.h"
#include "station.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"

// A station in a fresh program folder on the real serial stack: QSerialPort to klv-sim on a
// pseudo-terminal that klv.ini maps to COM1.
struct SerialStation {
    explicit SerialStation(const QStringList& simArgs) : sim(link, simArgs)
    {
        klv::makeFolder(home.path() + "/Log");
        writeBenchIni(home.path(), link);
    }

    TempFolder home;
    std::string link = home.path() + "/tty";
    SimProcess sim;
    klv::IniFile ini{home.path() + "/klv.ini"};
    klv::QtSerialPort port{[this](int n) { return klv::portPath(ini, n, klv::systemSerialPorts()); }};
    klv::QtEventPump pump{port};
    klv::SystemClock clock;
    klv::Station station{home.path(), port, clock, pump};
};
