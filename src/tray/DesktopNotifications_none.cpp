// SPDX-License-Identifier: GPL-3.0-or-later
// Notifications without a session bus: every notice is unavailable, and the caller shows its fallback.
#include "DesktopNotifications.h"

namespace tray {

DesktopNotifications::DesktopNotifications(QObject* parent) : QObject(parent) {}

DesktopNotifications::~DesktopNotifications() = default;

void DesktopNotifications::show(Kind, const Notice&, std::function<void()> unavailable)
{
    if (unavailable)
        unavailable();
}

void DesktopNotifications::close(Kind) {}

void DesktopNotifications::onServiceSignal(const QDBusMessage&) {}

}  // namespace tray
