#include "storage/UpdateChecker.h"

#include "storage/FileTransfer.h"

#include <QCryptographicHash>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringList>
#include <QXmlStreamReader>

UpdateChecker::UpdateChecker(QObject *parent) : QObject(parent), mManager(new QNetworkAccessManager(this))
{
    qRegisterMetaType<VersionInfo>("VersionInfo");
}

void UpdateChecker::checkForUpdate(const QUrl &url)
{
    QNetworkReply *reply = mManager->get(FileTransfer::request(url));
    connect(reply, &QNetworkReply::finished, this, [this, reply] { replyFinished(reply); });
}

VersionInfo UpdateChecker::versionInfo() const
{
    return mVersionInfo;
}

void UpdateChecker::replyFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError) {
        Q_EMIT checkError(reply->errorString());
        return;
    }
    mVersionInfo = parseVersionInfo(reply->readAll());
    if (!mVersionInfo.version.isEmpty() && mVersionInfo.url.isValid())
        Q_EMIT updateAvailable(mVersionInfo);
    else
        Q_EMIT checkError(QStringLiteral("Invalid version info format"));
}

VersionInfo UpdateChecker::parseVersionInfo(const QByteArray &xml)
{
    VersionInfo info;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd() && !reader.hasError()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto name = reader.name();
        if (name == QLatin1String("version"))
            info.version = reader.readElementText();
        else if (name == QLatin1String("description"))
            info.description = reader.readElementText();
        else if (name == QLatin1String("md5"))
            info.md5 = reader.readElementText().toUpper();
        else if (name == QLatin1String("url"))
            info.url = QUrl(reader.readElementText(), QUrl::TolerantMode);
    }
    return info;
}

namespace {
// One part of a version: its leading number (absent counts as 0) and the text behind it.
struct VersionPart {
    qulonglong number = 0;
    QString rest;
};

VersionPart splitPart(const QString &part)
{
    VersionPart result;
    int digits = 0;
    while (digits < part.size() && part.at(digits).isDigit() && part.at(digits).unicode() < 128)
        ++digits;
    // Leading zeros do not make a number larger; overly long numbers are compared as text below.
    const QString number = part.left(digits);
    bool ok = false;
    result.number = number.isEmpty() ? 0 : number.toULongLong(&ok);
    if (!number.isEmpty() && !ok)
        result.number = ~0ULL;
    result.rest = part.mid(digits);
    return result;
}
} // namespace

int UpdateChecker::compareVersions(const QString &a, const QString &b)
{
    const QStringList left = a.trimmed().split(QLatin1Char('.'));
    const QStringList right = b.trimmed().split(QLatin1Char('.'));
    const qsizetype count = qMax(left.size(), right.size());
    for (qsizetype i = 0; i < count; ++i) {
        const VersionPart x = splitPart(i < left.size() ? left.at(i) : QString());
        const VersionPart y = splitPart(i < right.size() ? right.at(i) : QString());
        if (x.number != y.number)
            return x.number < y.number ? -1 : 1;
        const int text = QString::compare(x.rest, y.rest, Qt::CaseSensitive);
        if (text != 0)
            return text < 0 ? -1 : 1;
    }
    return 0;
}

bool UpdateChecker::verifyDigest(const QString &filePath, const QString &md5)
{
    const QString expected = md5.trimmed();
    QFile file(filePath);
    if (expected.isEmpty() || !file.open(QIODevice::ReadOnly))
        return false;
    QCryptographicHash hash(QCryptographicHash::Md5);
    if (!hash.addData(&file) || !file.atEnd())
        return false;
    return QString::fromLatin1(hash.result().toHex()).compare(expected, Qt::CaseInsensitive) == 0;
}
