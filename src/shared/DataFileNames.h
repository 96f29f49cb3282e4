// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The names of the data files, for the module and for the rules on item names alike.
namespace QmrM {

// The data files' names as the program writes them. Inline, so that a constant made from them at start-up
// anywhere after this header is made after them.
inline const QString kItemsFile = QStringLiteral("項目一覧.txt");
inline const QString kSettingsFile = QStringLiteral("設定.txt");

// The names under which the data files exist now; readers find them whatever the case of their letters.
QString itemsFileName();
QString settingsFileName();
// The history file of an item: its name followed by ".txt".
QString historyFileName(const QString& itemName);

}  // namespace QmrM
