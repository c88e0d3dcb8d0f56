#include "app/ResourcePackage.h"

#include <quazip.h>
#include <quazipfile.h>
#include <quazipfileinfo.h>

#include <QDebug>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

namespace {
// Gives the reason; false.
bool refuse(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

bool failWith(QString *error, const QString &reason)
{
    qWarning() << "=== 资源包安装失败:" << reason << "===";
    return refuse(error, reason);
}

// Whether the listed entries may be unpacked: safe names, no link, within the bounds. (Their
// count was checked before they were listed.)
bool checkEntries(const QList<QuaZipFileInfo64> &entries, QString *error)
{
    quint64 unpacked = 0;
    for (const QuaZipFileInfo64 &entry : entries) {
        if (!ResourcePackage::isSafeEntryName(entry.name))
            return refuse(error, QStringLiteral("Unsafe entry \"%1\"").arg(entry.name));
        if (entry.isSymbolicLink())
            return refuse(error, QStringLiteral("Symbolic link \"%1\"").arg(entry.name));
        // Compared with what is left of the bound, so that no sum of declared sizes overflows.
        if (entry.uncompressedSize > quint64(ResourcePackage::MaxUnpackedBytes) - unpacked)
            return refuse(error, QStringLiteral("Unpacks to more than %1 bytes at \"%2\"")
                                       .arg(ResourcePackage::MaxUnpackedBytes)
                                       .arg(entry.name));
        unpacked += entry.uncompressedSize;
        if (entry.uncompressedSize >= quint64(ResourcePackage::RatioCheckedFrom) &&
            entry.uncompressedSize / quint64(ResourcePackage::MaxCompressionRatio) > entry.compressedSize)
            return refuse(error, QStringLiteral("Entry \"%1\" unpacks from %2 to %3 bytes")
                                       .arg(entry.name)
                                       .arg(entry.compressedSize)
                                       .arg(entry.uncompressedSize));
    }
    return true;
}

// Unpacks every entry (their names checked) into folder, making each file and folder as this
// user makes one: the modes the archive records are not applied, so a folder recorded read-only
// cannot keep its own files out. The number of files; -1 when an entry cannot be unpacked whole or
// the thread is asked to stop.
int unpackEntries(const QString &archivePath, const QString &folder)
{
    QuaZip zip(archivePath);
    if (!zip.open(QuaZip::mdUnzip))
        return -1;
    int files = 0;
    const auto stopAsked = [] { return QThread::currentThread()->isInterruptionRequested(); };
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        if (stopAsked())
            return -1;
        const QString name = zip.getCurrentFileName();
        const QString path = QDir(folder).filePath(name);
        if (name.endsWith(QLatin1Char('/'))) {
            if (!QDir().mkpath(path))
                return -1;
            continue;
        }
        QuaZipFile entry(&zip);
        QFile file(path);
        if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !entry.open(QIODevice::ReadOnly) ||
            !file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return -1;
        // An entry yields no more than it declares (the bounds were checked on those).
        while (!entry.atEnd()) {
            const QByteArray chunk = entry.read(1 << 16);
            if (stopAsked() || chunk.isEmpty() || file.write(chunk) != chunk.size())
                return -1;
        }
        entry.close();
        if (entry.getZipError() != UNZ_OK || !file.flush())
            return -1;
        ++files;
    }
    return zip.getZipError() == UNZ_OK ? files : -1;
}

// Lets the owner empty every folder under folder, itself included (links are left alone).
void makeRemovable(const QString &folder)
{
    const auto open = [](const QString &path) {
        QFile::setPermissions(path, QFile::permissions(path) | QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    };
    open(folder);
    // A folder is opened before what it holds is listed.
    QDirIterator it(folder, QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot | QDir::NoSymLinks,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        open(it.next());
}
} // namespace

bool ResourcePackage::checkArchive(const QString &archivePath, QString *error)
{
    QuaZip zip(archivePath);
    if (!zip.open(QuaZip::mdUnzip))
        return refuse(error, QStringLiteral("Cannot open %1").arg(archivePath));
    // The count comes from the directory's end record: too many entries are not even listed.
    const int count = zip.getEntriesCount();
    if (count > MaxEntries) {
        zip.close();
        return refuse(error, QStringLiteral("%1 entries in %2").arg(count).arg(archivePath));
    }
    const QList<QuaZipFileInfo64> entries = zip.getFileInfoList64();
    zip.close();
    if (entries.isEmpty())
        return refuse(error, QStringLiteral("Empty package %1").arg(archivePath));
    return checkEntries(entries, error);
}

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

    QString refusal;
    if (!checkArchive(archivePath, &refusal))
        return failWith(error, refusal);

    // Unpacked beside the target, so that putting it in place is a rename.
    if (!QDir().mkpath(dataDir))
        return failWith(error, QStringLiteral("Cannot create %1").arg(dataDir));
    QTemporaryDir unpackDir(QDir(dataDir).filePath(QStringLiteral(".unpack-XXXXXX")));
    // The package's folder itself is made as this user makes folders (the temporary one is private).
    const QString unpacked = unpackDir.path() + QStringLiteral("/package");
    if (!unpackDir.isValid() || !QDir().mkdir(unpacked))
        return failWith(error, QStringLiteral("Cannot create a folder in %1").arg(dataDir));
    const int files = unpackEntries(archivePath, unpacked);
    if (files < 0)
        return failWith(error, QStringLiteral("Cannot unpack %1").arg(archivePath));

    // What is in place moves aside first, so that a failure puts it back whole.
    const QString target = QDir(dataDir).filePath(folderName);
    const QFileInfo existing(target);
    const QString previous = unpackDir.path() + QStringLiteral("/previous");
    const bool hadPrevious = existing.exists() || existing.isSymLink();
    if (hadPrevious && !QDir().rename(target, previous))
        return failWith(error, QStringLiteral("Cannot replace %1").arg(target));
    if (!QDir().rename(unpacked, target)) {
        if (hadPrevious)
            QDir().rename(previous, target);
        return failWith(error, QStringLiteral("Cannot move the package into %1").arg(target));
    }
    // A folder left from before that its owner could not empty any more goes with the rest.
    if (hadPrevious && QFileInfo(previous).isDir() && !QFileInfo(previous).isSymLink())
        makeRemovable(previous);
    qInfo() << "=== 资源包已安装:" << target << files << "个文件 ===";
    return true;
}
