// SPDX-License-Identifier: GPL-3.0-or-later
#include "Desktop.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace platform {
namespace {

// An X server that is a Wayland compositor's (Xwayland) names its outputs so; the compositor, not an X11
// window manager, decides what becomes of a minimised window there.
bool onXwayland()
{
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return true;
    const QList<QScreen*> screens = QGuiApplication::screens();
    return std::any_of(screens.begin(), screens.end(),
                       [](const QScreen* screen) { return screen->name().startsWith(QLatin1String("XWAYLAND")); });
}

}  // namespace

bool desktopMinimises()
{
    const QString platform = QGuiApplication::platformName();
    if (platform.startsWith(QLatin1String("wayland")))
        return false;
    if (platform == QLatin1String("xcb"))
        return !onXwayland() && detail::x11ManagerMinimises();
    return true;  // Windows' task bar; the offscreen platform keeps every window out of sight anyway
}

}  // namespace platform
