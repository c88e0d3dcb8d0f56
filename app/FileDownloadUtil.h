#pragma once
#include <QObject>
#include <QString>
#include <QUrl>

class FileTransfer;

// The device page's downloader: one file at a time into a local file, every report tagged with
// the type the caller gave the transfer (0 product database, 1 resource package), which also gives
// the bound of the transfer (see DownloadLimits). It becomes idle
// before it reports the end, so a receiver may start the next transfer from inside the report.
class FileDownloadUtil : public QObject
{
    Q_OBJECT
public:
    enum Type { ProductDatabase = 0, ResourcePackage = 1 };

    explicit FileDownloadUtil(QObject *parent = nullptr);
    ~FileDownloadUtil() override;

    // A call while a transfer runs is refused with an error carrying this call's type; the
    // running transfer keeps its own.
    void download(const int &type, const QUrl &url, const QString &filePath);
    void cancel();
    bool isRunning() const;

Q_SIGNALS:
    void download_progress(qlonglong bytesReceived, qlonglong bytesTotal);
    void download_finished(int type, QString filePath);
    void download_error(int type, QString error);

private:
    FileTransfer *mTransfer = nullptr;
    int mType = 0;
};
