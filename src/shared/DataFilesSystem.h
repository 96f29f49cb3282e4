// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QString>

#include <map>
#include <optional>
#include <utility>

// The few file calls that differ between systems (DataFiles_posix.cpp, DataFiles_win.cpp), beneath
// DataFiles.cpp. They work on the end of a chain of links, never following one; a failure leaves the reason
// in lastError().
namespace QmrM::sys {

#ifdef Q_OS_WIN
using Error = unsigned long;  // GetLastError()
#else
using Error = int;  // errno
#endif
Error lastError();
// The common reasons, which DataFiles.cpp words in plain Japanese, and the others.
enum class Reason { DiskFull, Denied, InUse, Folder, NotFound, ReadOnly, TooLarge, NameTooLong, BadName, Other };
// Errors missing here are Other.
extern const std::map<Error, Reason> kReasons;
QString systemMessage(Error error);
// No such file, or a name that cannot name one.
bool isMissing(Error error);
extern const Error kFolder;    // a folder where a file should be
extern const Error kDiskFull;  // a write that the system took none of

class File {
public:
    // Read opens without waiting (a pipe or device does not hold the thread) and refuses a folder. The others
    // create a missing file; Rewrite writes through to the disk where the system offers that.
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
    // The handle stays open.
    qintptr release() { return std::exchange(mHandle, -1); }
    // -1 for anything but a regular file.
    qint64 regularSize() const;
    // What one call read (0 at the end) or wrote; -1 when it failed.
    qint64 read(char* data, qint64 size);
    qint64 writeOnce(QByteArrayView bytes);
    // Goes on after a partial write.
    bool writeAll(QByteArrayView bytes);
    bool seekToStart();
    bool resize(qint64 size);
    bool flush();
    // False when closing reports a failure to write.
    bool close();

private:
    qintptr mHandle = -1;
};

// The link's text and whether a write may follow it (writeTarget); nothing when `path` is no link.
struct Link {
    QString target;
    bool mayFollow = false;
};
std::optional<Link> symbolicLink(const QString& path);

// ".name.quillmora-tmp-XXXXXX" beside `fileName`, a name no other program uses; the name is cut short where
// the whole would be too long, so that any existing file may be rewritten.
QString temporaryFilePattern(const QString& fileName);
// Open for writing and kept from other copies' clean-up while open; not open where no file can be made.
File createTemporary(const QString& target, QString& temporary);
// Closes the complete temporary file and puts it in the place of `target`.
bool putInPlace(File& file, const QString& temporary, const QString& target);
// A device, pipe or socket, which a rename would replace.
bool isDevice(const QString& path);
// Tells a file or folder apart from every other, whatever the way to it; empty when unreachable.
QString nodeOf(const QString& path);
// Held as long as the returned handle stays open; -1 when it cannot be, `heldByOther` set when another copy
// holds it.
qintptr lockForTheRun(const QString& path, const QString& node, bool& heldByOther);

}  // namespace QmrM::sys
