// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "shared/UserBusy.h"

namespace platform {

// What keeps the user busy, as the desktop tells it (one object for the whole run):
// - a full-screen active window: X11's _NET_WM_STATE_FULLSCREEN (also for X11 windows under Xwayland), sway's
//   focused window, or under KWin on Wayland a script KWin runs for the program (BusySources_kwin.cpp);
// - do-not-disturb: the notification service's Inhibited property (KDE Plasma and others), or GNOME's
//   show-banners setting through the desktop portal;
// - a locked screen: GetActive of org.freedesktop.ScreenSaver or org.gnome.ScreenSaver;
// - a program holding the screen saver off (a call, a film): the GNOME session's idle inhibitors, or
//   the power management's HasInhibit (KDE Plasma).
// On Windows the user's notification state (full-screen, presentation, quiet time, Focus Assist, an absent user)
// and the session's lock (BusySources_win.cpp). Each is read when watching starts, then followed by its change
// signals (the notification state, which sends none, is read every two seconds). A condition not told, or not
// answered within two seconds, counts as absent.
QmrM::UserBusy& desktopBusy();

// The pauses in the user's input as the desktop tells them (one object for the whole run), from the first that
// answers: GNOME's idle monitor, a Wayland compositor's idle notification (also under its Xwayland), the X
// server's idle time (not under Xwayland, which sees only X11 programs' input). Nothing polls. Where none
// answers, unavailable() says so.
QmrM::UserIdle& desktopIdle();

}  // namespace platform
