#include "app/InstanceServer.h"

#include "app/SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

namespace {
// How long a left-over server name is given to answer before it counts as abandoned.
constexpr int ProbeTimeoutMs = 1000;

bool serverAnswers(const QString &serverName)
{
    QLocalSocket probe;
    probe.connectToServer(serverName);
    const bool answered = probe.waitForConnected(ProbeTimeoutMs);
    probe.abort();
    return answered;
}
} // namespace

InstanceServer::InstanceServer(QObject *parent)
    : QObject(parent), mLocalServer(new QLocalServer(this))
{
    connect(mLocalServer, &QLocalServer::newConnection, this, &InstanceServer::onNewConnection);
}

InstanceServer::~InstanceServer()
{
    mLocalServer->disconnect(this);
    delete mLocalServer;
}

bool InstanceServer::listen(const QString &serverName)
{
    if (mLocalServer->listen(serverName))
        return true;
    if (mLocalServer->serverError() != QAbstractSocket::AddressInUseError
        || serverAnswers(serverName))
        return false;
    QLocalServer::removeServer(serverName);
    return mLocalServer->listen(serverName);
}

bool InstanceServer::isListening() const
{
    return mLocalServer->isListening();
}

QString InstanceServer::fullServerName() const
{
    return mLocalServer->fullServerName();
}

void InstanceServer::setWindow(QWidget *window)
{
    mWindow = window;
}

void InstanceServer::onNewConnection()
{
    while (QLocalSocket *socket = mLocalServer->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, &InstanceServer::onInstanceMessage);
        // A peer that leaves without a message is disposed of too.
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void InstanceServer::onInstanceMessage()
{
    auto *socket = qobject_cast<QLocalSocket *>(sender());
    if (!socket)
        return;
    // One message per connection: the first read decides.
    const QByteArray message = socket->readAll();
    socket->disconnect(this);
    socket->deleteLater();
    if (message != SingleInstance::ActivateMessage)
        return;
    Q_EMIT activateRequested();
    if (mWindow) {
        mWindow->showNormal();
        mWindow->activateWindow();
        mWindow->setWindowState(Qt::WindowMaximized);
    }
}
