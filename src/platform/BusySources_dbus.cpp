// SPDX-License-Identifier: GPL-3.0-or-later
// What the session bus tells of a busy user: do-not-disturb, a locked screen, a program holding the
// screen saver off.
#include "BusySource.h"

#include "Guard.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

#include <functional>
#include <memory>
#include <optional>

namespace platform {
namespace {

using QmrM::BusyReason;

// A reading not answered by then counts as absent.
constexpr int kAnswerMs = 2000;

QDBusConnection bus()
{
    return QDBusConnection::sessionBus();
}

struct Signal {
    QString service, path, interface, name;
};

// A condition that one call reads and that signals tell of changes to: each such signal reads it again.
// One reading is on its way at a time; the signals that come meanwhile are answered by one more reading
// when it is back, however many they were. The calls never start a service that is not running (a screen
// saver the desktop does not use). A service that leaves the bus takes its condition with it; it is read
// again when a service takes the name anew.
class BusCondition final : public BusySource {
    Q_OBJECT
public:
    using Reader = std::function<std::optional<bool>(const QVariantList& answer)>;

    BusCondition(BusyReason reason, QDBusMessage query, Reader reader, QList<Signal> signals_)
        : BusySource(reason), mQuery(std::move(query)), mReader(std::move(reader)), mSignals(std::move(signals_))
    {
        mQuery.setAutoStartService(false);
    }

protected:
    void follow() override
    {
        for (const Signal& signal : mSignals)
            bus().connect(signal.service, signal.path, signal.interface, signal.name, this,
                          SLOT(readAgain(QDBusMessage)));
        mOwner =
            std::make_unique<QDBusServiceWatcher>(mQuery.service(), bus(), QDBusServiceWatcher::WatchForOwnerChange);
        connect(mOwner.get(), &QDBusServiceWatcher::serviceOwnerChanged, this,
                [this](const QString&, const QString&, const QString& newOwner) {
                    runGuarded([&] { ownerChanged(newOwner); });
                });
        read();
    }

    void unfollow() override
    {
        for (const Signal& signal : mSignals)
            bus().disconnect(signal.service, signal.path, signal.interface, signal.name, this,
                             SLOT(readAgain(QDBusMessage)));
        mOwner.reset();
        forgetReading();
    }

private slots:
    void readAgain(const QDBusMessage&) { read(); }

private:
    void ownerChanged(const QString& newOwner)
    {
        forgetReading();
        if (newOwner.isEmpty())
            report(false);
        else
            read();
    }

    // An answer still on its way is not wanted.
    void forgetReading()
    {
        ++mReading;
        mReadingOut = false;
        mReadAgain = false;
    }

    void read()
    {
        if (mReadingOut) {
            mReadAgain = true;
            return;
        }
        mReadingOut = true;
        const quint64 reading = ++mReading;
        auto* watcher = new QDBusPendingCallWatcher(bus().asyncCall(mQuery, kAnswerMs), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, reading] {
            watcher->deleteLater();
            if (reading != mReading)
                return;
            mReadingOut = false;
            if (std::exchange(mReadAgain, false)) {
                read();  // changed since this reading was asked for
                return;
            }
            const QDBusMessage answer = watcher->reply();
            runGuarded([&] {
                const bool answered = answer.type() == QDBusMessage::ReplyMessage;
                report(answered && mReader(answer.arguments()).value_or(false));
            });
        });
    }

