#pragma once
#include <QObject>
#include <QPointer>
#include <QString>

class QLocalServer;
class QWidget;

// The running instance's side of the single-instance hand-over: listens under the server name and
// brings the window back when a second start sends "activate".
class InstanceServer : public QObject
{
    Q_OBJECT
public:
    explicit InstanceServer(QObject *parent = nullptr);
    ~InstanceServer() override;

    // Listens under the name. A name left behind by a crashed instance (nobody answers on it) is
    // removed and taken over; the name of a live server is left alone and false is returned.
    bool listen(const QString &serverName);
    bool isListening() const;
    QString fullServerName() const;
    // The window shown normal, activated and maximized on "activate" (not owned).
    void setWindow(QWidget *window);

Q_SIGNALS:
    // A second start asked this instance to come to the front.
    void activateRequested();

private Q_SLOTS:
    void onNewConnection();
    void onInstanceMessage();

private:
    QLocalServer *mLocalServer = nullptr;
    QPointer<QWidget> mWindow;
};
