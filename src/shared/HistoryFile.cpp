// SPDX-License-Identifier: GPL-3.0-or-later
#include "HistoryFile.h"

#include "DataFiles.h"
#include "Numbers.h"
#include "RecordForm.h"
#include "TextEncoding.h"

#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <cstring>
#include <mutex>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace QmrM {
namespace {

const QByteArrayView kByteOrderMark("\xEF\xBB\xBF");

// The first byte that is no ASCII blank (which QString::trimmed() drops), else the line's end.
const char* firstNonBlank(QByteArrayView line)
{
    return std::find_if_not(line.begin(), line.end(), [](char c) { return c == ' ' || (c >= 0x09 && c <= 0x0D); });
}

// Bytes that decode to the same ASCII in either decoding: no NUL (which becomes U+FFFD), nothing from 0x80.
// The separators are ASCII, never a code page 932 second byte, so fields lie where they do in the text.
bool isPlain(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) >= 0x01 && uchar(c) < 0x80; });
}

QByteArray rawBytes(QByteArrayView bytes)
{
    return QByteArray::fromRawData(bytes.data(), bytes.size());
}

// At its CR, LF or CR LF, or the bytes' end. Looked for a block at a time, so that neither a long line nor
// a file of lone CRs is read more than once.
qsizetype lineEnd(const char* data, qsizetype start, qsizetype n)
{
    constexpr qsizetype kBlock = 256;
    for (qsizetype from = start; from < n; from += kBlock) {
        const qsizetype to = std::min(n, from + kBlock);
        const auto* lf = static_cast<const char*>(std::memchr(data + from, '\n', size_t(to - from)));
        const qsizetype limit = lf ? lf - data : to;
        if (const auto* cr = static_cast<const char*>(std::memchr(data + from, '\r', size_t(limit - from))))
            return cr - data;
        if (lf)
            return lf - data;
    }
    return n;
}

// Two quoted texts and a count, comma-separated, in a line past its byte-order marks. The shape's bytes are
// ASCII, never part of a code page 932 or UTF-8 character, so they stand where they do in the decoded line.
bool hasRecordShape(QByteArrayView line)
{
    qsizetype i = 0;
    bool more = true;
    for (int quoted = 0; quoted < 2; ++quoted) {
        if (!more || !nextField(line, i, more).quoted)
            return false;
    }
    return more && line.indexOf(',', i) < 0;  // the count, one field
}

QString withoutNul(QString text)
{
    text.replace(QChar(0), QChar(QChar::ReplacementCharacter));
    return text;
}

}  // namespace

void HistoryDecodingCheck::add(QByteArrayView piece)
{
    if (mHead.size() < kByteOrderMark.size())
        mHead += piece.first(std::min(piece.size(), kByteOrderMark.size() - mHead.size()));
    mEachLine = mEachLine || mHead == kByteOrderMark || piece.contains('\0');
    if (!mEachLine)
        mCp932.add(piece);
}

HistoryDecoding HistoryDecodingCheck::decoding() const
{
    return mEachLine || !mCp932.valid() ? HistoryDecoding::EachLine : HistoryDecoding::Cp932;
}

int Progress::percent() const
{
    const qint64 all = inAll;
    return all > 0 ? int(std::clamp<qint64>(done * 100 / all, 0, 100)) : 0;
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
        mStart = mNext;
        mEnd = lineEnd(data, mStart, n);
        // The next line begins past this one's CR LF, lone CR or lone LF.
        const bool crLf = mEnd + 1 < n && data[mEnd] == '\r' && data[mEnd + 1] == '\n';
        mNext = std::min(mEnd + (crLf ? 2 : 1), n);
        mBody = mStart;
        mFieldsFound = 0;
        mMoreFields = true;
        if (mDecoding == HistoryDecoding::EachLine && mBytes.sliced(mStart, mEnd - mStart).startsWith(kByteOrderMark)) {
            // Each line drops a byte-order mark, and the UTF-8 decoder one more.
            mBody += kByteOrderMark.size();
            if (mBytes.sliced(mBody, mEnd - mBody).startsWith(kByteOrderMark) && lineIsUtf8())
                mBody += kByteOrderMark.size();
        }
        mFieldsEnd = mBody;
        if (!isBlank())
            return true;
    }
    return false;
}

