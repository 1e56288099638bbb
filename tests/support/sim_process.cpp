#include "support/sim_process.h"

#include <csignal>

#include "platform/ini_file.h"

SimProcess::SimProcess(const std::string& linkPath, const QStringList& extraArgs)
{
    QStringList args{QStringLiteral("--link"), QString::fromStdString(linkPath)};
    args << extraArgs;
    process_.start(QStringLiteral(KLV_SIM_PATH), args);
    // The first line it prints is its terminal: from then on the link is in place.
    started_ =
        process_.waitForStarted(5000) && process_.waitForReadyRead(5000) && process_.readLine().startsWith("/dev/");
}

QString SimProcess::waitForLine(const QString& text, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (true) {
        while (process_.canReadLine()) {
            const QString line = QString::fromUtf8(process_.readLine()).trimmed();
            if (line.contains(text))
                return line;
        }
        if (deadline.hasExpired() || !process_.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            return {};
    }
}

SimProcess::~SimProcess() { kill(); }

void SimProcess::kill()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

int SimProcess::terminate()
{
    ::kill(static_cast<pid_t>(process_.processId()), SIGTERM);
    if (!process_.waitForFinished(5000))
        return -1;
    return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
}

void writeBenchIni(const std::string& home, const std::string& linkPath)
{
    klv::IniFile(home + "/klv.ini").write("PORTS", "COM1", linkPath);
}

StationRun runStation(const QStringList& args, int terminateAfterMs, int limitMs, const QProcessEnvironment& env)
{
    return runProgram(QStringLiteral(KLV_STATION_PATH), args, terminateAfterMs, SIGTERM, limitMs, env);
}

StationRun runProgram(const QString& program, const QStringList& args, int signalAfterMs, int signal, int limitMs,
                      const QProcessEnvironment& env)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    StationRun run;
    if (!p.waitForStarted(5000))
        return run;
    if (signalAfterMs >= 0 && !p.waitForFinished(signalAfterMs))
        ::kill(static_cast<pid_t>(p.processId()), signal);
    if (!p.waitForFinished(limitMs)) {
        p.kill();
        p.waitForFinished();
        return run;
    }
    run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.out = QString::fromUtf8(p.readAllStandardOutput());
    run.err = QString::fromUtf8(p.readAllStandardError());
    return run;
}

StationRun runHeadlessStation(const QStringList& args, int terminateAfterMs, int limitMs)
{
    return runStation(QStringList{QStringLiteral("--headless")} << args, terminateAfterMs, limitMs);
}
