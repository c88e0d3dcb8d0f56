#pragma once
// Bounds the work SQLite may do on a connection that reads a file from outside: a configuration
// file is anybody's database, and a query on it must end soon, in little memory, whatever the file
// holds. While the guard lives the connection is read-only, keeps its temporary data in memory,
// takes no value longer than MaxValueBytes, and every statement is stopped once it has run
// MaxSteps virtual-machine steps, once MaxMilliseconds have passed since the guard was set, once
// SQLite's memory has grown by MaxMemoryGrowth, or once the calling thread is asked to stop
// (QThread::requestInterruption). A stopped statement fails like any other.

#include <QElapsedTimer>

class QSqlDatabase;
struct sqlite3;

class ConfigFileGuard
{
public:
    static constexpr long long MaxSteps = 50'000'000;
    static constexpr int MaxMilliseconds = 5000;
    static constexpr long long MaxMemoryGrowth = 64LL * 1024 * 1024;
    static constexpr int MaxValueBytes = 1024 * 1024;

    explicit ConfigFileGuard(QSqlDatabase &db);
    ~ConfigFileGuard();
    ConfigFileGuard(const ConfigFileGuard &) = delete;
    ConfigFileGuard &operator=(const ConfigFileGuard &) = delete;

    // False when the connection is not an open SQLite one: nothing bounds it then.
    bool isActive() const { return mHandle != nullptr; }
    enum Stop { NotStopped, TooManySteps, TooLong, TooMuchMemory, Interrupted };
    // Why the last statement was stopped, if one was.
    Stop stopReason() const { return mStop; }

private:
    static int onProgress(void *guard);
    bool shouldStop();

    sqlite3 *mHandle = nullptr;
    QElapsedTimer mClock;
    long long mSteps = 0;
    long long mMemoryAtStart = 0;
    Stop mStop = NotStopped;
};
