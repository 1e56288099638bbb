#include "app/station_options.h"

#include <QCommandLineParser>
#include <QTranslator>

#include "common/brand.h"
#include "link/port_map.h"
#include "version.h"
#include "view/language.h"

namespace klv {

namespace {

struct Parser {
    // The chosen language's texts; the options are read before the application object that
    // would hold them exists.
    const QTranslator* texts;
    QString t(const char* source, const char* context = "StationOptions") const
    {
        const QString translated = texts ? texts->translate(context, source) : QString();
        return translated.isEmpty() ? QString::fromUtf8(source) : translated;
    }

    QCommandLineParser qt;
    QCommandLineOption headless{
        "headless",
        t(QT_TRANSLATE_NOOP("StationOptions", "Run without a window: connect, print readings or run tests."))};
    QCommandLineOption home{
        "home", t(QT_TRANSLATE_NOOP("StationOptions", "The program folder (klv.ini, Data, Log, backups).")), "DIR"};
    QCommandLineOption port{"port", t(QT_TRANSLATE_NOOP("StationOptions", "Connect at start to port COM<N> (1..20).")),
                            "N"};
    QCommandLineOption from{"from", t(QT_TRANSLATE_NOOP("StationOptions", "First device number to scan (1..6).")), "A",
                            "1"};
    QCommandLineOption to{"to", t(QT_TRANSLATE_NOOP("StationOptions", "Last device number to scan (1..6).")), "B", "6"};
    QCommandLineOption seconds{
        "seconds", t(QT_TRANSLATE_NOOP("StationOptions", "Headless: stop monitoring after S seconds.")), "S"};
    QCommandLineOption program{
        "program", t(QT_TRANSLATE_NOOP("StationOptions", "Apply this step file to --channels and start them.")),
        "FILE.stp"};
    QCommandLineOption channels{
        "channels",
        t(QT_TRANSLATE_NOOP("StationOptions", "Channels for --program: all, or a list such as 1-1,1-2,2-3.")), "LIST",
        "all"};
    QCommandLineOption resume{
        "continue",
        t(QT_TRANSLATE_NOOP("StationOptions", "Continue these channels from their backups: all, or a list.")), "LIST"};
    QCommandLineOption cell{
        "cell",
        t(QT_TRANSLATE_NOOP("StationOptions",
                            "The cell the tests started on LIST run on: its ID (1 to 64 characters) and, optionally, "
                            "its nominal capacity in Ah, e.g. 1-1=B2412-007:2.5. Repeatable.")),
        "LIST=ID[:NOMINAL]"};
    QCommandLineOption autosave{
        "autosave", t(QT_TRANSLATE_NOOP("StationOptions", "Tick \"自动保存\": save every finished test to Data."))};
    QCommandLineOption snapshot{
        "snapshot", t(QT_TRANSLATE_NOOP("StationOptions", "Write a picture of the main window to FILE.png.")),
        "FILE.png"};
    QCommandLineOption every{
        "every", t(QT_TRANSLATE_NOOP("StationOptions", "With --snapshot: write the picture again every S seconds.")),
        "S"};
    QCommandLineOption exportSteps{
        "export-steps",
        t(QT_TRANSLATE_NOOP("StationOptions", "Write the step CSVs of FILE.dat to BASE-*.csv, then exit.")),
        "FILE.dat BASE"};
    QCommandLineOption picture{
        "picture",
        t(QT_TRANSLATE_NOOP("StationOptions", "Draw a view of FILE.dat into OUT.png or OUT.bmp, then exit.")),
        "FILE.dat OUT"};
    QCommandLineOption view{
        "view",
        t(QT_TRANSLATE_NOOP(
            "StationOptions",
            "With --picture: the view to draw (default 全部-时间; 容量-循环 the capacity of every cycle).")),
        "NAME"};
    QCommandLineOption exportBdf{
        "export-bdf",
        t(QT_TRANSLATE_NOOP("StationOptions", "Write FILE.dat as a Battery Data Format CSV to OUT.csv, then exit.")),
        "FILE.dat OUT.csv"};
    QCommandLineOption exportCycles{
        "export-cycles",
        t(QT_TRANSLATE_NOOP("StationOptions",
                            "Write the cycle table of each FILE.dat to BASE.cycles.csv beside it, then exit."))};
    QCommandLineOption out{
        "out", t(QT_TRANSLATE_NOOP("StationOptions", "With --export-cycles: write the tables into this folder.")),
        "DIR"};
    QCommandLineOption lab{
        "lab",
        t(QT_TRANSLATE_NOOP("StationOptions", "Also write every test to this lab PostgreSQL database (a libpq URI).")),
        "URL"};
    QCommandLineOption stationName{
        "station",
        t(QT_TRANSLATE_NOOP("StationOptions", "The bench's name in the lab database (default: host-folder).")), "NAME"};
    QCommandLineOption lang{
        "lang",
        t(QT_TRANSLATE_NOOP("StationOptions",
                            "The language of the window: zh or en (default: klv.ini, then the system's).")),
        "LANG"};
    QCommandLineOption help{{"h", "help"}, t(QT_TRANSLATE_NOOP("StationOptions", "Show this help."))};
    QCommandLineOption version{{"v", "version"}, t(QT_TRANSLATE_NOOP("StationOptions", "Show the version."))};

