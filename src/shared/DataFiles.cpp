// SPDX-License-Identifier: GPL-3.0-or-later
#include "DataFiles.h"

#include "Errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QCoreApplication>

namespace QmrM {

// What every platform shares; the file operations themselves are in DataFiles_posix.cpp and
// DataFiles_win.cpp.

QString resolveDataFileName(const QString& name)
{
    if (QFileInfo::exists(name))
        return name;
    const QFileInfo info(name);
    const QDir folder = info.dir();
    const QStringList entries = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& entry : entries) {
        if (entry.compare(info.fileName(), Qt::CaseInsensitive) == 0)
            return name.contains(u'/') ? folder.filePath(entry) : entry;
    }
    return name;
}

QString writeTarget(const QString& fileName)
{
    // Follows a chain of links (a loop ends after a few dozen steps, as the system's own lookup does).
    QString path = fileName;
    for (int step = 0; step < 40 && QFileInfo(path).isSymLink(); ++step) {
        if (!mayFollowLink(path))
            throw DataFileError(DataFileError::Write, fileName,
                                QCoreApplication::translate(
                                    "QmrM", "「%1」はほかのユーザーが作ったリンクのため、その先には書き込みません")
                                    .arg(path));
        path = QFileInfo(path).symLinkTarget();
    }
    return path;
}

QString rewriteTarget(const QString& fileName)
{
    const QString path = writeTarget(fileName);
    const QFileInfo target(path);
    if (target.isSymLink())
        return fileName;
    // Renaming over a device or a pipe would replace it; the link itself is replaced instead.
    if (target.exists() && !target.isFile() && !target.isDir())
        return fileName;
    return path;
}

QByteArray readWholeFile(const QString& fileName, bool* missing)
{
    QByteArray content;
    readFileInPieces(
        fileName,
        [&content](QByteArrayView piece, qint64 size) {
            // Room for the whole file at once: a long history is not copied again and again as it grows.
            if (content.isEmpty() && size > 0)
                content.reserve(qsizetype(size) + 1);
            content.append(piece);
            return true;
        },
        missing);
    return content;
}

bool lastLineIsOpen(const QString& fileName)
{
    if (!QFileInfo(fileName).isFile())  // nothing to read at the end of a device or pipe
        return false;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly) || file.size() <= 0 || !file.seek(file.size() - 1))
        return false;
    char last = 0;
    return file.getChar(&last) && last != '\n' && last != '\r';
}

namespace {

const QLatin1String kTemporaryMark(".quillmora-tmp-");
constexpr int kRandomLetters = 6;

}  // namespace

QString temporaryFilePattern(const QString& fileName)
{
    const QFileInfo info(fileName);
    return info.path() + QStringLiteral("/.") + info.fileName() + kTemporaryMark + QString(kRandomLetters, u'X');
}

bool isTemporaryFileOf(const QString& entry, const QString& dataFileName)
{
    // "." + the data file's name (any case, as the writers use the name the file exists under) + the mark +
    // six letters or digits, as mkstemp makes them.
    const qsizetype nameLength = dataFileName.size();
    const qsizetype markAt = 1 + nameLength;
    if (entry.size() != markAt + kTemporaryMark.size() + kRandomLetters || !entry.startsWith(u'.'))
        return false;
    if (QStringView(entry).mid(1, nameLength).compare(dataFileName, Qt::CaseInsensitive) != 0 ||
        QStringView(entry).mid(markAt, kTemporaryMark.size()) != kTemporaryMark)
        return false;
    for (const QChar c : QStringView(entry).right(kRandomLetters)) {
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
            if (isTemporaryFileOf(entry, dataFile) && removeTemporaryFileUnlessInUse(folder.filePath(entry))) {
                ++removed;
                break;
            }
        }
    }
    return removed;
}

}  // namespace QmrM
