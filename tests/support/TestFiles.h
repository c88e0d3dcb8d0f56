#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

// Small file and widget helpers the tests of the shell share.
class TestFiles
{
public:
    // One entry of an archive written by writeZip.
    struct ZipEntry {
        QString name;
        QByteArray data;
        bool symlink = false;
        // Its mode bits (0: none recorded); a name ending in "/" is a folder.
        unsigned mode = 0;
    };

    // The whole file; empty when it cannot be read.
    static QByteArray read(const QString &path);
    // Writes the file whole, creating its folder; false when that failed.
    static bool write(const QString &path, const QByteArray &data);
    // Writes a zip archive entry by entry (compressed), whatever the names; false when that failed.
    static bool writeZip(const QString &path, const QList<ZipEntry> &entries);
    // A small file that passes for a Linux program of this machine: this test program's own ELF
    // header, then text.
    static QByteArray linuxProgram();
    // Makes folder (created) the system's temporary folder for the rest of the run, so that
    // downloads and the single-instance segment stay inside the test's own folder.
    static bool redirectTempFolder(const QString &folder);
    // The texts of the toasts (QToastBox) shown over parent now.
    static QStringList toastTexts(const QWidget *parent);
};
