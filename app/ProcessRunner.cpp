#include "app/ProcessRunner.h"

#include <QDebug>
#include <QProcess>

ProcessRunner::~ProcessRunner() = default;

int ProcessRunner::run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForStarted()) {
        qWarning() << "=== 无法启动" << program << process.errorString() << "===";
        return -1;
    }
    if (!process.waitForFinished(RunTimeoutMs)) {
        qWarning() << "===" << program << "未结束 ===";
        process.kill();
        process.waitForFinished();
        return -1;
    }
    const QByteArray output = process.readAll().trimmed();
    if (!output.isEmpty())
        qDebug().noquote() << program << QString::fromLocal8Bit(output);
    if (process.exitStatus() != QProcess::NormalExit)
        return -1;
    return process.exitCode();
}

bool ProcessRunner::startDetached(const QString &program, const QStringList &arguments)
{
    return QProcess::startDetached(program, arguments, QString());
}
