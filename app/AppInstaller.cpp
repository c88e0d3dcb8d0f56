#include "app/AppInstaller.h"

#include "app/ProcessRunner.h"
#include "app/ResourcePackage.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {
const char *const kBundleName = "Quillomatrix.app";
const char *const kDiskImage = "Quillomatrix.dmg";
const char *const kLinuxProgram = "Quillomatrix";
} // namespace

AppInstaller::AppInstaller(ProcessRunner &runner, HostPlatform::Kind platform)
    : mRunner(runner), mPlatform(platform), mProgramPath(QCoreApplication::applicationFilePath())
{
}

AppInstaller::~AppInstaller() = default;

void AppInstaller::setUpdateFolder(const QString &folder)
{
    mUpdateFolder = folder;
}

QString AppInstaller::updateFolder() const
{
    return mUpdateFolder;
}

void AppInstaller::setProgramPath(const QString &path)
{
    mProgramPath = path;
}

QString AppInstaller::installedProgram() const
{
    return mInstalledProgram;
}

QString AppInstaller::errorString() const
{
    return mError;
}

bool AppInstaller::fail(const QString &error)
{
    mError = error;
    qWarning() << "=== 安装更新失败:" << error << "===";
    return false;
}

bool AppInstaller::step(const QString &program, const QStringList &arguments)
{
    const int code = mRunner.run(program, arguments);
    qInfo() << "=== 安装步骤" << program << arguments << "结果" << code << "===";
    if (code != 0)
        return fail(QStringLiteral("%1 %2 failed (%3)").arg(program, arguments.join(QLatin1Char(' '))).arg(code));
    return true;
}

bool AppInstaller::install(const QString &packagePath)
{
    mError.clear();
    mInstalledProgram.clear();
    if (!QFileInfo(packagePath).isFile())
        return fail(QStringLiteral("Update package missing"));
    if (!mUpdateFolder.isEmpty()) {
        if (!QDir().mkpath(mUpdateFolder))
            return fail(QStringLiteral("Cannot create %1").arg(mUpdateFolder));
        return installIn(mUpdateFolder, packagePath);
    }
    // A folder of a fixed name in the shared temporary folder could be made or swapped by another
    // user beforehand; a fresh private one cannot.
    mWorkDir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/Quillomatrix-update-XXXXXX"));
    const bool installed = mWorkDir->isValid() ? installIn(mWorkDir->path(), packagePath)
                                               : fail(QStringLiteral("Cannot create a temporary folder"));
    mWorkDir.reset();
    return installed;
}

bool AppInstaller::installIn(const QString &folder, const QString &packagePath)
{
    return mPlatform == HostPlatform::MacOS ? installMac(folder, packagePath) : installLinux(folder, packagePath);
}

bool AppInstaller::unpack(const QString &folder, const QString &packagePath, const QString &expected)
{
    // What an earlier update left must not pass for this package's content.
    const QString unpacked = folder + QLatin1Char('/') + expected;
    QFile::remove(unpacked);
    // Unpacked within the bounds of a resource package, with no link and nothing outside the folder.
    QString refusal;
    if (!ResourcePackage::checkArchive(packagePath, &refusal))
        return fail(refusal);
    if (!step(QStringLiteral("unzip"), {QStringLiteral("-o"), packagePath, QStringLiteral("-d"), folder}))
        return false;
    const QFileInfo file(unpacked);
    if (!file.isFile() || file.isSymLink())
        return fail(QStringLiteral("%1 missing from the update package").arg(expected));
    return true;
}

bool AppInstaller::isProgram(const QString &path)
{
    QString refusal;
    return HostPlatform::isProgramFile(path, mPlatform, MaxProgramBytes, &refusal) || fail(refusal);
}

QString AppInstaller::bundleFolder(const QString &programPath)
{
    // <folder>/<name>.app/Contents/MacOS/<program>
    const QStringList parts = QDir::cleanPath(QFileInfo(programPath).absoluteFilePath()).split(QLatin1Char('/'));
    const qsizetype count = parts.size();
    if (count >= 5 && parts.at(count - 2) == QLatin1String("MacOS") && parts.at(count - 3) == QLatin1String("Contents") &&
        parts.at(count - 4).endsWith(QLatin1String(".app")))
    {
        const QString folder = parts.mid(0, count - 4).join(QLatin1Char('/'));
        return folder.isEmpty() ? QStringLiteral("/") : folder;
    }
    return QFileInfo(programPath).absolutePath();
}

