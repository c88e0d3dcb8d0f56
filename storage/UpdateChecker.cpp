#include "storage/UpdateChecker.h"

#include "storage/DownloadLimits.h"
#include "storage/TransferWatch.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringList>
#include <QXmlStreamReader>

#include <memory>

UpdateChecker::UpdateChecker(QObject *parent) : QObject(parent), mManager(new QNetworkAccessManager(this))
{
    qRegisterMetaType<VersionInfo>("VersionInfo");
}

void UpdateChecker::checkForUpdate(const QUrl &url)
{
    QNetworkReply *reply = mManager->get(QNetworkRequest(url));
    auto *watch = new TransferWatch(reply, DownloadLimits::VersionDescription);
    auto body = std::make_shared<QByteArray>();
    connect(watch, &TransferWatch::received, this, [body](const QByteArray &data) { body->append(data); });
    connect(watch, &TransferWatch::ended, this, [this, reply, watch, body] {
        replyFinished(reply, *body, watch->outcome() == TransferWatch::Outcome::TooLarge);
    });
}

VersionInfo UpdateChecker::versionInfo() const
{
    return mVersionInfo;
}

void UpdateChecker::replyFinished(QNetworkReply *reply, const QByteArray &body, bool tooLarge)
{
    reply->deleteLater();
    // A reply past its bound is no version description at all.
    const QString invalid = QStringLiteral("Invalid version info format");
    if (tooLarge) {
        Q_EMIT checkError(invalid);
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        Q_EMIT checkError(reply->errorString());
        return;
    }
    mVersionInfo = parseVersionInfo(body);
    if (!mVersionInfo.version.isEmpty() && mVersionInfo.url.isValid())
        Q_EMIT updateAvailable(mVersionInfo);
    else
        Q_EMIT checkError(invalid);
}

namespace {
// A description as long as the user is shown: a longer one ends with its last whole line within
// the bound, or at the bound when that line is longer than the bound.
QString shownDescription(const QString &text)
{
    if (text.size() <= DownloadLimits::ShownDescription)
        return text;
    qsizetype end = text.lastIndexOf(QLatin1Char('\n'), DownloadLimits::ShownDescription);
    if (end <= 0) {
        end = DownloadLimits::ShownDescription;
        if (text.at(end - 1).isHighSurrogate())
            --end;
    }
    return text.left(end);
}
} // namespace

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
            info.description = shownDescription(reader.readElementText());
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

bool UpdateChecker::digestMatches(const QString &digest, const QString &md5)
{
    const QString expected = md5.trimmed();
    return !digest.isEmpty() && !expected.isEmpty() && digest.compare(expected, Qt::CaseInsensitive) == 0;
}
