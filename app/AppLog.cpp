#include "app/AppLog.h"

#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>

namespace {
// Everything below is guarded by logMutex(): the handler runs in whichever thread logs.
QMutex &logMutex()
{
    static QMutex mutex;
    return mutex;
}
QFile *gLogFile = nullptr;
QtMessageHandler gPreviousHandler = nullptr;
AppLog::Clock &logClock()
{
    static AppLog::Clock clock;
    return clock;
}
// Set while this thread writes a line: a message raised by the writing itself is dropped instead
// of dead-locking on the mutex.
thread_local bool tInHandler = false;
} // namespace

QString AppLog::defaultPath()
{
    return QStringLiteral("app.log");
}

bool AppLog::removeIfTooLarge(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() || info.size() <= MaxFileSize)
        return false;
    return QFile::remove(path);
}

bool AppLog::open(const QString &path)
{
    removeIfTooLarge(path);
    auto *file = new QFile(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append)) {
        delete file;
        return false;
    }
    QFile *old = nullptr;
    {
        QMutexLocker locker(&logMutex());
        old = gLogFile;
        gLogFile = file;
    }
    if (old) {
        delete old;
    } else {
        gPreviousHandler = qInstallMessageHandler(appMessageHandler);
    }
    return true;
}

void AppLog::close()
{
    QFile *file = nullptr;
    {
        QMutexLocker locker(&logMutex());
        file = gLogFile;
        gLogFile = nullptr;
    }
    if (!file)
        return;
    file->close();
    delete file;
    qInstallMessageHandler(gPreviousHandler);
    gPreviousHandler = nullptr;
}

bool AppLog::isOpen()
{
    QMutexLocker locker(&logMutex());
    return gLogFile && gLogFile->isOpen();
}

void AppLog::appMessageHandler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (tInHandler)
        return;
    tInHandler = true;
    {
        QMutexLocker locker(&logMutex());
        if (gLogFile && gLogFile->isOpen()) {
            const QDateTime now = logClock() ? logClock()() : QDateTime::currentDateTime();
            gLogFile->write(formatLine(now, type, message).toUtf8());
            gLogFile->flush();
        }
    }
    tInHandler = false;
}

QString AppLog::formatLine(const QDateTime &time, QtMsgType type, const QString &message)
{
    return time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")) + QStringLiteral(" [")
        + QString::number(static_cast<int>(type)) + QStringLiteral("] ") + message
        + QLatin1Char('\n');
}

void AppLog::setClock(Clock clock)
{
    QMutexLocker locker(&logMutex());
    logClock() = std::move(clock);
}
