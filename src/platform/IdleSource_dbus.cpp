// SPDX-License-Identifier: GPL-3.0-or-later
// GNOME's own idle time: Mutter's idle monitor on the session bus. A watch is added for the pause, and the
// monitor tells when it fires (at once when the user has been idle that long already).
#include "Guard.h"
#include "BusySource.h"
#include "SessionBus.h"

namespace platform {
namespace {

const QString kService = QStringLiteral("org.gnome.Mutter.IdleMonitor");
const QString kPath = QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core");
const QString& kInterface = kService;

QDBusMessage monitorCall(const QString& method, const QVariantList& arguments)
{
    return busCall(kService, kPath, kInterface, method, arguments);
}

class GnomeIdle final : public IdleSource {
    Q_OBJECT
public:
    ~GnomeIdle() override { stop(); }

    void awaitPause(qint64 pauseMs) override
    {
        stop();
        // A monitor that leaves the bus takes its watches with it; a new one never heard of this one.
        mCalls.followOwner(kService, [this](bool) { endWatch(false); });
        sessionBus().connect(kService, kPath, kInterface, QStringLiteral("WatchFired"), this, SLOT(watchFired(uint)));
        // An answer that comes once stopped is dropped.
        mCalls.call(monitorCall(QStringLiteral("AddIdleWatch"), {quint64(pauseMs)}), [this](const QDBusMessage& reply) {
            if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
                return endWatch(false);
            mWatch = reply.arguments().first().toUInt();
            if (mFiredEarly.contains(mWatch))
                endWatch(true);
        });
    }

    void stop() override
    {
        mCalls.stopFollowing();
        mCalls.forget();
        sessionBus().disconnect(kService, kPath, kInterface, QStringLiteral("WatchFired"), this,
                                SLOT(watchFired(uint)));
        if (mWatch != 0)
            sessionBus().send(monitorCall(QStringLiteral("RemoveWatch"), {mWatch}));
        mWatch = 0;
        mFiredEarly.clear();
    }

private slots:
    void watchFired(uint id)
    {
        runGuarded([&] {
            if (mWatch == 0)
                mFiredEarly.append(id);  // before the answer that names the watch
            else if (id == mWatch)
                endWatch(true);
        });
    }

private:
    BusCalls mCalls;
    uint mWatch = 0;
    QList<uint> mFiredEarly;
};

}  // namespace

std::unique_ptr<IdleSource> gnomeIdleSource()
{
    if (!sessionBus().isConnected())
        return nullptr;
    return std::make_unique<GnomeIdle>();
}

}  // namespace platform

#include "IdleSource_dbus.moc"
