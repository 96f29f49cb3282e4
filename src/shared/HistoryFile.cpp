// SPDX-License-Identifier: GPL-3.0-or-later
#include "HistoryFile.h"

#include "DataFiles.h"
#include "ItemNames.h"
#include "Numbers.h"
#include "RecordForm.h"
#include "TextEncoding.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstring>

namespace QmrM {
namespace {

const QByteArrayView kByteOrderMark("\xEF\xBB\xBF");

// The bytes that QString::trimmed() drops, as far as they are ASCII.
bool isAsciiBlank(uchar c)
{
    return c == ' ' || (c >= 0x09 && c <= 0x0D);
}

// Bytes that decode to the same ASCII characters whatever the line's decoding: no NUL (which becomes
// U+FFFD) and nothing from 0x80 up. The field separators are ASCII and never the second byte of a code page
// 932 character, so fields are found in the bytes exactly where they lie in the decoded text.
bool isPlain(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) >= 0x01 && uchar(c) < 0x80; });
}

QByteArrayView trimmedAscii(QByteArrayView bytes)
{
    qsizetype begin = 0;
    qsizetype end = bytes.size();
    while (begin < end && isAsciiBlank(uchar(bytes[begin])))
        ++begin;
    while (end > begin && isAsciiBlank(uchar(bytes[end - 1])))
        --end;
    return bytes.sliced(begin, end - begin);
}

QByteArray rawBytes(QByteArrayView bytes)
{
    return QByteArray::fromRawData(bytes.data(), bytes.size());
}

QString withoutNul(QString text)
{
    text.replace(QChar(0), QChar(QChar::ReplacementCharacter));
    return text;
}

// Part of a UTF-8 line: a byte-order mark there is text, unlike at the start of a line.
QString decodeUtf8Part(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return withoutNul(utf8(bytes));
}

}  // namespace

HistoryDecoding historyDecodingOf(QByteArrayView bytes)
{
    if (bytes.startsWith(kByteOrderMark) || bytes.contains('\0') || !isValidCp932(bytes))
        return HistoryDecoding::EachLine;
    return HistoryDecoding::Cp932;
}

HistoryScanner::HistoryScanner(QByteArrayView bytes, HistoryDecoding decoding, qsizetype from)
    : mBytes(bytes), mDecoding(decoding), mNext(from)
{
}

bool HistoryScanner::next()
{
    const char* data = mBytes.data();
    const qsizetype n = mBytes.size();
    while (mNext < n) {
        const qsizetype start = mNext;
        qsizetype end = start;
        while (end < n && data[end] != '\r' && data[end] != '\n')
            ++end;
        mNext = end;
        if (mNext < n && data[mNext] == '\r' && mNext + 1 < n && data[mNext + 1] == '\n')
            mNext += 2;
        else if (mNext < n)
            ++mNext;
        mStart = start;
        mEnd = end;
        mBody = start;
        if (mDecoding == HistoryDecoding::EachLine && mBytes.sliced(start, end - start).startsWith(kByteOrderMark)) {
            // Each line drops a byte-order mark, and the UTF-8 decoder one more.
            mBody += kByteOrderMark.size();
            if (mBytes.sliced(mBody, end - mBody).startsWith(kByteOrderMark) && lineIsUtf8())
                mBody += kByteOrderMark.size();
        }
        if (!isBlank(mBody, end))
            return true;
    }
    return false;
}

bool HistoryScanner::isBlank(qsizetype body, qsizetype end) const
{
    for (qsizetype i = body; i < end; ++i) {
        const uchar c = uchar(mBytes[i]);
        if (isAsciiBlank(c))
            continue;
        // The first character that is not an ASCII blank starts here. An ASCII one is no blank; another may
        // be (the ideographic space), which only the decoded line tells.
        return c < 0x80 ? false : decodeLine().trimmed().isEmpty();
    }
    return true;
}

QString HistoryScanner::decodeLine() const
{
    const QByteArray line = rawBytes(mBytes.sliced(mStart, mEnd - mStart));
    if (mDecoding == HistoryDecoding::Cp932)
        return decodeCp932Leniently(line);
    return withoutNul(decodeUtf8OrCp932(line));
}

bool HistoryScanner::lineIsUtf8() const
{
    return mDecoding == HistoryDecoding::EachLine && mBytes.sliced(mBody, mEnd - mBody).isValidUtf8();
}

HistoryRecord HistoryScanner::record() const
{
    const QStringList fields = splitRecord(decodeLine());
    return HistoryRecord{fields.value(0), fields.value(1), fields.value(2)};
}

