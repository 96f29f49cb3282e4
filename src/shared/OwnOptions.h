// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DataFileNames.h"

namespace QmrM {

// The options of the program's own, beyond the three of the settings file (whose form is fixed). They are
// kept in the data folder in a file of their own, kOwnOptionsFile: "name=value" lines in UTF-8, a few
// kilobytes at most. A missing or unreadable file gives the defaults; lines the program does not know are
// kept when it rewrites the file, and a file it cannot read is not rewritten.

// Whether a pass that is due waits while the user cannot exercise (a full-screen window, do-not-disturb,
// a locked screen, a call). On unless the user turned it off.
bool holdsPassWhileBusy();
// Rewrites the options file with the choice; throws DataFileError when it cannot be written.
void setHoldsPassWhileBusy(bool hold);

}  // namespace QmrM
