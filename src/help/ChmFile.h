// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

struct chmFile;
struct chmUnitInfo;

namespace help {

// Read-only access to a compiled HTML help file (.chm) through chmlib.
// Paths inside the file are absolute ("/index.html"); lookups ignore the case of letters.
class ChmFile {
public:
    ChmFile() = default;
    ~ChmFile();

    ChmFile(const ChmFile&) = delete;
    ChmFile& operator=(const ChmFile&) = delete;

    // Opens the file, once for each ChmFile; false when it is missing or is not a readable CHM.
    bool open(const QString& fileName);
    QString fileName() const { return mFileName; }

    // The start page named in the system records, as an absolute path ("/index.html"); else the first of
    // index.htm(l) / default.htm(l) that exists, else the first page; empty when the file holds no page.
    QString defaultTopic() const { return mDefaultTopic; }

    // The file's title from its system records; empty when it has none.
    QString title() const { return mTitle; }
    // The contents (.hhc) and index (.hhk) files inside the file; empty when there is none.
    QString contentsFile() const { return mContentsFile; }
    QString indexFile() const { return mIndexFile; }

    bool holds(const QString& path) const;

    // What one read takes at most. The viewer decodes, lays out and indexes a page (or contents, index or style
    // sheet) at many times its size: pages are held to 1 MiB, a hundred times our longest; other objects (pictures)
    // to 8 MiB, over a hundred times our largest. A longer object, damaged or made to fill memory, is not read.
    static constexpr qint64 kMaxPageSize = 1024 * 1024;
    static constexpr qint64 kMaxObjectSize = 8 * 1024 * 1024;

    // Reads one stored object of at most maxSize bytes; *ok false tells a failure from a stored empty object.
    QByteArray read(const QString& path, bool* ok = nullptr, qint64 maxSize = kMaxObjectSize) const;

    // Paths of every stored file (directories and internal "::" storage left out).
    QStringList files() const;
    // Paths of the HTML pages (.htm, .html) among them.
    QStringList pages() const;

    // Brings a path into the form the file stores: leading '/', forward slashes, "." and
    // ".." segments resolved. '#' is part of stored names ("/#SYSTEM"), not a fragment.
    static QString normalizePath(const QString& path);

private:
    // Finds the stored object of a path; false when there is none.
    bool resolve(const QString& path, chmUnitInfo* ui) const;
    void readSystemRecords();

    chmFile* mHandle = nullptr;
    QString mFileName;
    QString mDefaultTopic;
    QString mContentsFile;
    QString mIndexFile;
    QString mTitle;
};

}  // namespace help
