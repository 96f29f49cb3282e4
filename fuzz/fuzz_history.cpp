// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as an item's history, read two ways: by the plain reader, which decodes the whole file and
// splits every record (tests/support/PlainHistory), and by the indexed reader of the history view, the chart
// and the export, which finds records in the bytes and decodes only what it is asked for. Both give the same
// records in the same order, the same counts and total, and the same days; the code page 932 check agrees
// with the decoder; the check that the file holds only records agrees with the plain reading; and the CSV
// file exported from it, read back by an RFC 4180 reader, gives every record's fields.

#include "FuzzSupport.h"
#include "PlainHistory.h"

#include "chart/CsvExport.h"
#include "chart/DailyHistories.h"
#include "chart/ProgressFigures.h"
#include "shared/HistoryFile.h"
#include "shared/Numbers.h"
#include "shared/QmrM.h"
#include "shared/TextEncoding.h"

#include <QFile>
#include <QRegularExpression>

#include <cmath>

using namespace QmrM;

namespace {

const QString kItemName = QStringLiteral("腕立て");
const QByteArray kHistoryPath = QFile::encodeName(historyFileName(kItemName));

QString describe(qsizetype row, const HistoryRecord& record)
{
    return QStringLiteral("record %1: [%2] [%3] [%4]").arg(row).arg(record.date, record.time, record.count);
}

// The decoding of the whole history at once.
HistoryDecoding decodingOf(const QByteArray& bytes)
{
    HistoryDecodingCheck check;
    check.add(bytes);
    return check.decoding();
}

bool same(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

void checkRecords(const QByteArray& bytes, const std::vector<HistoryRecord>& records)
{
    HistoryScanner scanner(bytes, decodingOf(bytes));
    double total = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        FUZZ_CHECK(scanner.next(), describe(qsizetype(i), records[i]));
        const HistoryRecord found = scanner.record();
        FUZZ_CHECK(found.date == records[i].date && found.time == records[i].time && found.count == records[i].count,
                   describe(qsizetype(i), records[i]) + QStringLiteral(" read as ") + describe(qsizetype(i), found));
        FUZZ_CHECK(scanner.field(0) == records[i].date, describe(qsizetype(i), records[i]));
        FUZZ_CHECK(same(scanner.count(), historyCount(records[i].count)), describe(qsizetype(i), records[i]));
        total = roundHalfEven(addHistoryCounts(total, historyCount(records[i].count)));
    }
    FUZZ_CHECK(!scanner.next(), QStringLiteral("a record more than %1").arg(records.size()));

    const HistoryIndex index(bytes, decodingOf(bytes));
    FUZZ_CHECK(size_t(index.size()) == records.size(), QString::number(index.size()));
    FUZZ_CHECK(same(index.total(), total), QString::number(index.total()));
    // From the last record back, so that every record is found from its mark rather than by walking on.
    for (qsizetype row = index.size() - 1; row >= 0; --row) {
        const HistoryRecord found = index.record(row);
        const HistoryRecord& expected = records[size_t(row)];
        FUZZ_CHECK(found.date == expected.date && found.time == expected.time && found.count == expected.count,
                   describe(row, expected));
    }
}

void checkDays(const std::vector<HistoryRecord>& records)
{
    const chart::DailyHistory read = chart::readDailyHistory(kItemName);
    const chart::DailyHistory summed = summarise(records, chart::historyAnchor(kItemName));
    FUZZ_CHECK(read.days.size() == summed.days.size(), QString::number(read.days.size()));
    for (size_t i = 0; i < read.days.size(); ++i) {
        FUZZ_CHECK(read.days[i].date == summed.days[i].date && same(read.days[i].count, summed.days[i].count),
                   read.days[i].date.toString(Qt::ISODate));
    }
    FUZZ_CHECK(read.undatedRecords == summed.undatedRecords && same(read.undatedCount, summed.undatedCount),
               QString::number(read.undatedRecords));
}

// Reads CSV text as RFC 4180 describes it: records end at CR LF, a field in double quotes may hold
// commas, line breaks and doubled quotes.
QList<QStringList> readCsv(const QString& text)
{
    QList<QStringList> rows;
    QStringList row;
    QString field;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        if (text[i] == u'"' && field.isEmpty()) {
            for (++i; i < n; ++i) {
                if (text[i] == u'"' && i + 1 < n && text[i + 1] == u'"')
                    field += text[++i];
                else if (text[i] == u'"')
                    break;
                else
                    field += text[i];
            }
            FUZZ_CHECK(i < n, QStringLiteral("unclosed quote"));
            ++i;
            FUZZ_CHECK(i >= n || text[i] == u',' || text[i] == u'\r', QStringLiteral("text after a closing quote"));
            continue;
        }
        if (text[i] == u',') {
            row.append(field);
            field.clear();
        } else if (text[i] == u'\r') {
            FUZZ_CHECK(i + 1 < n && text[i + 1] == u'\n', QStringLiteral("CR without LF"));
            row.append(field);
            field.clear();
            rows.append(row);
            row.clear();
            ++i;
        } else {
            FUZZ_CHECK(text[i] != u'\n', QStringLiteral("LF without CR"));
            field += text[i];
        }
        ++i;
    }
    FUZZ_CHECK(row.isEmpty() && field.isEmpty(), QStringLiteral("last line without CR LF"));
    return rows;
}

