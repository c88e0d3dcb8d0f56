#include "tests/support/FolderLock.h"

#include <QFile>
#include <QProcess>

#include <unistd.h>

namespace {
bool runChattr(const QString &flag, const QString &folder)
{
    QProcess process;
    process.start(QStringLiteral("chattr"), {flag, folder});
    return process.waitForFinished(5000) && process.exitStatus() == QProcess::NormalExit
           && process.exitCode() == 0;
}
} // namespace

FolderLock::FolderLock(const QString &folder) : mFolder(folder)
{
    if (geteuid() == 0)
        mImmutable = runChattr(QStringLiteral("+i"), folder);
    else
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);

    // Check that the folder really refuses a new entry.
    QFile probe(folder + QStringLiteral("/.lock-probe"));
    mLocked = !probe.open(QIODevice::WriteOnly);
    if (!mLocked) {
        probe.close();
        probe.remove();
        unlock();
    }
}

FolderLock::~FolderLock()
{
    unlock();
}

void FolderLock::unlock()
{
    if (mImmutable)
        runChattr(QStringLiteral("-i"), mFolder);
    else
        QFile::setPermissions(mFolder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    mImmutable = false;
}
