// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>

#include <xcb/xcb.h>

#include <cstdint>

// What an X11 window manager tells through window properties, read over an xcb connection.
namespace platform::x11 {

// The atom of the name, or XCB_ATOM_NONE where no window can have it yet.
xcb_atom_t atom(xcb_connection_t* x, const char* name);
// The 32-bit values of a window's property of the given type (atoms, windows); none when it has none.
QList<uint32_t> values(xcb_connection_t* x, xcb_window_t window, xcb_atom_t property, xcb_atom_t type);

}  // namespace platform::x11
