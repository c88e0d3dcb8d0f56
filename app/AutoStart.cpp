#include "app/AutoStart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {
QString configHome()
{
    // Only an absolute XDG_CONFIG_HOME counts (XDG Base Directory rules).
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return xdg;
    return QDir::homePath() + QStringLiteral("/.config");
}

QString xmlEscaped(const QString &text)
{
    return text.toHtmlEscaped();
}
} // namespace

AutoStart::AutoStart(const QString &appName, HostPlatform::Kind platform) : mAppName(appName), mPlatform(platform)
{
}

QString AutoStart::entryPath() const
{
    if (mPlatform == HostPlatform::MacOS)
        return QDir::homePath() + QStringLiteral("/Library/LaunchAgents/com.quillomatrix.") + mAppName +
               QStringLiteral(".plist");
    return configHome() + QStringLiteral("/autostart/") + mAppName + QStringLiteral(".desktop");
}

bool AutoStart::isEnabled() const
{
    return QFileInfo::exists(entryPath());
}

QString AutoStart::desktopExecArgument(const QString &programPath)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`=%");
    bool quote = programPath.isEmpty();
    for (const QChar c : programPath)
        quote = quote || reserved.contains(c);
    QString argument = programPath;
    if (quote) {
        QString inner;
        for (const QChar c : programPath) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
                inner += QLatin1Char('\\');
            inner += c;
        }
        argument = QLatin1Char('"') + inner + QLatin1Char('"');
    }
    // A literal percent sign is written twice in Exec; the key file format then reads every
    // backslash as the start of an escape, so each is doubled once more.
    argument.replace(QLatin1Char('%'), QStringLiteral("%%"));
    argument.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return argument;
}

QString AutoStart::entryText(const QString &programPath) const
{
    if (mPlatform == HostPlatform::MacOS) {
        return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                              "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                              "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                              "<plist version=\"1.0\">\n<dict>\n"
                              "    <key>Label</key>\n    <string>com.quillomatrix.%1</string>\n"
                              "    <key>ProgramArguments</key>\n    <array>\n        <string>%2</string>\n    </array>\n"
                              "    <key>RunAtLoad</key>\n    <true/>\n"
                              "</dict>\n</plist>\n")
            .arg(xmlEscaped(mAppName), xmlEscaped(programPath));
    }
    QString name = mAppName;
    name.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=%2\nTerminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(name, desktopExecArgument(programPath));
}

bool AutoStart::enable(const QString &programPath)
{
    const QString path = entryPath();
    const QByteArray text = entryText(programPath).toUtf8();
    QFile current(path);
    if (current.open(QIODevice::ReadOnly) && current.readAll() == text)
        return true;
    current.close();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(text);
    return file.commit();
}

bool AutoStart::disable()
{
    const QString path = entryPath();
    return !QFileInfo::exists(path) || QFile::remove(path);
}
