// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as an item's history, read two ways: by the plain reader, which decodes the whole file and
// splits every record, and by the indexed reader of the history view and the chart, which finds records in
// the bytes and decodes only what it is asked for. Both give the same records in the same order, the same
// counts and total, and the same days; the code page 932 check agrees with the decoder.

#include "FuzzSupport.h"

#include "chart/DailyHistories.h"
#include "chart/ProgressFigures.h"
#include "shared/HistoryFile.h"
#include "shared/Numbers.h"
#include "shared/QmrM.h"
#include "shared/TextEncoding.h"

#include <QFile>

#include <cmath>

using namespace QmrM;

namespace {

const QString kItemName = QStringLiteral("腕立て");
const QByteArray kHistoryPath = QFile::encodeName(historyFileName(kItemName));

QString describe(qsizetype row, const HistoryRecord& record)
{
    return QStringLiteral("record %1: [%2] [%3] [%4]").arg(row).arg(record.date, record.time, record.count);
}

bool same(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

void checkRecords(const QByteArray& bytes, const std::vector<HistoryRecord>& records)
{
    HistoryScanner scanner(bytes, historyDecodingOf(bytes));
    double total = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        FUZZ_CHECK(scanner.next(), describe(qsizetype(i), records[i]));
        const HistoryRecord found = scanner.record();
        FUZZ_CHECK(found.date == records[i].date && found.time == records[i].time && found.count == records[i].count,
                   describe(qsizetype(i), records[i]) + QStringLiteral(" read as ") + describe(qsizetype(i), found));
        FUZZ_CHECK(scanner.date() == records[i].date, describe(qsizetype(i), records[i]));
        FUZZ_CHECK(same(scanner.count(), historyCount(records[i].count)), describe(qsizetype(i), records[i]));
        total = roundHalfEven(addHistoryCounts(total, historyCount(records[i].count)));
    }
    FUZZ_CHECK(!scanner.next(), QStringLiteral("a record more than %1").arg(records.size()));

    const HistoryIndex index(bytes);
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
    const chart::DailyHistory summed = chart::summarise(records, chart::historyAnchor(kItemName));
    FUZZ_CHECK(read.days.size() == summed.days.size(), QString::number(read.days.size()));
    for (size_t i = 0; i < read.days.size(); ++i) {
        FUZZ_CHECK(read.days[i].date == summed.days[i].date && same(read.days[i].count, summed.days[i].count),
                   read.days[i].date.toString(Qt::ISODate));
    }
    FUZZ_CHECK(read.undatedRecords == summed.undatedRecords && same(read.undatedCount, summed.undatedCount),
               QString::number(read.undatedRecords));
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
    fuzz::writeFile(kHistoryPath, data, size);
    const std::vector<HistoryRecord> records = readHistory(kItemName);
    checkRecords(bytes, records);
    checkDays(records);
    return 0;
}
