// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// File operations on the data files in the current directory. Every operation opens, works and closes
// before it returns. Failures throw DataFileError naming the file and the reason in plain Japanese.

// The name under which a data file exists in the current directory, its letters' case ignored
// ("項目一覧.TXT" finds "項目一覧.txt"); the given name when no such file exists yet.
QString resolveDataFileName(const QString& name);

// The whole content of a file. A missing file gives an empty result and sets *missing when given.
QByteArray readWholeFile(const QString& fileName, bool* missing = nullptr);

// Replaces a file's content atomically: the new content is written to a temporary file in the same
// folder, flushed to disk and renamed over the old file, so the old content survives any failure.
void replaceFileAtomically(const QString& fileName, const QByteArray& content);

// Appends bytes with a single write, creating the file when missing. A failed or short write is
// undone, so the file never holds part of a record.
void appendToFile(const QString& fileName, const QByteArray& content);

// Creates an empty file when none exists; an existing file keeps its content.
void createFileIfMissing(const QString& fileName);

// Empties a file, creating it when missing.
void truncateFile(const QString& fileName);

// Removes a file; returns false when it could not be removed (for example because it does not exist).
bool removeFile(const QString& fileName);

// The name pattern of the temporary file a rewrite of `fileName` writes first (".name.XXXXXX" beside it).
QString temporaryFilePattern(const QString& fileName);
// Whether a folder entry is a temporary file left by an interrupted rewrite of the data file `dataFileName`.
bool isTemporaryFileOf(const QString& entry, const QString& dataFileName);
// Removes from the current directory the temporary files that interrupted rewrites of the given data files
// left behind, and nothing else. Returns how many were removed.
int removeLeftoverTemporaryFiles(const QStringList& dataFileNames);
