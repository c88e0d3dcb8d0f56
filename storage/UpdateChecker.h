#pragma once
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

// What a version description file offers: the version, its description, the MD5 digest of the
// package (upper-case hexadecimal) and where to download it.
struct VersionInfo {
    QString version;
    QString description;
    QString md5;
    QUrl url;
};
Q_DECLARE_METATYPE(VersionInfo)

// Fetches a version description file from the update server and turns it into a VersionInfo.
// Each check is a request of its own; several may be in flight. A reply longer than
// DownloadLimits::VersionDescription is an invalid one; a check that brings too little for too
// long fails (see TransferWatch), and one whose reply reports an error fails with it at once.
class UpdateChecker : public QObject
{
    Q_OBJECT
public:
    explicit UpdateChecker(QObject *parent = nullptr);

    void checkForUpdate(const QUrl &url);
    // The description of the last successful reply.
    VersionInfo versionInfo() const;

    // Reads the elements "version", "description", "md5" and "url" at any depth of the XML
    // document; a later element replaces an earlier one of the same name. Reading stops at the
    // first XML error, keeping what was gathered so far. A description longer than
    // DownloadLimits::ShownDescription is cut at the end of its last line within that length.
    static VersionInfo parseVersionInfo(const QByteArray &xml);
    // Compares two dotted version texts part by part, each part by its leading number and then by
    // the text behind it; missing parts count as 0. Negative, 0 or positive as a is below, equal
    // to or above b ("1.1.10.0" is above "1.1.2.2").
    static int compareVersions(const QString &a, const QString &b);
    // True when the digest of a download (see DownloadManager::digest) equals md5 (hexadecimal,
    // any case, surrounding blanks ignored). An empty digest or md5 never matches.
    static bool digestMatches(const QString &digest, const QString &md5);

Q_SIGNALS:
    void updateAvailable(VersionInfo info);
    void checkError(QString error);

private:
    void replyFinished(QNetworkReply *reply, const QByteArray &body, bool tooLarge);

    QNetworkAccessManager *mManager = nullptr;
    VersionInfo mVersionInfo;
};
