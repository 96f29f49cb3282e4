// SPDX-License-Identifier: GPL-3.0-or-later
#include "DataFileNames.h"

#include "DataFiles.h"
#include "Errors.h"
#include "ItemNames.h"
#include "QmrM.h"

#include <QDir>
#include <QFileInfo>

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

namespace {

QStringList programFileNames()
{
    QStringList names{kItemsFile, kSettingsFile, kOwnOptionsFile, kLockFile, kDeletionFile};
    for (int k = 1; k <= gKoumokuSu; ++k) {
        if (historyNameIsSafe(gKoumoku[k]))
            names.append(historyFileName(gKoumoku[k]));
    }
    return names;
}

}  // namespace

QString programFileAt(const QString& path)
{
    QString target;
    try {
        target = writeTarget(path);
    } catch (const DataFileError&) {
        return QString();  // a link no write follows leads nowhere
    }
    const QFileInfo info(target);
    // The loaders find a data file whatever the case of its name's letters, so the names are compared so too.
    const bool inDataFolder = isSameFile(info.absolutePath(), QDir::currentPath());
    for (const QString& name : programFileNames()) {
        if (inDataFolder && isTemporaryFileOf(info.fileName(), name))
            return info.fileName();
        if ((inDataFolder && info.fileName().compare(name, Qt::CaseInsensitive) == 0) ||
            isSameFile(target, resolveDataFileName(name)))
            return name;
    }
    return QString();
}

}  // namespace QmrM
