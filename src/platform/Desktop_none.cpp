// SPDX-License-Identifier: GPL-3.0-or-later
#include "Desktop.h"

namespace platform::detail {

// Built without X11: the xcb platform is not used.
bool x11ManagerMinimises()
{
    return true;
}

}  // namespace platform::detail
