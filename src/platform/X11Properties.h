// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <memory>

// What an X11 window manager tells through window properties, read over an xcb connection.
namespace platform::x11 {

template <class T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

// The atom of the name, or XCB_ATOM_NONE where no window can have it yet.
inline xcb_atom_t atom(xcb_connection_t* x, const char* name)
{
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(x, xcb_intern_atom(x, 1, uint16_t(qstrlen(name)), name), nullptr), &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// The 32-bit values of a window's property of the given type (atoms, windows); none when it has none.
inline QList<uint32_t> values(xcb_connection_t* x, xcb_window_t window, xcb_atom_t property, xcb_atom_t type)
{
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(x, xcb_get_property(x, 0, window, property, type, 0, 4096), nullptr), &std::free);
    if (!reply || reply->format != 32)
        return {};
    const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    return QList<uint32_t>(data, data + xcb_get_property_value_length(reply.get()) / 4);
}

}  // namespace platform::x11
