// SPDX-License-Identifier: GPL-3.0-or-later
#include "DataFiles.h"

#include "Errors.h"

#include <QFile>
#include <QFileInfo>
#include <QCoreApplication>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace QmrM {

// The data files are handled with the system's calls: every partial write and every failure of the final
// flush is seen, which buffered file classes do not always report, and every failure is told by the
// system's own error number.

namespace {

// The common reasons a file operation fails, in plain Japanese; other errors are named as the system
// names them.
QString japaneseReason(int error)
{
    switch (error) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return QCoreApplication::translate("QmrM", "ディスクの空き容量が足りません");
    case EACCES:
    case EPERM:
        return QCoreApplication::translate("QmrM", "アクセスが拒否されました");
    case EISDIR:
        return QCoreApplication::translate("QmrM", "同じ名前のフォルダーがあります");
    case ENOENT:
        return QCoreApplication::translate("QmrM", "ファイルまたはフォルダーが見つかりません");
    case EROFS:
        return QCoreApplication::translate("QmrM", "読み取り専用の場所です");
    case EFBIG:
        return QCoreApplication::translate("QmrM", "ファイルが大きすぎます");
    case ENAMETOOLONG:
        return QCoreApplication::translate("QmrM", "ファイル名が長すぎます");
    case EINVAL:
    case EILSEQ:
        return QCoreApplication::translate("QmrM", "ファイル名に使えない文字があります");
    default:
        return QCoreApplication::translate("QmrM", "原因: %1").arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

[[noreturn]] void fail(DataFileError::Kind kind, const QString& fileName, int error)
{
    throw DataFileError(kind, fileName, japaneseReason(error));
}

QByteArray systemName(const QString& fileName)
{
    return QFile::encodeName(fileName);
}

// Opens `path` (no link: the end of a data file's chain of links), going on after an interrupted call; fails
// with the system's reason, naming the data file.
int openFile(const QString& path, int flags, const QString& fileName)
{
    int fd;
    do
        fd = ::open(systemName(path).constData(), flags | O_NOFOLLOW | O_CLOEXEC, 0666);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        fail(DataFileError::Write, fileName, errno);
    return fd;
}

// Opens the file a write to a data file reaches (see writeTarget).
int openForWriting(const QString& fileName, int flags)
{
    return openFile(writeTarget(fileName), flags | O_WRONLY, fileName);
}

// Writes all bytes, going on after a partial write; false (with errno set) when the system refuses.
bool writeAll(int fd, QByteArrayView content)
{
    const char* data = content.constData();
    qsizetype left = content.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

// Closes a descriptor that was only read or held; its failure changes nothing of the file.
void closeQuietly(int fd)
{
    ::close(fd);
}

// Gives a new data file the permissions of the file it replaces (or the usual ones), and its owner and
// group where the system allows it. Another member of the file's group may not give it the owner, but keeps
// the group, through which the owner and the other members still reach the file.
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

// Takes an advisory lock (flock's `operation`), going on after an interrupted call; false (errno set) when
// it cannot.
bool lockFile(int fd, int operation)
{
    int locked;
    do
        locked = ::flock(fd, operation);
    while (locked != 0 && errno == EINTR);
    return locked == 0;
}

// Whether `path` still names the file open as `fd`.
bool namesFile(const QByteArray& path, int fd)
{
    struct stat byName {};
    struct stat open {};
    return ::stat(path.constData(), &byName) == 0 && ::fstat(fd, &open) == 0 && byName.st_dev == open.st_dev &&
           byName.st_ino == open.st_ino;
}

// Creates the temporary file of a rewrite beside `target`, locked for as long as it stays open: the
// start-up clean-up of another copy leaves a locked temporary file alone. Returns -1 (errno set) when no
// file can be made there.
int createLockedTemporary(const QString& target, QByteArray& temporary)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        temporary = systemName(temporaryFilePattern(target));
        const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
        if (fd < 0)
            return -1;
        if (!lockFile(fd, LOCK_EX))
            return fd;  // a folder without locks (some network folders): no clean-up can lock it either
        // A clean-up may have removed the name between its creation and the lock: make another.
        if (namesFile(temporary, fd))
            return fd;
        closeQuietly(fd);
    }
    errno = EEXIST;
    return -1;
}

// Rewrites a file in place where no temporary file can be made beside it: written from the start, cut to
// the new length and flushed. The old content is put back when that fails.
void rewriteInPlace(const QString& fileName, const QString& target, const QByteArray& content)
{
    const QByteArray old = readWholeFile(target);
    const int fd = openFile(target, O_WRONLY | O_CREAT, fileName);
    const auto writeFromStart = [fd](const QByteArray& bytes) {
        return ::lseek(fd, 0, SEEK_SET) == 0 && writeAll(fd, bytes) && ::ftruncate(fd, bytes.size()) == 0 &&
               ::fsync(fd) == 0;
    };
    if (!writeFromStart(content)) {
        const int error = errno;
        writeFromStart(old);
        closeQuietly(fd);
        fail(DataFileError::Write, fileName, error);
    }
    if (::close(fd) != 0)
        fail(DataFileError::Write, fileName, errno);
}

// Removes the temporary file of a rewrite that failed, and reports the failure.
[[noreturn]] void discardTemporary(const QByteArray& temporary, const QString& fileName, int error)
{
    ::unlink(temporary.constData());
    fail(DataFileError::Write, fileName, error);
}

// Makes a rename into the folder of `path` durable.
void syncFolderOf(const QByteArray& path)
{
    const int folder =
        ::open(systemName(QFileInfo(QFile::decodeName(path)).path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        closeQuietly(folder);
    }
}

void failIfFolder(const QString& fileName, DataFileError::Kind kind)
{
    if (QFileInfo(fileName).isDir())
        fail(kind, fileName, EISDIR);
}

}  // namespace

void readFileInPieces(const QString& fileName, const std::function<bool(QByteArrayView piece, qint64 size)>& take,
                      bool* missing)
{
    // Opened without waiting and without following a link put in place meanwhile: a pipe would hold the
    // window's thread until something writes to it.
    const int fd = ::open(systemName(readTarget(fileName)).constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (missing)
        *missing = fd < 0 && (errno == ENOENT || errno == ENAMETOOLONG);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENAMETOOLONG)  // a name too long for a file cannot name one
            return;
        fail(DataFileError::Open, fileName, errno);
    }
    struct stat info {};
    const bool known = ::fstat(fd, &info) == 0;
    if (!known || !S_ISREG(info.st_mode)) {
        const int error = !known ? errno : S_ISDIR(info.st_mode) ? EISDIR : 0;
        closeQuietly(fd);
        if (error != 0)
            fail(DataFileError::Open, fileName, error);
        throw DataFileError(DataFileError::Open, fileName,
                            QCoreApplication::translate("QmrM", "ふつうのファイルではありません"));
    }
    QByteArray buffer(256 * 1024, Qt::Uninitialized);
    while (true) {
        const ssize_t got = ::read(fd, buffer.data(), size_t(buffer.size()));
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            closeQuietly(fd);
            fail(DataFileError::Read, fileName, error);
        }
        bool goOn = false;
        try {
            goOn = take(QByteArrayView(buffer.constData(), got), qint64(info.st_size));
        } catch (...) {
            closeQuietly(fd);
            throw;
        }
        if (!goOn)
            break;
    }
    closeQuietly(fd);
}

