// SPDX-License-Identifier: GPL-3.0-or-later
#include "Desktop.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace platform {

bool onWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

bool onXwayland()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return false;
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return true;
    const QList<QScreen*> screens = QGuiApplication::screens();
    return std::any_of(screens.begin(), screens.end(),
                       [](const QScreen* screen) { return screen->name().startsWith(QLatin1String("XWAYLAND")); });
}

bool newWindowsTakeTheKeyboard()
{
    return onWayland();
}

bool notificationsDrawDefaultAction(const QString& serverName)
{
    return serverName != QLatin1String("gnome-shell") && serverName != QLatin1String("Plasma");
}

bool desktopMinimises()
{
    if (onWayland())
        return false;
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return !onXwayland() && detail::x11ManagerMinimises();
    return true;  // Windows' task bar; the offscreen platform keeps every window out of sight anyway
}

}  // namespace platform
