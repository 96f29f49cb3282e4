// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// What the platform halves of the help windows (HtmlHelp_win.cpp, HtmlHelp_posix.cpp) share.
namespace help::detail {

// Tells the user that a help file cannot be shown, through the message box seam.
void reportCannotOpen(const QString& name);

}  // namespace help::detail
