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

    void download(const QUrl &url, const QString &filePath);
    void cancel();
    bool isRunning() const;

Q_SIGNALS:
    void progress(qlonglong bytesReceived, qlonglong bytesTotal);
    void finished(QString filePath);
    void error(QString error);

private:
    FileTransfer *mTransfer = nullptr;
};
