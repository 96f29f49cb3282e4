// SPDX-License-Identifier: GPL-3.0-or-later
#include "DataFiles.h"
#include "DataFilesSystem.h"

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

// What every platform shares, over the few calls of DataFilesSystem.h.

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

sys::Reason reasonOf(sys::Error error)
{
    const auto found = sys::kReasons.find(error);
    return found == sys::kReasons.end() ? sys::Reason::Other : found->second;
}

[[noreturn]] void fail(DataFileError::Kind kind, const QString& fileName, sys::Error error)
{
    // In the order of sys::Reason.
    static const char* const reasons[] = {QT_TRANSLATE_NOOP("QmrM", "ディスクの空き容量が足りません"),
                                          QT_TRANSLATE_NOOP("QmrM", "アクセスが拒否されました"),
                                          QT_TRANSLATE_NOOP("QmrM", "ほかのプログラムが使用中です"),
                                          QT_TRANSLATE_NOOP("QmrM", "同じ名前のフォルダーがあります"),
                                          QT_TRANSLATE_NOOP("QmrM", "ファイルまたはフォルダーが見つかりません"),
                                          QT_TRANSLATE_NOOP("QmrM", "読み取り専用の場所です"),
                                          QT_TRANSLATE_NOOP("QmrM", "ファイルが大きすぎます"),
                                          QT_TRANSLATE_NOOP("QmrM", "ファイル名が長すぎます"),
                                          QT_TRANSLATE_NOOP("QmrM", "ファイル名に使えない文字があります")};
    const sys::Reason reason = reasonOf(error);
    throw DataFileError(kind, fileName,
                        reason == sys::Reason::Other
                            ? QCoreApplication::translate("QmrM", "原因: %1").arg(sys::systemMessage(error))
                            : QCoreApplication::translate("QmrM", reasons[int(reason)]));
}

// The end of the way to `fileName` (see writeTarget); a link that may not be followed throws `kind`.
QString targetOf(const QString& fileName, DataFileError::Kind kind, const char* refusal)
{
    // Not tidied first: dropping "link/.." is the very mistake this avoids. A relative name is resolved from
    // the current directory as the system finds it (none once it is removed).
    QString file = fileName;
    for (int step = 0; step < 40; ++step) {  // a loop of links ends as the system's own lookup does
        const QFileInfo info(file);
        const QString folder = QFileInfo(info.path()).canonicalFilePath();
        if (folder.isEmpty())
            return fileName;
        const QString here = QDir(folder).filePath(info.fileName());
        const std::optional<sys::Link> link = sys::symbolicLink(here);
        if (!link)
            return here;
        if (!link->mayFollow)
            throw DataFileError(kind, fileName, QCoreApplication::translate("QmrM", refusal).arg(here));
        file = QDir::isAbsolutePath(link->target) ? link->target : folder + u'/' + link->target;
    }
    return fileName;
}

sys::File openOrFail(const QString& target, sys::File::Mode mode, const QString& fileName)
{
    sys::File file;
    if (const sys::Error error = file.open(target, mode))
        fail(DataFileError::Write, fileName, error);
    return file;
}

void closeOrFail(sys::File& file, const QString& fileName)
{
    if (!file.close())
        fail(DataFileError::Write, fileName, sys::lastError());
}

// The end of the chain of links (writeTarget) when that is a regular file or none yet, else `fileName`.
QString rewriteTarget(const QString& fileName)
{
    const QString path = writeTarget(fileName);
    const QFileInfo target(path);
    // Renaming over a device or a pipe would replace it; the link itself is replaced instead.
    return target.isSymLink() || (target.exists() && !target.isFile() && !target.isDir()) ? fileName : path;
}

// Whether a file holds something after its last line end (false for a missing or empty file).
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

// For where no temporary file can be made beside it; the old content is put back when that fails.
void rewriteInPlace(const QString& fileName, const QString& target, const QByteArray& content)
{
    const QByteArray old = readWholeFile(target);
    sys::File file = openOrFail(target, sys::File::Rewrite, fileName);
    const auto writeFromStart = [&file](const QByteArray& bytes) {
        return file.seekToStart() && file.writeAll(bytes) && file.resize(bytes.size()) && file.flush();
    };
    if (!writeFromStart(content)) {
        const sys::Error error = sys::lastError();
        writeFromStart(old);
        fail(DataFileError::Write, fileName, error);
    }
    closeOrFail(file, fileName);
}

}  // namespace

QString writeTarget(const QString& fileName)
{
    return targetOf(fileName, DataFileError::Write,
                    QT_TRANSLATE_NOOP("QmrM", "「%1」はほかのユーザーが作ったリンクのため、その先には書き込みません"));
}

