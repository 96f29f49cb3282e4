// SPDX-License-Identifier: GPL-3.0-or-later
#include "DataFiles.h"
#include "DataFilesSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <windows.h>

namespace QmrM {

// The system's own calls: a rewrite writes its temporary file through to the disk and puts it in place with
// ReplaceFileW, which keeps the file's attributes and access list (MoveFileExW for a new file).

namespace {

std::wstring systemName(const QString& fileName)
{
    return QDir::toNativeSeparators(fileName).toStdWString();
}

HANDLE handleOf(qintptr handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

bool isFolder(const QString& fileName)
{
    const DWORD attributes = GetFileAttributesW(systemName(fileName).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Others may do what `share` allows meanwhile.
sys::File openFile(const QString& path, DWORD access, DWORD share, DWORD disposition, DWORD flags)
{
    return sys::File(reinterpret_cast<qintptr>(
        CreateFileW(systemName(path).c_str(), access, share, nullptr, disposition, flags, nullptr)));
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A handle that asks for nothing but the attributes of `path`, a file or a folder.
sys::File openAttributes(const QString& path)
{
    return openFile(path, FILE_READ_ATTRIBUTES, kShareAll, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
}

// The name as the folder holds it ("項目一覧.TXT" for "項目一覧.txt"), so it is kept even where the
// replacement is a rename (Wine's ReplaceFileW).
QString nameOnDisk(const QString& path)
{
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(systemName(path).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return path;
    FindClose(search);
    return QFileInfo(path).dir().filePath(QString::fromWCharArray(found.cFileName));
}

// Far beyond any data file's end: a lock on it stops only other copies' locks, no reading or writing.
constexpr DWORD kLockedByteHigh = 0x7fffffff;

}  // namespace

namespace sys {

const Error kFolder = ERROR_DIRECTORY;
const Error kDiskFull = ERROR_DISK_FULL;

Error lastError()
{
    return GetLastError();
}

const std::map<Error, Reason> kReasons = {
    {ERROR_DISK_FULL, Reason::DiskFull},      {ERROR_HANDLE_DISK_FULL, Reason::DiskFull},
    {ERROR_ACCESS_DENIED, Reason::Denied},    {ERROR_SHARING_VIOLATION, Reason::InUse},
    {ERROR_LOCK_VIOLATION, Reason::InUse},    {ERROR_DIRECTORY, Reason::Folder},
    {ERROR_FILE_NOT_FOUND, Reason::NotFound}, {ERROR_PATH_NOT_FOUND, Reason::NotFound},
    {ERROR_WRITE_PROTECT, Reason::ReadOnly},  {ERROR_FILENAME_EXCED_RANGE, Reason::NameTooLong},
    {ERROR_INVALID_NAME, Reason::BadName}};

QString systemMessage(Error error)
{
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    const QString message = text ? QString::fromWCharArray(text).trimmed() : QString::number(error);
    LocalFree(text);
    return message;
}

bool isMissing(Error error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_FILENAME_EXCED_RANGE ||
           error == ERROR_INVALID_NAME;
}

Error File::open(const QString& path, Mode mode)
{
    // Others may write, replace or remove a file being read, as they may while nothing reads it; one being
    // written they may only read. Opening a device or a pipe does not wait.
    *this = mode == Read ? openFile(path, GENERIC_READ, kShareAll, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN)
                         : openFile(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL | (mode == Rewrite ? FILE_FLAG_WRITE_THROUGH : 0));
    if (!isOpen()) {
        const DWORD error = GetLastError();
        return isFolder(path) ? ERROR_DIRECTORY : error;  // a folder of that name, or what the system said
    }
    if ((mode == Append && !SetFilePointerEx(handleOf(mHandle), LARGE_INTEGER{}, nullptr, FILE_END)) ||
        (mode == Truncate && !resize(0))) {
        const DWORD error = GetLastError();
        close();
        return error;
    }
    return ERROR_SUCCESS;
}

qint64 File::regularSize() const
{
    LARGE_INTEGER size{};
    return GetFileType(handleOf(mHandle)) == FILE_TYPE_DISK && GetFileSizeEx(handleOf(mHandle), &size)
               ? qint64(size.QuadPart)
               : -1;
}

qint64 File::read(char* data, qint64 size)
{
    DWORD got = 0;
    return ReadFile(handleOf(mHandle), data, DWORD(size), &got, nullptr) ? qint64(got) : -1;
}

qint64 File::writeOnce(QByteArrayView bytes)
{
    DWORD written = 0;
    if (!WriteFile(handleOf(mHandle), bytes.constData(), DWORD(bytes.size()), &written, nullptr))
        return -1;
    if (written == 0 && !bytes.isEmpty()) {
        SetLastError(ERROR_DISK_FULL);
        return -1;
    }
    return written;
}

bool File::seekToStart()
{
    return SetFilePointerEx(handleOf(mHandle), LARGE_INTEGER{}, nullptr, FILE_BEGIN);
}

bool File::resize(qint64 size)
{
    LARGE_INTEGER at{};
    at.QuadPart = size;
    return SetFilePointerEx(handleOf(mHandle), at, nullptr, FILE_BEGIN) && SetEndOfFile(handleOf(mHandle));
}

bool File::flush()
{
    return FlushFileBuffers(handleOf(mHandle));
}

bool File::close()
{
    return !isOpen() || CloseHandle(handleOf(std::exchange(mHandle, -1)));
}

// Written through to the disk and shared with no one, so the system refuses to remove it meanwhile.
File createTemporary(const QString& target, QString& temporary)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = temporaryFilePattern(target);
        for (qsizetype i = temporary.size() - 6; i < temporary.size(); ++i)
            temporary[i] = QLatin1Char(letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))]);
        File file = openFile(temporary, GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH);
        if (file.isOpen() || GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    SetLastError(ERROR_FILE_EXISTS);
    return File();
}

// ReplaceFileW keeps the target's attributes and access list; a new file is moved, written through.
bool putInPlace(File& file, const QString& temporary, const QString& target)
{
    file.close();
    const std::wstring from = systemName(temporary);
    const std::wstring to = systemName(nameOnDisk(target));
    return ReplaceFileW(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) ||
           (GetLastError() == ERROR_FILE_NOT_FOUND && !QFileInfo::exists(target) &&
            MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
}

// Asked of the open handle, which is what the system itself goes by: "NUL", "COM1", "\\.\pipe\…".
bool isDevice(const QString& path)
{
    const File file = openAttributes(path);
    return file.isOpen() && GetFileType(handleOf(file.handle())) != FILE_TYPE_DISK;
}

// The volume and file index, the same for every path (a link, a junction, a mapped drive of this computer).
QString nodeOf(const QString& path)
{
    const File file = openAttributes(path);
    BY_HANDLE_FILE_INFORMATION identity{};
    if (!file.isOpen() || !GetFileInformationByHandle(handleOf(file.handle()), &identity))
        return QString();
    return QStringLiteral("%1-%2-%3")
        .arg(identity.dwVolumeSerialNumber, 8, 16, QLatin1Char('0'))
        .arg(identity.nFileIndexHigh, 8, 16, QLatin1Char('0'))
        .arg(identity.nFileIndexLow, 8, 16, QLatin1Char('0'));
}

// A folder is locked by a named mutex of this session, which goes with the last copy that holds it; a file
// rewritten in place by a lock on a byte of it, which other computers see too.
qintptr lockForTheRun(const QString& path, const QString& node, bool& heldByOther)
{
    if (isFolder(path)) {
        HANDLE mutex =
            CreateMutexW(nullptr, FALSE, systemName(QStringLiteral("Local\\quillmora-folder-") + node).c_str());
        if (!mutex)
            return -1;
        File held(reinterpret_cast<qintptr>(mutex));
        heldByOther = GetLastError() == ERROR_ALREADY_EXISTS;
        return heldByOther ? -1 : held.release();
    }
    File file = openFile(path, GENERIC_READ, kShareAll, OPEN_EXISTING, 0);
    OVERLAPPED at{};
    at.OffsetHigh = kLockedByteHigh;
    if (file.isOpen() &&
        LockFileEx(handleOf(file.handle()), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at))
        return file.release();
    heldByOther = file.isOpen() && GetLastError() == ERROR_LOCK_VIOLATION;
    return -1;
}

std::optional<Link> symbolicLink(const QString& /*path*/)
{
    return std::nullopt;  // the system follows its links itself: only administrators (or developers) make them
}

}  // namespace sys

bool removeFile(const QString& fileName)
{
    return DeleteFileW(systemName(fileName).c_str());
}

bool mayWrite(const QString& path)
{
    // A handle asking to write the file, or add files to the folder, is granted only where the access list
    // and the medium allow; nothing is written.
    return openFile(path, isFolder(path) ? FILE_ADD_FILE : FILE_WRITE_DATA, kShareAll, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS)
        .isOpen();
}

bool removeTemporaryFileUnlessInUse(const QString& fileName)
{
    // A rewrite's temporary file and a running copy's lock file are held unshared, so removing them fails.
    return removeFile(fileName);
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

FolderLock::Taking FolderLock::make()
{
    auto held = std::make_unique<Held>();
    held->file.setFileName(mFileName);
    if (!held->file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return QFileInfo::exists(mFileName) ? Taking::HeldByOther : Taking::CannotBeMade;
    if (held->file.write(record()) < 0 || !held->file.flush()) {
        held->file.remove();
        return Taking::CannotBeMade;
    }
    mHeld = std::move(held);
    return Taking::Taken;
}

void FolderLock::release()
{
    if (mHeld)
        mHeld->file.remove();
    mHeld.reset();
}

}  // namespace QmrM
