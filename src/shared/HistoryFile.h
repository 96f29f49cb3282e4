// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "QmrM.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <atomic>
#include <vector>

// History files read straight from their bytes, records decoded only when asked for: the same records, in
// the same order, with the same fields as readHistory gives (see readRecordFileLeniently), at the cost of
// the file's bytes and a small index, whatever its size.
namespace QmrM {

// How the lines of a history file are decoded: all as code page 932 when the file is that throughout (and
// holds no NUL nor begins with a byte-order mark), otherwise each line on its own (decodeUtf8OrCp932).
enum class HistoryDecoding { Cp932, EachLine };
HistoryDecoding historyDecodingOf(QByteArrayView bytes);

// Walks the records of a history file's bytes, oldest first; a blank line is no record. The bytes must
// outlive the scanner.
class HistoryScanner {
public:
    // Starts before the line that begins at `from`.
    HistoryScanner(QByteArrayView bytes, HistoryDecoding decoding, qsizetype from = 0);

    // Moves to the next record; false when there is none.
    bool next();
    // Where the current record's line begins, and where it ends (before its line end).
    qsizetype recordStart() const { return mStart; }
    qsizetype recordEnd() const { return mEnd; }
    // Where the next line begins: the bytes scanned so far.
    qsizetype position() const { return mNext; }

    // The current record, its fields as stored.
    HistoryRecord record() const;
    // Its count as totals take it (historyCount). A count in plain ASCII, as the program writes it, is read
    // without decoding or allocating anything.
    double count() const;

    // What decides the text of the current record's date field: records with equal keys have equal dates,
    // so a long run of records of one day is read once. Valid while the bytes are.
    struct DateKey {
        QByteArrayView bytes;
        int form = 0;
        bool operator==(const DateKey& other) const { return form == other.form && bytes == other.bytes; }
    };
    DateKey dateKey() const;
    // The current record's date field as stored.
    QString date() const;

private:
    struct Field {
        qsizetype begin = 0;
        qsizetype end = 0;
        bool quoted = false;
    };
    bool isBlank(qsizetype body, qsizetype end) const;
    QString decodeLine() const;
    bool lineIsUtf8() const;
    // The current record's field `index` (0-based) as bytes; false when the record has fewer fields.
    bool field(int index, Field& found) const;
    QString decodeField(const Field& field) const;

    QByteArrayView mBytes;
    HistoryDecoding mDecoding;
    qsizetype mNext = 0;
    qsizetype mStart = 0;
    qsizetype mBody = 0;  // past a byte-order mark that decoding drops
    qsizetype mEnd = 0;
};

// Lets another thread follow an index being built and stop it.
struct IndexingProgress {
    std::atomic<bool> cancelled{false};
    std::atomic<qint64> bytesDone{0};
    std::atomic<qint64> bytesInAll{0};
};

// A history file's bytes with where its records start and the total of their counts, worked out in one
// pass that allocates nothing per record. Records are decoded when asked for.
class HistoryIndex {
public:
    HistoryIndex() = default;
    // Indexes the bytes. With `progress`, the pass reports how far it got and stops when cancelled (the
    // index is then incomplete and meant to be dropped).
    explicit HistoryIndex(QByteArray bytes, IndexingProgress* progress = nullptr);

    qsizetype size() const { return mRecords; }
    // The history total: the counts added in file order, rounded to the nearest whole number after each, an
    // exact half going to the even neighbour.
    double total() const { return mTotal; }
    // Record `row` (0-based, oldest first).
    HistoryRecord record(qsizetype row) const;

private:
    // A record and where its line starts. One every kStride records, and one after each long line, so
    // that finding a record walks over a few short lines at most.
    struct Mark {
        qsizetype record;
        qsizetype offset;
    };
    static constexpr qsizetype kStride = 32;
    static constexpr qsizetype kLongLine = 4096;

    QByteArray mBytes;
    HistoryDecoding mDecoding = HistoryDecoding::Cp932;
    std::vector<Mark> mMarks;
    qsizetype mRecords = 0;
    double mTotal = 0;
};

// The bytes of an item's history file. A missing file, or a name that cannot have one, gives none and sets
// *missing. Throws DataFileError when the file cannot be read.
QByteArray readHistoryBytes(const QString& itemName, bool* missing = nullptr);

// Reads an item's history file (as readHistory does) and indexes it. A missing file gives no records and
// sets *missing. Throws DataFileError when the file cannot be read.
HistoryIndex readHistoryIndex(const QString& itemName, bool* missing = nullptr, IndexingProgress* progress = nullptr);

}  // namespace QmrM
