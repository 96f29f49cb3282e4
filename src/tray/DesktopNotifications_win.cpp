// SPDX-License-Identifier: GPL-3.0-or-later
// Notices on Windows: the tray icon's balloon, shown by Windows 10 and later as a notification. It has no
// buttons: a click chooses the "default" action (始める for the pass), the tray's menu offers the others. One
// balloon shows at a time; a new notice replaces the last.
#include "DesktopNotifications.h"

#include <algorithm>

namespace tray {

DesktopNotifications::DesktopNotifications(QObject* parent) : QObject(parent) {}

DesktopNotifications::~DesktopNotifications()
{
    for (int kind = 0; kind < KindCount; ++kind)
        close(Kind(kind));
}

void DesktopNotifications::show(Kind kind, const Notice& notice, std::function<void()> unavailable)
{
    if (!mTrayIcon || !mTrayIcon->isVisible() || !QSystemTrayIcon::supportsMessages()) {
        if (unavailable)
            unavailable();
        return;
    }
    if (!mSignalsConnected) {
        mSignalsConnected = true;
        connect(mTrayIcon, &QSystemTrayIcon::messageClicked, this, [this] {
            const auto shown = std::find(mIds.begin(), mIds.end(), 1u);
            if (shown == mIds.end())
                return;
            *shown = 0;  // a balloon goes once clicked
            emit actionInvoked(static_cast<Kind>(shown - mIds.begin()), QStringLiteral("default"), QString());
        });
    }
    // The balloon that shows is the last one asked for.
    mIds.fill(0);
    mIds[kind] = 1;
    if (!notice.quiet)
        mTrayIcon->showMessage(notice.summary, notice.body, QSystemTrayIcon::Information,
                               notice.timeoutMs > 0 ? notice.timeoutMs : 10000);
}

void DesktopNotifications::close(Kind kind)
{
    if (!mIds[kind])
        return;
    mIds[kind] = 0;
    // An empty balloon takes the shown one away.
    if (mTrayIcon)
        mTrayIcon->showMessage(QString(), QString(), QSystemTrayIcon::NoIcon, 1);
}

void DesktopNotifications::onServiceSignal(const QDBusMessage&) {}

}  // namespace tray
