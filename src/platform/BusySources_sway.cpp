// SPDX-License-Identifier: GPL-3.0-or-later
// A full-screen window in front under sway, as sway's own interface (SWAYSOCK) tells it: the focused
// window's full-screen mode in the tree, read again at each window event.
#include "BusySource.h"
#include "LocalChannel.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtEndian>

#include <optional>
#include <utility>

namespace platform {
namespace {

enum MessageType : quint32 { Subscribe = 2, GetTree = 4 };
const QByteArray kMagic = "i3-ipc";
constexpr int kHeaderSize = 6 + 4 + 4;

// The focused window's full-screen mode in a tree of containers, or nothing when no window in it is focused.
std::optional<bool> focusedFullScreen(const QJsonObject& node)
{
    if (node.value(QStringLiteral("focused")).toBool())
        return node.value(QStringLiteral("fullscreen_mode")).toInt() != 0;
    for (const QString& children : {QStringLiteral("nodes"), QStringLiteral("floating_nodes")}) {
        for (const QJsonValue& child : node.value(children).toArray()) {
            if (const std::optional<bool> found = focusedFullScreen(child.toObject()))
                return found;
        }
    }
    return std::nullopt;
}

class SwayFullScreen final : public BusySource {
public:
    explicit SwayFullScreen(QString socketPath)
        : BusySource(QmrM::BusyReason::FullScreen), mSocketPath(std::move(socketPath))
    {
    }

protected:
    void follow() override
    {
        mSocket = std::make_unique<LocalConnection>();
        QObject::connect(mSocket.get(), &LocalConnection::readyRead, this, [this] { readMessages(); });
        QObject::connect(mSocket.get(), &LocalConnection::closed, this, [this] { report(false); });
        if (mSocket->connectTo(mSocketPath))
            ask();
        else
            report(false);
    }

    void unfollow() override
    {
        if (mSocket) {
            mSocket->disconnect(this);
            mSocket.release()->deleteLater();  // may be the caller
        }
        mBuffer.clear();
        mAsked = false;
    }

private:
    void ask()
    {
        if (std::exchange(mAsked, true))
            return;
        send(Subscribe, R"(["window"])");
        send(GetTree, {});
    }

    void send(quint32 type, const QByteArray& payload)
    {
        QByteArray message = kMagic;
        message += QByteArray(8, '\0');
        qToLittleEndian<quint32>(quint32(payload.size()), message.data() + 6);
        qToLittleEndian<quint32>(type, message.data() + 10);
        mSocket->write(message + payload);
    }

    void readMessages()
    {
        mBuffer += mSocket->readAll();
        while (mBuffer.size() >= kHeaderSize && mBuffer.startsWith(kMagic)) {
            const quint32 length = qFromLittleEndian<quint32>(mBuffer.constData() + 6);
            const quint32 type = qFromLittleEndian<quint32>(mBuffer.constData() + 10);
            if (quint32(mBuffer.size() - kHeaderSize) < length)
                return;  // the rest is on its way
            const QByteArray payload = mBuffer.mid(kHeaderSize, length);
            mBuffer.remove(0, kHeaderSize + length);
            handle(type, payload);
        }
    }

    void handle(quint32 type, const QByteArray& payload)
    {
        constexpr quint32 kEvent = 0x80000000u;
        if (type & kEvent) {
            send(GetTree, {});  // a window was focused, made full-screen, closed...
            return;
        }
        if (type == GetTree)
            report(focusedFullScreen(QJsonDocument::fromJson(payload).object()).value_or(false));
    }

    const QString mSocketPath;
    std::unique_ptr<LocalConnection> mSocket;
    QByteArray mBuffer;
    bool mAsked = false;
};

}  // namespace

std::unique_ptr<BusySource> swayFullScreenSource()
{
    const QString socketPath = qEnvironmentVariable("SWAYSOCK");
    if (socketPath.isEmpty())
        return nullptr;
    return std::make_unique<SwayFullScreen>(socketPath);
}

}  // namespace platform
