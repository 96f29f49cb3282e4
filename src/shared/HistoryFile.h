// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "QmrM.h"
#include "RecordForm.h"
#include "TextEncoding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <array>
#include <atomic>
#include <optional>
#include <vector>

// History files read straight from their bytes, records decoded only when asked for: the same records, in
// the same order, with the same fields as decoding the whole file as text (see HistoryDecoding) and
// splitting it into records would give, at the cost of the file's bytes and a small index, whatever its size.
namespace QmrM {

// How the lines of a history file are decoded: all as code page 932 when the file is that throughout (and
// holds no NUL nor begins with a byte-order mark), otherwise each line on its own (decodeUtf8OrCp932).
enum class HistoryDecoding { Cp932, EachLine };

// The decoding worked out piece by piece as the file is read.
class HistoryDecodingCheck {
public:
    void add(QByteArrayView piece);
    // The decoding of all the pieces added.
    HistoryDecoding decoding() const;
    // Whether the decoding is already known to be EachLine, whatever comes after.
    bool eachLineForSure() const { return mEachLine || !mCp932.mayBeValid(); }

private:
    QByteArray mHead;        // the first bytes, up to a byte-order mark's length
    bool mEachLine = false;  // a byte-order mark at the start, or a NUL
    Cp932Check mCp932;
};

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

    // What decides the text of one of the current record's fields: its bytes and how they are read. Records
    // with equal keys have equal fields, so a long run of records of one day reads its date once. Valid
    // while the bytes are.
    static constexpr int kQuotedField = 1;
    static constexpr int kCp932Field = 2;  // bytes from 0x80 up, read as code page 932
    static constexpr int kUtf8Field = 4;   // bytes from 0x80 up, read as UTF-8
    struct FieldKey {
        QByteArrayView bytes;
        int form = 0;
        bool operator==(const FieldKey& other) const { return form == other.form && bytes == other.bytes; }
    };
    // The key of field `index` (0 the date, 1 the time, 2 the count); empty bytes for a field the record lacks.
    FieldKey fieldKey(int index) const;
    // The current record's field `index` as stored (0 the date, 1 the time, 2 the count); empty when the
    // record has fewer fields.
    QString field(int index) const;
    // The same straight from the bytes, without decoding, when the field is plain ASCII (no NUL, nothing from
    // 0x80 up), which decoding leaves as it is; nothing otherwise.
    std::optional<QByteArrayView> plainField(int index) const;
    // Whether the current record is a history record as leniently as the history view reads one: two texts
    // in double quotes and a count, separated by commas, whatever the texts and the count hold.
    bool isHistoryRecord() const;

private:
    bool isBlank() const;
    QString decodeLine() const;
    bool lineIsUtf8() const;
    // The current record's field `index` (0 to 2), its bytes and whether it is quoted (kQuotedField); nothing
    // when the record has fewer fields.
    std::optional<FieldKey> findField(int index) const;

    QByteArrayView mBytes;
    HistoryDecoding mDecoding;
    qsizetype mNext = 0;
    qsizetype mStart = 0;
    qsizetype mBody = 0;  // past a byte-order mark that decoding drops
    qsizetype mEnd = 0;
    // The current record's date, time and count, found once as they are asked for.
    mutable std::array<FieldSpan, 3> mFields;
    mutable int mFieldsFound = 0;
    mutable qsizetype mFieldsEnd = 0;  // where the field after those found begins
    mutable bool mMoreFields = true;
};

// How far a long piece of work on history files got (`done` of `inAll` steps: bytes read, checked, scanned or
// written), followed and stopped from another thread. Work that is stopped leaves an incomplete result,
// meant to be dropped.
struct Progress {
    std::atomic<bool> cancelled{false};
    std::atomic<qint64> done{0};
    std::atomic<qint64> inAll{0};
    // How far, from 0 to 100.
    int percent() const;
};

// A history file's bytes with where its records start and the total of their counts, worked out in one
// pass that allocates nothing per record. Records are decoded when asked for.
class HistoryIndex {
public:
    HistoryIndex() = default;
    // Indexes the bytes, decoded as `decoding` says (HistoryDecodingCheck's verdict on them). With `progress`, the pass
    // adds the bytes it went through to its steps done, and stops when cancelled.
    HistoryIndex(QByteArray bytes, HistoryDecoding decoding, Progress* progress = nullptr);

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

// An item's history file read whole, with the decoding of its lines, worked out as it is read.
struct HistoryBytes {
    QByteArray bytes;
    HistoryDecoding decoding = HistoryDecoding::Cp932;
};

// Reads an item's history file. A missing file, or a name that cannot have one, gives none and sets
// *missing. The bytes are one block of memory of their own, handed back to the system as soon as they are
// let go, whichever thread read them. With `progress`, the reading adds the bytes read to its steps done, and stops
// when cancelled. Throws DataFileError when the file cannot be read.
HistoryBytes readHistoryBytes(const QString& itemName, bool* missing = nullptr, Progress* progress = nullptr);

// Reads an item's history file and indexes it. A missing file gives no records and sets *missing. With
// `progress`, the steps are twice the file's size: one for reading it, one for indexing it. Throws
// DataFileError when the file cannot be read.
HistoryIndex readHistoryIndex(const QString& itemName, bool* missing = nullptr, Progress* progress = nullptr);

// Whether every line of a file that is not blank is a history record (HistoryScanner::isHistoryRecord). A
// missing or empty file is. The file is read piece by piece, in memory of the order of its longest line, and
// only as far as the first line that is not a record. Throws DataFileError when it cannot be read.
bool holdsOnlyHistoryRecords(const QString& fileName);

}  // namespace QmrM