void appendToFile(const QString& fileName, const QByteArray& content)
{
    const QString target = writeTarget(fileName);
    const QByteArray bytes = lastLineIsOpen(target) ? QByteArray("\r\n") + content : content;
    const int fd = openFile(target, O_WRONLY | O_APPEND | O_CREAT, fileName);
    struct stat before {};
    const bool regular = ::fstat(fd, &before) == 0 && S_ISREG(before.st_mode);
    // One write call for the whole record; a record the system only partly took is taken back.
    const ssize_t written = ::write(fd, bytes.constData(), static_cast<size_t>(bytes.size()));
    if (written != bytes.size()) {
        const int error = written < 0 ? errno : ENOSPC;
        if (regular && written > 0 && ::ftruncate(fd, before.st_size) != 0) {
            // Nothing more can be done; the failure below is reported all the same.
        }
        closeQuietly(fd);
        fail(DataFileError::Write, fileName, error);
    }
    if (::close(fd) != 0)
        fail(DataFileError::Write, fileName, errno);
}

void createFileIfMissing(const QString& fileName)
{
    const int fd = openForWriting(fileName, O_APPEND | O_CREAT);
    if (::close(fd) != 0)
        fail(DataFileError::Write, fileName, errno);
}

void truncateFile(const QString& fileName)
{
    const int fd = openForWriting(fileName, O_TRUNC | O_CREAT);
    if (::close(fd) != 0)
        fail(DataFileError::Write, fileName, errno);
}

