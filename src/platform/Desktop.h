// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QString;

namespace platform {

// Whether the desktop keeps a minimised window where the user finds it again (a task bar, a window list)
// and gives it back when the program restores it. X11 window managers that announce minimising do; on
// Wayland the program can neither rely on a minimised state nor restore a window itself, and tiling
// window managers have no minimised state at all: there a window that waits is kept out of sight
// (unmapped) and shown again when it is wanted.
bool desktopMinimises();

// Whether the program runs on Qt's Wayland platform (a Wayland compositor's own client).
bool onWayland();
// Whether the program's X server is a Wayland compositor's (Xwayland): its outputs are named so, or the
// session names a Wayland display. The compositor, not an X11 window manager, decides there.
bool onXwayland();
// Whether the desktop gives a window that comes up the keyboard whatever the program asks (Wayland
// compositors do; X11 window managers leave it where it is for a window that asks for none).
bool newWindowsTakeTheKeyboard();

// Whether the desktop's notification service, by the name it gives itself, draws the action a click on a
// notice chooses ("default") as a button too (Xfce's xfce4-notifyd, dunst's list), or offers it by that
// click alone (GNOME Shell, Plasma).
bool notificationsDrawDefaultAction(const QString& serverName);

namespace detail {
// Whether the X11 window manager running now announces minimising (EWMH: the minimise action and the
// hidden state). Only called on the xcb platform.
bool x11ManagerMinimises();
}  // namespace detail

}  // namespace platform
