// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

class QDBusMessage;

namespace platform {
class BusCalls;
}

namespace tray {

// What a notification says and offers.
struct Notice {
    QString summary;
    QString body;
    // Pairs of an action's key and its label.
    QStringList actions;
    // How long the notice stays, in milliseconds: -1 as the desktop decides, 0 until the user closes it.
    int timeoutMs = -1;
    // An update of what a notice already shown says, which need not draw the eye again (low urgency).
    bool quiet = false;
};

// Desktop notifications through the session's notification service (org.freedesktop.Notifications on
// D-Bus). Each kind of notice has one place on the desktop: a new notice of a kind replaces the last one.
// The action keyed "default" is what a click on the notice chooses; where the service draws it as a button
// too, another action with its label is left out, so that the notice shows each choice once. Nothing here
// holds up the event loop: every call is answered asynchronously, and a desktop without the service only
// means that `unavailable` runs. The notices still shown are withdrawn when this goes.
class DesktopNotifications : public QObject {
    Q_OBJECT
public:
    enum Kind { Pass, TimeLeft, KindCount };

    explicit DesktopNotifications(QObject* parent = nullptr);
    ~DesktopNotifications() override;

    // Shows the notice; `unavailable` runs when no notification service takes it.
    void show(Kind kind, const Notice& notice, std::function<void()> unavailable = {});
    // Withdraws the notice of the kind, if one is shown or on its way.
    void close(Kind kind);
    // Whether the service shows a notice of the kind (not closed by the user or the service since).
    bool isShown(Kind kind) const { return mIds[kind] != 0; }
    // Where the system's notices are a tray icon's balloons (Windows), the icon that shows them: a notice
    // is unavailable while it is hidden, and a click on the balloon chooses the action keyed "default".
    void useTrayIcon(QSystemTrayIcon* icon) { mTrayIcon = icon; }

signals:
    // The user chose an action of the notice of the kind. `activationToken` is what the desktop sent
    // along (empty if nothing): with it a window may come to the front on Wayland.
    void actionInvoked(tray::DesktopNotifications::Kind kind, const QString& key, const QString& activationToken);

private slots:
    // A signal of the notification service: an action chosen, the activation token that goes with it, a
    // notice closed.
    void onServiceSignal(const QDBusMessage& signal);

private:
    void send(Kind kind, const Notice& notice, std::function<void()> unavailable);
    void closeId(uint id);

    platform::BusCalls* mCalls = nullptr;
    bool mSignalsConnected = false;
    // Whether the service shows markup in the body (it then needs escaping); unknown until asked.
    std::optional<bool> mBodyMarkup;
    // Whether the service draws the "default" action as a button of its own.
    bool mDrawsDefaultAction = true;
    // The notice shown of each kind (0: none), and a count of requests to tell stale answers.
    std::array<uint, KindCount> mIds{};
    std::array<quint64, KindCount> mRequests{};
    QHash<uint, QString> mTokens;
    QPointer<QSystemTrayIcon> mTrayIcon;
};

}  // namespace tray
