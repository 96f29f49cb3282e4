// SPDX-License-Identifier: GPL-3.0-or-later
#include "DataFiles.h"
#include "DataFilesSystem.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace QmrM {

// The system's calls, so that every partial write and failed final flush is seen, which buffered file classes
// do not always report.

namespace {

QByteArray systemName(const QString& fileName)
{
    return QFile::encodeName(fileName);
}

// Repeats a call a signal interrupted; -1 (errno set) when it failed.
template <class Call>
auto retried(Call call)
{
    decltype(call()) result;
    do
        result = call();
    while (result < 0 && errno == EINTR);
    return result;
}

// flock's `operation`; false (errno set) when it cannot.
bool lockFile(int fd, int operation)
{
    return retried([&] { return ::flock(fd, operation); }) == 0;
}

// Whether `path` still names the file open as `fd`.
bool namesFile(const QByteArray& path, int fd)
{
    struct stat byName {};
    struct stat open {};
    return ::stat(path.constData(), &byName) == 0 && ::fstat(fd, &open) == 0 && byName.st_dev == open.st_dev &&
           byName.st_ino == open.st_ino;
}

// The replaced file's permissions (or the usual ones), owner and group where allowed. Another group member
// may not give the owner but keeps the group, through which the owner and other members still reach it.
void takeOverAttributes(int fd, const QByteArray& path)
{
    struct stat existing {};
    if (::stat(path.constData(), &existing) != 0 || !S_ISREG(existing.st_mode)) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
        return;
    }
    if (::fchown(fd, existing.st_uid, existing.st_gid) != 0 && ::fchown(fd, uid_t(-1), existing.st_gid) != 0) {
        // Neither can be kept (the file is writable to all): the permissions below still hold.
    }
    ::fchmod(fd, existing.st_mode & 07777);
}

}  // namespace

namespace sys {

const Error kFolder = EISDIR;
const Error kDiskFull = ENOSPC;

Error lastError()
{
    return errno;
}

const std::map<Error, Reason> kReasons = {
    {ENOSPC, Reason::DiskFull}, {EDQUOT, Reason::DiskFull}, {EACCES, Reason::Denied},
    {EPERM, Reason::Denied},    {EISDIR, Reason::Folder},   {ENOENT, Reason::NotFound},
    {EROFS, Reason::ReadOnly},  {EFBIG, Reason::TooLarge},  {ENAMETOOLONG, Reason::NameTooLong},
    {EINVAL, Reason::BadName},  {EILSEQ, Reason::BadName}};

QString systemMessage(Error error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

bool isMissing(Error error)
{
    return error == ENOENT || error == ENAMETOOLONG;  // a name too long for a file cannot name one
}

Error File::open(const QString& path, Mode mode)
{
    static const int flags[] = {O_RDONLY | O_NONBLOCK, O_WRONLY | O_APPEND | O_CREAT, O_WRONLY | O_TRUNC | O_CREAT,
                                O_WRONLY | O_CREAT};
    close();
    const int fd =
        retried([&] { return ::open(systemName(path).constData(), flags[mode] | O_NOFOLLOW | O_CLOEXEC, 0666); });
    if (fd < 0)
        return errno;
    mHandle = fd;
    struct stat info {};
    if (mode == Read && (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode))) {
        const Error error = S_ISDIR(info.st_mode) ? EISDIR : errno;
        close();
        return error;
    }
    return 0;
}

qint64 File::regularSize() const
{
    struct stat info {};
    return ::fstat(int(mHandle), &info) == 0 && S_ISREG(info.st_mode) ? qint64(info.st_size) : -1;
}

qint64 File::read(char* data, qint64 size)
{
    return retried([&] { return ::read(int(mHandle), data, size_t(size)); });
}

qint64 File::writeOnce(QByteArrayView bytes)
{
    return retried([&] { return ::write(int(mHandle), bytes.constData(), size_t(bytes.size())); });
}

bool File::seekToStart()
{
    return ::lseek(int(mHandle), 0, SEEK_SET) == 0;
}

bool File::resize(qint64 size)
{
    return ::ftruncate(int(mHandle), off_t(size)) == 0;
}

bool File::flush()
{
    return ::fsync(int(mHandle)) == 0;
}

bool File::close()
{
    return !isOpen() || ::close(int(std::exchange(mHandle, -1))) == 0;
}

// Locked while open: another copy's start-up clean-up leaves a locked temporary file alone.
File createTemporary(const QString& target, QString& temporary)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        QByteArray name = systemName(temporaryFilePattern(target));
        File file(::mkostemp(name.data(), O_CLOEXEC));
        if (!file.isOpen())
            return file;
        temporary = QFile::decodeName(name);
        const int fd = int(file.handle());
        // Without locks (some network folders) no clean-up can lock it either; a clean-up may have removed
        // the name between its creation and the lock: then another is made.
        if (!lockFile(fd, LOCK_EX) || namesFile(name, fd)) {
            takeOverAttributes(fd, systemName(target));
            return file;
        }
    }
    errno = EEXIST;
    return File();
}

