#include "support/sim_process.h"

#include <csignal>

#include "platform/ini_file.h"

SimProcess::SimProcess(const std::string& linkPath, const QStringList& extraArgs)
{
    QStringList args{QStringLiteral("--link"), QString::fromStdString(linkPath)};
    args << extraArgs;
    process_.start(QStringLiteral(KLV_SIM_PATH), args);
    // The first line it prints is its terminal: from then on the link is in place.
    started_ = process_.waitForStarted(5000) && process_.waitForReadyRead(5000) &&
               process_.readLine().startsWith("/dev/");
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
