// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace platform {

// Connects to a local socket that another program listens on (sway's interface, SWAYSOCK): a stream socket
// that reads and writes without waiting, closed on exec; -1 when nothing listens at `path`.
int connectToLocalSocket(const QString& path);

}  // namespace platform