    explicit Parser(const QTranslator* translator) : texts(translator)
    {
        qt.setApplicationDescription(
            t(QT_TRANSLATE_NOOP("StationOptions", "[Cellward] %1: the station for a bench of battery test units."))
                .arg(t(kAppTitle, "Brand")));
        qt.addOptions({headless,  home,         port,     from,     to,          seconds,     program, channels,
                       cell,      resume,       autosave, snapshot, every,       exportSteps, picture, view,
                       exportBdf, exportCycles, out,      lab,      stationName, lang,        help,    version});
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

ParseOutcome parseStationOptions(const std::vector<std::string>& args, StationOptions& o, std::string& message,
                                 const QTranslator* texts)
{
    Parser p(texts);
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
    for (const QString& value : p.qt.values(p.cell)) {
        const std::string text = value.toStdString();
        const size_t equals = text.find('=');
        const auto list = parseChannelList(text.substr(0, equals));
        if (equals == std::string::npos || !list)
            return fail("--cell LIST=ID[:NOMINAL]");
        std::string why;
        const auto named = parseCell(text.substr(equals + 1), why);
        if (!named) {
            message = "--cell " + text + ": " + why;
            return ParseOutcome::Error;
        }
        o.cells.push_back({*list, *named});
    }
    if (p.qt.isSet(p.resume)) {
        o.resume = parseChannelList(p.qt.value(p.resume).toStdString());
        if (!o.resume)
            return fail("--continue");
    }
    o.exportSteps = p.qt.value(p.exportSteps).toStdString();
    o.picture = p.qt.value(p.picture).toStdString();
    o.view = p.qt.value(p.view).toStdString();
    o.lang = p.qt.value(p.lang).toStdString();
    if (!o.lang.empty() && !languageNamed(o.lang))
        return fail("--lang");
    o.exportBdf = p.qt.value(p.exportBdf).toStdString();
    o.labUrl = p.qt.value(p.lab).toStdString();
    o.stationName = p.qt.value(p.stationName).toStdString();
    o.outFolder = p.qt.value(p.out).toStdString();
    const QStringList rest = p.qt.positionalArguments();
    if (p.qt.isSet(p.exportCycles)) {
        if (rest.isEmpty() || !o.exportSteps.empty() || !o.picture.empty() || !o.exportBdf.empty())
            return fail("--export-cycles FILE.dat... [--out DIR]");
        for (const QString& file : rest)
            o.exportCycles.push_back(file.toStdString());
        return ParseOutcome::Run;
    }
    if (p.qt.isSet(p.out))
        return fail("--out (only with --export-cycles)");
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
