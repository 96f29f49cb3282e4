// SPDX-License-Identifier: GPL-3.0-or-later
#include "DataFiles.h"

#include "Errors.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QCoreApplication>

namespace QmrM {

// The data files through Qt's file classes, which on Windows replace a file with the system's own
// atomic rename and report the system's reason in its own words. (The rewrites' temporary files are
// Qt's own there; the start-up clean-up finds none of them.)

namespace {

bool isFolder(const QString& fileName)
{
    return QFileInfo(fileName).isDir();
}

[[noreturn]] void fail(DataFileError::Kind kind, const QString& fileName, const QFileDevice& file)
{
    if (isFolder(fileName))
        throw DataFileError(kind, fileName, QCoreApplication::translate("QmrM", "同じ名前のフォルダーがあります"));
    const QString reason = file.errorString();
    throw DataFileError(kind, fileName,
                        reason.isEmpty() ? QString() : QCoreApplication::translate("QmrM", "原因: %1").arg(reason));
}

}  // namespace

void readFileInPieces(const QString& fileName, const std::function<bool(QByteArrayView piece, qint64 size)>& take,
                      bool* missing)
{
    QFile file(fileName);
    const bool exists = file.exists();
    if (missing)
        *missing = !exists;
    if (!exists)
        return;
    if (isFolder(fileName) || !file.open(QIODevice::ReadOnly))
        fail(DataFileError::Open, fileName, file);
    const qint64 size = file.isSequential() ? -1 : file.size();
    QByteArray buffer(256 * 1024, Qt::Uninitialized);
    while (true) {
        const qint64 got = file.read(buffer.data(), buffer.size());
        if (got < 0)
            fail(DataFileError::Read, fileName, file);
        if (got == 0 || !take(QByteArrayView(buffer.constData(), got), size))
            return;
    }
}

struct FileReplacement::Parts {
    explicit Parts(const QString& name) : fileName(name), file(writeTarget(name)) {}
    QString fileName;
    QSaveFile file;
};

FileReplacement::FileReplacement(const QString& fileName) : d(std::make_unique<Parts>(fileName))
{
    d->file.setDirectWriteFallback(false);
    if (isFolder(fileName) || !d->file.open(QIODevice::WriteOnly))
        fail(DataFileError::Write, fileName, d->file);
}

// A save file dropped before its commit removes what it wrote.
FileReplacement::~FileReplacement() = default;

void FileReplacement::write(QByteArrayView bytes)
{
    if (d->file.write(bytes.data(), bytes.size()) != bytes.size()) {
        d->file.cancelWriting();
        fail(DataFileError::Write, d->fileName, d->file);
    }
}

void FileReplacement::commit()
{
    if (!d->file.commit())
        fail(DataFileError::Write, d->fileName, d->file);
}

void replaceFileAtomically(const QString& fileName, const QByteArray& content)
{
    QSaveFile file(rewriteTarget(fileName));
    file.setDirectWriteFallback(false);
    if (isFolder(fileName) || !file.open(QIODevice::WriteOnly))
        fail(DataFileError::Write, fileName, file);
    if (file.write(content) != content.size()) {
        file.cancelWriting();
        fail(DataFileError::Write, fileName, file);
    }
    if (!file.commit())
        fail(DataFileError::Write, fileName, file);
}

void appendToFile(const QString& fileName, const QByteArray& appended)
{
    const QByteArray content = lastLineIsOpen(fileName) ? QByteArray("\r\n") + appended : appended;
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        fail(DataFileError::Write, fileName, file);
    const qint64 sizeBefore = file.size();
    if (file.write(content) != content.size()) {
        file.resize(sizeBefore);  // take back a partial record
        fail(DataFileError::Write, fileName, file);
    }
    file.close();
}

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

bool mayWrite(const QString& path)
{
    return QFileInfo(path).isWritable();
}

bool isSameFile(const QString& first, const QString& second)
{
    // Names on Windows ignore letters' case; the canonical paths resolve links.
    const QString one = QFileInfo(first).canonicalFilePath();
    return !one.isEmpty() && one.compare(QFileInfo(second).canonicalFilePath(), Qt::CaseInsensitive) == 0;
}

bool removeTemporaryFileUnlessInUse(const QString& fileName)
{
    // A file another program holds open for writing cannot be removed on Windows.
    return QFile::remove(fileName);
}

bool mayFollowLink(const QString& /*link*/)
{
    return true;  // only administrators may make links here
}

// Windows keeps a file that is open from being replaced; no further lock is taken there.
RewriteLocks::~RewriteLocks() = default;

void RewriteLocks::release() {}

QString RewriteLocks::take(const QStringList& /*dataFiles*/, bool /*inPlace*/)
{
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
