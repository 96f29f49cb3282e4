// SPDX-License-Identifier: GPL-3.0-or-later
#include "DataFiles.h"

#include "Errors.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
        return QStringLiteral("ディスクの空き容量が足りません");
    case EACCES:
    case EPERM:
        return QStringLiteral("アクセスが拒否されました");
    case EISDIR:
        return QStringLiteral("同じ名前のフォルダーがあります");
    case ENOENT:
        return QStringLiteral("ファイルまたはフォルダーが見つかりません");
    case EROFS:
        return QStringLiteral("読み取り専用の場所です");
    case EFBIG:
        return QStringLiteral("ファイルが大きすぎます");
    case ENAMETOOLONG:
        return QStringLiteral("ファイル名が長すぎます");
    case EINVAL:
    case EILSEQ:
        return QStringLiteral("ファイル名に使えない文字があります");
    default:
        return QStringLiteral("原因: %1").arg(QString::fromLocal8Bit(std::strerror(error)));
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

// Opens a file, going on after an interrupted call; fails with the system's reason.
int openFile(const QString& fileName, int flags, DataFileError::Kind kind)
{
    int fd;
    do
        fd = ::open(systemName(fileName).constData(), flags | O_CLOEXEC, 0666);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        fail(kind, fileName, errno);
    return fd;
}

bool isFolder(int fd)
{
    struct stat info {};
    return ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
}

// Writes all bytes, going on after a partial write; false (with errno set) when the system refuses.
bool writeAll(int fd, const QByteArray& content)
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

// The permissions a new data file gets: those of the file it replaces, or the usual ones.
mode_t modeFor(const QByteArray& path)
{
    struct stat existing {};
    if (::stat(path.constData(), &existing) == 0 && S_ISREG(existing.st_mode))
        return existing.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Removes the temporary file of a rewrite that failed, and reports the failure.
[[noreturn]] void discardTemporary(const QByteArray& temporary, const QString& fileName, int error)
{
    ::unlink(temporary.constData());
    fail(DataFileError::Write, fileName, error);
}

void failIfFolder(const QString& fileName, DataFileError::Kind kind)
{
    if (QFileInfo(fileName).isDir())
        fail(kind, fileName, EISDIR);
}

}  // namespace

QByteArray readWholeFile(const QString& fileName, bool* missing)
{
    const int fd = ::open(systemName(fileName).constData(), O_RDONLY | O_CLOEXEC);
    if (missing)
        *missing = fd < 0 && errno == ENOENT;
    if (fd < 0) {
        if (errno == ENOENT)
            return QByteArray();
        fail(DataFileError::Open, fileName, errno);
    }
    if (isFolder(fd)) {
        closeQuietly(fd);
        fail(DataFileError::Open, fileName, EISDIR);
    }
    QByteArray content;
    char buffer[65536];
    while (true) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            closeQuietly(fd);
            fail(DataFileError::Read, fileName, error);
        }
        content.append(buffer, got);
    }
    closeQuietly(fd);
    return content;
}

void replaceFileAtomically(const QString& fileName, const QByteArray& content)
{
    failIfFolder(fileName, DataFileError::Write);
    const QByteArray target = systemName(fileName);
    QByteArray temporary = systemName(temporaryFilePattern(fileName));
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        fail(DataFileError::Write, fileName, errno);
    if (::fchmod(fd, modeFor(target)) != 0 || !writeAll(fd, content) || ::fsync(fd) != 0) {
        const int error = errno;
        closeQuietly(fd);
        discardTemporary(temporary, fileName, error);
    }
    if (::close(fd) != 0)
        discardTemporary(temporary, fileName, errno);
    if (::rename(temporary.constData(), target.constData()) != 0)
        discardTemporary(temporary, fileName, errno);
    // Make the rename itself durable.
    const int folder = ::open(systemName(QFileInfo(fileName).path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        closeQuietly(folder);
    }
}

void appendToFile(const QString& fileName, const QByteArray& content)
{
    const int fd = openFile(fileName, O_WRONLY | O_APPEND | O_CREAT, DataFileError::Write);
    struct stat before {};
    const bool regular = ::fstat(fd, &before) == 0 && S_ISREG(before.st_mode);
    // One write call for the whole record; a record the system only partly took is taken back.
    const ssize_t written = ::write(fd, content.constData(), static_cast<size_t>(content.size()));
    if (written != content.size()) {
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
    const int fd = openFile(fileName, O_WRONLY | O_APPEND | O_CREAT, DataFileError::Write);
    if (::close(fd) != 0)
        fail(DataFileError::Write, fileName, errno);
}

void truncateFile(const QString& fileName)
{
    const int fd = openFile(fileName, O_WRONLY | O_TRUNC | O_CREAT, DataFileError::Write);
    if (::close(fd) != 0)
        fail(DataFileError::Write, fileName, errno);
}

bool removeFile(const QString& fileName)
{
    return ::unlink(systemName(fileName).constData()) == 0;
}
