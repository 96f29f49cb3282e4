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
