// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppSetup.h"

namespace platform {

bool enterDataFolderAskedFor(const QStringList& /*arguments*/)
{
    return true;  // the launcher has entered it
}

}  // namespace platform
