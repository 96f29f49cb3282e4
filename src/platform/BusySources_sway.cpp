// SPDX-License-Identifier: GPL-3.0-or-later
// A full-screen window in front under sway (SWAYSOCK): the focused window's full-screen mode in the tree, its own or
// a container's, read again at each window event. sway gives a focused empty workspace full-screen mode too.
#include "BusySource.h"
#include "LocalChannel.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>
#include <QtEndian>

#include <cerrno>
#include <optional>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace platform {
namespace {

enum MessageType : quint32 { Subscribe = 2, GetTree = 4 };
const QByteArray kMagic = "i3-ipc";
constexpr int kHeaderSize = 6 + 4 + 4;
// Far more than the tree of a desktop full of windows; a message said to be longer is not sway's.
constexpr quint32 kLongestMessage = 16 * 1024 * 1024;

// Whether the focused window is full screen, itself or in a full-screen container; nothing when none is focused.
std::optional<bool> focusedFullScreen(const QJsonObject& node, bool withinFullScreen = false)
{
    // A window or a container of windows (not the root, an output or a workspace).
    const QString type = node.value(QStringLiteral("type")).toString();
    const bool container = type == QLatin1String("con") || type == QLatin1String("floating_con");
    const bool fullScreen =
        withinFullScreen || (container && node.value(QStringLiteral("fullscreen_mode")).toInt() != 0);
    if (node.value(QStringLiteral("focused")).toBool())
        return container && fullScreen;
    for (const QString& children : {QStringLiteral("nodes"), QStringLiteral("floating_nodes")}) {
        for (const QJsonValue& child : node.value(children).toArray()) {
            if (const std::optional<bool> found = focusedFullScreen(child.toObject(), fullScreen))
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
        connect(&mReading, &QSocketNotifier::activated, this, [this] { readMessages(); });
    }

    ~SwayFullScreen() override { unfollow(); }

protected:
    void follow() override
    {
        mSocket = connectToLocalSocket(mSocketPath);
        if (mSocket < 0)
            return report(false);
        mReading.setSocket(mSocket);
        mReading.setEnabled(true);
        send(Subscribe, R"(["window"])");
        askForTree();
    }

    void unfollow() override
    {
        mReading.setEnabled(false);
        if (mSocket >= 0)
            ::close(mSocket);
        mSocket = -1;
        mBuffer.clear();
        mTreeAsked = false;
        mAskAgain = false;
    }

private:
    // One tree asked for at a time; the events that come meanwhile are answered by one more.
    void askForTree()
    {
        if (mTreeAsked) {
            mAskAgain = true;
            return;
        }
        mTreeAsked = true;
        send(GetTree, {});
    }

    // sway never has more than a few small messages unread: the socket takes them at once, unless sway has gone.
    void send(quint32 type, const QByteArray& payload)
    {
        QByteArray message = kMagic + QByteArray(8, '\0') + payload;
        qToLittleEndian<quint32>(quint32(payload.size()), message.data() + 6);
        qToLittleEndian<quint32>(type, message.data() + 10);
        if (mSocket >= 0 &&
            ::send(mSocket, message.constData(), size_t(message.size()), MSG_NOSIGNAL) != message.size())
            giveUp();
    }

    // Reads what has come and handles each whole message; sway has gone when the socket closes.
    void readMessages()
    {
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(mSocket, buffer, sizeof buffer)) > 0)
            mBuffer.append(buffer, n);
        const bool open = n < 0 && (errno == EAGAIN || errno == EINTR);
        while (mSocket >= 0 && mBuffer.size() >= kMagic.size()) {
            if (!mBuffer.startsWith(kMagic))
                return giveUp();  // not sway's protocol
            if (mBuffer.size() < kHeaderSize)
                break;
            const quint32 length = qFromLittleEndian<quint32>(mBuffer.constData() + 6);
            const quint32 type = qFromLittleEndian<quint32>(mBuffer.constData() + 10);
            if (length > kLongestMessage)
                return giveUp();  // not sway's protocol
            if (quint32(mBuffer.size() - kHeaderSize) < length)
                break;  // the rest is on its way
            const QByteArray payload = mBuffer.mid(kHeaderSize, length);
            mBuffer.remove(0, kHeaderSize + length);
            handle(type, payload);  // may stop following
        }
        if (!open && mSocket >= 0)
            giveUp();  // sway went
    }

    void handle(quint32 type, const QByteArray& payload)
    {
        constexpr quint32 kEvent = 0x80000000u;
        if (type & kEvent)
            return askForTree();  // a window was focused, made full-screen, closed...
        if (type != GetTree)
            return;
        mTreeAsked = false;
        if (std::exchange(mAskAgain, false))
            askForTree();
        report(focusedFullScreen(QJsonDocument::fromJson(payload).object()).value_or(false));
    }

    const QString mSocketPath;
    int mSocket = -1;
    QSocketNotifier mReading{QSocketNotifier::Read};
    QByteArray mBuffer;
    bool mTreeAsked = false;
    bool mAskAgain = false;
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
