// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QString;

namespace platform {

// Whether the desktop keeps a minimised window where the user finds it (a task bar) and gives it back when the
// program restores it: X11 window managers that announce minimising do. Wayland allows neither, and tiling
// managers have no minimised state: there a waiting window is unmapped and shown again when wanted.
bool desktopMinimises();

bool onWayland();
// Xwayland: the X server's outputs are named so, or the session names a Wayland display. The compositor decides.
bool onXwayland();
// Wayland compositors give a new window the keyboard whatever it asks; X11 managers not if it asks for none.
bool newWindowsTakeTheKeyboard();

// Whether the notification service (by its name) draws the action a click on a notice chooses ("default") as a
// button too (xfce4-notifyd, dunst's list), or offers it by that click alone (GNOME Shell, Plasma).
bool notificationsDrawDefaultAction(const QString& serverName);

namespace detail {
// Announced by EWMH's minimise action and hidden state. Only called on the xcb platform.
bool x11ManagerMinimises();
}  // namespace detail

}  // namespace platform
