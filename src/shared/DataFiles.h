// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace QmrM {

// File operations on the data files in the current directory. Every operation opens, works and closes
// before it returns. Failures throw DataFileError naming the file and the reason in plain Japanese.

// The name under which a data file exists in its folder (the current directory for a bare name), its letters'
// case ignored ("項目一覧.TXT" finds "項目一覧.txt"); the given name when no such file exists yet.
QString resolveDataFileName(const QString& name);

// The whole content of a file. A missing file gives an empty result and sets *missing when given.
QByteArray readWholeFile(const QString& fileName, bool* missing = nullptr);

// Reads a file piece by piece, a few hundred kilobytes at a time, handing each piece to `take` with the size
// of the whole file (-1 where the system does not tell it, as for a pipe); `take` returns false to stop
// reading there. A missing file hands nothing and sets *missing when given. Throws DataFileError when the
// file cannot be read.
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
// commit() removes its temporary file. Unlike replaceFileAtomically it never writes a file in place: where
// no file can be made beside it, it fails at once, before anything is written. `fileName` is the file
// itself (a link is not followed). Failures throw DataFileError naming it. Its calls may come from a thread
// other than the one that made it, one at a time.
class FileReplacement {
public:
    explicit FileReplacement(const QString& fileName);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    void write(QByteArrayView bytes);
    void commit();

private:
    struct Parts;
    std::unique_ptr<Parts> d;
};

// The file a write to `fileName` reaches: the end of its chain of symbolic links. Every write follows a link
// only when it belongs to the user or to root, so that a link another user made in a shared folder cannot
// lead the program's writes to a file of the user's elsewhere; any other link throws DataFileError
// naming `fileName` and the link.
QString writeTarget(const QString& fileName);
// Whether a write may follow the symbolic link `link` (see writeTarget).
bool mayFollowLink(const QString& link);

// The file a rewrite of `fileName` replaces: the end of its chain of links (see writeTarget) when that is a
// regular file or does not exist yet, otherwise `fileName` itself.
QString rewriteTarget(const QString& fileName);

// Appends bytes with a single write, creating the file when missing. A failed or short write is
// undone, so the file never holds part of a record. A file whose last line has no line end (edited by
// hand) gets CR LF first, so the new record stands on a line of its own.
void appendToFile(const QString& fileName, const QByteArray& content);
// Whether a file holds something after its last line end (false for a missing or empty file).
bool lastLineIsOpen(const QString& fileName);

// Creates an empty file when none exists; an existing file keeps its content.
void createFileIfMissing(const QString& fileName);

// Empties a file, creating it when missing.
void truncateFile(const QString& fileName);

// Removes a file; returns false when it could not be removed (for example because it does not exist).
bool removeFile(const QString& fileName);

// Whether two names denote one existing file: the same file under two spellings (letters' case on a
// folder that ignores it) or through a link. Compares the files, not the names.
bool isSameFile(const QString& first, const QString& second);

// The name pattern of the temporary file a rewrite of `fileName` writes first, beside it:
// ".name.quillmora-tmp-XXXXXX", a name no other program gives a file.
QString temporaryFilePattern(const QString& fileName);
// Whether a folder entry is a temporary file left by an interrupted rewrite of the data file `dataFileName`.
bool isTemporaryFileOf(const QString& entry, const QString& dataFileName);
// Removes a temporary file of a rewrite unless a rewrite (of this or another running copy) still writes
// it; returns whether it was removed.
bool removeTemporaryFileUnlessInUse(const QString& fileName);
// Removes from the current directory the temporary files that interrupted rewrites of the given data files
// left behind, and nothing else. Returns how many were removed.
int removeLeftoverTemporaryFiles(const QStringList& dataFileNames);

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
    std::vector<int> mHeld;
};

}  // namespace QmrM
