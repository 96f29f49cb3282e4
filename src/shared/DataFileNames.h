// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The names of the data files, for the module and for the rules on item names alike.
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

}  // namespace QmrM
