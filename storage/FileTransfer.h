#pragma once
#include <QFile>
#include <QObject>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;

// One GET request written into a local file as the data arrive: the common work of the two
// downloaders. A transfer that fails leaves no file behind. One transfer at a time.
class FileTransfer : public QObject
{
    Q_OBJECT
public:
    // When the downloader becomes idle: before it reports the end (a receiver may start the next
    // transfer from inside the report), or after it.
    enum class IdleWhen { BeforeReport, AfterReport };

    // Seconds without any data after which a transfer is given up.
    static constexpr int StallTimeoutMs = 30000;

    explicit FileTransfer(IdleWhen idleWhen, QObject *parent = nullptr);
    ~FileTransfer() override;

    bool isRunning() const;
    // Starts a transfer. Returns an empty text when it started, else the reason ("Another download
    // in progress", "Cannot open file for writing"); nothing is reported then.
    QString start(const QUrl &url, const QString &filePath);
    // Aborts the running transfer; it ends with an error report.
    void cancel();

    // A GET request as every download of the program sends it.
    static QNetworkRequest request(const QUrl &url);

Q_SIGNALS:
    void progress(qlonglong bytesReceived, qlonglong bytesTotal);
    void finished(QString filePath);
    void error(QString error);

private:
    void readAvailable();
    void replyFinished();
    // Writes data to the file; false when the file refused it.
    bool store(const QByteArray &data);

    IdleWhen mIdleWhen;
    QNetworkAccessManager *mManager = nullptr;
    QNetworkReply *mReply = nullptr;
    QFile mFile;
    bool mWriteFailed = false;
};
