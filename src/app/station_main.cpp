#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/batch_commands.h"
#include "app/begin_tests.h"
#include "app/headless.h"
#include "app/lab_link.h"
#include "app/station_options.h"
#include "data/save_queue.h"
#include "link/port_map.h"
#include "platform/ini_file.h"
#include "platform/message_box.h"
#include "platform/qt_dialogs.h"
#include "platform/qt_serial_port.h"
#include "station.h"
#include "ui/link_thread.h"
#include "ui/station_window.h"
#include "ui/translations.h"
#include "ui/window_snapshot.h"
#include "view/language.h"

namespace {

// The program folder: as given; else beside the executable when it can be written (a copy
// unpacked somewhere, not an installed one: root could write /usr/bin); else the user's
// application data folder. Empty when it cannot be made or written.
std::string programFolder(const std::string& given)
{
    QString folder = QString::fromStdString(given);
    if (folder.isEmpty()) {
        const QString beside = QCoreApplication::applicationDirPath();
        const bool installed = beside.startsWith(QStringLiteral("/usr/"));
        folder = QFileInfo(beside).isWritable() && !installed
                     ? beside
                     : QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    }
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isWritable())
        return {};
    return QDir(folder).absolutePath().toStdString();
}

klv::Language systemLanguage()
{
    return klv::systemLanguage(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

// What the command line asks of the window once it shows: connect, start or continue, save.
void beginFromCommandLine(klv::StationWindow& window, klv::Station& station, const klv::StationOptions& options)
{
    window.setAutoSave(options.autosave);
    if (options.port == 0)
        return;
    window.connectTo(options.port, options.from, options.to, [&window, &station, options](bool connected) {
        if (!connected || (options.program.empty() && !options.resume))
            return;
        std::string error;
        if (!klv::beginTests(station, options, error))
            klv::showMessage(error, klv::MsgIcon::Error);
        window.refreshView();
    });
}

int runWindow(int argc, char** argv, klv::StationOptions options)
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");  // Qt took the system locale; every number text uses a point
    app.setApplicationName(QStringLiteral("klv-station"));
    klv::installQtDialogs();
    options.home = programFolder(options.home);
    klv::IniFile ini(options.home + "/klv.ini");
    // Qt's own buttons and dialogs follow the station's language.
    const std::string iniLang = options.home.empty() ? "" : ini.read("DISP", "Lang", "");
    klv::Translations texts(klv::chooseLanguage(options.lang, iniLang, systemLanguage()));
    texts.install();
    if (options.home.empty()) {
        klv::showMessage(QT_TRANSLATE_NOOP("Message", "程序文件夹无法创建或写入，请用 --home 指定一个可写的文件夹。"),
                         klv::MsgIcon::Error);
        return 1;
    }
    const klv::QtSerialPort::Resolver ports = [&ini](int n) { return klv::portPath(ini, n, klv::systemSerialPorts()); };
    klv::SystemClock clock;
    // Data files are written off the polling thread; whatever is still waiting is written before the end.
    klv::SaveQueue saves;
    // This thread holds the tables, the window, the run tick and live data; the link thread the port.
    klv::Station station(options.home, clock);
    station.saveQueue = &saves;
    klv::LinkThread link(ports, clock);
    klv::QtSerialPort searchPort(ports);
    const auto lab = klv::openLab(station, options);
    klv::StationWindow window(station, link, searchPort);
    if (lab)
        klv::showLabInStatusBar(window, *lab);
    window.show();
    std::unique_ptr<klv::WindowSnapshot> snapshot;
    QTimer::singleShot(0, &window, [&] {
        beginFromCommandLine(window, station, options);
        if (!options.snapshot.empty()) {
            snapshot =
                std::make_unique<klv::WindowSnapshot>(&window, QString::fromStdString(options.snapshot), options.every);
            snapshot->write();
        }
    });
    return app.exec();
}

}  // namespace

int main(int argc, char** argv)
{
    klv::StationOptions options;
    std::string message;
    const std::vector<std::string> args(argv + 1, argv + argc);
    // klv.ini is not known before the options are read: --help follows --lang and the system.
    const klv::Translations helpTexts(klv::chooseLanguage(klv::languageArgument(args), "", systemLanguage()));
    switch (klv::parseStationOptions(args, options, message, helpTexts.own())) {
    case klv::ParseOutcome::Exit:
        std::printf("%s\n", message.c_str());
        return 0;
    case klv::ParseOutcome::Error:
        std::fprintf(stderr, "%s\n", message.c_str());
        return 64;  // a usage error
    case klv::ParseOutcome::Run:
        break;
    }
    if (!options.exportSteps.empty())
        return klv::runExportSteps(options.exportSteps, options.target);
    if (!options.picture.empty())
        return klv::runPicture(options.picture, options.target, options.view);
    if (!options.exportBdf.empty())
        return klv::runExportBdf(options.exportBdf, options.target);
    if (!options.exportCycles.empty())
        return klv::runExportCycles(options.exportCycles, options.outFolder);
    // The process list shows the arguments: a password in the lab URL becomes "***" there.
    klv::lab::hidePasswordInArguments(argc, argv, options.labUrl);
    if (!options.headless) {
        if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
            qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            std::fprintf(stderr, "no display: run the window on a desktop, or use --headless --port N\n");
            return 1;
        }
        return runWindow(argc, argv, options);
    }
    QCoreApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    options.home = programFolder(options.home);
    if (options.home.empty()) {
        std::fprintf(stderr, "the program folder cannot be made or written; give a writable one with --home\n");
        return 1;
    }
    return klv::runHeadless(options);
}
