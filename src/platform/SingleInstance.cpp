// SPDX-License-Identifier: GPL-3.0-or-later
#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

namespace platform {
namespace {

constexpr char kShowRequest[] = "show\n";
constexpr int kConnectTries = 20;
constexpr int kConnectWaitMs = 100;

}  // namespace

const QString SingleInstance::kLockFileName = QStringLiteral(".quillmora.lock");

SingleInstance::SingleInstance(const QString& folder)
    : mFolder(QFileInfo(folder).canonicalFilePath().isEmpty() ? folder : QFileInfo(folder).canonicalFilePath()),
      mLock(QDir(mFolder).filePath(kLockFileName))
{
    // Only a dead owner makes a lock stale, however old it is: a copy may run for days.
    mLock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::serverName(const QString& folder)
{
    const QString canonical =
        QFileInfo(folder).canonicalFilePath().isEmpty() ? folder : QFileInfo(folder).canonicalFilePath();
    const QByteArray hash = QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha256).toHex();
    return QStringLiteral("quillmora-") + QString::fromLatin1(hash.left(24));
}

SingleInstance::Outcome SingleInstance::claim()
{
    if (mLock.tryLock(0)) {
        listen();
        return Outcome::Running;
    }
    if (mLock.error() != QLockFile::LockFailedError) {
        // No lock can be made here (a read-only folder, say): nothing can be overwritten either, so the
        // program runs without one.
        return Outcome::Running;
    }
    return tellRunningCopy() ? Outcome::HandedOver : Outcome::OtherSilent;
}

bool SingleInstance::listen()
{
    const QString name = serverName(mFolder);
    mServer = new QLocalServer(this);
    mServer->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left by a copy that died is ours now: the lock says no other copy runs here.
    QLocalServer::removeServer(name);
    if (!mServer->listen(name))
        return false;
    connect(mServer, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = mServer->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains("show"))
                    emit anotherStart();
                socket->disconnectFromServer();
            });
        }
    });
    return true;
}

bool SingleInstance::tellRunningCopy() const
{
    // The running copy may have only just started and not listen yet.
    for (int attempt = 0; attempt < kConnectTries; ++attempt) {
        QLocalSocket socket;
        socket.connectToServer(serverName(mFolder));
        if (socket.waitForConnected(kConnectWaitMs)) {
            socket.write(kShowRequest);
            const bool sent = socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            return sent;
        }
        QThread::msleep(kConnectWaitMs);
    }
    return false;
}

}  // namespace platform
