#pragma once

#include <QProcess>
#include <QStringList>
#include <string>

// klv-lab running in the background; started with "--listen 127.0.0.1:0" unless the arguments
// say where, and read back from its first line ("klv-lab: serving http://…/").
class LabProcess {
public:
    explicit LabProcess(const QStringList& args);
    ~LabProcess();
    LabProcess(const LabProcess&) = delete;
    LabProcess& operator=(const LabProcess&) = delete;

    // "http://127.0.0.1:PORT", no slash at the end; empty when it did not start serving.
    const std::string& url() const { return url_; }
    int port() const { return port_; }
    // Its exit code when it ended within the time, else −1; what it wrote to stderr.
    int waitForExit(int timeoutMs);
    QString errors() { return QString::fromUtf8(process_.readAllStandardError()); }

private:
    QProcess process_;
    std::string url_;
    int port_ = 0;
};

// node SCRIPT ARGS with the browser tests' packages; its exit code (−1 when it ran past the
// limit), with its output in `output`.
int runNode(const QString& script, const QStringList& args, QString& output, int limitMs = 120000);
