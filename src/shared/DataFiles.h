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

// File operations on the data files in the current directory. Every operation opens, works and closes
// before it returns. Failures throw DataFileError naming the file and the reason in plain Japanese.

// The name under which a data file exists in its folder (the current directory for a bare name), its letters'
// case ignored ("項目一覧.TXT" finds "項目一覧.txt"); the given name when no such file exists yet.
QString resolveDataFileName(const QString& name);

// The whole content of a file. A missing file gives an empty result and sets *missing when given. A file
// longer than `atMost` bytes is not read: DataFileError says it is too large. Each piece read is handed to
// `seen` as well, when given, which returns false to stop reading there.
QByteArray readWholeFile(const QString& fileName, bool* missing = nullptr, qint64 atMost = -1,
                         const std::function<bool(QByteArrayView piece)>& seen = {});

// Reads a file piece by piece, a few hundred kilobytes at a time, handing each piece to `take` with the size
// of the whole file; `take` returns false to stop reading there. A missing file hands nothing and sets
// *missing when given. Only a regular file is read, reached through links as writes reach theirs (see
// writeTarget) and opened without waiting: a pipe, a device or a socket in its place throws DataFileError,
// and so does a file that cannot be read.
void readFileInPieces(const QString& fileName, const std::function<bool(QByteArrayView piece, qint64 size)>& take,
                      bool* missing = nullptr);

// Replaces a file's content atomically: the new content is written to a temporary file beside it, flushed
// to disk and renamed over the old one, so the old content survives any failure. The new file keeps the
// old one's permissions and its owner and group where the system allows (else at least the group). A
// symbolic link stays a link: the file it points to is replaced. In a folder where no file can be made but the file
// itself may be written (a shared folder), the file is rewritten in place and flushed, its old content put back when
// that fails.
void replaceFileAtomically(const QString& fileName, const QByteArray& content);

// A file written piece by piece and put in place whole: the pieces go to a temporary file beside it, which
// commit() flushes and renames over it. Until then the file stays as it was; a replacement dropped before
// commit() removes its temporary file. `fileName` is reached as every write reaches its file (see
// writeTarget), and must be a regular file or none yet. Unlike replaceFileAtomically it never writes a file
// in place: where no file can be made beside it, it fails at once, before anything is written. It first
// removes what replacements in the same folder left behind when they were stopped (see
// removeLeftoverTemporaryFiles). Failures throw DataFileError naming it. Its calls may come from a thread
// other than the one that made it, one at a time.
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

// The file a write to `fileName` reaches, found as the system finds it: the folders of the way with their
// links followed before a ".." is taken (…/link/../A.txt lies beside the link's target, not beside the
// link), then the file's own chain of links, also to a file that does not exist yet. A link is followed only
// when it belongs to the user or to root, so that a link another user made in a shared folder cannot lead
// the program's writes to a file of the user's elsewhere; any other link throws DataFileError naming
// `fileName` and the link. Returns `fileName` itself when a folder on the way does not exist.
QString writeTarget(const QString& fileName);

// Appends bytes with a single write, creating the file when missing. A failed or short write is
// undone, so the file never holds part of a record. A file whose last line has no line end (edited by
// hand) gets CR LF first, so the new record stands on a line of its own.
void appendToFile(const QString& fileName, const QByteArray& content);

// Creates an empty file when none exists; an existing file keeps its content.
void createFileIfMissing(const QString& fileName);

// Empties a file, creating it when missing.
void truncateFile(const QString& fileName);

// Removes a file; returns false when it could not be removed (for example because it does not exist).
bool removeFile(const QString& fileName);

// Whether this program may write `path`, a file or a folder (make files in it), as the system judges it now.
bool mayWrite(const QString& path);

// Whether two names denote one existing file: the same file under two spellings (letters' case on a
// folder that ignores it) or through a link. Compares the files, not the names.
bool isSameFile(const QString& first, const QString& second);

// Whether a folder entry is a temporary file (".name.quillmora-tmp-XXXXXX", beside the file it replaces) left
// by an interrupted rewrite of the data file `dataFileName`, or, without one, of any file.
bool isTemporaryFileOf(const QString& entry, const QString& dataFileName = QString());
// Removes a temporary file of a rewrite unless a rewrite (of this or another running copy) still writes
// it; returns whether it was removed.
bool removeTemporaryFileUnlessInUse(const QString& fileName);
// Removes from `folder` (the current directory when none is given) the temporary files that interrupted
// rewrites of the given files left behind (of any file when the list is empty), and nothing else. Returns how
// many were removed.
int removeLeftoverTemporaryFiles(const QStringList& fileNames, const QString& folder = QString());

// Advisory locks a running copy holds for its whole run on what its rewrites replace, so that no other copy
// rewrites the same files from its own memory meanwhile: the folder each rewrite puts its new file in (a data
// file may be a link into a folder that another data folder links to as well) and, where a file is rewritten
// in place (a folder where no file can be made), the file itself, which a copy on another computer sees
// locked too. Locks the file system does not offer (a folder on some network file systems) are done without.
class RewriteLocks {
public:
    RewriteLocks() = default;
    ~RewriteLocks();
    RewriteLocks(const RewriteLocks&) = delete;
    RewriteLocks& operator=(const RewriteLocks&) = delete;

    // Locks what rewrites of the given data files replace; `inPlace` when they are rewritten in place.
    // Returns the file whose lock another copy holds, holding nothing then; empty when the locks are held.
    QString take(const QStringList& dataFiles, bool inPlace);
    void release();
    bool holdsAny() const { return !mHeld.empty(); }

private:
    std::vector<std::pair<QString, qintptr>> mHeld;  // what is locked, told apart as a node, and the lock's handle
};

// The lock file that marks a data folder as in use by a running copy, held for its whole run. It records
// the process number, the program, the host name and a keyed hash of the machine's id: it tells computers
// apart without showing the id itself to whoever may read the folder. On Unix the running copy also holds
// the file locked, so that no other copy takes a lock whose holder runs.
class FolderLock {
public:
    explicit FolderLock(const QString& fileName);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    enum class Taking { Taken, HeldByOther, CannotBeMade };
    // Makes the lock file, taking over the lock of a copy that died on this computer.
    Taking take();
    // Removes the lock file if this copy holds it.
    void release();
    QString fileName() const { return mFileName; }

    struct Holder {
        bool known = false;  // the lock file could be read
        qint64 pid = 0;
        QString host;
        // Told by the machine the lock records (by the host name for a lock that records none).
        bool onThisComputer = false;
    };
    Holder holder() const;
    // Removes the lock file of a holder that no longer runs; false while a process holds it.
    bool removeStale();

    // What a lock records of the machine it was made on: a keyed hash of the machine's id (empty where the
    // system has none).
    static QByteArray machineMark();

private:
    // What the lock file says of this copy: its process number, the program, the host and machineMark().
    static QByteArray record();
    // Makes the lock file with record() and holds it; HeldByOther when a lock file is there already.
    Taking make();

    struct Held;  // the open lock file, as the system holds it
    QString mFileName;
    std::unique_ptr<Held> mHeld;
};

}  // namespace QmrM