bool HistoryScanner::isBlank() const
{
    const QByteArrayView body = mBytes.sliced(mBody, mEnd - mBody);
    const char* first = firstNonBlank(body);
    // The first character that is not an ASCII blank starts there. An ASCII one is no blank; another may be (the
    // ideographic space), which only the decoded line tells.
    return first == body.end() || (uchar(*first) >= 0x80 && decodeLine().trimmed().isEmpty());
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

std::optional<HistoryScanner::FieldKey> HistoryScanner::findField(int index) const
{
    while (mFieldsFound <= index) {
        if (mFieldsFound > 0 && !mMoreFields)
            return std::nullopt;
        mFields[size_t(mFieldsFound++)] = nextField(mBytes.first(mEnd), mFieldsEnd, mMoreFields);
    }
    const FieldSpan& found = mFields[size_t(index)];
    return FieldKey{mBytes.sliced(found.begin, found.end - found.begin), found.quoted ? kQuotedField : 0};
}

bool HistoryScanner::isHistoryRecord() const
{
    return hasRecordShape(mBytes.sliced(mBody, mEnd - mBody));
}

QString HistoryScanner::field(int index) const
{
    const auto found = findField(index);
    if (!found)
        return QString();
    // Part of a UTF-8 line: a byte-order mark there is text, unlike at the start of a line.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    QString text = lineIsUtf8() ? withoutNul(utf8(found->bytes)) : decodeCp932Leniently(rawBytes(found->bytes));
    return found->form & kQuotedField ? text : text.trimmed();
}

std::optional<QByteArrayView> HistoryScanner::plainField(int index) const
{
    const auto found = findField(index);
    if (!found)
        return QByteArrayView();
    if (!isPlain(found->bytes))
        return std::nullopt;
    return found->form & kQuotedField ? found->bytes : found->bytes.trimmed();
}

double HistoryScanner::count() const
{
    // A count the program wrote is read without decoding or allocating anything.
    if (const auto plain = plainField(2))
        return historyCount(QLatin1String(plain->data(), plain->size()));
    return historyCount(field(2));
}

HistoryScanner::FieldKey HistoryScanner::fieldKey(int index) const
{
    // A field the record lacks has no bytes, which are plain.
    FieldKey key = findField(index).value_or(FieldKey{});
    if (!isPlain(key.bytes))
        key.form |= lineIsUtf8() ? kUtf8Field : kCp932Field;
    return key;
}

HistoryIndex::HistoryIndex(QByteArray bytes, HistoryDecoding decoding, Progress* progress)
    : mBytes(std::move(bytes)), mDecoding(decoding)
{
    constexpr qint64 kReportEvery = 1 << 20;
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
            progress->done += scanner.position() - reported;
            reported = scanner.position();
            if (progress->cancelled)
                return;
        }
    }
    if (progress)
        progress->done += mBytes.size() - reported;
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

HistoryBytes readHistoryBytes(const QString& itemName, bool* missing, Progress* progress)
{
#ifdef __GLIBC__
    // Blocks from a megabyte up are mapped apart, so letting one go hands it back at once. glibc otherwise
    // raises that threshold once such a block is freed and keeps the next in its thread's heap, where a history
    // read in the background would stay for the rest of the run.
    static std::once_flag once;
    std::call_once(once, [] { mallopt(M_MMAP_THRESHOLD, 1 << 20); });
#endif
    HistoryBytes read;
    if (!historyNameIsSafe(itemName)) {  // such a name never had a history file of its own
        if (missing)
            *missing = true;
        return read;
    }
    HistoryDecodingCheck decoding;
    read.bytes = readWholeFile(historyFileName(itemName), missing, -1, [&](QByteArrayView piece) {
        decoding.add(piece);
        if (!progress)
            return true;
        progress->done += piece.size();
        return !progress->cancelled;
    });
    read.decoding = decoding.decoding();
    return read;
}

HistoryIndex readHistoryIndex(const QString& itemName, bool* missing, Progress* progress)
{
    if (progress && historyNameIsSafe(itemName))
        progress->inAll = 2 * QFileInfo(historyFileName(itemName)).size();
    HistoryBytes read = readHistoryBytes(itemName, missing, progress);
    if (progress && progress->cancelled)
        return HistoryIndex();
    return HistoryIndex(std::move(read.bytes), read.decoding, progress);
}

namespace {

// Judges the lines as the file is read. One beginning with an ASCII non-blank reads alike in either decoding;
// any other (a byte-order mark, a wide blank) is judged in both, and the whole file's decoding decides.
class RecordsCheck {
public:
    // An unfinished last line waits for the next piece.
    void add(QByteArrayView piece)
    {
        mDecoding.add(piece);
        const qsizetype carried = mCarried.size();  // holds no line end: looked for in the piece alone
        mCarried += piece;
        qsizetype start = 0;
        while (start < mCarried.size() && mayBeRecords()) {
            const qsizetype end = lineEnd(mCarried.constData(), std::max(start, carried), mCarried.size());
            if (end == mCarried.size())
                break;
            judge(QByteArrayView(mCarried).sliced(start, end - start));
            start = end + 1;  // a CR LF leaves an empty line between them, which is blank
        }
        mCarried.remove(0, start);
    }

    // Whether the lines judged so far may still all be records, in the decoding that will apply.
    bool mayBeRecords() const { return mRecordsIfEachLine || (mRecordsIfCp932 && !mDecoding.eachLineForSure()); }

    // The verdict on the whole file, once every piece has been added.
    bool finish()
    {
        judge(mCarried);
        return mDecoding.decoding() == HistoryDecoding::Cp932 ? mRecordsIfCp932 : mRecordsIfEachLine;
    }

private:
    static bool isRecordOrBlank(QByteArrayView line, HistoryDecoding decoding)
    {
        HistoryScanner scanner(line, decoding);
        return !scanner.next() || scanner.isHistoryRecord();
    }

    void judge(QByteArrayView line)
    {
        const char* first = firstNonBlank(line);
        if (first == line.end())
            return;  // blank
        // A line that begins with an ASCII character reads alike in either decoding: its shape is in its bytes.
        const bool alike = uchar(*first) < 0x80;
        const bool record = alike && hasRecordShape(line);
        mRecordsIfCp932 = mRecordsIfCp932 && (alike ? record : isRecordOrBlank(line, HistoryDecoding::Cp932));
        mRecordsIfEachLine = mRecordsIfEachLine && (alike ? record : isRecordOrBlank(line, HistoryDecoding::EachLine));
    }

    HistoryDecodingCheck mDecoding;
    QByteArray mCarried;  // the start of a line that goes on in the next piece
    bool mRecordsIfCp932 = true;
    bool mRecordsIfEachLine = true;
};

}  // namespace

bool holdsOnlyHistoryRecords(const QString& fileName)
{
    RecordsCheck check;
    readFileInPieces(fileName, [&check](QByteArrayView piece, qint64) {
        check.add(piece);
        return check.mayBeRecords();
    });
    return check.mayBeRecords() && check.finish();
}

}  // namespace QmrM