bool removeFile(const QString& fileName)
{
    return ::unlink(systemName(fileName).constData()) == 0;
}

bool mayWrite(const QString& path)
{
    // As the program's own user, which may differ from the one that started it.
    return ::faccessat(AT_FDCWD, systemName(path).constData(), W_OK, AT_EACCESS) == 0;
}

bool isSameFile(const QString& first, const QString& second)
{
    struct stat one {};
    struct stat other {};
    return ::stat(systemName(first).constData(), &one) == 0 && ::stat(systemName(second).constData(), &other) == 0 &&
           one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

bool removeTemporaryFileUnlessInUse(const QString& fileName)
{
    const QByteArray path = systemName(fileName);
    const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    // A rewrite holds its temporary file locked until the file is in place; a lock that cannot be had, for
    // whatever reason, keeps the file.
    const bool unused = lockFile(fd, LOCK_EX | LOCK_NB) && namesFile(path, fd);
    const bool removed = unused && ::unlink(path.constData()) == 0;
    closeQuietly(fd);
    return removed;
}

// The temporary file of a rewrite, locked for as long as it is written, and put in place.
struct FileReplacement::Parts {
    QString fileName;   // as the messages name it
    QByteArray target;  // the file it replaces
    QByteArray temporary;
    int fd = -1;

    ~Parts()
    {
        if (fd >= 0) {
            closeQuietly(fd);
            ::unlink(temporary.constData());
        }
    }
    // Makes the temporary file beside `path`; false (errno set) where no file can be made there.
    bool begin(const QString& path)
    {
        failIfFolder(path, DataFileError::Write);
        target = systemName(path);
        fd = createLockedTemporary(path, temporary);
        if (fd >= 0)
            takeOverAttributes(fd, target);
        return fd >= 0;
    }
    void write(QByteArrayView bytes)
    {
        if (!writeAll(fd, bytes))
            abandon(errno);
    }
    void commit()
    {
        if (::fsync(fd) != 0 || ::rename(temporary.constData(), target.constData()) != 0)
            abandon(errno);
        // The lock is held until the new file is in place; fsync has already reported any failure to write.
        closeQuietly(fd);
        fd = -1;
        syncFolderOf(target);
    }
    // Closes and removes the temporary file, and reports the failure.
    [[noreturn]] void abandon(int error)
    {
        closeQuietly(fd);
        fd = -1;
        discardTemporary(temporary, fileName, error);
    }
};

void replaceFileAtomically(const QString& fileName, const QByteArray& content)
{
    FileReplacement::Parts file{fileName, {}, {}, -1};
    const QString target = rewriteTarget(fileName);
    if (!file.begin(target)) {
        if (errno == EACCES || errno == EPERM)
            return rewriteInPlace(fileName, target, content);
        fail(DataFileError::Write, fileName, errno);
    }
    file.write(content);
    file.commit();
}

FileReplacement::FileReplacement(const QString& fileName) : d(std::make_unique<Parts>())
{
    d->fileName = fileName;
    const QString target = writeTarget(fileName);
    // Renaming over a device such as /dev/full would replace the device itself.
    if (const QFileInfo info(target); info.exists() && !info.isFile() && !info.isDir())
        throw DataFileError(DataFileError::Write, fileName,
                            QCoreApplication::translate("QmrM", "書き出し先がふつうのファイルではありません"));
    removeLeftoverTemporaryFiles({}, QFileInfo(target).absolutePath());
    if (!d->begin(target))
        fail(DataFileError::Write, fileName, errno);
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

namespace {

enum class LockTaken { Yes, HeldByOther, Unavailable };

bool sameNode(int fd, int other)
{
    struct stat one {};
    struct stat two {};
    return ::fstat(fd, &one) == 0 && ::fstat(other, &two) == 0 && one.st_dev == two.st_dev && one.st_ino == two.st_ino;
}

// Locks a folder or file for as long as `held` keeps it open. A node `held` has is locked already (a second
// lock of this process on it would fail).
LockTaken lockForTheRun(const QByteArray& path, std::vector<int>& held)
{
    int fd = ::open(path.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)  // a folder, or a file the user may only read
        fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return LockTaken::Unavailable;
    if (std::any_of(held.begin(), held.end(), [fd](int other) { return sameNode(fd, other); })) {
        closeQuietly(fd);
        return LockTaken::Yes;
    }
    if (lockFile(fd, LOCK_EX | LOCK_NB)) {
        held.push_back(fd);
        return LockTaken::Yes;
    }
    const bool heldByOther = errno == EWOULDBLOCK;
    closeQuietly(fd);
    return heldByOther ? LockTaken::HeldByOther : LockTaken::Unavailable;
}

}  // namespace

RewriteLocks::~RewriteLocks()
{
    release();
}

void RewriteLocks::release()
{
    for (const int fd : mHeld)
        closeQuietly(fd);
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
        std::vector<QByteArray> paths{systemName(QFileInfo(target).absolutePath())};
        if (inPlace && QFileInfo(target).isFile())
            paths.push_back(systemName(target));
        for (const QByteArray& path : paths) {
            if (lockForTheRun(path, mHeld) == LockTaken::HeldByOther) {
                release();
                return target;
            }
        }
    }
    return QString();
}

struct FolderLock::Held {
    int fd = -1;
};

FolderLock::FolderLock(const QString& fileName) : mFileName(fileName) {}

FolderLock::~FolderLock()
{
    release();
}

FolderLock::Taking FolderLock::take()
{
    release();
    const QByteArray path = systemName(mFileName);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            // Held locked for the run: while it is, no other copy removes it as the lock of one that died.
            lockFile(fd, LOCK_EX | LOCK_NB);
            if (!writeAll(fd, record())) {
                closeQuietly(fd);
                ::unlink(path.constData());
                return Taking::CannotBeMade;
            }
            ::fdatasync(fd);
            mHeld = std::make_unique<Held>(Held{fd});
            return Taking::Taken;
        }
        if (errno != EEXIST)
            return Taking::CannotBeMade;
        if (attempt > 0 || !holder().onThisComputer || !removeStale())
            break;
    }
    return Taking::HeldByOther;
}

void FolderLock::release()
{
    if (!mHeld)
        return;
    ::unlink(systemName(mFileName).constData());
    closeQuietly(mHeld->fd);
    mHeld.reset();
}

bool FolderLock::removeStale()
{
    const QByteArray path = systemName(mFileName);
    const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    // A copy that runs holds its lock file locked; another that just took the name over has a file of its own.
    const bool stale = lockFile(fd, LOCK_EX | LOCK_NB) && namesFile(path, fd) && ::unlink(path.constData()) == 0;
    closeQuietly(fd);
    return stale;
}

}  // namespace QmrM