void readFileInPieces(const QString& fileName, const std::function<bool(QByteArrayView piece, qint64 size)>& take,
                      bool* missing)
{
    const QString target =
        targetOf(fileName, DataFileError::Open,
                 QT_TRANSLATE_NOOP("QmrM", "「%1」はほかのユーザーが作ったリンクのため、その先は読み込みません"));
    sys::File file;
    const sys::Error error = file.open(target, sys::File::Read);
    const bool absent = error != 0 && sys::isMissing(error);
    if (missing)
        *missing = absent;
    if (absent)
        return;
    if (error != 0)
        fail(DataFileError::Open, fileName, error);
    // Only a regular file is read from, so that nothing waits on a pipe or a device.
    const qint64 size = file.regularSize();
    if (size < 0)
        throw DataFileError(DataFileError::Open, fileName,
                            QCoreApplication::translate("QmrM", "ふつうのファイルではありません"));
    QByteArray buffer(256 * 1024, Qt::Uninitialized);
    while (true) {
        const qint64 got = file.read(buffer.data(), buffer.size());
        if (got < 0)
            fail(DataFileError::Read, fileName, sys::lastError());
        if (got == 0 || !take(QByteArrayView(buffer.constData(), got), size))
            break;
    }
}

QByteArray readWholeFile(const QString& fileName, bool* missing, qint64 atMost,
                         const std::function<bool(QByteArrayView piece)>& seen)
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
            return !seen || seen(piece);
        },
        missing);
    return content;
}

namespace {

constexpr QLatin1String kTemporaryMark(".quillmora-tmp-");
constexpr int kRandomLetters = 6;

}  // namespace

QString sys::temporaryFilePattern(const QString& fileName)
{
    // Linux takes names of up to 255 bytes, Windows 255 UTF-16 units, and Wine puts Windows files on Linux:
    // so the name is kept within 255 bytes of UTF-8 (never fewer units than UTF-16) with mark and letters.
    constexpr qsizetype kLongestName = 255 - 1 - kTemporaryMark.size() - kRandomLetters;
    const QFileInfo info(fileName);
    QString name = info.fileName();
    while (name.toUtf8().size() > kLongestName)
        name.chop(name.size() > 1 && name.back().isLowSurrogate() ? 2 : 1);
    return info.path() + QStringLiteral("/.") + name + kTemporaryMark + QString(kRandomLetters, u'X');
}

bool isTemporaryFileOf(const QString& entry, const QString& dataFileName)
{
    // "." + the name (in the data file's case, which writers use) + the mark + six letters or digits (mkstemp).
    const qsizetype markAt = entry.size() - kRandomLetters - kTemporaryMark.size();
    if (markAt < 2 || !entry.startsWith(u'.') ||
        QStringView(entry).mid(markAt, kTemporaryMark.size()) != kTemporaryMark)
        return false;
    if (!dataFileName.isEmpty() &&
        QStringView(entry).mid(1, markAt - 1).compare(dataFileName, Qt::CaseInsensitive) != 0)
        return false;
    const QStringView letters = QStringView(entry).right(kRandomLetters);
    return std::all_of(letters.begin(), letters.end(),
                       [](QChar c) { return c.unicode() < 0x80 && c.isLetterOrNumber(); });
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

bool sys::File::writeAll(QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        const qint64 written = writeOnce(bytes.first(std::min<qsizetype>(bytes.size(), 1 << 30)));
        if (written < 0)
            return false;
        bytes = bytes.sliced(written);
    }
    return true;
}

void appendToFile(const QString& fileName, const QByteArray& content)
{
    const QString target = writeTarget(fileName);
    const QByteArray bytes = lastLineIsOpen(target) ? QByteArray("\r\n") + content : content;
    sys::File file = openOrFail(target, sys::File::Append, fileName);
    const qint64 before = file.regularSize();
    // One write call for the whole record; a record the system only partly took is taken back.
    const qint64 written = file.writeOnce(bytes);
    if (written != bytes.size()) {
        const sys::Error error = written < 0 ? sys::lastError() : sys::kDiskFull;
        if (before >= 0 && written > 0)
            file.resize(before);
        fail(DataFileError::Write, fileName, error);
    }
    closeOrFail(file, fileName);
}

void createFileIfMissing(const QString& fileName)
{
    sys::File file = openOrFail(writeTarget(fileName), sys::File::Append, fileName);
    closeOrFail(file, fileName);
}

void truncateFile(const QString& fileName)
{
    sys::File file = openOrFail(writeTarget(fileName), sys::File::Truncate, fileName);
    closeOrFail(file, fileName);
}

bool isSameFile(const QString& first, const QString& second)
{
    const QString node = sys::nodeOf(first);
    return !node.isEmpty() && node == sys::nodeOf(second);
}

