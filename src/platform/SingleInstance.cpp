// SPDX-License-Identifier: GPL-3.0-or-later
#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QSysInfo>
#include <QThread>
#include <QtDebug>

namespace platform {
namespace {

constexpr char kShowRequest[] = "show\n";
constexpr int kConnectTries = 20;
constexpr int kConnectWaitMs = 100;

QString canonicalFolder(const QString& folder)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return canonical.isEmpty() ? folder : canonical;
}

}  // namespace

const QString SingleInstance::kLockFileName = QStringLiteral(".quillmora.lock");

SingleInstance::SingleInstance(const QString& folder)
    : mFolder(canonicalFolder(folder)), mServerName(serverName(mFolder)), mLock(QDir(mFolder).filePath(kLockFileName))
{
    // Only a dead owner makes a lock stale, however old it is: a copy may run for days.
    mLock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::serverName(const QString& folder)
{
    // Qt's runtime location is $XDG_RUNTIME_DIR, or a folder of the user's own in the temporary folder; it
    // gives none unless the folder is the user's, no link, and only the user may enter it (0700).
    const QString privateFolder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (privateFolder.isEmpty())
        return QString();
    const QByteArray hash =
        QCryptographicHash::hash(canonicalFolder(folder).toUtf8(), QCryptographicHash::Sha256).toHex();
    return QDir(privateFolder).filePath(QStringLiteral("quillmora-") + QString::fromLatin1(hash.left(24)));
}

QString SingleInstance::lockFilePath() const
{
    return mLock.fileName();
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

SingleInstance::LockHolder SingleInstance::lockHolder() const
{
    LockHolder holder;
    QString application;
    holder.known = mLock.getLockInfo(&holder.pid, &holder.host, &application);
    holder.onThisComputer = holder.known && holder.host == QSysInfo::machineHostName();
    return holder;
}

bool SingleInstance::takeOver()
{
    if (!mLock.removeStaleLockFile() || !mLock.tryLock(0))
        return false;
    listen();
    return true;
}

void SingleInstance::listen()
{
    if (mServerName.isEmpty()) {
        qWarning("Quillmora: later starts in this folder cannot reach this copy: no private runtime folder");
        return;
    }
    mServer = new QLocalServer(this);
    mServer->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left by a copy that died is ours now: the lock says no other copy runs here.
    QLocalServer::removeServer(mServerName);
    if (!mServer->listen(mServerName)) {
        qWarning("Quillmora: later starts in this folder cannot reach this copy: %s",
                 qPrintable(mServer->errorString()));
        return;
    }
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
}

bool SingleInstance::tellRunningCopy() const
{
    if (mServerName.isEmpty())
        return false;
    // The running copy may have only just started and not listen yet.
    for (int attempt = 0; attempt < kConnectTries; ++attempt) {
        QLocalSocket socket;
        socket.connectToServer(mServerName);
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
