// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QTest>

// The test's own tray host and notification service (desktop_services.py, whose path the test program is
// built with as QUILLMORA_DESKTOP_SERVICES), on the private session bus of on-desktop.sh --dbus.
class DesktopServices {
public:
    ~DesktopServices()
    {
        mProcess.kill();
        mProcess.waitForFinished();
    }

    // Without a tray host the desktop shows the wait by notices alone.
    bool start(bool withTray = true)
    {
        mProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QStringList arguments{QStringLiteral(QUILLMORA_DESKTOP_SERVICES)};
        if (!withTray)
            arguments.append(QStringLiteral("--no-tray"));
        mProcess.start(QStringLiteral("/usr/bin/python3"), arguments);
        for (int i = 0; i < 100; ++i) {
            if (QDBusConnection::sessionBus().interface()->isServiceRegistered(control()))
                return true;
            QTest::qWait(100);
        }
        return false;
    }

    QJsonObject state() { return QJsonDocument::fromJson(call("State").toString().toUtf8()).object(); }
    QJsonArray items() { return state()[QStringLiteral("items")].toArray(); }
    // The item registered last.
    QJsonObject item() { return items().last().toObject(); }
    QString lastToolTip() { return item()[QStringLiteral("toolTips")].toArray().last().toString(); }
    int noticeCount() { return state()[QStringLiteral("notifications")].toArray().size(); }
    // The notices with the summary sent since the first `from`.
    QList<QJsonObject> notices(const QString& summary, int from)
    {
        QList<QJsonObject> found;
        const QJsonArray all = state()[QStringLiteral("notifications")].toArray();
        for (int i = from; i < all.size(); ++i) {
            if (all[i].toObject()[QStringLiteral("summary")].toString() == summary)
                found.append(all[i].toObject());
        }
        return found;
    }
    bool closed(int id) { return state()[QStringLiteral("closed")].toArray().contains(id); }

    // Clicks the entry of the item's menu; false while the menu is not known yet.
    bool click(const QString& label) { return call("ClickMenuItem", {label}).toBool(); }
    // How many clicks the program has answered.
    int answeredClicks() { return state()[QStringLiteral("clicks")].toArray().size(); }
    void invokeAction(int id, const QString& key, const QString& token)
    {
        call("InvokeAction", {QVariant::fromValue(uint(id)), key, token});
    }
    // The service says the notice closed before it answers, so the program has heard it by the time this
    // returns.
    void dismissNotice(int id) { call("DismissNotice", {QVariant::fromValue(uint(id))}); }
    void setDoNotDisturb(bool on) { call("SetDoNotDisturb", {on}); }
    void setScreenLocked(bool locked) { call("SetScreenLocked", {locked}); }
    void setServerName(const QString& name) { call("SetServerName", {name}); }

private:
    static QString control() { return QStringLiteral("io.github.quillmora.TestDesktop"); }

    QVariant call(const char* method, const QVariantList& arguments = {})
    {
        QDBusMessage message =
            QDBusMessage::createMethodCall(control(), QStringLiteral("/Test"), control(), QString::fromLatin1(method));
        message.setArguments(arguments);
        return QDBusConnection::sessionBus().call(message).arguments().value(0);
    }

    QProcess mProcess;
};