    QDBusMessage mQuery;
    Reader mReader;
    QList<Signal> mSignals;
    std::unique_ptr<QDBusServiceWatcher> mOwner;
    quint64 mReading = 0;
    bool mReadingOut = false;
    bool mReadAgain = false;
};

// A value wrapped in variants, as properties and the portal's settings come.
QVariant unwrapped(QVariant value)
{
    while (value.canConvert<QDBusVariant>() && value.userType() == qMetaTypeId<QDBusVariant>())
        value = qvariant_cast<QDBusVariant>(value).variant();
    return value;
}

std::optional<bool> firstBool(const QVariantList& answer)
{
    if (answer.isEmpty())
        return std::nullopt;
    const QVariant value = unwrapped(answer.first());
    if (value.userType() != QMetaType::Bool)
        return std::nullopt;
    return value.toBool();
}

QDBusMessage call(const QString& service, const QString& path, const QString& interface, const QString& method,
                  const QVariantList& arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return message;
}

const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

// The notification service's own do-not-disturb (KDE Plasma and others that offer it).
std::unique_ptr<BusySource> notificationsInhibited()
{
    const QString service = QStringLiteral("org.freedesktop.Notifications");
    const QString path = QStringLiteral("/org/freedesktop/Notifications");
    return std::make_unique<BusCondition>(
        BusyReason::DoNotDisturb,
        call(service, path, kProperties, QStringLiteral("Get"), {service, QStringLiteral("Inhibited")}), firstBool,
        QList<Signal>{{service, path, kProperties, QStringLiteral("PropertiesChanged")}});
}

// Xfce's do-not-disturb: xfce4-notifyd keeps it in its xfconf channel, not on its own service.
std::unique_ptr<BusySource> xfceDoNotDisturb()
{
    const QString service = QStringLiteral("org.xfce.Xfconf");
    const QString path = QStringLiteral("/org/xfce/Xfconf");
    const QString channel = QStringLiteral("xfce4-notifyd");
    const QString property = QStringLiteral("/do-not-disturb");
    return std::make_unique<BusCondition>(
        BusyReason::DoNotDisturb, call(service, path, service, QStringLiteral("GetProperty"), {channel, property}),
        firstBool, QList<Signal>{{service, path, service, QStringLiteral("PropertyChanged")}});
}

// dunst's pause (dunstctl set-paused true), a property of its own interface.
std::unique_ptr<BusySource> dunstPaused()
{
    const QString service = QStringLiteral("org.freedesktop.Notifications");
    const QString path = QStringLiteral("/org/freedesktop/Notifications");
    return std::make_unique<BusCondition>(
        BusyReason::DoNotDisturb,
        call(service, path, kProperties, QStringLiteral("Get"),
             {QStringLiteral("org.dunstproject.cmd0"), QStringLiteral("paused")}),
        firstBool, QList<Signal>{{service, path, kProperties, QStringLiteral("PropertiesChanged")}});
}

std::unique_ptr<BusySource> screenSaverActive(const QString& service, const QString& path)
{
    return std::make_unique<BusCondition>(BusyReason::ScreenLocked,
                                          call(service, path, service, QStringLiteral("GetActive")), firstBool,
                                          QList<Signal>{{service, path, service, QStringLiteral("ActiveChanged")}});
}

// A program that holds the GNOME session's idle off.
std::unique_ptr<BusySource> gnomeIdleInhibited()
{
    const QString service = QStringLiteral("org.gnome.SessionManager");
    const QString path = QStringLiteral("/org/gnome/SessionManager");
    constexpr uint kInhibitIdle = 8;
    return std::make_unique<BusCondition>(
        BusyReason::Inhibited, call(service, path, service, QStringLiteral("IsInhibited"), {kInhibitIdle}), firstBool,
        QList<Signal>{{service, path, service, QStringLiteral("InhibitorAdded")},
                      {service, path, service, QStringLiteral("InhibitorRemoved")}});
}

// A program that holds the power management off (KDE Plasma).
std::unique_ptr<BusySource> powerManagementInhibited()
{
    const QString service = QStringLiteral("org.freedesktop.PowerManagement");
    const QString path = QStringLiteral("/org/freedesktop/PowerManagement/Inhibit");
    const QString interface = QStringLiteral("org.freedesktop.PowerManagement.Inhibit");
    return std::make_unique<BusCondition>(
        BusyReason::Inhibited, call(service, path, interface, QStringLiteral("HasInhibit")), firstBool,
        QList<Signal>{{service, path, interface, QStringLiteral("HasInhibitChanged")}});
}

}  // namespace

std::vector<std::unique_ptr<BusySource>> sessionBusSources()
{
    std::vector<std::unique_ptr<BusySource>> sources;
    if (!bus().isConnected())
        return sources;
    sources.push_back(notificationsInhibited());
    sources.push_back(xfceDoNotDisturb());
    sources.push_back(dunstPaused());
    sources.push_back(screenSaverActive(QStringLiteral("org.freedesktop.ScreenSaver"),
                                        QStringLiteral("/org/freedesktop/ScreenSaver")));
    sources.push_back(
        screenSaverActive(QStringLiteral("org.gnome.ScreenSaver"), QStringLiteral("/org/gnome/ScreenSaver")));
    sources.push_back(gnomeIdleInhibited());
    sources.push_back(powerManagementInhibited());
    return sources;
}

}  // namespace platform

#include "BusySources_dbus.moc"
