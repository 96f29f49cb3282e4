#include "DataFiles.h"

#include "Errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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
        return QStringLiteral("ファイル名に使えない文字があります");
    default:
        return QStringLiteral("原因: %1").arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

// Qt reports the operating system's reason only as English text: recognise the common ones.
QString plainReason(const QFileDevice& file)
{
    const QString reason = file.errorString();
    static const struct {
        const char* phrase;
        int error;
    } known[] = {
        {"No space left", ENOSPC},    {"Permission denied", EACCES}, {"Is a directory", EISDIR},
        {"No such file", ENOENT},     {"Read-only file system", EROFS}, {"File too large", EFBIG},
        {"File name too long", ENAMETOOLONG}, {"Invalid argument", EINVAL},
    };
    for (const auto& k : known) {
        if (reason.contains(QLatin1String(k.phrase), Qt::CaseInsensitive))
            return japaneseReason(k.error);
    }
    return reason.isEmpty() ? QString() : QStringLiteral("原因: %1").arg(reason);
}

bool isFolder(const QString& fileName)
{
    return QFileInfo(fileName).isDir();
}

[[noreturn]] void fail(DataFileError::Kind kind, const QString& fileName, const QFileDevice& file)
{
    if (isFolder(fileName))
        throw DataFileError(kind, fileName, QStringLiteral("同じ名前のフォルダーがあります"));
    throw DataFileError(kind, fileName, plainReason(file));
}

}  // namespace

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

QByteArray readWholeFile(const QString& fileName, bool* missing)
{
    QFile file(fileName);
    const bool exists = file.exists();
    if (missing)
        *missing = !exists;
    if (!exists)
        return QByteArray();
    if (isFolder(fileName))
        throw DataFileError(DataFileError::Open, fileName, QStringLiteral("同じ名前のフォルダーがあります"));
    if (!file.open(QIODevice::ReadOnly))
        fail(DataFileError::Open, fileName, file);
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        fail(DataFileError::Read, fileName, file);
    return content;
}

#ifdef Q_OS_WIN

void replaceFileAtomically(const QString& fileName, const QByteArray& content)
{
    if (isFolder(fileName))
        throw DataFileError(DataFileError::Write, fileName, QStringLiteral("同じ名前のフォルダーがあります"));
    QSaveFile file(fileName);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        fail(DataFileError::Write, fileName, file);
    if (file.write(content) != content.size()) {
        const QString reason = plainReason(file);
        file.cancelWriting();
        throw DataFileError(DataFileError::Write, fileName, reason);
    }
    if (!file.commit())
        fail(DataFileError::Write, fileName, file);
}

void appendToFile(const QString& fileName, const QByteArray& content)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        fail(DataFileError::Write, fileName, file);
    const qint64 sizeBefore = file.size();
    if (file.write(content) != content.size()) {
        const QString reason = plainReason(file);
        file.resize(sizeBefore);  // take back a partial record
        throw DataFileError(DataFileError::Write, fileName, reason);
    }
    file.close();
}

#else

namespace {

[[noreturn]] void failWithErrno(const QString& fileName, int error)
{
    throw DataFileError(DataFileError::Write, fileName, japaneseReason(error));
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

}  // namespace

// Written with the system's calls: every partial write and every failure of the final flush is seen,
// which Qt's buffered file classes do not always report.
void replaceFileAtomically(const QString& fileName, const QByteArray& content)
{
    if (isFolder(fileName))
        throw DataFileError(DataFileError::Write, fileName, QStringLiteral("同じ名前のフォルダーがあります"));
    const QByteArray target = QFile::encodeName(fileName);
    const QFileInfo info(fileName);
    QByteArray temporary = QFile::encodeName(info.path() + QStringLiteral("/.") + info.fileName()) + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        failWithErrno(fileName, errno);
    const auto discard = [&](int error) {
        ::close(fd);
        ::unlink(temporary.constData());
        failWithErrno(fileName, error);
    };
    if (::fchmod(fd, modeFor(target)) != 0 || !writeAll(fd, content) || ::fsync(fd) != 0)
        discard(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        failWithErrno(fileName, error);
    }
    if (::rename(temporary.constData(), target.constData()) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        failWithErrno(fileName, error);
    }
    // Make the rename itself durable.
    const int folder = ::open(QFile::encodeName(info.path()).constData(), O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

void appendToFile(const QString& fileName, const QByteArray& content)
{
    const QByteArray path = QFile::encodeName(fileName);
    const int fd = ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        failWithErrno(fileName, errno);
    struct stat before {};
    const bool regular = ::fstat(fd, &before) == 0 && S_ISREG(before.st_mode);
    // One write call for the whole record; a record the system only partly took is taken back.
    const ssize_t written = ::write(fd, content.constData(), static_cast<size_t>(content.size()));
    if (written != content.size()) {
        const int error = written < 0 ? errno : ENOSPC;
        if (regular && written > 0 && ::ftruncate(fd, before.st_size) != 0) {
            // Nothing more can be done; the failure below is reported all the same.
        }
        ::close(fd);
        failWithErrno(fileName, error);
    }
    if (::close(fd) != 0)
        failWithErrno(fileName, errno);
}

#endif

void createFileIfMissing(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        fail(DataFileError::Write, fileName, file);
    file.close();
}

void truncateFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        fail(DataFileError::Write, fileName, file);
    file.close();
}

bool removeFile(const QString& fileName)
{
    return QFile::remove(fileName);
}
