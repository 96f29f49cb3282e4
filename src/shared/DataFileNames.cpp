// SPDX-License-Identifier: GPL-3.0-or-later
#include "DataFileNames.h"

#include "DataFiles.h"

namespace QmrM {

QString itemsFileName()
{
    return resolveDataFileName(kItemsFile);
}

QString settingsFileName()
{
    return resolveDataFileName(kSettingsFile);
}

QString historyFileName(const QString& itemName)
{
    return itemName + QStringLiteral(".txt");
}

}  // namespace QmrM
