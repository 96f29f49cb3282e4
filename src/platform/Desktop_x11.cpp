// SPDX-License-Identifier: GPL-3.0-or-later
#include "Desktop.h"

#include "X11Properties.h"

#include <QGuiApplication>

namespace platform::detail {

bool x11ManagerMinimises()
{
    const auto* native = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* x = native ? native->connection() : nullptr;
    if (!x)
        return true;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    // Whether a window manager runs (EWMH): it names its check window on the root and on the window itself; what a
    // manager that has gone left on the root tells nothing.
    const xcb_atom_t check = x11::atom(x, "_NET_SUPPORTING_WM_CHECK");
    const QList<uint32_t> managers = x11::values(x, root, check, XCB_ATOM_WINDOW);
    if (managers.isEmpty() || x11::values(x, managers.first(), check, XCB_ATOM_WINDOW) != managers.mid(0, 1))
        return false;
    // Tiling managers announce the hidden state (for windows behind a tab) but not the minimise action.
    const QList<uint32_t> supported = x11::values(x, root, x11::atom(x, "_NET_SUPPORTED"), XCB_ATOM_ATOM);
    return supported.contains(x11::atom(x, "_NET_WM_ACTION_MINIMIZE")) &&
           supported.contains(x11::atom(x, "_NET_WM_STATE_HIDDEN"));
}

}  // namespace platform::detail
