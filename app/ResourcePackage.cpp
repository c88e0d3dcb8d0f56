#include "app/ResourcePackage.h"

#include <quazip.h>
#include <quazipfile.h>
#include <quazipfileinfo.h>

#include <QDebug>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMutex>
#include <QTemporaryDir>
#include <QThread>

#include <memory>
#include <mutex>

namespace {
// Installs, and clean-ups of what they leave, run one at a time: a clean-up takes no staging
// folder of an install under way and puts nothing back between its two renames. The mutex keeps
// this process's threads apart, the data folder's lock file the instances of the program that
// share the data folder (one runs for each temporary folder).
QMutex gInstallLock;
ResourcePackage::Renamer gRenamer;

// Hidden, like the staging folders, so that no product folder takes its name.
const char *const kLockFileName = ".install.lock";
// How long an install waits for another instance's at a time before it looks whether to stop.
constexpr int kLockWaitMs = 100;

// In a staging folder: the unpacked package, and the folder that held the product folder moved
// aside under its own name (so that a clean-up knows where it goes back).
const char *const kPackageFolder = "package";
const char *const kAsideFolder = "replaced";

bool renameFolder(const QString &from, const QString &to)
{
    return gRenamer ? gRenamer(from, to) : QDir().rename(from, to);
}

bool stopAsked()
{
    return QThread::currentThread()->isInterruptionRequested();
}

// The lock of the data folder's installs. It is held for as long as an install takes, so it goes
// stale only when its holder has ended (crashed): then it is taken over.
std::unique_ptr<QLockFile> dataFolderLock(const QString &dataDir)
{
    auto lock = std::make_unique<QLockFile>(QDir(dataDir).filePath(QLatin1String(kLockFileName)));
    lock->setStaleLockTime(0);
    return lock;
}

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

// ResourcePackage::clearStaging with the install lock held.
void clearStagingLocked(const QString &dataDir)
{
    const QDir data(dataDir);
    const QStringList left = data.entryList({QStringLiteral(".unpack-*")},
                                            QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QString &name : left) {
        const QString staging = data.filePath(name);
        const QDir aside(staging + QLatin1Char('/') + QLatin1String(kAsideFolder));
        bool keep = false;
        for (const QString &folder : aside.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
            const QFileInfo target(data.filePath(folder));
            if (!ResourcePackage::isSafeFolderName(folder) || target.exists() || target.isSymLink())
                continue;
            if (QDir().rename(aside.filePath(folder), target.filePath()))
                qInfo() << "=== 资源包: 中断的安装之前的文件夹已放回" << target.filePath() << "===";
            else
                keep = true;
        }
        // A folder that could not go back stays for the next try.
        if (keep) {
            qWarning() << "=== 资源包: 无法放回" << staging << "中的文件夹 ===";
            continue;
        }
        makeRemovable(staging);
        if (!QDir(staging).removeRecursively())
            qWarning() << "=== 资源包: 无法清除" << staging << "===";
        else
            qInfo() << "=== 资源包: 已清除中断的安装" << staging << "===";
    }
}
} // namespace

void ResourcePackage::clearStaging(const QString &dataDir)
{
    const std::unique_lock<QMutex> lock(gInstallLock, std::try_to_lock);
    if (!lock.owns_lock())
        return;
    const auto folderLock = dataFolderLock(dataDir);
    if (folderLock->tryLock(0))
        clearStagingLocked(dataDir);
}

void ResourcePackage::setRenamer(Renamer renamer)
{
    const QMutexLocker lock(&gInstallLock);
    gRenamer = std::move(renamer);
}

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
    return !name.isEmpty() && !name.startsWith(QLatin1Char('.')) && !name.contains(QLatin1Char('/')) &&
           !name.contains(QLatin1Char('\\')) && !name.contains(QChar(0));
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
    // Both held until the staging folder is gone (it goes first, being declared later).
    const QMutexLocker lock(&gInstallLock);
    if (!QDir().mkpath(dataDir))
        return failWith(error, QStringLiteral("Cannot create %1").arg(dataDir));
    const auto folderLock = dataFolderLock(dataDir);
    while (!folderLock->tryLock(kLockWaitMs)) {
        if (folderLock->error() != QLockFile::LockFailedError || stopAsked())
            return failWith(error, QStringLiteral("Cannot lock %1").arg(dataDir));
    }
    clearStagingLocked(dataDir);
    if (!isSafeFolderName(folderName))
        return failWith(error, QStringLiteral("Invalid product folder name \"%1\"").arg(folderName));

    QString refusal;
    if (!checkArchive(archivePath, &refusal))
        return failWith(error, refusal);

    // Unpacked beside the target, so that putting it in place is a rename.
    QTemporaryDir unpackDir(QDir(dataDir).filePath(QStringLiteral(".unpack-XXXXXX")));
    // The package's folder itself is made as this user makes folders (the temporary one is private).
    const QString unpacked = unpackDir.path() + QLatin1Char('/') + QLatin1String(kPackageFolder);
    const QString aside = unpackDir.path() + QLatin1Char('/') + QLatin1String(kAsideFolder);
    if (!unpackDir.isValid() || !QDir().mkdir(unpacked) || !QDir().mkdir(aside))
        return failWith(error, QStringLiteral("Cannot create a folder in %1").arg(dataDir));
    const int files = unpackEntries(archivePath, unpacked);
    if (files < 0)
        return failWith(error, QStringLiteral("Cannot unpack %1").arg(archivePath));

    // What is in place moves aside first, so that a failure puts it back whole.
    const QString target = QDir(dataDir).filePath(folderName);
    const QFileInfo existing(target);
    const QString previous = aside + QLatin1Char('/') + folderName;
    const bool hadPrevious = existing.exists() || existing.isSymLink();
    if (hadPrevious && !renameFolder(target, previous))
        return failWith(error, QStringLiteral("Cannot replace %1").arg(target));
    if (!renameFolder(unpacked, target)) {
        // One that cannot go back now stays in the staging folder, for the next clean-up.
        if (hadPrevious && !renameFolder(previous, target))
            unpackDir.setAutoRemove(false);
        return failWith(error, QStringLiteral("Cannot move the package into %1").arg(target));
    }
    // A folder left from before that its owner could not empty any more goes with the rest.
    if (hadPrevious && QFileInfo(previous).isDir() && !QFileInfo(previous).isSymLink())
        makeRemovable(previous);
    qInfo() << "=== 资源包已安装:" << target << files << "个文件 ===";
    return true;
}
