// SPDX-License-Identifier: GPL-3.0-or-later
#include "DataFiles.h"

#include "Errors.h"

#include <QByteArrayList>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageAuthenticationCode>
#include <QSysInfo>
#include <QCoreApplication>

#include <algorithm>

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

namespace {

// The end of the way to `fileName` (see writeTarget); a link that may not be followed throws `kind`.
QString targetOf(const QString& fileName, DataFileError::Kind kind, const char* refusal)
{
    // Taken as it stands: tidying "link/.." away first would be the very mistake this avoids. A relative name
    // is resolved from the current directory as the system finds it (none once the directory is removed).
    QString file = fileName;
    for (int step = 0; step < 40; ++step) {  // a loop of links ends as the system's own lookup does
        const QFileInfo info(file);
        const QString folder = QFileInfo(info.path()).canonicalFilePath();
        if (folder.isEmpty())
            return fileName;
        const QString here = QDir(folder).filePath(info.fileName());
        const std::optional<Link> link = symbolicLink(here);
        if (!link)
            return here;
        if (!link->mayFollow)
            throw DataFileError(kind, fileName, QCoreApplication::translate("QmrM", refusal).arg(here));
        file = QDir::isAbsolutePath(link->target) ? link->target : folder + u'/' + link->target;
    }
    return fileName;
}

}  // namespace

QString writeTarget(const QString& fileName)
{
    return targetOf(fileName, DataFileError::Write,
                    QT_TRANSLATE_NOOP("QmrM", "「%1」はほかのユーザーが作ったリンクのため、その先には書き込みません"));
}

QString readTarget(const QString& fileName)
{
    return targetOf(fileName, DataFileError::Open,
                    QT_TRANSLATE_NOOP("QmrM", "「%1」はほかのユーザーが作ったリンクのため、その先は読み込みません"));
}

QByteArray readWholeFile(const QString& fileName, bool* missing, qint64 atMost)
{
    QByteArray content;
    readFileInPieces(
        fileName,
        [&](QByteArrayView piece, qint64 size) {
            if (atMost >= 0 && std::max(size, qint64(content.size() + piece.size())) > atMost)
                throw DataFileError(DataFileError::Read, fileName,
                                    QCoreApplication::translate("QmrM", "ファイルが大きすぎます"));
            // Room for the whole file at once: a long history is not copied again and again as it grows.
            if (content.isEmpty() && size > 0)
                content.reserve(qsizetype(size) + 1);
            content.append(piece);
            return true;
        },
        missing);
    return content;
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

constexpr QLatin1String kTemporaryMark(".quillmora-tmp-");
constexpr int kRandomLetters = 6;

}  // namespace

QString temporaryFilePattern(const QString& fileName)
{
    // Linux's file systems take names of up to 255 bytes, Windows' up to 255 UTF-16 units, and Wine puts a
    // Windows program's files on Linux's: the temporary name keeps as much of the file's name as leaves
    // room for its mark and letters within 255 bytes of UTF-8, which is never fewer units than UTF-16.
    constexpr qsizetype kLongestName = 255 - 1 - kTemporaryMark.size() - kRandomLetters;
    const QFileInfo info(fileName);
    QString name = info.fileName();
    while (name.toUtf8().size() > kLongestName)
        name.chop(name.size() > 1 && name.back().isLowSurrogate() ? 2 : 1);
    return info.path() + QStringLiteral("/.") + name + kTemporaryMark + QString(kRandomLetters, u'X');
}

bool isTemporaryFileOf(const QString& entry, const QString& dataFileName)
{
    // "." + a name (the data file's in any case, as the writers use the name the file exists under) + the
    // mark + six letters or digits, as mkstemp makes them.
    const qsizetype markAt = entry.size() - kRandomLetters - kTemporaryMark.size();
    if (markAt < 2 || !entry.startsWith(u'.') ||
        QStringView(entry).mid(markAt, kTemporaryMark.size()) != kTemporaryMark)
        return false;
    if (!dataFileName.isEmpty() &&
        QStringView(entry).mid(1, markAt - 1).compare(dataFileName, Qt::CaseInsensitive) != 0)
        return false;
    for (const QChar c : QStringView(entry).right(kRandomLetters)) {
        if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')))
            return false;
    }
    return true;
}

int removeLeftoverTemporaryFiles(const QStringList& fileNames, const QString& folderName)
{
    int removed = 0;
    const QDir folder(folderName.isEmpty() ? QStringLiteral(".") : folderName);
    const QStringList entries = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& entry : entries) {
        const bool leftover =
            fileNames.isEmpty() ? isTemporaryFileOf(entry)
                                : std::any_of(fileNames.begin(), fileNames.end(),
                                              [&entry](const QString& name) { return isTemporaryFileOf(entry, name); });
        if (leftover && removeTemporaryFileUnlessInUse(folder.filePath(entry)))
            ++removed;
    }
    return removed;
}

QByteArray FolderLock::machineMark()
{
    // As a program's own view of the machine's id should be: a hash keyed with the id, of a name of the
    // program's own, so that the id cannot be read back from it nor matched with another program's.
    static const QByteArray mark = [] {
        const QByteArray machine = QSysInfo::machineUniqueId();
        if (machine.isEmpty())
            return QByteArray();
        return QMessageAuthenticationCode::hash("quillmora folder lock", machine, QCryptographicHash::Sha256)
            .toHex()
            .left(32);
    }();
    return mark;
}

QByteArray FolderLock::record()
{
    return QByteArray::number(QCoreApplication::applicationPid()) + "\nquillmora\n" +
           QSysInfo::machineHostName().toUtf8() + '\n' + machineMark() + '\n';
}

FolderLock::Holder FolderLock::holder() const
{
    // Read as any file of the folder, through readWholeFile's checks: a few lines at most.
    Holder holder;
    QByteArrayList lines;
    try {
        lines = readWholeFile(mFileName, nullptr, 4096).split('\n');
    } catch (const DataFileError&) {
        return holder;
    }
    holder.pid = lines.value(0).trimmed().toLongLong(&holder.known);
    holder.known = holder.known && holder.pid > 0;
    holder.host = QString::fromUtf8(lines.value(2).trimmed());
    // A lock of an earlier version records the machine's id itself.
    const QByteArray recorded = lines.value(3).trimmed();
    if (!recorded.isEmpty() && !machineMark().isEmpty())
        holder.onThisComputer = recorded == machineMark() || recorded == QSysInfo::machineUniqueId();
    else
        holder.onThisComputer = holder.host == QSysInfo::machineHostName();
    holder.onThisComputer = holder.known && holder.onThisComputer;
    return holder;
}

}  // namespace QmrM