bool HistoryScanner::field(int index, Field& found) const
{
    // The field rules of splitRecord, on the bytes.
    const char* data = mBytes.data();
    const auto find = [&](char c, qsizetype from) {
        const void* at = std::memchr(data + from, c, size_t(mEnd - from));
        return at ? static_cast<const char*>(at) - data : qsizetype(-1);
    };
    qsizetype i = mBody;
    for (int k = 0;; ++k) {
        while (i < mEnd && (data[i] == ' ' || data[i] == '\t'))
            ++i;
        Field current;
        if (i < mEnd && data[i] == '"') {
            const qsizetype close = find('"', i + 1);
            current = Field{i + 1, close < 0 ? mEnd : close, true};
            i = close < 0 ? mEnd : close + 1;
            const qsizetype comma = i < mEnd ? find(',', i) : -1;
            i = comma < 0 ? mEnd : comma;
        } else {
            const qsizetype comma = i < mEnd ? find(',', i) : -1;
            current = Field{i, comma < 0 ? mEnd : comma, false};
            i = current.end;
        }
        if (k == index) {
            found = current;
            return true;
        }
        if (i >= mEnd)
            return false;
        ++i;
    }
}

QString HistoryScanner::decodeField(const Field& field) const
{
    const QByteArrayView bytes = mBytes.sliced(field.begin, field.end - field.begin);
    QString text = lineIsUtf8() ? decodeUtf8Part(bytes) : decodeCp932Leniently(rawBytes(bytes));
    return field.quoted ? text : text.trimmed();
}

double HistoryScanner::count() const
{
    Field found;
    if (!field(2, found))
        return 0.0;
    const QByteArrayView bytes = mBytes.sliced(found.begin, found.end - found.begin);
    if (isPlain(bytes)) {
        const QByteArrayView shown = found.quoted ? bytes : trimmedAscii(bytes);
        return historyCount(QLatin1String(shown.data(), shown.size()));
    }
    return historyCount(decodeField(found));
}

HistoryScanner::DateKey HistoryScanner::dateKey() const
{
    Field found;
    field(0, found);  // every record has a first field
    const QByteArrayView bytes = mBytes.sliced(found.begin, found.end - found.begin);
    int form = found.quoted ? 1 : 0;
    if (!isPlain(bytes))
        form |= lineIsUtf8() ? 4 : 2;
    return DateKey{bytes, form};
}

QString HistoryScanner::date() const
{
    Field found;
    field(0, found);
    return decodeField(found);
}

HistoryIndex::HistoryIndex(QByteArray bytes, IndexingProgress* progress) : mBytes(std::move(bytes))
{
    constexpr qint64 kReportEvery = 1 << 20;
    if (progress)
        progress->bytesInAll = mBytes.size();
    mDecoding = historyDecodingOf(mBytes);
    mMarks.reserve(size_t(mBytes.size() / (kStride * 32)) + 1);
    HistoryScanner scanner(mBytes, mDecoding);
    bool afterLongLine = false;
    qint64 reported = 0;
    while (scanner.next()) {
        if (mRecords % kStride == 0 || afterLongLine)
            mMarks.push_back(Mark{mRecords, scanner.recordStart()});
        afterLongLine = scanner.recordEnd() - scanner.recordStart() > kLongLine;
        mTotal = roundHalfEven(addHistoryCounts(mTotal, scanner.count()));
        ++mRecords;
        if (progress && scanner.position() - reported >= kReportEvery) {
            reported = scanner.position();
            progress->bytesDone = reported;
            if (progress->cancelled)
                return;
        }
    }
    if (progress)
        progress->bytesDone = mBytes.size();
}

HistoryRecord HistoryIndex::record(qsizetype row) const
{
    const auto after = std::upper_bound(mMarks.begin(), mMarks.end(), row,
                                        [](qsizetype r, const Mark& mark) { return r < mark.record; });
    const Mark& mark = *(after - 1);
    HistoryScanner scanner(mBytes, mDecoding, mark.offset);
    for (qsizetype r = mark.record; r <= row; ++r)
        scanner.next();
    return scanner.record();
}

QByteArray readHistoryBytes(const QString& itemName, bool* missing)
{
    if (!historyNameIsSafe(itemName)) {  // such a name never had a history file of its own
        if (missing)
            *missing = true;
        return QByteArray();
    }
    return readWholeFile(historyFileName(itemName), missing);
}

HistoryIndex readHistoryIndex(const QString& itemName, bool* missing, IndexingProgress* progress)
{
    return HistoryIndex(readHistoryBytes(itemName, missing), progress);
}

}  // namespace QmrM
