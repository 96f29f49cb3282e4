// SPDX-License-Identifier: GPL-3.0-or-later
#include "DataFiles.h"

#include <QDir>
#include <QFileInfo>

// What every platform shares; the file operations themselves are in DataFiles_posix.cpp and
// DataFiles_win.cpp.

QString resolveDataFileName(const QString& name)
{
    if (QFileInfo::exists(name))
        return name;
    const QStringList entries = QDir::current().entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return name;
}

QString temporaryFilePattern(const QString& fileName)
{
    const QFileInfo info(fileName);
    return info.path() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".XXXXXX");
}

bool isTemporaryFileOf(const QString& entry, const QString& dataFileName)
{
    // "." + the data file's name (any case, as the writers use the name the file exists under) + "." +
    // six letters or digits, as mkstemp makes them.
    const qsizetype nameLength = dataFileName.size();
    if (entry.size() != 1 + nameLength + 7 || !entry.startsWith(u'.') || entry[1 + nameLength] != u'.')
        return false;
    if (QStringView(entry).mid(1, nameLength).compare(dataFileName, Qt::CaseInsensitive) != 0)
        return false;
    for (const QChar c : QStringView(entry).right(6)) {
        if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')))
            return false;
    }
    return true;
}

int removeLeftoverTemporaryFiles(const QStringList& dataFileNames)
{
    int removed = 0;
    QDir folder = QDir::current();
    const QStringList entries = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& entry : entries) {
        for (const QString& dataFile : dataFileNames) {
            if (isTemporaryFileOf(entry, dataFile) && folder.remove(entry)) {
                ++removed;
                break;
            }
        }
    }
    return removed;
}
