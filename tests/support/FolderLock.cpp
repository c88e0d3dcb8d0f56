#include "tests/support/FolderLock.h"

#include <QFile>
#include <QProcess>

#include <unistd.h>

namespace {
bool chattr(const QString &flag, const QString &folder)
{
    return QProcess::execute(QStringLiteral("chattr"), {flag, folder}) == 0;
}
} // namespace

FolderLock::FolderLock(const QString &folder) : mFolder(folder)
{
    if (geteuid() == 0)
        mImmutable = chattr(QStringLiteral("+i"), folder);
    else
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    // The folder must really refuse a new entry.
    QFile probe(folder + QStringLiteral("/.lock-probe"));
    mLocked = !probe.open(QIODevice::WriteOnly);
    if (!mLocked) {
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
        chattr(QStringLiteral("-i"), mFolder);
    else
        QFile::setPermissions(mFolder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    mImmutable = false;
}
