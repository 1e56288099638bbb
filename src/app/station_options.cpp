#include "app/station_options.h"

#include <QCommandLineParser>

#include "common/brand.h"
#include "link/port_map.h"
#include "version.h"

namespace klv {

namespace {

struct Parser {
    QCommandLineParser qt;
    QCommandLineOption headless{"headless", "Run without a window: connect, print readings or run tests."};
    QCommandLineOption home{"home", "The program folder (klv.ini, Data, Log, backups).", "DIR"};
    QCommandLineOption port{"port", "Connect at start to port COM<N> (1..20).", "N"};
    QCommandLineOption from{"from", "First device number to scan (1..6).", "A", "1"};
    QCommandLineOption to{"to", "Last device number to scan (1..6).", "B", "6"};
    QCommandLineOption seconds{"seconds", "Headless: stop monitoring after S seconds.", "S"};
    QCommandLineOption program{"program", "Apply this step file to --channels and start them.", "FILE.stp"};
    QCommandLineOption channels{"channels", "Channels for --program: all, or a list such as 1-1,1-2,2-3.", "LIST",
                                "all"};
    QCommandLineOption resume{"continue", "Continue these channels from their backups: all, or a list.", "LIST"};
    QCommandLineOption autosave{"autosave", "Tick \"自动保存\": save every finished test to Data."};
    QCommandLineOption snapshot{"snapshot", "Write a picture of the main window to FILE.png.", "FILE.png"};
    QCommandLineOption every{"every", "With --snapshot: write the picture again every S seconds.", "S"};
    QCommandLineOption exportSteps{"export-steps", "Write the step CSVs of FILE.dat to BASE-*.csv, then exit.",
                                   "FILE.dat BASE"};
    QCommandLineOption picture{"picture", "Draw a view of FILE.dat into OUT.png or OUT.bmp, then exit.",
                               "FILE.dat OUT"};
    QCommandLineOption view{"view", "With --picture: the view to draw (default 全部-时间).", "NAME"};
    QCommandLineOption exportBdf{"export-bdf", "Write FILE.dat as a Battery Data Format CSV to OUT.csv, then exit.",
                                 "FILE.dat OUT.csv"};
    QCommandLineOption lab{"lab", "Also write every test to this lab PostgreSQL database (a libpq URI).", "URL"};
    QCommandLineOption stationName{"station", "The bench's name in the lab database (default: host-folder).", "NAME"};
    QCommandLineOption help{{"h", "help"}, "Show this help."};
    QCommandLineOption version{{"v", "version"}, "Show the version."};

    Parser()
    {
        qt.setApplicationDescription(QStringLiteral("[Cellward] %1: the station for a bench of battery test units.")
                                         .arg(QString::fromUtf8(kAppTitle)));
        qt.addOptions({headless, home,  port,        from,    to,   seconds,   program, channels,    resume, autosave,
                       snapshot, every, exportSteps, picture, view, exportBdf, lab,     stationName, help,   version});
    }
};

// The options are read before any application object exists, so the program's name is given.
std::string help(const Parser& p)
{
    return p.qt.helpText().replace(QStringLiteral("<executable_name>"), QStringLiteral("klv-station")).toStdString();
}

// A whole number in [low, high] from an option's text.
bool numberIn(const QString& text, int low, int high, int& out)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < low || v > high)
        return false;
    out = v;
    return true;
}

}  // namespace

ParseOutcome parseStationOptions(const std::vector<std::string>& args, StationOptions& o, std::string& message)
{
    Parser p;
    QStringList list{QStringLiteral("klv-station")};
    for (const auto& a : args)
        list << QString::fromStdString(a);
    if (!p.qt.parse(list)) {
        message = p.qt.errorText().toStdString() + "\n" + help(p);
        return ParseOutcome::Error;
    }
    if (p.qt.isSet(p.help) || p.qt.isSet(p.version)) {
        message = p.qt.isSet(p.help) ? help(p) : std::string("klv-station ") + kVersionText;
        return ParseOutcome::Exit;
    }
    auto fail = [&](const char* what) {
        message = std::string("bad option ") + what + "\n" + help(p);
        return ParseOutcome::Error;
    };
    o.headless = p.qt.isSet(p.headless);
    o.home = p.qt.value(p.home).toStdString();
    o.autosave = p.qt.isSet(p.autosave);
    o.program = p.qt.value(p.program).toStdString();
    o.snapshot = p.qt.value(p.snapshot).toStdString();
    if (p.qt.isSet(p.port) && !numberIn(p.qt.value(p.port), 1, kMaxPortNumber, o.port))
        return fail("--port");
    if (!numberIn(p.qt.value(p.from), 1, 6, o.from) || !numberIn(p.qt.value(p.to), 1, 6, o.to))
        return fail("--from/--to");
    if (p.qt.isSet(p.seconds) && !numberIn(p.qt.value(p.seconds), 0, 1 << 30, o.seconds))
        return fail("--seconds");
    if (p.qt.isSet(p.every) && !numberIn(p.qt.value(p.every), 1, 1 << 20, o.every))
        return fail("--every");
    auto names = parseChannelList(p.qt.value(p.channels).toStdString());
    if (!names)
        return fail("--channels");
    o.channels = *names;
    if (p.qt.isSet(p.resume)) {
        o.resume = parseChannelList(p.qt.value(p.resume).toStdString());
        if (!o.resume)
            return fail("--continue");
    }
    o.exportSteps = p.qt.value(p.exportSteps).toStdString();
    o.picture = p.qt.value(p.picture).toStdString();
    o.view = p.qt.value(p.view).toStdString();
    o.exportBdf = p.qt.value(p.exportBdf).toStdString();
    o.labUrl = p.qt.value(p.lab).toStdString();
    o.stationName = p.qt.value(p.stationName).toStdString();
    const QStringList rest = p.qt.positionalArguments();
    const int batches = !o.exportSteps.empty() + !o.picture.empty() + !o.exportBdf.empty();
    const bool batch = batches > 0;
    if (batch && (rest.size() != 1 || batches > 1))
        return fail("--export-steps FILE.dat BASE, --picture FILE.dat OUT or --export-bdf FILE.dat OUT.csv");
    if (!batch && !rest.isEmpty())
        return fail(rest.front().toUtf8().constData());
    if (batch)
        o.target = rest.front().toStdString();
    if (o.headless && o.port == 0)
        return fail("--port (the headless mode needs a port)");
    return ParseOutcome::Run;
}

}  // namespace klv
