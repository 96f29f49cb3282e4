// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "shared/UserBusy.h"

namespace platform {

// The pauses in the user's input as the desktop tells them (one object for the whole run), from the first
// of these that answers: GNOME's idle monitor (Mutter, on the session bus), a Wayland compositor's idle
// notification (sway, KWin; also for the program on their Xwayland), the X server's idle time (the SYNC
// extension's IDLETIME counter, not under Xwayland, which sees only X11 programs' input). Each is a watch
// the desktop rings; nothing polls. Where none answers, unavailable() says so.
QmrM::UserIdle& desktopIdle();

}  // namespace platform
