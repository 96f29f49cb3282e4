// SPDX-License-Identifier: GPL-3.0-or-later
#include "Handover.h"

namespace platform {

Handover& handover()
{
    static Handover links;
    return links;
}

}  // namespace platform
