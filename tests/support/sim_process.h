#pragma once

#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>
#include <string>

// klv-sim running in the background on a pseudo-terminal linked at a path.
class SimProcess {
public:
    SimProcess(const std::string& linkPath, const QStringList& extraArgs);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool started() const { return started_; }
    // The next line it prints that contains text, waiting up to timeoutMs; empty when none came.
    QString waitForLine(const QString& text, int timeoutMs = 5000);
    void kill();
    // Ask it to stop with SIGTERM; its exit code, or -1 when it did not exit.
    int terminate();

private:
    QProcess process_;
    bool started_ = false;
};

// klv-station --headless with these arguments, sent SIGTERM after terminateAfterMs
// when given; exit code -1 when it crashed or had to be killed at limitMs.
struct StationRun {
    int exitCode = -1;
    QString out, err;
};
// klv-station with these arguments and this environment, the same way.
StationRun runStation(const QStringList& args, int terminateAfterMs = -1, int limitMs = 120000,
                      const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());
StationRun runHeadlessStation(const QStringList& args, int terminateAfterMs = -1, int limitMs = 120000);
// Any program so, sent `signal` after signalAfterMs when given (SIGKILL: a power cut).
StationRun runProgram(const QString& program, const QStringList& args, int signalAfterMs, int signal, int limitMs,
                      const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());

// Write the klv.ini of a program folder that maps COM1 to the link path.
void writeBenchIni(const std::string& home, const std::string& linkPath);
