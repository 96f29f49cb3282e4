// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlainHistory.h"

#include "chart/DailyHistories.h"
#include "shared/Numbers.h"
#include "shared/RecordForm.h"
#include "shared/TextEncoding.h"

namespace {

// Text whose lines may come from different programs: each line (ended by CR LF, LF or CR; the ends are
// kept) decoded on its own. A NUL byte becomes U+FFFD.
QString decodeEachLine(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size());
    const qsizetype n = bytes.size();
    qsizetype start = 0;
    while (start < n) {
        qsizetype end = start;
        while (end < n && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        qsizetype next = end;
        if (next < n && bytes[next] == '\r' && next + 1 < n && bytes[next + 1] == '\n')
            next += 2;
        else if (next < n)
            ++next;
        text += QmrM::decodeUtf8OrCp932(bytes.mid(start, end - start));
        text += QLatin1String(bytes.constData() + end, next - end);
        start = next;
    }
    text.replace(QChar(0), QChar(QChar::ReplacementCharacter));
    return text;
}

}  // namespace

QString plainHistoryText(const QByteArray& bytes)
{
    std::optional<QString> text;
    if (!bytes.startsWith("\xEF\xBB\xBF"))
        text = QmrM::decodeCp932(bytes);
    if (!text || text->contains(QChar(0)))
        text = decodeEachLine(bytes);
    return *text;
}

std::vector<QmrM::HistoryRecord> plainHistoryRecords(const QByteArray& bytes)
{
    std::vector<QmrM::HistoryRecord> records;
    for (const QmrM::Record& record : QmrM::parseRecords(plainHistoryText(bytes))) {
        const QStringList& f = record.fields;
        records.push_back(QmrM::HistoryRecord{f.value(0), f.value(1), f.value(2)});
    }
    return records;
}

chart::DailyHistory summarise(const std::vector<QmrM::HistoryRecord>& records, const QDate& anchor)
{
    chart::DailyHistoryBuilder builder;
    const QString* previous = nullptr;
    std::optional<QmrM::MonthDay> day;
    for (const QmrM::HistoryRecord& record : records) {
        if (!previous || record.date != *previous)
            day = QmrM::parseRecordDate(record.date);
        previous = &record.date;
        builder.add(day, QmrM::historyCount(record.count));
    }
    return builder.finish(anchor);
}

std::vector<QDate> placeDates(const std::vector<QmrM::HistoryRecord>& records, const QDate& anchor)
{
    std::vector<std::optional<QmrM::MonthDay>> days;
    days.reserve(records.size());
    const QString* previous = nullptr;
    for (const QmrM::HistoryRecord& record : records) {
        // Most records share their date with the one before: read each date once.
        if (previous && record.date == *previous)
            days.push_back(days.back());
        else
            days.push_back(QmrM::parseRecordDate(record.date));
        previous = &record.date;
    }
    return chart::placeDates(days, anchor);
}
