// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

// The names of the data files, and the rules on item names, which become names of history files.
namespace QmrM {

// Inline, so that a constant made from them at start-up after this header is made after them.
inline const QString kItemsFile = QStringLiteral("項目一覧.txt");
inline const QString kSettingsFile = QStringLiteral("設定.txt");
// Options beyond the settings file's three (OwnOptions.h); no history can have the name (those end in ".txt").
inline const QString kOwnOptionsFile = QStringLiteral(".quillmora-options");
// FolderLock's file.
inline const QString kLockFile = QStringLiteral(".quillmora.lock");
// The history file an item's deletion removes, noted while it runs (deleteItem).
inline const QString kDeletionFile = QStringLiteral(".quillmora-deletion");

// As the files exist now: readers find them whatever the case of their letters.
QString itemsFileName();
QString settingsFileName();
QString historyFileName(const QString& itemName);

// The program's own file a write to `path` would replace (items list, settings, options, lock, a registered
// item's history, or a rewrite's temporary file of one), as named in the data folder; judged on the file the
// write reaches, whatever the letters' case, links or "..". Empty when none.
QString programFileAt(const QString& path);

// Item names become both a quoted field of the items list and the stem of a history file name.

// Code page 932 maps a few characters to others (〜 to ～, ¥ to \); unchanged when it cannot be stored.
QString storedItemName(const QString& name);

// Nothing when the stored form can be an item name; else why: a double quote, a character no file name may
// hold or code page 932 cannot store, a data file's name, or a file name too long.
std::optional<QString> itemNameProblem(const QString& name);

// The history file stays in the current directory (no separator, no relative folder name), is no data file
// of the program's and can be a file name at all (an edited list may hold one too long). Else the item has
// no history file.
bool historyNameIsSafe(const QString& name);
// Empty when the history file can be used.
QString historyNameProblem(const QString& name);

}  // namespace QmrM
