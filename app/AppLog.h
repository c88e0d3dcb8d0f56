#pragma once
#include <QDateTime>
#include <QString>
#include <QtGlobal>

#include <functional>

// The program's log file. Once open, every message of the process (any type, any thread) becomes
// one line "yyyy-MM-dd hh:mm:ss.zzz [type] message", written as UTF-8 and flushed at once.
class AppLog
{
public:
    // A log file larger than this is started anew when the log is opened.
    static constexpr qint64 MaxFileSize = 10 * 1024 * 1024;
    // "app.log" in the working directory.
    static QString defaultPath();

    // Removes the file when it is larger than MaxFileSize; true when it was removed.
    static bool removeIfTooLarge(const QString &path);
    // Starts the file anew when too large, opens it for appending (creating it) and installs
    // appMessageHandler. When the file cannot be opened nothing is installed and false is returned.
    static bool open(const QString &path = defaultPath());
    // Closes the file and puts back the message handler that open() replaced.
    static void close();
    static bool isOpen();

    // The process's message handler: writes one line per message while the log is open, else drops
    // the message. Lines logged by several threads at once are written one after the other.
    static void appMessageHandler(QtMsgType type, const QMessageLogContext &context,
                                  const QString &message);
    // One log line, with its line break.
    static QString formatLine(const QDateTime &time, QtMsgType type, const QString &message);

    // The clock that stamps the lines; an empty function restores the local time.
    using Clock = std::function<QDateTime()>;
    static void setClock(Clock clock);
};
