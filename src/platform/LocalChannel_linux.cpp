// SPDX-License-Identifier: GPL-3.0-or-later
#include "LocalChannel.h"

#include <QFile>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {
namespace {

// The socket's address; false when the path is too long for one.
bool addressOf(const QString& path, sockaddr_un* address)
{
    const QByteArray encoded = QFile::encodeName(path);
    std::memset(address, 0, sizeof *address);
    address->sun_family = AF_UNIX;
    if (encoded.isEmpty() || size_t(encoded.size()) >= sizeof address->sun_path)
        return false;
    std::memcpy(address->sun_path, encoded.constData(), size_t(encoded.size()));
    return true;
}

// A non-blocking stream socket connected to `address`; -1 when nothing listens (a local socket connects at once
// or not at all).
int connectedTo(const sockaddr_un& address)
{
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (socket >= 0 && ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(socket);
        return -1;
    }
    return socket;
}

constexpr qsizetype kMaxMessage = 1024;
// A start sends its few bytes at once: a connection silent this long is dropped.
constexpr int kSilentForMs = 1000;
// Connections read at once; more wait in the socket's queue until one is done.
constexpr int kMostReaders = 8;
// How long the listener rests when the process has no descriptor left for a connection.
constexpr int kRestWhenFullMs = 250;

}  // namespace

struct LocalListener::Listening {
    int socket = -1;
    QByteArray path;
    std::unique_ptr<QSocketNotifier> incoming;
    int readers = 0;

    ~Listening()
    {
        incoming.reset();
        if (socket >= 0)
            ::close(socket);
        if (!path.isEmpty())
            ::unlink(path.constData());
    }
};

LocalListener::LocalListener(QObject* parent) : QObject(parent) {}

LocalListener::~LocalListener() = default;

QString LocalListener::listen(const QString& path)
{
    sockaddr_un address;
    if (!addressOf(path, &address))
        return QStringLiteral("the socket's path is too long");
    // A socket left by a copy that died is ours now: the caller holds the folder's lock.
    ::unlink(address.sun_path);
    auto listening = std::make_unique<Listening>();
    listening->socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listening->socket < 0 ||
        ::bind(listening->socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    listening->path = address.sun_path;
    // The folder is the user's alone already; the socket is too.
    if (::chmod(address.sun_path, S_IRUSR | S_IWUSR) != 0 || ::listen(listening->socket, 8) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    listening->incoming = std::make_unique<QSocketNotifier>(listening->socket, QSocketNotifier::Read);
    connect(listening->incoming.get(), &QSocketNotifier::activated, this, [this] { acceptWaiting(); });
    mListening = std::move(listening);
    return QString();
}

void LocalListener::acceptWaiting()
{
    Listening& l = *mListening;
    while (l.readers < kMostReaders) {
        const int client = ::accept4(l.socket, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (client < 0) {
            // Out of descriptors, the connection stays queued and the notifier would fire again at once.
            const bool outOfDescriptors = errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM;
            l.incoming->setEnabled(!outOfDescriptors);
            if (outOfDescriptors)
                QTimer::singleShot(kRestWhenFullMs, this, [this] { acceptWaiting(); });
            return;
        }
        ++l.readers;
        // Read as the bytes come, until the start closes; the descriptor goes with the reader.
        auto* reader = new QSocketNotifier(client, QSocketNotifier::Read, this);
        connect(reader, &QObject::destroyed, [client] { ::close(client); });
        const auto drop = [this, reader] {
            if (!reader->isEnabled())
                return;  // dropped already
            reader->setEnabled(false);
            reader->deleteLater();
            --mListening->readers;
            acceptWaiting();
        };
        QTimer::singleShot(kSilentForMs, reader, drop);
        connect(reader, &QSocketNotifier::activated, this, [this, client, message = QByteArray(), drop]() mutable {
            char buffer[64];
            ssize_t n;
            while ((n = ::read(client, buffer, sizeof buffer)) > 0 && message.size() < kMaxMessage)
                message.append(buffer, n);
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                return;  // the rest is on its way
            drop();
            emit received(message);
        });
    }
    l.incoming->setEnabled(false);  // until a reader is done
}

int connectToLocalSocket(const QString& path)
{
    sockaddr_un address;
    return addressOf(path, &address) ? connectedTo(address) : -1;
}

bool sendToListener(const QString& path, const QByteArray& message, int tries, int waitMs)
{
    sockaddr_un address;
    if (!addressOf(path, &address))
        return false;
    for (int attempt = 0; attempt < tries; ++attempt) {
        if (attempt > 0)
            QThread::msleep(static_cast<unsigned long>(waitMs));
        // Never waits on the listener: a full queue is tried again, a copy that does not read is not waited for.
        const int socket = connectedTo(address);
        if (socket < 0)
            continue;
        const bool sent = ::send(socket, message.constData(), size_t(message.size()), MSG_NOSIGNAL) == message.size();
        ::close(socket);
        return sent;
    }
    return false;
}

}  // namespace platform
