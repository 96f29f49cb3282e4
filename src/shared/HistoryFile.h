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

// History files read straight from their bytes, records decoded only when asked for: the same records and
// fields as decoding the whole text and splitting it, at the cost of the bytes and a small index.
namespace QmrM {

// All lines as code page 932 when the file is that throughout (no NUL, no byte-order mark), otherwise each
// line on its own (decodeUtf8OrCp932).
enum class HistoryDecoding { Cp932, EachLine };

// The decoding worked out piece by piece as the file is read.
class HistoryDecodingCheck {
public:
    void add(QByteArrayView piece);
    HistoryDecoding decoding() const;
    // EachLine whatever comes after.
    bool eachLineForSure() const { return mEachLine || !mCp932.mayBeValid(); }

private:
    QByteArray mHead;        // the first bytes, up to a byte-order mark's length
    bool mEachLine = false;  // a byte-order mark at the start, or a NUL
    Cp932Check mCp932;
};

// Walks the records of a history file's bytes (which must outlive it), oldest first; a blank line is no record.
class HistoryScanner {
public:
    // Starts before the line that begins at `from`.
    HistoryScanner(QByteArrayView bytes, HistoryDecoding decoding, qsizetype from = 0);

    bool next();
    // The current record's line, without its line end.
    qsizetype recordStart() const { return mStart; }
    qsizetype recordEnd() const { return mEnd; }
    // Where the next line begins: the bytes scanned so far.
    qsizetype position() const { return mNext; }

    HistoryRecord record() const;
    // As totals take it (historyCount); a plain ASCII count, as the program writes it, allocates nothing.
    double count() const;

    // A field's bytes and how they are read: equal keys give equal fields, so a long run of one day's records
    // reads its date once. Valid while the bytes are.
    static constexpr int kQuotedField = 1;
    static constexpr int kCp932Field = 2;  // bytes from 0x80 up, read as code page 932
    static constexpr int kUtf8Field = 4;   // bytes from 0x80 up, read as UTF-8
    struct FieldKey {
        QByteArrayView bytes;
        int form = 0;
        bool operator==(const FieldKey& other) const { return form == other.form && bytes == other.bytes; }
    };
    // Of the current record's field `index` (0 the date, 1 the time, 2 the count); empty when it lacks the field.
    FieldKey fieldKey(int index) const;
    QString field(int index) const;
    // The field's bytes, undecoded, when plain ASCII without NUL (which decoding leaves as it is).
    std::optional<QByteArrayView> plainField(int index) const;
    // As leniently as the history view reads one: two quoted texts and a count, comma-separated, whatever
    // they hold.
    bool isHistoryRecord() const;

private:
    bool isBlank() const;
    QString decodeLine() const;
    bool lineIsUtf8() const;
    std::optional<FieldKey> findField(int index) const;

    QByteArrayView mBytes;
    HistoryDecoding mDecoding;
    qsizetype mNext = 0;
    qsizetype mStart = 0;
    qsizetype mBody = 0;  // past a byte-order mark that decoding drops
    qsizetype mEnd = 0;
    // The date, time and count, found once as they are asked for.
    mutable std::array<FieldSpan, 3> mFields;
    mutable int mFieldsFound = 0;
    mutable qsizetype mFieldsEnd = 0;  // where the field after those found begins
    mutable bool mMoreFields = true;
};

// How far long work on history files got (`done` of `inAll` steps: bytes read, checked, scanned or written),
// followed and stopped from another thread. Stopped work leaves an incomplete result, meant to be dropped.
struct Progress {
    std::atomic<bool> cancelled{false};
    std::atomic<qint64> done{0};
    std::atomic<qint64> inAll{0};
    int percent() const;
};

// A history file's bytes with where its records start and their counts' total, found in one pass that
// allocates nothing per record.
class HistoryIndex {
public:
    HistoryIndex() = default;
    // `decoding` is HistoryDecodingCheck's verdict on the bytes. `progress` counts the bytes passed and can
    // stop the pass.
    HistoryIndex(QByteArray bytes, HistoryDecoding decoding, Progress* progress = nullptr);

    qsizetype size() const { return mRecords; }
    // The counts added in file order, rounded after each to the nearest whole number, a half to even.
    double total() const { return mTotal; }
    // `row` 0-based, oldest first.
    HistoryRecord record(qsizetype row) const;

private:
    // One every kStride records and one after each long line, so finding a record walks a few short lines.
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

// An item's history file read whole, with its decoding worked out as it is read.
struct HistoryBytes {
    QByteArray bytes;
    HistoryDecoding decoding = HistoryDecoding::Cp932;
};

// A missing file, or a name that cannot have one, gives none and sets *missing. The bytes are a memory block
// of their own, handed back to the system once let go, whichever thread read them. `progress` counts the
// bytes read and can stop it. Throws DataFileError when the file cannot be read.
HistoryBytes readHistoryBytes(const QString& itemName, bool* missing = nullptr, Progress* progress = nullptr);

// A missing file gives no records and sets *missing. `progress` has twice the file's size in steps (read,
// then index). Throws DataFileError when the file cannot be read.
HistoryIndex readHistoryIndex(const QString& itemName, bool* missing = nullptr, Progress* progress = nullptr);

// Whether every non-blank line is a history record (isHistoryRecord); a missing or empty file is. Read piece
// by piece, in memory of the order of its longest line, up to the first line that is not a record. Throws
// DataFileError when it cannot be read.
bool holdsOnlyHistoryRecords(const QString& fileName);

}  // namespace QmrM
