#include "storage/SqliteReadGuard.h"

#include <QDebug>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>

#include <sqlite3.h>

namespace {
// Steps between two looks at the limits.
constexpr int StepsPerCall = 1000;

sqlite3 *handleOf(QSqlDatabase &db)
{
    if (!db.isOpen() || !db.driver())
        return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}
} // namespace

SqliteReadGuard::SqliteReadGuard(QSqlDatabase &db, const Limits &limits)
    : mHandle(handleOf(db)), mLimits(limits)
{
    mClock.start();
    if (!mHandle)
        return;
    mMemoryAtStart = sqlite3_memory_used();
    // What the connection had is kept, to be given back when the guard goes.
    mOldLength = sqlite3_limit(mHandle, SQLITE_LIMIT_LENGTH, mLimits.valueBytes);
    sqlite3_db_config(mHandle, SQLITE_DBCONFIG_DEFENSIVE, -1, &mOldDefensive);
    sqlite3_db_config(mHandle, SQLITE_DBCONFIG_TRUSTED_SCHEMA, -1, &mOldTrustedSchema);
    sqlite3_db_config(mHandle, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(mHandle, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    {
        QSqlQuery query(db);
        mOldQueryOnly = query.exec(QStringLiteral("PRAGMA query_only")) && query.next() && query.value(0).toBool();
    }
    sqlite3_progress_handler(mHandle, StepsPerCall, &SqliteReadGuard::onProgress, this);
    for (const char *pragma : {"PRAGMA query_only = ON", "PRAGMA temp_store = MEMORY", "PRAGMA cache_size = -2048",
                               "PRAGMA mmap_size = 0", "PRAGMA cell_size_check = ON"}) {
        QSqlQuery query(db);
        if (!query.exec(QLatin1String(pragma)))
            qWarning().noquote() << QStringLiteral("=== SqliteReadGuard %1 失败 ===").arg(QLatin1String(pragma));
    }
}

SqliteReadGuard::~SqliteReadGuard()
{
    if (!mHandle)
        return;
    // The connection may be the program's own, written to later: it is left as it was found.
    sqlite3_progress_handler(mHandle, 0, nullptr, nullptr);
    sqlite3_limit(mHandle, SQLITE_LIMIT_LENGTH, mOldLength);
    sqlite3_db_config(mHandle, SQLITE_DBCONFIG_DEFENSIVE, mOldDefensive, nullptr);
    sqlite3_db_config(mHandle, SQLITE_DBCONFIG_TRUSTED_SCHEMA, mOldTrustedSchema, nullptr);
    if (!mOldQueryOnly)
        sqlite3_exec(mHandle, "PRAGMA query_only = OFF", nullptr, nullptr, nullptr);
}

int SqliteReadGuard::onProgress(void *guard)
{
    return static_cast<SqliteReadGuard *>(guard)->shouldStop() ? 1 : 0;
}

bool SqliteReadGuard::shouldStop()
{
    mSteps += StepsPerCall;
    Stop stop = NotStopped;
    if (QThread::currentThread()->isInterruptionRequested())
        stop = Interrupted;
    else if (mSteps > mLimits.steps)
        stop = TooManySteps;
    else if (mClock.elapsed() > mLimits.milliseconds)
        stop = TooLong;
    else if (sqlite3_memory_used() - mMemoryAtStart > mLimits.memoryGrowth)
        stop = TooMuchMemory;
    if (stop == NotStopped)
        return false;
    // Asked to stop is no fault; any other limit means a file made to hold the reader up.
    (stop == Interrupted ? qInfo() : qWarning()).noquote() << QStringLiteral("=== SqliteReadGuard 查询已中止 reason={%1} ===").arg(int(stop));
    mStop = stop;
    return true;
}
