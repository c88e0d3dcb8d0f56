#include "model/AppPaths.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString &dataDirOverride()
{
    static QString path;
    return path;
}
} // namespace

QString AppPaths::appDir()
{
    return QCoreApplication::applicationDirPath();
}

QString AppPaths::dataDir()
{
    if (!dataDirOverride().isEmpty())
        return dataDirOverride();
    const QString fromEnv = qEnvironmentVariable("QUILLOMATRIX_DATA_DIR");
    if (!fromEnv.isEmpty())
        return QDir::cleanPath(fromEnv);
    return appDir() + QStringLiteral("/data");
}

void AppPaths::setDataDir(const QString &path)
{
    dataDirOverride() = path.isEmpty() ? QString() : QDir::cleanPath(path);
}
