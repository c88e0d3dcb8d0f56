#pragma once
// What the firmware tests share: the warning guard, firmware image files and firmware data files.

#include <QByteArray>
#include <QFile>
#include <QRegularExpression>
#include <QtEndian>
#include <QtTest>

namespace FirmwareTestKit {

// Any warning fails the test, except the offscreen platform's notes on window calls it cannot do.
inline void failOnWarnings()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(
        R"(^(?!This plugin does not support (propagateSizeHints|raise)\(\)).*)")));
}

// A payload whose bytes differ from their neighbours and from the header.
inline QByteArray payload(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + 3) % 251);
    return bytes;
}

// An image file: the header names serial and carries the end values 0x44332211 and 0x88776655;
// the header bytes that are not read are 0xEE.
inline QByteArray writeImage(const QString &path, quint16 serial, const QByteArray &body)
{
    QByteArray header(40, char(0xEE));
    qToLittleEndian<quint16>(serial, header.data());
    qToLittleEndian<quint32>(0x44332211u, header.data() + 4);
    qToLittleEndian<quint32>(0x88776655u, header.data() + 8);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(header + body) != 40 + body.size())
        return QByteArray();
    return header + body;
}

// A data file whose header gives the payload's length and byte sum, each off by the amount given.
inline QByteArray dataFile(int payload, int lengthOff = 0, int sumOff = 0)
{
    QByteArray bytes(40 + payload, '\0');
    quint32 sum = 0;
    for (int i = 40; i < bytes.size(); ++i)
        sum += uchar(bytes[i] = char(i * 5));
    bytes[0] = 'Q';
    qToLittleEndian<quint32>(quint32(payload + lengthOff), bytes.data() + 16);
    qToLittleEndian<quint32>(sum + quint32(sumOff), bytes.data() + 24);
    return bytes;
}

} // namespace FirmwareTestKit
