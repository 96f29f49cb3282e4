// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "shared/UserBusy.h"

#include <memory>

namespace platform {

// One way the desktop tells a pause in the user's input (DesktopIdle.h): its own watch of the idle time.
// Where the desktop turns out not to tell it, unavailable() comes instead of paused().
class IdleSource : public QmrM::UserIdle {
protected:
    // Stops watching, and tells how the watch ended: a pause, or a desktop that does not tell it.
    void endWatch(bool pausedNow)
    {
        stop();
        if (pausedNow)
            emit paused();
        else
            emit unavailable();
    }
};

// Each defined where the system has what it reads (see CMakeLists.txt); nullptr where the desktop cannot
// have it at all.
// GNOME's idle monitor (org.gnome.Mutter.IdleMonitor on the session bus).
std::unique_ptr<IdleSource> gnomeIdleSource();
// The X server's idle time (the SYNC extension's IDLETIME counter), for a program on an X11 desktop.
std::unique_ptr<IdleSource> x11IdleSource();
// A Wayland compositor's idle notification (ext-idle-notify-v1, or KDE's idle protocol: sway, KWin), for a
// program on Qt's Wayland platform or on the compositor's Xwayland.
std::unique_ptr<IdleSource> waylandIdleSource();
// The session's last input (GetLastInputInfo), on Windows.
std::unique_ptr<IdleSource> windowsIdleSource();

}  // namespace platform
