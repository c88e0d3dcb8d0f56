#include "app/ResourcePackage.h"

#include <JlCompress.h>
#include <quazip.h>
#include <quazipfileinfo.h>

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {
bool failWith(QString *error, const QString &reason)
{
    qWarning() << "=== 资源包安装失败:" << reason << "===";
    if (error)
        *error = reason;
    return false;
}

// Whether the listed entries may be unpacked: safe names, no link, within the bounds. (Their
// count was checked before they were listed.)
bool checkEntries(const QList<QuaZipFileInfo64> &entries, QString *error)
{
    quint64 unpacked = 0;
    for (const QuaZipFileInfo64 &entry : entries) {
        if (!ResourcePackage::isSafeEntryName(entry.name))
            return failWith(error, QStringLiteral("Unsafe entry \"%1\"").arg(entry.name));
        if (entry.isSymbolicLink())
            return failWith(error, QStringLiteral("Symbolic link \"%1\"").arg(entry.name));
        // Compared with what is left of the bound, so that no sum of declared sizes overflows.
        if (entry.uncompressedSize > quint64(ResourcePackage::MaxUnpackedBytes) - unpacked)
            return failWith(error, QStringLiteral("Unpacks to more than %1 bytes at \"%2\"")
                                       .arg(ResourcePackage::MaxUnpackedBytes)
                                       .arg(entry.name));
        unpacked += entry.uncompressedSize;
        if (entry.uncompressedSize >= quint64(ResourcePackage::RatioCheckedFrom) &&
            entry.uncompressedSize / quint64(ResourcePackage::MaxCompressionRatio) > entry.compressedSize)
            return failWith(error, QStringLiteral("Entry \"%1\" unpacks from %2 to %3 bytes")
                                       .arg(entry.name)
                                       .arg(entry.compressedSize)
                                       .arg(entry.uncompressedSize));
    }
    return true;
}
} // namespace

bool ResourcePackage::isSafeFolderName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) && !name.contains(QChar(0));
}

bool ResourcePackage::isSafeEntryName(const QString &name)
{
    if (name.isEmpty() || name.contains(QChar(0)) || name.contains(QLatin1Char('\\')))
        return false;
    if (name.startsWith(QLatin1Char('/')))
        return false;
    // A drive letter ("C:...") is absolute elsewhere.
    if (name.size() >= 2 && name.at(1) == QLatin1Char(':') && name.at(0).isLetter())
        return false;
    const QStringList parts = name.split(QLatin1Char('/'));
    for (const QString &part : parts) {
        if (part == QLatin1String(".."))
            return false;
    }
    return true;
}

bool ResourcePackage::install(const QString &archivePath, const QString &dataDir, const QString &folderName,
                              QString *error)
{
    if (!isSafeFolderName(folderName))
        return failWith(error, QStringLiteral("Invalid product folder name \"%1\"").arg(folderName));

    QuaZip zip(archivePath);
    if (!zip.open(QuaZip::mdUnzip))
        return failWith(error, QStringLiteral("Cannot open %1").arg(archivePath));
    // The count comes from the directory's end record: too many entries are not even listed.
    const int count = zip.getEntriesCount();
    if (count > MaxEntries) {
        zip.close();
        return failWith(error, QStringLiteral("%1 entries in %2").arg(count).arg(archivePath));
    }
    const QList<QuaZipFileInfo64> entries = zip.getFileInfoList64();
    zip.close();
    if (entries.isEmpty())
        return failWith(error, QStringLiteral("Empty package %1").arg(archivePath));
    if (!checkEntries(entries, error))
        return false;

    // Unpacked beside the target, so that putting it in place is a rename.
    if (!QDir().mkpath(dataDir))
        return failWith(error, QStringLiteral("Cannot create %1").arg(dataDir));
    QTemporaryDir unpackDir(QDir(dataDir).filePath(QStringLiteral(".unpack-XXXXXX")));
    if (!unpackDir.isValid())
        return failWith(error, QStringLiteral("Cannot create a folder in %1").arg(dataDir));
    const QStringList files = JlCompress::extractDir(archivePath, unpackDir.path());
    if (files.isEmpty())
        return failWith(error, QStringLiteral("Cannot unpack %1").arg(archivePath));

    const QString target = QDir(dataDir).filePath(folderName);
    QFileInfo existing(target);
    if (existing.exists() || existing.isSymLink()) {
        const bool removed = existing.isDir() && !existing.isSymLink() ? QDir(target).removeRecursively()
                                                                        : QFile::remove(target);
        if (!removed)
            return failWith(error, QStringLiteral("Cannot replace %1").arg(target));
    }
    if (!QDir().rename(unpackDir.path(), target))
        return failWith(error, QStringLiteral("Cannot move the package into %1").arg(target));
    unpackDir.setAutoRemove(false);
    qInfo() << "=== 资源包已安装:" << target << files.size() << "个文件 ===";
    return true;
}
