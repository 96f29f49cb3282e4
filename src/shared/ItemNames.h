// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

namespace QmrM {

// Item names become both a quoted field of the items list and the stem of a history file name.

// The form a name takes once stored: code page 932 maps a few characters to others (〜 to ～, ¥ to \).
// Returns the name unchanged when it cannot be stored at all.
QString storedItemName(const QString& name);

// Why a name (in its stored form) cannot be an item name, or nothing when it can: a double quote,
// a character no file name may hold, a character code page 932 cannot store, the name of a data file,
// or a file name too long for the file system.
std::optional<QString> itemNameProblem(const QString& name);

// Whether the name's history file stays inside the current directory (no path separator, not a
// relative folder name), is none of the program's own data files and can be a file name at all (an edited
// list may hold a name too long for one). An item whose name fails this has no history file.
bool historyNameIsSafe(const QString& name);
// Why the name's history file cannot be used, or an empty text when it can.
QString historyNameProblem(const QString& name);

}  // namespace QmrM
