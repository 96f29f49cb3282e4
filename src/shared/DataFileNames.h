// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

// The names of the data files, and the rules on item names, which become names of history files.
namespace QmrM {

// The data files' names as the program writes them. Inline, so that a constant made from them at start-up
// anywhere after this header is made after them.
inline const QString kItemsFile = QStringLiteral("項目一覧.txt");
inline const QString kSettingsFile = QStringLiteral("設定.txt");
// The program's own options, beyond the settings file's fixed three (see OwnOptions.h); a name no item's
// history can have (those end in ".txt").
inline const QString kOwnOptionsFile = QStringLiteral(".quillmora-options");
// The lock file of the running copy (see FolderLock in DataFiles.h).
inline const QString kLockFile = QStringLiteral(".quillmora.lock");
// The history file an item's deletion removes, noted while the deletion runs (see deleteItem in QmrM.h).
inline const QString kDeletionFile = QStringLiteral(".quillmora-deletion");

// The names under which the data files exist now; readers find them whatever the case of their letters.
QString itemsFileName();
QString settingsFileName();
// The history file of an item: its name followed by ".txt".
QString historyFileName(const QString& itemName);

// The program's own file that a write to `path` would replace: the items list, the settings, the options,
// the lock, the history of a registered item, or a temporary file of a rewrite of one of them, as named in
// the data folder (whatever the case of its letters there, also through a link or a folder's link and "..":
// judged on the file the write reaches). Empty when none.
QString programFileAt(const QString& path);

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