bool putInPlace(File& file, const QString& temporary, const QString& target)
{
    // The lock is held until the new file is in place; fsync has already reported any failure to write.
    if (::rename(systemName(temporary).constData(), systemName(target).constData()) != 0)
        return false;
    file.close();
    // The rename made durable.
    File folder(::open(systemName(QFileInfo(target).path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.isOpen())
        folder.flush();
    return true;
}

bool isDevice(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isFile() && !info.isDir();
}

QString nodeOf(const QString& path)
{
    struct stat info {};
    if (::stat(systemName(path).constData(), &info) != 0)
        return QString();
    return QStringLiteral("%1-%2").arg(info.st_dev).arg(info.st_ino);
}

qintptr lockForTheRun(const QString& path, const QString& /*node*/, bool& heldByOther)
{
    const QByteArray name = systemName(path);
    File file(::open(name.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
    if (!file.isOpen())  // a folder, or a file the user may only read
        file = File(::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (file.isOpen() && lockFile(int(file.handle()), LOCK_EX | LOCK_NB))
        return file.release();
    heldByOther = file.isOpen() && errno == EWOULDBLOCK;
    return -1;
}

std::optional<Link> symbolicLink(const QString& path)
{
    const QByteArray name = systemName(path);
    struct stat info {};
    if (::lstat(name.constData(), &info) != 0 || !S_ISLNK(info.st_mode))
        return std::nullopt;
    // As the system itself does in folders all may write to (protected symlinks), here in every folder: a
    // shared folder open to a group is just as open to a planted link.
    Link link;
    link.mayFollow = info.st_uid == ::geteuid() || info.st_uid == 0;
    // The size lstat gives may be 0 (some file systems) or grow meanwhile: a text that fills the room may be cut.
    for (qsizetype room = std::max<qsizetype>(info.st_size + 1, 256);; room *= 2) {
        QByteArray text(room, Qt::Uninitialized);
        const ssize_t length = ::readlink(name.constData(), text.data(), size_t(room));
        if (length < 0)
            return std::nullopt;
        if (length < room) {
            text.truncate(length);
            link.target = QFile::decodeName(text);
            return link;
        }
    }
}

}  // namespace sys

bool removeFile(const QString& fileName)
{
    return ::unlink(systemName(fileName).constData()) == 0;
}

bool mayWrite(const QString& path)
{
    // As the program's own user, which may differ from the one that started it.
    return ::faccessat(AT_FDCWD, systemName(path).constData(), W_OK, AT_EACCESS) == 0;
}

bool removeTemporaryFileUnlessInUse(const QString& fileName)
{
    const QByteArray path = systemName(fileName);
    const sys::File file(::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    // A rewrite holds its temporary file locked until it is in place, a running copy its lock file for the
    // run: a lock not had, for any reason, keeps the file, as does another copy's new file under the name.
    return file.isOpen() && lockFile(int(file.handle()), LOCK_EX | LOCK_NB) && namesFile(path, int(file.handle())) &&
           ::unlink(path.constData()) == 0;
}

struct FolderLock::Held {
    sys::File file;
};

FolderLock::FolderLock(const QString& fileName) : mFileName(fileName) {}

FolderLock::~FolderLock()
{
    release();
}

FolderLock::Taking FolderLock::make()
{
    const QByteArray path = systemName(mFileName);
    sys::File file(::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (!file.isOpen())
        return errno == EEXIST ? Taking::HeldByOther : Taking::CannotBeMade;
    // Held locked for the run: while it is, no other copy removes it as the lock of one that died.
    lockFile(int(file.handle()), LOCK_EX | LOCK_NB);
    if (!file.writeAll(record())) {
        file.close();
        ::unlink(path.constData());
        return Taking::CannotBeMade;
    }
    ::fdatasync(int(file.handle()));
    mHeld = std::make_unique<Held>(Held{std::move(file)});
    return Taking::Taken;
}

void FolderLock::release()
{
    if (!mHeld)
        return;
    ::unlink(systemName(mFileName).constData());
    mHeld.reset();
}

}  // namespace QmrM