// A text a spreadsheet would run: its first character that is not a space (half-width or ideographic) is one
// of = + - @ in either width, or it begins with a tab or a carriage return.
bool startsLikeAFormula(const QString& text)
{
    const QString trimmed = QString(text).remove(QRegularExpression(QStringLiteral("^[ \u3000]+")));
    const QStringView formulaStarts(u"=+-@\uFF1D\uFF0B\uFF0D\uFF20\t\r");
    return (!text.isEmpty() && (text.front() == u'\t' || text.front() == u'\r')) ||
           (!trimmed.isEmpty() && formulaStarts.contains(trimmed.front()));
}

// A text field comes back as it was, or behind the apostrophe that keeps a spreadsheet from running it.
bool readsBackAs(const QString& field, const QString& text)
{
    return startsLikeAFormula(text) ? field == u'\'' + text : field == text;
}

void checkCsv(const std::vector<HistoryRecord>& records)
{
    const QDate anchor(2026, 12, 7);
    QByteArray bytes;
    chart::writeCsv({chart::CsvItem{kItemName, anchor}}, [&bytes](QByteArrayView piece) { bytes += piece; });
    FUZZ_CHECK(bytes.startsWith("\xEF\xBB\xBF"), QString());
    const QList<QStringList> rows = readCsv(QString::fromUtf8(bytes.mid(3)));
    FUZZ_CHECK(size_t(rows.size()) == records.size() + 1, QString::number(rows.size()));
    FUZZ_CHECK(rows[0] == QStringList({"項目", "日付", "時刻", "回数"}), rows[0].join(u'|'));
    const std::vector<QDate> dates = placeDates(records, anchor);
    for (size_t i = 0; i < records.size(); ++i) {
        const QStringList& row = rows[qsizetype(i) + 1];
        const QString date = dates[i].isValid() ? dates[i].toString(Qt::ISODate) : QString();
        FUZZ_CHECK(row.size() == 4 && row[0] == kItemName && row[1] == date, row.join(u'|'));
        FUZZ_CHECK(readsBackAs(row[2], chart::csvTime(records[i].time)), row.join(u'|'));
        const bool number = QRegularExpression(QStringLiteral("^-?([0-9]+(\\.[0-9]*)?|\\.[0-9]+)([eE][-+]?[0-9]+)?$"))
                                .match(records[i].count)
                                .hasMatch();
        FUZZ_CHECK(number ? row[3] == records[i].count : readsBackAs(row[3], records[i].count), row.join(u'|'));
    }
}

// Whether every line that is not blank has the shape of a history record, on the plain reading's text:
// two texts in double quotes and a count, separated by commas.
bool plainHoldsOnlyRecords(const QByteArray& bytes)
{
    static const QRegularExpression record(QStringLiteral("^[ \t]*\"[^\"]*\"[^,]*,[ \t]*\"[^\"]*\"[^,]*,[^,]*$"));
    for (const QString& line : plainHistoryText(bytes).split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
        if (!line.trimmed().isEmpty() && !record.match(line).hasMatch())
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::enterScratchFolder(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    FUZZ_CHECK(isValidCp932(bytes) == decodeCp932(bytes).has_value(), QString());
    // The same checks made on two pieces, as a file is read.
    const qsizetype half = bytes.size() / 2;
    Cp932Check cp932;
    HistoryDecodingCheck decoding;
    for (const QByteArrayView piece : {QByteArrayView(bytes).first(half), QByteArrayView(bytes).sliced(half)}) {
        cp932.add(piece);
        decoding.add(piece);
    }
    FUZZ_CHECK(cp932.valid() == isValidCp932(bytes), QString());
    FUZZ_CHECK(decoding.decoding() == decodingOf(bytes), QString());
    fuzz::writeFile(kHistoryPath, data, size);
    const std::vector<HistoryRecord> records = plainHistoryRecords(bytes);
    checkRecords(bytes, records);
    checkDays(records);
    checkCsv(records);
    FUZZ_CHECK(holdsOnlyHistoryRecords(historyFileName(kItemName)) == plainHoldsOnlyRecords(bytes), QString());
    return 0;
}
