#include "tests/support/TestFiles.h"

#include <quazip.h>
#include <quazipfile.h>

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>

QByteArray TestFiles::read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool TestFiles::write(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

bool TestFiles::writeZip(const QString &path, const QList<ZipEntry> &entries)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile::remove(path);
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdCreate))
        return false;
    for (const ZipEntry &entry : entries) {
        QuaZipFile file(&zip);
        QuaZipNewInfo info(entry.name);
        const unsigned type = entry.symlink ? 0120000u : entry.name.endsWith(QLatin1Char('/')) ? 040000u : 0100000u;
        info.externalAttr = entry.symlink ? (0120777u << 16) : entry.mode ? ((type | entry.mode) << 16) : 0;
        if (!file.open(QIODevice::WriteOnly, info) || file.write(entry.data) != entry.data.size())
            return false;
        file.close();
    }
    zip.close();
    return zip.getZipError() == 0;
}

QByteArray TestFiles::linuxProgram()
{
    return read(QCoreApplication::applicationFilePath()).left(64) + "new program";
}

bool TestFiles::redirectTempFolder(const QString &folder)
{
    if (!QDir().mkpath(folder))
        return false;
    return qputenv("TMPDIR", folder.toLocal8Bit());
}

QStringList TestFiles::toastTexts(const QWidget *parent)
{
    QStringList texts;
    for (const QDialog *dialog : parent->findChildren<QDialog *>()) {
        if (!dialog->inherits("QToastBox"))
            continue;
        if (const QLabel *label = dialog->findChild<QLabel *>())
            texts.append(label->text());
    }
    return texts;
}