// A rewrite's temporary file, kept from other copies' clean-up while written, then put in place.
struct FileReplacement::Parts {
    QString fileName;  // as the messages name it
    QString target;    // the file it replaces
    QString temporary;
    sys::File file;

    ~Parts()
    {
        if (file.isOpen()) {
            file.close();
            removeFile(temporary);
        }
    }
    // False (the reason in lastError()) where no file can be made beside `path`.
    bool begin(const QString& path)
    {
        if (QFileInfo(path).isDir())
            fail(DataFileError::Write, fileName, sys::kFolder);
        target = path;
        file = sys::createTemporary(path, temporary);
        return file.isOpen();
    }
    void write(QByteArrayView bytes)
    {
        if (!file.writeAll(bytes))
            abandon();
    }
    void commit()
    {
        if (!file.flush() || !sys::putInPlace(file, temporary, target))
            abandon();
    }
    [[noreturn]] void abandon()
    {
        const sys::Error error = sys::lastError();
        file.close();
        removeFile(temporary);
        fail(DataFileError::Write, fileName, error);
    }
};

void replaceFileAtomically(const QString& fileName, const QByteArray& content)
{
    FileReplacement::Parts file;
    file.fileName = fileName;
    const QString target = rewriteTarget(fileName);
    if (!file.begin(target)) {
        if (reasonOf(sys::lastError()) == sys::Reason::Denied)
            return rewriteInPlace(fileName, target, content);
        fail(DataFileError::Write, fileName, sys::lastError());
    }
    file.write(content);
    file.commit();
}

FileReplacement::FileReplacement(const QString& fileName) : d(std::make_unique<Parts>())
{
    d->fileName = fileName;
    const QString target = writeTarget(fileName);
    // Renaming over a device such as /dev/full would replace the device itself.
    if (sys::isDevice(target))
        throw DataFileError(DataFileError::Write, fileName,
                            QCoreApplication::translate("QmrM", "書き出し先がふつうのファイルではありません"));
    removeLeftoverTemporaryFiles({}, QFileInfo(target).absolutePath());
    if (!d->begin(target))
        fail(DataFileError::Write, fileName, sys::lastError());
}

FileReplacement::~FileReplacement() = default;

void FileReplacement::write(QByteArrayView bytes)
{
    d->write(bytes);
}

void FileReplacement::commit()
{
    d->commit();
}

RewriteLocks::~RewriteLocks()
{
    release();
}

void RewriteLocks::release()
{
    for (const auto& held : mHeld)
        sys::File(held.second).close();
    mHeld.clear();
}

QString RewriteLocks::take(const QStringList& dataFiles, bool inPlace)
{
    release();
    for (const QString& dataFile : dataFiles) {
        QString target;
        try {
            target = rewriteTarget(resolveDataFileName(dataFile));
        } catch (const DataFileError&) {
            continue;  // a link the rewrites refuse to follow leads them nowhere
        }
        // The folder stays the same node whatever a rewrite renames in it; a file rewritten in place does too.
        QStringList paths{QFileInfo(target).absolutePath()};
        if (inPlace && QFileInfo(target).isFile())
            paths.push_back(target);
        for (const QString& path : paths) {
            const QString node = sys::nodeOf(path);
            if (node.isEmpty() ||
                std::any_of(mHeld.begin(), mHeld.end(), [&node](const auto& held) { return held.first == node; }))
                continue;  // a node held is locked already (a second lock of this process on it would fail)
            bool heldByOther = false;
            const qintptr handle = sys::lockForTheRun(path, node, heldByOther);
            if (heldByOther) {
                release();
                return target;
            }
            if (handle != -1)
                mHeld.emplace_back(node, handle);
        }
    }
    return QString();
}

QByteArray FolderLock::machineMark()
{
    // Keyed with the id over a name of our own, so the id can neither be read back nor matched with another
    // program's view of it.
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

FolderLock::Taking FolderLock::take()
{
    release();
    const Taking taking = make();
    // The lock of a copy that died on this computer is taken over, once.
    if (taking == Taking::HeldByOther && holder().onThisComputer && removeStale())
        return make();
    return taking;
}

bool FolderLock::removeStale()
{
    // The lock file of a copy that runs stays, as the temporary file of a rewrite under way does.
    return removeTemporaryFileUnlessInUse(mFileName);
}

FolderLock::Holder FolderLock::holder() const
{
    // Through readWholeFile's checks, as any file of the folder: a few lines at most.
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
    holder.onThisComputer = holder.known && (!recorded.isEmpty() && !machineMark().isEmpty()
                                                 ? recorded == machineMark() || recorded == QSysInfo::machineUniqueId()
                                                 : holder.host == QSysInfo::machineHostName());
    return holder;
}

}  // namespace QmrM
