// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QString>

#include <map>
#include <optional>
#include <utility>

// The few calls on files that differ between the systems, beneath DataFiles.cpp, which does the rest once:
// DataFiles_posix.cpp and DataFiles_win.cpp. They work on the end of a data file's chain of links, never
// following a link themselves. A call that fails leaves the system's reason in lastError().
namespace QmrM::sys {

#ifdef Q_OS_WIN
using Error = unsigned long;  // GetLastError()
#else
using Error = int;  // errno
#endif
Error lastError();
// The common reasons a file operation fails, which DataFiles.cpp words in plain Japanese, and the others.
enum class Reason { DiskFull, Denied, InUse, Folder, NotFound, ReadOnly, TooLarge, NameTooLong, BadName, Other };
// The system's errors of each common reason; any other error is of the reason Other.
extern const std::map<Error, Reason> kReasons;
// The reason as the system words it.
QString systemMessage(Error error);
// No such file, or a name that cannot name one.
bool isMissing(Error error);
extern const Error kFolder;    // a folder where a file should be
extern const Error kDiskFull;  // a write that the system took none of

// An open file, closed when it goes.
class File {
public:
    // Read: opened without waiting (a pipe or a device does not hold the thread), a folder refused. The
    // others create the file when missing and write it: at its end (Append), emptied (Truncate), or from
    // wherever it is put (Rewrite, straight through to the disk where the system offers that).
    enum Mode { Read, Append, Truncate, Rewrite };

    File() = default;
    explicit File(qintptr handle) : mHandle(handle) {}
    File(File&& other) noexcept : mHandle(std::exchange(other.mHandle, -1)) {}
    File& operator=(File&& other) noexcept
    {
        close();
        mHandle = std::exchange(other.mHandle, -1);
        return *this;
    }
    ~File() { close(); }

    // 0 when opened, else the reason.
    Error open(const QString& path, Mode mode);
    bool isOpen() const { return mHandle != -1; }
    qintptr handle() const { return mHandle; }
    // Lets go of the handle, which stays open.
    qintptr release() { return std::exchange(mHandle, -1); }
    // The size of a regular file; -1 for anything else.
    qint64 regularSize() const;
    // What one call read (0 at the end) or wrote; -1 when it failed.
    qint64 read(char* data, qint64 size);
    qint64 writeOnce(QByteArrayView bytes);
    // Writes all bytes, going on after a partial write.
    bool writeAll(QByteArrayView bytes);
    bool seekToStart();
    bool resize(qint64 size);
    // Flushes what was written to the disk.
    bool flush();
    // Closes the file; false when that reports a failure to write.
    bool close();

private:
    qintptr mHandle = -1;
};

// The symbolic link `path`: the text it holds, and whether a write may follow it (see writeTarget); nothing
// when `path` is no symbolic link.
struct Link {
    QString target;
    bool mayFollow = false;
};
std::optional<Link> symbolicLink(const QString& path);

// The name pattern of the temporary file a rewrite of `fileName` writes first, beside it:
// ".name.quillmora-tmp-XXXXXX", a name no other program gives a file; the name is cut short where the whole
// would be too long for a file name, so that any file that may exist may be rewritten.
QString temporaryFilePattern(const QString& fileName);
// Creates the temporary file of a rewrite of `target` beside it (temporaryFilePattern), for writing, kept
// from other copies' clean-up while it is open; not open where no file can be made there.
File createTemporary(const QString& target, QString& temporary);
// Puts the complete temporary file in the place of `target`, closing it.
bool putInPlace(File& file, const QString& temporary, const QString& target);
// Whether `path` is a device, a pipe or a socket, which a rename would replace.
bool isDevice(const QString& path);
// What tells the file or folder `path` apart from every other, whatever the way to it; empty when it cannot
// be reached.
QString nodeOf(const QString& path);
// Locks the folder or file `path`, whose node is `node`, for as long as the handle returned stays open; -1
// when it cannot, with `heldByOther` set when another copy holds it.
qintptr lockForTheRun(const QString& path, const QString& node, bool& heldByOther);

}  // namespace QmrM::sys
