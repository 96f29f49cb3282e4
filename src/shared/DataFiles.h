// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace QmrM {

// File operations on the data files in the current directory, each opening and closing its file before it
// returns. Failures throw DataFileError naming the file and the reason in plain Japanese.

// The existing file's name, letters' case ignored ("項目一覧.TXT" finds "項目一覧.txt"); else `name` itself.
QString resolveDataFileName(const QString& name);

// A missing file gives an empty result and sets *missing. A file over `atMost` bytes throws (too large).
// `seen` also gets each piece read and returns false to stop there.
QByteArray readWholeFile(const QString& fileName, bool* missing = nullptr, qint64 atMost = -1,
                         const std::function<bool(QByteArrayView piece)>& seen = {});

// Hands `take` a few hundred kilobytes at a time with the file's size; `take` returns false to stop. A
// missing file hands nothing and sets *missing. Only a regular file is read, reached as writes reach theirs
// (writeTarget) and opened without waiting: a pipe, device or socket in its place throws DataFileError.
void readFileInPieces(const QString& fileName, const std::function<bool(QByteArrayView piece, qint64 size)>& take,
                      bool* missing = nullptr);

// Writes a temporary file beside it, flushes it and renames it over the old one, so the old content survives
// any failure. Keeps the old permissions, owner and group where allowed (else at least the group); a link's
// target is replaced, not the link. Where no file can be made in the folder but the file may be written (a
// shared folder), rewrites it in place and flushes, putting the old content back on failure.
void replaceFileAtomically(const QString& fileName, const QByteArray& content);

// A file written piece by piece to a temporary file beside it, which commit() flushes and renames over it;
// dropped before commit(), it removes the temporary file and the file stays as it was. `fileName` is reached
// as writes reach theirs (writeTarget) and must be a regular file or none yet. Never writes in place: where
// no file can be made beside it, it fails before writing. It first removes leftovers of stopped replacements
// in that folder. Its calls may come from another thread than its maker's, one at a time.
class FileReplacement {
public:
    explicit FileReplacement(const QString& fileName);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    void write(QByteArrayView bytes);
    void commit();

    struct Parts;  // the system's side, which replaceFileAtomically uses too

private:
    std::unique_ptr<Parts> d;
};

// The file a write to `fileName` reaches, as the system finds it: folder links followed before a ".." is
// taken (…/link/../A.txt lies beside the link's target), then the file's own links, also to a file not yet
// there. Only links of the user or root are followed, so that another user's link in a shared folder cannot
// lead our writes to the user's files elsewhere; any other throws DataFileError. A missing folder on the way
// gives `fileName` itself.
QString writeTarget(const QString& fileName);

// One write, creating the file when missing; a failed or short write is undone, so no part of a record
// remains. A last line without line end (edited by hand) gets CR LF first, so the record stands on its own.
void appendToFile(const QString& fileName, const QByteArray& content);

// Creates an empty file when none exists; an existing file keeps its content.
void createFileIfMissing(const QString& fileName);

// Empties the file, creating it when missing.
void truncateFile(const QString& fileName);

// False when it could not be removed (for example because it does not exist).
bool removeFile(const QString& fileName);

// Whether this program may write `path` (for a folder: make files in it), as the system judges it now.
bool mayWrite(const QString& path);

// Compares the files, not the names: two spellings (letters' case on a folder ignoring it) or a link match.
bool isSameFile(const QString& first, const QString& second);

// Whether `entry` is the temporary file (".name.quillmora-tmp-XXXXXX") of an interrupted rewrite of
// `dataFileName`, or of any file without one.
bool isTemporaryFileOf(const QString& entry, const QString& dataFileName = QString());
// Unless a rewrite (of any running copy) still writes it; returns whether it was removed.
bool removeTemporaryFileUnlessInUse(const QString& fileName);
// Removes from `folder` (default the current directory) only the temporary files of interrupted rewrites of
// `fileNames` (of any file when empty). Returns how many.
int removeLeftoverTemporaryFiles(const QStringList& fileNames, const QString& folder = QString());

// Advisory locks held for the whole run, so that no other copy rewrites the same files from its own memory:
// on the folder each rewrite puts its new file in (data files may link into a folder shared by other data
// folders) and, for in-place rewrites, on the file itself, which a copy on another computer sees too. Locks
// the file system does not offer (some network file systems) are done without.
class RewriteLocks {
public:
    RewriteLocks() = default;
    ~RewriteLocks();
    RewriteLocks(const RewriteLocks&) = delete;
    RewriteLocks& operator=(const RewriteLocks&) = delete;

    // `inPlace` when the files are rewritten in place. Returns the file whose lock another copy holds,
    // holding nothing then; empty when all are held.
    QString take(const QStringList& dataFiles, bool inPlace);
    void release();
    bool holdsAny() const { return !mHeld.empty(); }

private:
    std::vector<std::pair<QString, qintptr>> mHeld;  // what is locked, told apart as a node, and the lock's handle
};

// The lock file marking a data folder in use for a copy's whole run. It records the process number, program,
// host and a keyed hash of the machine's id, telling computers apart without showing the id to readers of the
// folder. On Unix the file is also held locked, so no copy takes over a lock whose holder runs.
class FolderLock {
public:
    explicit FolderLock(const QString& fileName);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    enum class Taking { Taken, HeldByOther, CannotBeMade };
    // Takes over the lock of a copy that died on this computer.
    Taking take();
    // Only if this copy holds it.
    void release();
    QString fileName() const { return mFileName; }

    struct Holder {
        bool known = false;  // the lock file could be read
        qint64 pid = 0;
        QString host;
        bool onThisComputer = false;  // by the recorded machine, else by the host name
    };
    Holder holder() const;
    // False while a process holds it.
    bool removeStale();

    // A keyed hash of the machine's id (empty where the system has none).
    static QByteArray machineMark();

private:
    // This copy's process number, program, host and machineMark().
    static QByteArray record();
    // HeldByOther when a lock file is there already.
    Taking make();

    struct Held;  // the open lock file, as the system holds it
    QString mFileName;
    std::unique_ptr<Held> mHeld;
};

}  // namespace QmrM
