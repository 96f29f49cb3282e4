// SPDX-License-Identifier: GPL-3.0-or-later
#include "LocalChannel.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

namespace platform {

struct LocalListener::Listening {
    QLocalServer server;
};

LocalListener::LocalListener(QObject* parent) : QObject(parent) {}

LocalListener::~LocalListener() = default;

QString LocalListener::listen(const QString& path)
{
    auto listening = std::make_unique<Listening>();
    listening->server.setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(path);
    if (!listening->server.listen(path))
        return listening->server.errorString();
    QLocalServer* server = &listening->server;
    connect(server, &QLocalServer::newConnection, this, [this, server] {
        while (QLocalSocket* socket = server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                emit received(socket->readAll());
                socket->disconnectFromServer();
            });
        }
    });
    mListening = std::move(listening);
    return QString();
}

struct LocalConnection::Connection {
    QLocalSocket socket;
};

LocalConnection::LocalConnection(QObject* parent) : QObject(parent) {}

LocalConnection::~LocalConnection() = default;

bool LocalConnection::connectTo(const QString& path)
{
    mConnection = std::make_unique<Connection>();
    QLocalSocket* socket = &mConnection->socket;
    socket->connectToServer(path);
    if (!socket->waitForConnected(1000))
        return false;
    connect(socket, &QLocalSocket::readyRead, this, &LocalConnection::readyRead);
    connect(socket, &QLocalSocket::disconnected, this, &LocalConnection::closed);
    return true;
}

void LocalConnection::write(const QByteArray& bytes)
{
    if (mConnection)
        mConnection->socket.write(bytes);
}

QByteArray LocalConnection::readAll()
{
    return mConnection ? mConnection->socket.readAll() : QByteArray();
}

bool sendToListener(const QString& path, const QByteArray& message, int tries, int waitMs)
{
    for (int attempt = 0; attempt < tries; ++attempt) {
        QLocalSocket socket;
        socket.connectToServer(path);
        if (socket.waitForConnected(waitMs)) {
            socket.write(message);
            const bool sent = socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            return sent;
        }
        QThread::msleep(static_cast<unsigned long>(waitMs));
    }
    return false;
}

}  // namespace platform
