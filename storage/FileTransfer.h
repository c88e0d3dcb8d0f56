#pragma once
#include <QCryptographicHash>
#include <QFile>
#include <QObject>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;
class TransferWatch;

// One GET request written into a local file as the data arrive, its MD5 digest taken on the way:
// the common work of the two downloaders. A transfer that brings too little for too long (see
// TransferWatch), more than its bound or more than it announced fails, as does one whose reply
// reports an error, at once; a transfer that fails leaves no file behind. One transfer at a time.
class FileTransfer : public QObject
{
    Q_OBJECT
public:
    // When the downloader becomes idle: before it reports the end (a receiver may start the next
    // transfer from inside the report), or after it.
    enum class IdleWhen { BeforeReport, AfterReport };

    explicit FileTransfer(IdleWhen idleWhen, QObject *parent = nullptr);
    ~FileTransfer() override;

    bool isRunning() const;
    // Starts a transfer of at most maxBytes. Returns an empty text when it started, else the reason
    // ("Another download in progress", "Cannot open file for writing"); nothing is reported then.
    QString start(const QUrl &url, const QString &filePath, qint64 maxBytes);
    // Aborts the running transfer; it ends with an error report.
    void cancel();

    // The MD5 digest, upper-case hexadecimal, of the file of the last transfer that finished.
    QString digest() const;

    // The failure text of a transfer refused for its size.
    static const char *const TooLargeError;

Q_SIGNALS:
    void progress(qlonglong bytesReceived, qlonglong bytesTotal);
    void finished(QString filePath);
    void error(QString error);

private:
    // The reply finished, or reported an error.
    void replyEnded();
    // Aborts the reply unless it is over.
    void abortReply();
    // Writes a piece of the body to the file and into the digest; a piece the file refuses ends
    // the transfer.
    void store(const QByteArray &data);

    IdleWhen mIdleWhen;
    QNetworkAccessManager *mManager = nullptr;
    QNetworkReply *mReply = nullptr;
    TransferWatch *mWatch = nullptr;
    QFile mFile;
    QCryptographicHash mHash{QCryptographicHash::Md5};
    QString mDigest;
    bool mWriteFailed = false;
};
