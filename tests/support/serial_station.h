#pragma once

#include <QStringList>
#include <string>

#include "link/port_map.h"
#include "platform/ini_file.h"
#include "platform/qt_port_wait.h"
#include "platform/qt_serial_port.h"
#include "platform/text_file.h"
#include "station.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"
#include "ui/link_thread.h"

// klv-sim on a pseudo-terminal that the klv.ini of a fresh program folder maps to COM1.
struct SerialBench {
    explicit SerialBench(const QStringList& simArgs) : sim(link, simArgs)
    {
        klv::makeFolder(home.path() + "/Log");
        writeBenchIni(home.path(), link);
    }

    TempFolder home;
    std::string link = home.path() + "/tty";
    SimProcess sim;
    klv::IniFile ini{home.path() + "/klv.ini"};
    klv::QtSerialPort::Resolver ports = [this](int n) { return klv::portPath(ini, n, klv::systemSerialPorts()); };
    klv::SystemClock clock;
};

// A station on the real serial stack whose waits run where it is asked: QSerialPort on the
// test's own thread.
struct SerialStation : SerialBench {
    using SerialBench::SerialBench;
    klv::QtSerialPort port{ports};
    klv::QtPortWait pump{port};
    klv::Station station{home.path(), port, clock, pump};
};

// A station as the program has it: the tables on the test's thread, QSerialPort on the link
// thread.
struct LinkedStation : SerialBench {
    using SerialBench::SerialBench;
    klv::Station station{home.path(), clock};
    klv::LinkThread linkThread{ports, clock};
    klv::QtSerialPort searchPort{ports};
};
