// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DataFileNames.h"

namespace QmrM {

// Options beyond the settings file's fixed three, in kOwnOptionsFile: "name=value" lines in UTF-8, a few
// kilobytes at most. A missing or unreadable file gives the defaults; unknown lines are kept on a rewrite, and
// an unreadable file is not rewritten.

// A due pass waits while the user cannot exercise (full screen, do-not-disturb, locked screen, a call). On
// unless turned off.
bool holdsPassWhileBusy();
// Throws DataFileError when the file cannot be written.
void setHoldsPassWhileBusy(bool hold);

}  // namespace QmrM
