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
    QStringList actions;  // pairs of key and label
    // -1: as the desktop decides; 0: until the user closes it.
    int timeoutMs = -1;
    // Low urgency, for an update of a notice already shown, which need not draw the eye again.
    bool quiet = false;
};

// Desktop notifications through org.freedesktop.Notifications on D-Bus. A new notice of a kind replaces the
// last. A click on the notice chooses the action keyed "default"; where the service also draws it as a button,
// another action with its label is left out so each choice shows once. Every call is asynchronous; without the
// service `unavailable` runs. Notices still shown are withdrawn when this goes.
class DesktopNotifications : public QObject {
    Q_OBJECT
public:
    enum Kind { Pass, TimeLeft, KindCount };

    explicit DesktopNotifications(QObject* parent = nullptr);
    ~DesktopNotifications() override;

    // Shows the notice; `unavailable` runs when no notification service takes it.
    void show(Kind kind, const Notice& notice, std::function<void()> unavailable = {});
    // Also a notice still on its way.
    void close(Kind kind);
    // False once the user or the service closed it.
    bool isShown(Kind kind) const { return mIds[kind] != 0; }
    // On Windows, notices are this icon's balloons: unavailable while it is hidden; a click chooses "default".
    void useTrayIcon(QSystemTrayIcon* icon) { mTrayIcon = icon; }

signals:
    // `activationToken` (maybe empty) lets a window come to the front on Wayland.
    void actionInvoked(tray::DesktopNotifications::Kind kind, const QString& key, const QString& activationToken);

private slots:
    // An action chosen, its activation token, or a notice closed.
    void onServiceSignal(const QDBusMessage& signal);

private:
    void send(Kind kind, const Notice& notice, std::function<void()> unavailable);
    void closeId(uint id);

    platform::BusCalls* mCalls = nullptr;
    bool mSignalsConnected = false;
    // Whether the body is read as markup (and needs escaping); unknown until asked.
    std::optional<bool> mBodyMarkup;
    bool mDrawsDefaultAction = true;
    // The notice shown of each kind (0: none), and a count of requests to tell stale answers.
    std::array<uint, KindCount> mIds{};
    std::array<quint64, KindCount> mRequests{};
    QHash<uint, QString> mTokens;
    QPointer<QSystemTrayIcon> mTrayIcon;
};

}  // namespace tray
