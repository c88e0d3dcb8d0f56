#pragma once
#include <QObject>
#include <QString>
#include <QUrl>

class FileTransfer;

// Downloads one file at a time into a local file, with progress. It reports the end of a transfer
// while still busy: a download started from inside finished or error is refused.
class DownloadManager : public QObject
{
    Q_OBJECT
public:
    explicit DownloadManager(QObject *parent = nullptr);

    // Downloads at most maxBytes (see DownloadLimits); a longer body fails the transfer.
    void download(const QUrl &url, const QString &filePath, qint64 maxBytes);
    void cancel();
    bool isRunning() const;
    // The MD5 digest, upper-case hexadecimal, of the last file it finished, taken as the data came.
    QString digest() const;

Q_SIGNALS:
    void progress(qlonglong bytesReceived, qlonglong bytesTotal);
    void finished(QString filePath);
    void error(QString error);

private:
    FileTransfer *mTransfer = nullptr;
};
