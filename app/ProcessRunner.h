#pragma once
#include <QString>
#include <QStringList>

// Runs external programs for the update installation and the restart. Tests put a recording
// stand-in in its place. run() may be called from a worker thread.
class ProcessRunner
{
public:
    // A program that has not ended after this long is taken as failed.
    static constexpr int RunTimeoutMs = 120000;

    virtual ~ProcessRunner();
    // Starts the program and waits for its end. Its exit code; -1 when it could not be started,
    // crashed or did not end in time.
    virtual int run(const QString &program, const QStringList &arguments);
    // Launches the program without waiting (empty working directory); true when it started.
    virtual bool startDetached(const QString &program, const QStringList &arguments);
};
