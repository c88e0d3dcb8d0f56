#include "emulator/SampleProductDatabase.h"

#include <QDir>
#include <QFile>

QString SampleProductDatabase::path()
{
    return QStringLiteral(QUILL_SAMPLE_DB);
}

bool SampleProductDatabase::installInto(const QString &folder)
{
    if (!QDir().mkpath(folder))
        return false;
    const QString target = folder + QStringLiteral("/quillbase.db3");
    QFile::remove(target);
    if (!QFile::copy(path(), target))
        return false;
    // The copy keeps the build output's permissions; the program expects a file it may write.
    return QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
}
