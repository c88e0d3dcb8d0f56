#include "emulator/SampleResourcePackage.h"

#include <JlCompress.h>

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

const char *const SampleResourcePackage::FolderName = "QuillHE104";
const char *const SampleResourcePackage::ServerPath = "/normal/quillhe104/quillhe104.zip";

namespace {
// A keyboard seen from above: a rounded case with rows of key caps.
QImage drawKeyboard(const QColor &background, const QColor &caseColour, const QColor &keyColour)
{
    QImage image(400, 200, QImage::Format_ARGB32);
    image.fill(background);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(caseColour);
    painter.drawRoundedRect(QRectF(20, 40, 360, 130), 12, 12);
    painter.setBrush(keyColour);
    for (int row = 0; row < 5; ++row) {
        for (int col = 0; col < 15; ++col)
            painter.drawRoundedRect(QRectF(32 + col * 22.5, 50 + row * 23, 19, 19), 3, 3);
    }
    return image;
}
} // namespace

QStringList SampleResourcePackage::entryNames()
{
    return {QStringLiteral("light/fireware_bg.png"), QStringLiteral("dark/fireware_bg.png")};
}

bool SampleResourcePackage::writeFolder(const QString &folder)
{
    const QDir dir(folder);
    if (!dir.mkpath(QStringLiteral("light")) || !dir.mkpath(QStringLiteral("dark")))
        return false;
    const QImage light = drawKeyboard(QColor(242, 243, 245), QColor(78, 89, 105), QColor(255, 255, 255));
    const QImage dark = drawKeyboard(QColor(35, 35, 36), QColor(229, 230, 235), QColor(60, 60, 64));
    return light.save(dir.filePath(entryNames().at(0)), "PNG") && dark.save(dir.filePath(entryNames().at(1)), "PNG");
}

bool SampleResourcePackage::writeArchive(const QString &archivePath)
{
    QTemporaryDir work;
    if (!work.isValid() || !writeFolder(work.path()))
        return false;
    QFile::remove(archivePath);
    return JlCompress::compressDir(archivePath, work.path(), true);
}
