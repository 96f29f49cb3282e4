// SPDX-License-Identifier: GPL-3.0-or-later
#include "CsvExport.h"

#include "DailyHistories.h"

#include "shared/HistoryFile.h"
#include "shared/DataFileNames.h"
#include "shared/TextEncoding.h"

#include <QFileInfo>
#include <QCoreApplication>

#include <charconv>
#include <cstring>
#include <optional>
#include <utility>

namespace chart {

QString csvTime(const QString& field)
{
    const auto time = QmrM::parseRecordTime(field);
    return time ? time->toString(QStringLiteral("HH:mm:ss")) : field;
}

namespace {

constexpr qsizetype kPieceSize = 1 << 20;
constexpr qsizetype kReportEvery = 1 << 20;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool startsLikeAFormula(QStringView text)
{
    for (const QChar c : text) {
        if (QStringView(u"=+-@\t\r\uFF1D\uFF0B\uFF0D\uFF20").contains(c))
            return true;
        if (c != u' ' && c != u'\u3000')
            return false;
    }
    return false;
}

// A text field (an item name, a time) as it stands in the file. A text a spreadsheet would run as a formula gets
// an apostrophe before it, to show as text: one whose first non-blank (ASCII or ideographic space) is = + - @ (half
// or full width), or that begins with a tab or a carriage return. The field is then quoted, its quotes doubled, when
// it holds a comma, a double quote or a line break.
QString csvTextField(const QString& field)
{
    QString text = startsLikeAFormula(field) ? u'\'' + field : field;
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\r') && !text.contains(u'\n'))
        return text;
    text.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + text + u'"';
}

// Whether a count reads as a plain number to a spreadsheet: half-width digits, a leading minus, a decimal point, an
// exponent. The reader's inf and nan (any case), text to a spreadsheet, have an n, which no number has; a number
// beyond a double's range is still one.
bool isPlainNumber(QByteArrayView text)
{
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error != std::errc::invalid_argument && stop == end && !text.contains('n') && !text.contains('N');
}

// "hh時mm分ss秒" in the bytes the program writes, code page 932 or UTF-8.
struct TimeUnits {
    QByteArray hour, minute, second;
};

const TimeUnits& timeUnits(bool utf8)
{
    static const auto cp932 = [](const char16_t* unit) {
        return QmrM::encodeCp932(QString::fromUtf16(unit)).value_or(QByteArray());
    };
    static const TimeUnits inCp932{cp932(u"時"), cp932(u"分"), cp932(u"秒")};
    static const TimeUnits inUtf8{QStringLiteral("時").toUtf8(), QStringLiteral("分").toUtf8(),
                                  QStringLiteral("秒").toUtf8()};
    return utf8 ? inUtf8 : inCp932;
}

// Reads two digits followed by `unit` from the bytes at `i`, at most `largest`; -1 otherwise.
int twoDigitsThen(QByteArrayView bytes, qsizetype& i, const QByteArray& unit, int largest)
{
    if (i + 2 + unit.size() > bytes.size() || !isDigit(bytes[i]) || !isDigit(bytes[i + 1]) ||
        std::memcmp(bytes.data() + i + 2, unit.data(), size_t(unit.size())) != 0)
        return -1;
    const int value = (bytes[i] - '0') * 10 + (bytes[i + 1] - '0');
    i += 2 + unit.size();
    return value <= largest ? value : -1;
}

// Appends the time field of the current record as csvTime and csvTextField give it. The time as the program
// writes it is read from the bytes; any other text is decoded.
void appendTime(QByteArray& out, const QmrM::HistoryScanner& scanner)
{
    const QmrM::HistoryScanner::FieldKey key = scanner.fieldKey(1);
    if (key.form & (QmrM::HistoryScanner::kCp932Field | QmrM::HistoryScanner::kUtf8Field)) {
        const TimeUnits& units = timeUnits(key.form & QmrM::HistoryScanner::kUtf8Field);
        qsizetype i = 0;
        const int hours = twoDigitsThen(key.bytes, i, units.hour, 23);
        const int minutes = hours < 0 ? -1 : twoDigitsThen(key.bytes, i, units.minute, 59);
        const int seconds = minutes < 0 ? -1 : twoDigitsThen(key.bytes, i, units.second, 59);
        if (seconds >= 0 && i == key.bytes.size()) {
            const char text[] = {char('0' + hours / 10),   char('0' + hours % 10),   ':',
                                 char('0' + minutes / 10), char('0' + minutes % 10), ':',
                                 char('0' + seconds / 10), char('0' + seconds % 10)};
            out.append(text, sizeof text);
            return;
        }
    }
    out += csvTextField(csvTime(scanner.field(1))).toUtf8();
}

// Appends the count field of the current record as stored: a plain number (-3, 2.5), which is plain ASCII,
// stays a number, taken from the bytes; any other text is a text field.
void appendCount(QByteArray& out, const QmrM::HistoryScanner& scanner)
{
    const auto plain = scanner.plainField(2);
    if (plain && isPlainNumber(*plain))
        out.append(*plain);
    else
        out += csvTextField(scanner.field(2)).toUtf8();
}

// Goes through the history's records, handing `record` the scanner, the record's day and whether that day begins a
// run: a readable day differing from the readable day before it (the records between share its year). Counts the
// bytes gone through as steps, about a megabyte at a time; false once cancelled.
template <class Record>
bool scanRuns(const QmrM::HistoryBytes& history, QmrM::Progress* progress, Record&& record)
{
    QmrM::HistoryScanner scanner(history.bytes, history.decoding);
    RecordDays days;
    std::optional<MonthDay> last;
    qsizetype reported = 0;
    const auto report = [&](qsizetype position) {
        if (progress)
            progress->done += position - reported;
        reported = position;
    };
    while (scanner.next()) {
        const std::optional<MonthDay>& day = days.of(scanner);
        const bool begins = day && !(last && *last == *day);
        if (begins)
            last = day;
        record(scanner, day, begins);
        if (progress && scanner.position() - reported >= kReportEvery) {
            report(scanner.position());
            if (progress->cancelled)
                return false;
        }
    }
    report(history.bytes.size());
    return true;
}

using Day = std::optional<MonthDay>;

// Appends the rows of the item's history to `out`, handing it to `write` each time it holds a piece: a first
// pass finds the runs of days, which placeDates puts in their years, the second writes the rows.
bool writeRows(QByteArray& out, const std::function<void(QByteArrayView)>& write, const CsvItem& item,
               const QmrM::HistoryBytes& history, QmrM::Progress* progress)
{
    std::vector<Day> runs;
    if (!scanRuns(history, progress, [&runs](const QmrM::HistoryScanner&, const Day& day, bool begins) {
            if (begins)
                runs.push_back(day);
        }))
        return false;
    const std::vector<QDate> dates = placeDates(std::exchange(runs, {}), item.anchor);  // the runs go
    const QByteArray nameField = csvTextField(item.name).toUtf8() + ',';
    size_t run = 0;
    QByteArray date;
    return scanRuns(history, progress, [&](const QmrM::HistoryScanner& scanner, const Day& day, bool begins) {
        if (begins) {
            const QDate& placed = dates[run++];
            date = placed.isValid() ? placed.toString(Qt::ISODate).toLatin1() : QByteArray();
        }
        out += nameField;
        if (day)
            out += date;
        out += ',';
        appendTime(out, scanner);
        out += ',';
        appendCount(out, scanner);
        out += "\r\n";
        if (out.size() >= kPieceSize) {
            write(out);
            out.resize(0);  // its room stays for the next piece
        }
    });
}

}  // namespace

qint64 historyFilesSize(const std::vector<CsvItem>& items)
{
    qint64 size = 0;
    for (const CsvItem& item : items) {
        if (QmrM::historyNameIsSafe(item.name))
            size += QFileInfo(QmrM::historyFileName(item.name)).size();
    }
    return size;
}

bool writeCsv(const std::vector<CsvItem>& items, const std::function<void(QByteArrayView)>& write,
              QmrM::Progress* progress)
{
    if (progress)
        progress->inAll = 3 * historyFilesSize(items);
    QByteArray out;  // the file's bytes, handed on a piece at a time
    out.reserve(kPieceSize);
    // The line end is the file's, not a part of the translated header.
    out += "\xEF\xBB\xBF" + QCoreApplication::translate("Chart", "項目,日付,時刻,回数").toUtf8() + "\r\n";
    for (const CsvItem& item : items) {
        const QmrM::HistoryBytes history = QmrM::readHistoryBytes(item.name, nullptr, progress);
        // Cancelled while the file was read, or while its rows were written.
        if ((progress && progress->cancelled) || !writeRows(out, write, item, history, progress))
            return false;
    }
    if (!out.isEmpty())
        write(out);
    return true;
}

}  // namespace chart
