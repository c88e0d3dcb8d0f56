#pragma once
#include "app/HostPlatform.h"

#include <QString>

class ProcessRunner;

// Installs a downloaded application update ("update.zip") over the running program and starts the
// new one. Every step is checked; the new program is copied beside the installed one under a
// staging name and takes its place only once it is complete, so a failure leaves the installed
// program as it was.
//
// macOS: the package holds the disk image "Quillomatrix.dmg", which mounts at
// "/Volumes/Quillomatrix" and holds "Quillomatrix.app"; the bundle beside the running one is
// replaced. Linux: the package holds the program file "Quillomatrix", which replaces the running
// program's file.
class AppInstaller
{
public:
    explicit AppInstaller(ProcessRunner &runner, HostPlatform::Kind platform = HostPlatform::current());

    // Where the package is unpacked (default: the temporary folder + "/Quillomatrix_update").
    void setUpdateFolder(const QString &folder);
    QString updateFolder() const;
    // The running program's file (default: the application's file path).
    void setProgramPath(const QString &path);

    // True when the new program is in place and has been started; the caller then quits.
    bool install(const QString &packagePath);
    QString errorString() const;

    // macOS: the folder that holds the application bundle of the program at programPath.
    static QString bundleFolder(const QString &programPath);

private:
    bool installMac(const QString &packagePath);
    bool installLinux(const QString &packagePath);
    // Runs one step; false (with the error set) when it did not end with exit code 0.
    bool step(const QString &program, const QStringList &arguments);
    bool unpack(const QString &packagePath, const QString &expected);
    bool fail(const QString &error);

    ProcessRunner &mRunner;
    HostPlatform::Kind mPlatform;
    QString mUpdateFolder;
    QString mProgramPath;
    QString mError;
};
