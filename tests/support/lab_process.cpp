#include "support/lab_process.h"

#include <QProcessEnvironment>
#include <QRegularExpression>

LabProcess::LabProcess(const QStringList& args)
{
    QStringList all = args;
    if (!args.contains(QStringLiteral("--listen")))
        all << QStringLiteral("--listen") << QStringLiteral("127.0.0.1:0");
    process_.start(QStringLiteral(KLV_LAB_PATH), all);
    if (!process_.waitForStarted(5000) || !process_.waitForReadyRead(10000))
        return;
    const QString line = QString::fromUtf8(process_.readLine());
    const auto m = QRegularExpression(QStringLiteral("serving (http://\\S+):(\\d+)/")).match(line);
    if (m.hasMatch()) {
        url_ = (m.captured(1) + QLatin1Char(':') + m.captured(2)).toStdString();
        port_ = m.captured(2).toInt();
    }
}

LabProcess::~LabProcess()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished();
        }
    }
}

int LabProcess::waitForExit(int timeoutMs)
{
    if (process_.state() != QProcess::NotRunning && !process_.waitForFinished(timeoutMs))
        return -1;
    return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
}

int runNode(const QString& script, const QStringList& args, QString& output, int limitMs)
{
    QProcess node;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KLV_NODE_MODULES"), QStringLiteral(KLV_NODE_MODULES));
    node.setProcessEnvironment(env);
    node.setProcessChannelMode(QProcess::MergedChannels);
    node.start(QStringLiteral("node"), QStringList{script} << args);
    const bool ended = node.waitForStarted(5000) && node.waitForFinished(limitMs);
    if (!ended)
        node.kill();
    node.waitForFinished();
    output = QString::fromUtf8(node.readAll());
    return ended && node.exitStatus() == QProcess::NormalExit ? node.exitCode() : -1;
}
