// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "shared/UserBusy.h"

namespace platform {

// What keeps the user busy, as the desktop tells it (one object for the whole run):
// - a full-screen window is the active one: on X11 the active window's _NET_WM_STATE_FULLSCREEN (also
//   for the program under Xwayland, for the X11 windows there); under sway the focused window's
//   full-screen mode, from sway's own interface; under KWin on Wayland the active window's, from a
//   script KWin runs for the program (BusySources_kwin.cpp);
// - do-not-disturb: the notification service's Inhibited property (KDE Plasma and others), or GNOME's
//   show-banners setting through the desktop portal;
// - a locked screen: GetActive of org.freedesktop.ScreenSaver or org.gnome.ScreenSaver;
// - a program holding the screen saver off (a call, a film): the GNOME session's idle inhibitors, or
//   the power management's HasInhibit (KDE Plasma).
// On Windows all four come from the system's own (BusySources_win.cpp): the user's notification state
// (full-screen, presentation, quiet time and Focus Assist, an absent user) and the session's lock.
// Each is read once when watching starts, then followed through its change signals (X11 property
// events, D-Bus signals, sway's events, KWin's script, the session's lock notices; Windows' notification
// state, which sends none, is read again every two seconds). A condition the desktop does not tell counts
// as absent; so does one whose reading is not answered within two seconds.
QmrM::UserBusy& desktopBusy();

// The pauses in the user's input as the desktop tells them (one object for the whole run), from the first
// of these that answers: GNOME's idle monitor (Mutter, on the session bus), a Wayland compositor's idle
// notification (sway, KWin; also for the program on their Xwayland), the X server's idle time (the SYNC
// extension's IDLETIME counter, not under Xwayland, which sees only X11 programs' input). Each is a watch
// the desktop rings; nothing polls. Where none answers, unavailable() says so.
QmrM::UserIdle& desktopIdle();

}  // namespace platform
