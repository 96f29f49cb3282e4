// SPDX-License-Identifier: GPL-3.0-or-later
#include "DataFiles.h"

#include "Errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <set>
#include <windows.h>

namespace QmrM {

// The data files through the system's own calls: a rewrite writes a temporary file beside its target
// straight through to the disk and puts it in place with ReplaceFileW, which keeps the replaced file's
// attributes and access list, or MoveFileExW for a file that is new. Every failure is told by the
// system's error code.

namespace {

std::wstring systemName(const QString& fileName)
{
    return QDir::toNativeSeparators(fileName).toStdWString();
}

bool isFolder(const QString& fileName)
{
    const DWORD attributes = GetFileAttributesW(systemName(fileName).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

QString systemMessage(DWORD error)
{
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    const QString message = text ? QString::fromWCharArray(text).trimmed() : QString::number(error);
    LocalFree(text);
    return message;
}

// The common reasons a file operation fails, in plain Japanese; others as the system words them.
QString japaneseReason(DWORD error)
{
    switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return QCoreApplication::translate("QmrM", "ディスクの空き容量が足りません");
    case ERROR_ACCESS_DENIED:
        return QCoreApplication::translate("QmrM", "アクセスが拒否されました");
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return QCoreApplication::translate("QmrM", "ほかのプログラムが使用中です");
    case ERROR_DIRECTORY:
        return QCoreApplication::translate("QmrM", "同じ名前のフォルダーがあります");
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return QCoreApplication::translate("QmrM", "ファイルまたはフォルダーが見つかりません");
    case ERROR_WRITE_PROTECT:
        return QCoreApplication::translate("QmrM", "読み取り専用の場所です");
    case ERROR_FILENAME_EXCED_RANGE:
        return QCoreApplication::translate("QmrM", "ファイル名が長すぎます");
    case ERROR_INVALID_NAME:
        return QCoreApplication::translate("QmrM", "ファイル名に使えない文字があります");
    default:
        return QCoreApplication::translate("QmrM", "原因: %1").arg(systemMessage(error));
    }
}

[[noreturn]] void fail(DataFileError::Kind kind, const QString& fileName, DWORD error)
{
    throw DataFileError(kind, fileName, japaneseReason(error));
}

// Why `path` could not be opened: a folder of that name, or what the system said.
DWORD openError(const QString& path)
{
    const DWORD error = GetLastError();
    return isFolder(path) ? ERROR_DIRECTORY : error;
}

// Opens `target`, the file a write to a data file reaches (see writeTarget), creating it when missing, for
// writing only; others may read it meanwhile.
HANDLE openTarget(const QString& target, const QString& fileName)
{
    HANDLE file = CreateFileW(systemName(target).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        fail(DataFileError::Write, fileName, openError(target));
    return file;
}

HANDLE openForWriting(const QString& fileName)
{
    return openTarget(writeTarget(fileName), fileName);
}

// Whether `path` names a device or a pipe ("NUL", "COM1", "\\.\pipe\…"), which a rename would not
// replace as a file and a read could wait on for ever. Asked of the open handle, which is what the
// system itself goes by.
bool isDevice(const QString& path)
{
    HANDLE file = CreateFileW(systemName(path).c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool device = GetFileType(file) != FILE_TYPE_DISK;
    CloseHandle(file);
    return device;
}

// Writes all bytes at the file's position; false (the reason in GetLastError) when the system refuses.
bool writeAll(HANDLE file, QByteArrayView content)
{
    const char* data = content.constData();
    qsizetype left = content.size();
    while (left > 0) {
        const DWORD chunk = DWORD(std::min<qsizetype>(left, 1 << 30));
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr))
            return false;
        if (written == 0) {
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

bool cutAt(HANDLE file, qint64 size)
{
    LARGE_INTEGER at{};
    at.QuadPart = size;
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && SetEndOfFile(file);
}

qint64 sizeOf(HANDLE file)
{
    LARGE_INTEGER size{};
    return GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size) ? qint64(size.QuadPart) : -1;
}

// Creates the temporary file of a rewrite beside `target`, written straight through to the disk and open
// to no one else while it is written. INVALID_HANDLE_VALUE (the reason in GetLastError) when no file can
// be made there.
HANDLE createTemporary(const QString& target, QString& temporary)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = temporaryFilePattern(target);
        for (qsizetype i = temporary.size() - 6; i < temporary.size(); ++i)
            temporary[i] = QLatin1Char(letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))]);
        HANDLE file = CreateFileW(systemName(temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    SetLastError(ERROR_FILE_EXISTS);
    return INVALID_HANDLE_VALUE;
}

// The path with the file's name as the folder holds it ("項目一覧.TXT" when asked for "項目一覧.txt"), so that
// the replaced file keeps its name even where the replacement is a rename (Wine's ReplaceFileW).
QString nameOnDisk(const QString& path)
{
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(systemName(path).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return path;
    FindClose(search);
    return QFileInfo(path).dir().filePath(QString::fromWCharArray(found.cFileName));
}

// Puts a complete temporary file in the place of `target`: ReplaceFileW where the target exists (it keeps
// the target's attributes and access list), else a move written through to the disk. Removes the
// temporary file and reports the failure when it cannot.
void putInPlace(const QString& temporary, const QString& target, const QString& fileName)
{
    const std::wstring from = systemName(temporary);
    const std::wstring to = systemName(nameOnDisk(target));
    bool done = ReplaceFileW(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
    if (!done && GetLastError() == ERROR_FILE_NOT_FOUND && !QFileInfo::exists(target))
        done = MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!done) {
        const DWORD error = GetLastError();
        DeleteFileW(from.c_str());
        fail(DataFileError::Write, fileName, error);
    }
}

// Writes the temporary file's content, flushes it and closes it; on failure removes it and reports.
void completeTemporary(HANDLE file, const QString& temporary, QByteArrayView content, const QString& fileName)
{
    if (!writeAll(file, content) || !FlushFileBuffers(file)) {
        const DWORD error = GetLastError();
        CloseHandle(file);
        DeleteFileW(systemName(temporary).c_str());
        fail(DataFileError::Write, fileName, error);
    }
    CloseHandle(file);
}

// Rewrites a file in place where no temporary file can be made beside it: written from the start, cut to
// the new length and flushed. The old content is put back when that fails.
void rewriteInPlace(const QString& fileName, const QString& target, const QByteArray& content)
{
    const QByteArray old = readWholeFile(target);
    HANDLE file = CreateFileW(systemName(target).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        fail(DataFileError::Write, fileName, openError(target));
    const auto writeFromStart = [file](const QByteArray& bytes) {
        return cutAt(file, 0) && writeAll(file, bytes) && SetEndOfFile(file) && FlushFileBuffers(file);
    };
    if (!writeFromStart(content)) {
        const DWORD error = GetLastError();
        writeFromStart(old);
        CloseHandle(file);
        fail(DataFileError::Write, fileName, error);
    }
    CloseHandle(file);
}

}  // namespace

void readFileInPieces(const QString& fileName, const std::function<bool(QByteArrayView piece, qint64 size)>& take,
                      bool* missing)
{
    // Others may write, replace or remove the file meanwhile, as they may while nothing reads it. Opening
    // a device or a pipe does not wait; only a regular file is read from, so that nothing waits on one.
    const QString target = readTarget(fileName);
    HANDLE file =
        CreateFileW(systemName(target).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    const DWORD error = file == INVALID_HANDLE_VALUE ? openError(target) : ERROR_SUCCESS;
    const bool absent = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                        error == ERROR_FILENAME_EXCED_RANGE || error == ERROR_INVALID_NAME;
    if (missing)
        *missing = absent;
    if (absent)
        return;
    if (file == INVALID_HANDLE_VALUE)
        fail(DataFileError::Open, fileName, error);
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        throw DataFileError(DataFileError::Open, fileName,
                            QCoreApplication::translate("QmrM", "ふつうのファイルではありません"));
    }
    const qint64 size = sizeOf(file);
    QByteArray buffer(256 * 1024, Qt::Uninitialized);
    while (true) {
        DWORD got = 0;
        if (!ReadFile(file, buffer.data(), DWORD(buffer.size()), &got, nullptr)) {
            const DWORD readError = GetLastError();
            CloseHandle(file);
            fail(DataFileError::Read, fileName, readError);
        }
        bool goOn = false;
        try {
            goOn = got > 0 && take(QByteArrayView(buffer.constData(), qsizetype(got)), size);
        } catch (...) {
            CloseHandle(file);
            throw;
        }
        if (!goOn)
            break;
    }
    CloseHandle(file);
}

void replaceFileAtomically(const QString& fileName, const QByteArray& content)
{
    const QString target = rewriteTarget(fileName);
    if (isFolder(target))
        fail(DataFileError::Write, fileName, ERROR_DIRECTORY);
    QString temporary;
    HANDLE file = createTemporary(target, temporary);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_ACCESS_DENIED)
            return rewriteInPlace(fileName, target, content);
        fail(DataFileError::Write, fileName, error);
    }
    completeTemporary(file, temporary, content, fileName);
    putInPlace(temporary, target, fileName);
}

void appendToFile(const QString& fileName, const QByteArray& content)
{
    const QString target = writeTarget(fileName);
    const QByteArray bytes = lastLineIsOpen(target) ? QByteArray("\r\n") + content : content;
    HANDLE file = openTarget(target, fileName);
    const qint64 before = sizeOf(file);
    LARGE_INTEGER end{};
    // One write call for the whole record; a record the system only partly took is taken back.
    DWORD written = 0;
    const bool wrote = SetFilePointerEx(file, end, nullptr, FILE_END) &&
                       WriteFile(file, bytes.constData(), DWORD(bytes.size()), &written, nullptr);
    if (!wrote || written != DWORD(bytes.size())) {
        const DWORD error = wrote ? DWORD(ERROR_DISK_FULL) : GetLastError();
        if (before >= 0 && written > 0)
            cutAt(file, before);
        CloseHandle(file);
        fail(DataFileError::Write, fileName, error);
    }
    CloseHandle(file);
}

void createFileIfMissing(const QString& fileName)
{
    CloseHandle(openForWriting(fileName));
}

void truncateFile(const QString& fileName)
{
    HANDLE file = openForWriting(fileName);
    if (!cutAt(file, 0)) {
        const DWORD error = GetLastError();
        CloseHandle(file);
        fail(DataFileError::Write, fileName, error);
    }
    CloseHandle(file);
}

bool removeFile(const QString& fileName)
{
    return DeleteFileW(systemName(fileName).c_str());
}

bool mayWrite(const QString& path)
{
    // As the system judges it: a handle asking for the right to write the file, or to add files to the
    // folder, is granted only where the access list and the medium allow it. Nothing is written.
    const DWORD right = isFolder(path) ? FILE_ADD_FILE : FILE_WRITE_DATA;
    HANDLE handle = CreateFileW(systemName(path).c_str(), right, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(handle);
    return true;
}

namespace {

// The volume and the file's index on it, which name one file whatever the path to it; false when the file
// cannot be reached.
bool identityOf(const QString& fileName, BY_HANDLE_FILE_INFORMATION& identity)
{
    HANDLE file = CreateFileW(systemName(fileName).c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool known = GetFileInformationByHandle(file, &identity);
    CloseHandle(file);
    return known;
}

}  // namespace

bool isSameFile(const QString& first, const QString& second)
{
    BY_HANDLE_FILE_INFORMATION one{};
    BY_HANDLE_FILE_INFORMATION other{};
    return identityOf(first, one) && identityOf(second, other) &&
           one.dwVolumeSerialNumber == other.dwVolumeSerialNumber && one.nFileIndexHigh == other.nFileIndexHigh &&
           one.nFileIndexLow == other.nFileIndexLow;
}

bool removeTemporaryFileUnlessInUse(const QString& fileName)
{
    // A rewrite holds its temporary file open to no one else until it is complete; the system refuses to
    // remove it meanwhile.
    return DeleteFileW(systemName(fileName).c_str());
}

std::optional<Link> symbolicLink(const QString& /*path*/)
{
    return std::nullopt;  // the system follows its links itself: only administrators (or developers) make them
}

struct FileReplacement::Parts {
    QString fileName;  // as the messages name it
    QString target;    // the file it replaces
    QString temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
};

FileReplacement::FileReplacement(const QString& fileName) : d(std::make_unique<Parts>())
{
    d->fileName = fileName;
    d->target = writeTarget(fileName);
    if (isFolder(d->target))
        fail(DataFileError::Write, fileName, ERROR_DIRECTORY);
    // Moving a file over a device name would not write the device; it is refused as on every system.
    if (isDevice(d->target))
        throw DataFileError(DataFileError::Write, fileName,
                            QCoreApplication::translate("QmrM", "書き出し先がふつうのファイルではありません"));
    removeLeftoverTemporaryFiles({}, QFileInfo(d->target).absolutePath());
    d->file = createTemporary(d->target, d->temporary);
    if (d->file == INVALID_HANDLE_VALUE)
        fail(DataFileError::Write, fileName, GetLastError());
}

FileReplacement::~FileReplacement()
{
    if (d->file != INVALID_HANDLE_VALUE) {
        CloseHandle(d->file);
        DeleteFileW(systemName(d->temporary).c_str());
    }
}

void FileReplacement::write(QByteArrayView bytes)
{
    if (!writeAll(d->file, bytes)) {
        const DWORD error = GetLastError();
        CloseHandle(std::exchange(d->file, INVALID_HANDLE_VALUE));
        DeleteFileW(systemName(d->temporary).c_str());
        fail(DataFileError::Write, d->fileName, error);
    }
}

void FileReplacement::commit()
{
    completeTemporary(std::exchange(d->file, INVALID_HANDLE_VALUE), d->temporary, {}, d->fileName);
    putInPlace(d->temporary, d->target, d->fileName);
}

namespace {

// A folder's identity as a name for a lock: the same for every path to the folder (a link, a junction, a
// mapped drive of this computer).
QString lockNameOf(const QString& folder)
{
    BY_HANDLE_FILE_INFORMATION identity{};
    if (!identityOf(folder, identity))
        return QString();
    return QStringLiteral("Local\\quillmora-folder-%1-%2-%3")
        .arg(identity.dwVolumeSerialNumber, 8, 16, QLatin1Char('0'))
        .arg(identity.nFileIndexHigh, 8, 16, QLatin1Char('0'))
        .arg(identity.nFileIndexLow, 8, 16, QLatin1Char('0'));
}

// Kernel handles fit in 32 bits (the system keeps them so for 32-bit programs): held as ints.
int heldHandle(HANDLE handle)
{
    return int(HandleToLong(handle));
}

// A byte far beyond any data file's end: a lock on it stops no reading or writing of the file, only other
// copies' locks.
constexpr DWORD kLockedByteHigh = 0x7fffffff;

}  // namespace

RewriteLocks::~RewriteLocks()
{
    release();
}

void RewriteLocks::release()
{
    for (const int held : mHeld)
        CloseHandle(LongToHandle(held));  // a file's lock goes with its handle
    mHeld.clear();
}

QString RewriteLocks::take(const QStringList& dataFiles, bool inPlace)
{
    // A folder is locked by a named mutex of this session, which goes with the last copy that holds it; a
    // file rewritten in place by a lock on a byte of it, which other computers see too.
    release();
    std::set<QString> taken;
    for (const QString& dataFile : dataFiles) {
        QString target;
        try {
            target = rewriteTarget(resolveDataFileName(dataFile));
        } catch (const DataFileError&) {
            continue;
        }
        const QString lockName = lockNameOf(QFileInfo(target).absolutePath());
        if (!lockName.isEmpty() && taken.insert(lockName).second) {
            HANDLE mutex = CreateMutexW(nullptr, FALSE, systemName(lockName).c_str());
            const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
            if (mutex && existed) {
                CloseHandle(mutex);
                release();
                return target;
            }
            if (mutex)
                mHeld.push_back(heldHandle(mutex));
        }
        if (!inPlace || !QFileInfo(target).isFile())
            continue;
        HANDLE file =
            CreateFileW(systemName(target).c_str(), GENERIC_READ,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            continue;
        OVERLAPPED at{};
        at.OffsetHigh = kLockedByteHigh;
        if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
            mHeld.push_back(heldHandle(file));
            continue;
        }
        const bool heldByOther = GetLastError() == ERROR_LOCK_VIOLATION;
        CloseHandle(file);
        if (heldByOther) {
            release();
            return target;
        }
    }
    return QString();
}

// A lock file held open: Windows lets no other process remove it meanwhile.
struct FolderLock::Held {
    QFile file;
};

FolderLock::FolderLock(const QString& fileName) : mFileName(fileName) {}

FolderLock::~FolderLock()
{
    release();
}

FolderLock::Taking FolderLock::take()
{
    release();
    for (int attempt = 0; attempt < 2; ++attempt) {
        auto held = std::make_unique<Held>();
        held->file.setFileName(mFileName);
        if (held->file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (held->file.write(record()) < 0 || !held->file.flush()) {
                held->file.remove();
                return Taking::CannotBeMade;
            }
            mHeld = std::move(held);
            return Taking::Taken;
        }
        if (!QFileInfo::exists(mFileName))
            return Taking::CannotBeMade;
        if (attempt > 0 || !holder().onThisComputer || !removeStale())
            break;
    }
    return Taking::HeldByOther;
}

void FolderLock::release()
{
    if (mHeld)
        mHeld->file.remove();
    mHeld.reset();
}

bool FolderLock::removeStale()
{
    return QFile::remove(mFileName);
}

}  // namespace QmrM
