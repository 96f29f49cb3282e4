// SPDX-License-Identifier: GPL-3.0-or-later
// What the session bus tells of a busy user: do-not-disturb, a locked screen, a program holding idle off.
#include "BusySource.h"
#include "SessionBus.h"

#include <QDBusVariant>

namespace platform {
namespace {

using QmrM::BusyReason;

// A value wrapped in variants, as properties and the portal's settings come.
QVariant unwrapped(QVariant value)
{
    while (value.canConvert<QDBusVariant>() && value.userType() == qMetaTypeId<QDBusVariant>())
        value = qvariant_cast<QDBusVariant>(value).variant();
    return value;
}

// A boolean that one call reads and that the object's change signals make read again. One reading is out at a
// time; any signals meanwhile bring one more reading after it. A service leaving the bus clears the condition; a
// new owner of the name has it read again.
class BusCondition final : public BusySource {
    Q_OBJECT
public:
    BusCondition(BusyReason reason, QDBusMessage query, QStringList changeSignals)
        : BusySource(reason), mQuery(std::move(query)), mSignals(std::move(changeSignals))
    {
    }

protected:
    void follow() override
    {
        for (const QString& name : mSignals)
            sessionBus().connect(mQuery.service(), mQuery.path(), mQuery.interface(), name, this, SLOT(read()));
        mCalls.followOwner(mQuery.service(), [this](bool owned) {
            mReadingOut = mReadAgain = false;
            if (owned)
                read();
            else
                report(false);
        });
        read();
    }

    void unfollow() override
    {
        for (const QString& name : mSignals)
            sessionBus().disconnect(mQuery.service(), mQuery.path(), mQuery.interface(), name, this, SLOT(read()));
        mCalls.stopFollowing();
        mCalls.forget();
        mReadingOut = mReadAgain = false;
    }

private slots:
    void read()
    {
        if (std::exchange(mReadingOut, true)) {
            mReadAgain = true;
            return;
        }
        mCalls.call(mQuery, [this](const QDBusMessage& answer) {
            mReadingOut = false;
            if (std::exchange(mReadAgain, false))
                return read();  // changed since this reading was asked for
            const QVariant value = unwrapped(answer.arguments().value(0));
            report(answer.type() == QDBusMessage::ReplyMessage && value.userType() == QMetaType::Bool &&
                   value.toBool());
        });
    }

private:
    const QDBusMessage mQuery;
    const QStringList mSignals;
    BusCalls mCalls;
    bool mReadingOut = false;
    bool mReadAgain = false;
};

}  // namespace

std::vector<std::unique_ptr<BusySource>> sessionBusSources()
{
    std::vector<std::unique_ptr<BusySource>> sources;
    if (!sessionBus().isConnected())
        return sources;
    const auto add = [&](BusyReason reason, const QString& service, const QString& path, const QString& interface,
                         const QString& method, const QVariantList& arguments, const QStringList& changeSignals) {
        sources.push_back(std::make_unique<BusCondition>(reason, busCall(service, path, interface, method, arguments),
                                                         changeSignals));
    };
    const QString properties = QStringLiteral("org.freedesktop.DBus.Properties");
    const QString notifications = QStringLiteral("org.freedesktop.Notifications");
    const QString notificationsPath = QStringLiteral("/org/freedesktop/Notifications");
    const QString xfconf = QStringLiteral("org.xfce.Xfconf");
    const QString session = QStringLiteral("org.gnome.SessionManager");
    // The notification service's own do-not-disturb (KDE Plasma and others that offer it).
    add(BusyReason::DoNotDisturb, notifications, notificationsPath, properties, QStringLiteral("Get"),
        {notifications, QStringLiteral("Inhibited")}, {QStringLiteral("PropertiesChanged")});
    // Xfce's do-not-disturb: xfce4-notifyd keeps it in its xfconf channel, not on its own service.
    add(BusyReason::DoNotDisturb, xfconf, QStringLiteral("/org/xfce/Xfconf"), xfconf, QStringLiteral("GetProperty"),
        {QStringLiteral("xfce4-notifyd"), QStringLiteral("/do-not-disturb")}, {QStringLiteral("PropertyChanged")});
    // dunst's pause (dunstctl set-paused true), a property of its own interface.
    add(BusyReason::DoNotDisturb, notifications, notificationsPath, properties, QStringLiteral("Get"),
        {QStringLiteral("org.dunstproject.cmd0"), QStringLiteral("paused")}, {QStringLiteral("PropertiesChanged")});
    // A locked screen: each screen saver keeps its object at the path of its name.
    for (const QString& screenSaver :
         {QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("org.gnome.ScreenSaver")}) {
        const QString path = u'/' + QString(screenSaver).replace(u'.', u'/');
        add(BusyReason::ScreenLocked, screenSaver, path, screenSaver, QStringLiteral("GetActive"), {},
            {QStringLiteral("ActiveChanged")});
    }
    // A program that holds the GNOME session's idle off.
    constexpr uint kInhibitIdle = 8;
    add(BusyReason::Inhibited, session, QStringLiteral("/org/gnome/SessionManager"), session,
        QStringLiteral("IsInhibited"), {kInhibitIdle},
        {QStringLiteral("InhibitorAdded"), QStringLiteral("InhibitorRemoved")});
    // A program that holds the power management off (KDE Plasma).
    add(BusyReason::Inhibited, QStringLiteral("org.freedesktop.PowerManagement"),
        QStringLiteral("/org/freedesktop/PowerManagement/Inhibit"),
        QStringLiteral("org.freedesktop.PowerManagement.Inhibit"), QStringLiteral("HasInhibit"), {},
        {QStringLiteral("HasInhibitChanged")});
    return sources;
}

}  // namespace platform

#include "BusySources_dbus.moc"