bool AppInstaller::installMac(const QString &folder, const QString &packagePath)
{
    const QString rm = QStringLiteral("rm");
    const QString hdiutil = QStringLiteral("hdiutil");
    // The image is mounted inside the private folder, where nothing else can sit in its place.
    const QString mount = folder + QStringLiteral("/mount");
    const QString bundle = bundleFolder(mProgramPath) + QLatin1Char('/') + QLatin1String(kBundleName);
    const QString staging = bundle + QStringLiteral(".new");
    const QString previous = bundle + QStringLiteral(".old");

    if (!unpack(folder, packagePath, QString::fromLatin1(kDiskImage)))
        return false;
    if (!QDir().mkpath(mount))
        return fail(QStringLiteral("Cannot create %1").arg(mount));
    if (!step(hdiutil, {QStringLiteral("attach"), QStringLiteral("-nobrowse"), QStringLiteral("-mountpoint"), mount,
                        folder + QLatin1Char('/') + QLatin1String(kDiskImage)}))
        return false;

    // Copy the new bundle beside the installed one; the installed one stays untouched meanwhile.
    const bool copied = step(rm, {QStringLiteral("-rf"), staging}) &&
                        step(QStringLiteral("cp"), {QStringLiteral("-R"), mount + QLatin1Char('/') + QLatin1String(kBundleName), staging});
    if (mRunner.run(hdiutil, {QStringLiteral("detach"), mount}) != 0 && mWorkDir) {
        // Removing the folder would reach into the image still mounted there.
        qWarning() << "=== 无法卸载" << mount << "===";
        mWorkDir->setAutoRemove(false);
    }
    // The clean-up steps leave the failed step's error in place (it has been logged).
    if (!copied || !isProgram(staging + QStringLiteral("/Contents/MacOS/Quillomatrix"))) {
        mRunner.run(rm, {QStringLiteral("-rf"), staging});
        return false;
    }

    // Swap: the old bundle moves aside, the new one takes its name, the old one goes. On a failure
    // the old bundle is put back and the staged one goes.
    const bool movedAside = step(rm, {QStringLiteral("-rf"), previous}) && step(QStringLiteral("mv"), {bundle, previous});
    if (!movedAside || !step(QStringLiteral("mv"), {staging, bundle})) {
        if (movedAside)
            mRunner.run(QStringLiteral("mv"), {previous, bundle});
        mRunner.run(rm, {QStringLiteral("-rf"), staging});
        return false;
    }
    mRunner.run(rm, {QStringLiteral("-rf"), previous});

    mInstalledProgram = bundle + QStringLiteral("/Contents/MacOS/Quillomatrix");
    return true;
}

bool AppInstaller::installLinux(const QString &folder, const QString &packagePath)
{
    const QString staging = mProgramPath + QStringLiteral(".new");
    const QString unpacked = folder + QLatin1Char('/') + QLatin1String(kLinuxProgram);

    if (!unpack(folder, packagePath, QString::fromLatin1(kLinuxProgram)) || !isProgram(unpacked))
        return false;
    // The program is staged beside the installed one; a copy that did not end well is not used.
    const bool staged = step(QStringLiteral("rm"), {QStringLiteral("-f"), staging}) &&
                        step(QStringLiteral("cp"), {unpacked, staging}) &&
                        step(QStringLiteral("chmod"), {QStringLiteral("755"), staging});
    // A rename replaces the program file in one step; the running program keeps its old file.
    if (!staged || !step(QStringLiteral("mv"), {QStringLiteral("-f"), staging, mProgramPath})) {
        mRunner.run(QStringLiteral("rm"), {QStringLiteral("-f"), staging});
        return false;
    }
    mInstalledProgram = mProgramPath;
    return true;
}
