#pragma once
#include "app/HostPlatform.h"

#include <QString>

// "Start with the system" the desktop's own way: an XDG autostart entry
// ($XDG_CONFIG_HOME/autostart/<name>.desktop) on Linux, a LaunchAgent
// (~/Library/LaunchAgents/<label>.plist) on macOS, each starting the program at the given path.
class AutoStart
{
public:
    explicit AutoStart(const QString &appName, HostPlatform::Kind platform = HostPlatform::current());

    // The entry's file.
    QString entryPath() const;
    bool isEnabled() const;
    // Writes the entry for the program at programPath unless it already holds exactly that.
    // False when the file could not be written.
    bool enable(const QString &programPath);
    // Removes the entry; true when none is left.
    bool disable();

    // The entry's contents for the program at programPath.
    QString entryText(const QString &programPath) const;
    // The program path as one argument of a desktop entry's Exec key.
    static QString desktopExecArgument(const QString &programPath);

private:
    QString mAppName;
    HostPlatform::Kind mPlatform;
};
