// SPDX-License-Identifier: GPL-3.0-or-later
#include "Desktop.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace platform::detail {
namespace {

template <class T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t atom(xcb_connection_t* x, const char* name)
{
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(x, xcb_intern_atom(x, 1, uint16_t(qstrlen(name)), name), nullptr), &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// The 32-bit values of a window's property of the given type (atoms, windows).
QList<uint32_t> values(xcb_connection_t* x, xcb_window_t window, xcb_atom_t property, xcb_atom_t type)
{
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(x, xcb_get_property(x, 0, window, property, type, 0, 4096), nullptr), &std::free);
    if (!reply || reply->format != 32)
        return {};
    const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    return QList<uint32_t>(data, data + xcb_get_property_value_length(reply.get()) / 4);
}

}  // namespace

bool x11ManagerMinimises()
{
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* x = x11 ? x11->connection() : nullptr;
    if (!x)
        return true;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    // A window manager that runs names its check window on the root and on the window itself; what a
    // manager that has gone left on the root tells nothing.
    const xcb_atom_t check = atom(x, "_NET_SUPPORTING_WM_CHECK");
    const QList<uint32_t> managers = values(x, root, check, XCB_ATOM_WINDOW);
    if (managers.isEmpty() || values(x, managers.first(), check, XCB_ATOM_WINDOW) != managers.mid(0, 1))
        return false;
    // Tiling managers announce the hidden state (for windows behind a tab) but not the minimise action.
    const QList<uint32_t> supported = values(x, root, atom(x, "_NET_SUPPORTED"), XCB_ATOM_ATOM);
    return supported.contains(atom(x, "_NET_WM_ACTION_MINIMIZE")) &&
           supported.contains(atom(x, "_NET_WM_STATE_HIDDEN"));
}

}  // namespace platform::detail
