#pragma once
#include "app/HostPlatform.h"
#include "app/ResourcePackage.h"

#include <QString>

#include <memory>

class ProcessRunner;
class QTemporaryDir;

// Installs a downloaded application update ("update.zip") over the running program. Every step is
// checked; the package is held to the bounds of a resource package (ResourcePackage), the new
// program must be a regular file that is a program of the platform (HostPlatform::isProgramFile),
// and it is copied beside the installed one under a staging name and takes its place by a rename
// only once it is complete, so a failure leaves the installed program as it was. Starting
// the new program is left to the caller, which first lets go of whatever the new program must
// not find taken (see SystemSetForm).
//
// macOS: the package holds the disk image "Quillomatrix.dmg" with "Quillomatrix.app"; the image is
// mounted at a private folder (not under /Volumes, where any name can be taken), and the bundle
// beside the running one is replaced. Linux: the package holds the program file "Quillomatrix",
// which replaces the running program's file.
//
// The installer may run on a worker thread; it touches nothing but its runner and the files.
class AppInstaller
{
public:
    // The new program is no larger than a package may unpack to. (On macOS it comes out of the
    // disk image, whose content the package's bounds do not reach.)
    static constexpr qint64 MaxProgramBytes = ResourcePackage::MaxUnpackedBytes;

    explicit AppInstaller(ProcessRunner &runner, HostPlatform::Kind platform = HostPlatform::current());
    ~AppInstaller();

    // Where the package is unpacked. By default a private temporary folder (readable by this user
    // only) is made for each installation and removed after it.
    void setUpdateFolder(const QString &folder);
    QString updateFolder() const;
    // The running program's file (default: the application's file path).
    void setProgramPath(const QString &path);

    // True when the new program is in place; installedProgram() then names the file to start.
    bool install(const QString &packagePath);
    QString installedProgram() const;
    QString errorString() const;

    // macOS: the folder that holds the application bundle of the program at programPath.
    static QString bundleFolder(const QString &programPath);

private:
    bool installIn(const QString &folder, const QString &packagePath);
    bool installMac(const QString &folder, const QString &packagePath);
    bool installLinux(const QString &folder, const QString &packagePath);
    // Runs one step; false (with the error set) when it did not end with exit code 0.
    bool step(const QString &program, const QStringList &arguments);
    // Unpacks the package, held to the bounds of a resource package, and finds expected in it.
    bool unpack(const QString &folder, const QString &packagePath, const QString &expected);
    // Whether the file is a program of the platform within the size bound; sets the error if not.
    bool isProgram(const QString &path);
    bool fail(const QString &error);

    ProcessRunner &mRunner;
    HostPlatform::Kind mPlatform;
    QString mUpdateFolder;
    QString mProgramPath;
    QString mInstalledProgram;
    QString mError;
    // The private folder of the installation under way.
    std::unique_ptr<QTemporaryDir> mWorkDir;
};
