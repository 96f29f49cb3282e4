// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace platform {

// Whether the desktop keeps a minimised window where the user finds it again (a task bar, a window list)
// and gives it back when the program restores it. X11 window managers that announce minimising do; on
// Wayland the program can neither rely on a minimised state nor restore a window itself, and tiling
// window managers have no minimised state at all: there a window that waits is kept out of sight
// (unmapped) and shown again when it is wanted.
bool desktopMinimises();

namespace detail {
// Whether the X11 window manager running now announces minimising (EWMH: the minimise action and the
// hidden state). Only called on the xcb platform.
bool x11ManagerMinimises();
}  // namespace detail

}  // namespace platform
