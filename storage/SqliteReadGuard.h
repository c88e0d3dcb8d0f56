#pragma once
// Bounds the work SQLite may do on a connection that reads a file from outside (a configuration
// file, a downloaded product database): such a file is anybody's database, and a query on it must
// end soon, in little memory, whatever the file holds. While the guard lives the connection is
// read-only, keeps its temporary data in memory, takes no value longer than the limits' valueBytes,
// and every statement is stopped once it has run the limits' steps of the virtual machine, once
// their milliseconds have passed since the guard was set, once SQLite's memory has grown by their
// memoryGrowth, or once the calling thread is asked to stop (QThread::requestInterruption). A
// stopped statement fails like any other. When the guard goes, the connection is as it was before
// (its cache and temporary-store settings aside).

#include <QElapsedTimer>

class QSqlDatabase;
struct sqlite3;

class SqliteReadGuard
{
public:
    struct Limits {
        long long steps;
        int milliseconds;
        long long memoryGrowth;
        int valueBytes;
    };

    SqliteReadGuard(QSqlDatabase &db, const Limits &limits);
    ~SqliteReadGuard();
    SqliteReadGuard(const SqliteReadGuard &) = delete;
    SqliteReadGuard &operator=(const SqliteReadGuard &) = delete;

    // False when the connection is not an open SQLite one: nothing bounds it then.
    bool isActive() const { return mHandle != nullptr; }
    enum Stop { NotStopped, TooManySteps, TooLong, TooMuchMemory, Interrupted };
    // Why the last statement was stopped, if one was.
    Stop stopReason() const { return mStop; }

private:
    static int onProgress(void *guard);
    bool shouldStop();

    sqlite3 *mHandle = nullptr;
    Limits mLimits;
    QElapsedTimer mClock;
    long long mSteps = 0;
    long long mMemoryAtStart = 0;
    int mOldLength = 0;
    int mOldDefensive = 0;
    int mOldTrustedSchema = 1;
    bool mOldQueryOnly = false;
    Stop mStop = NotStopped;
};
