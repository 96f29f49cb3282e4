// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlainHistory.h"

#include "shared/RecordForm.h"
#include "shared/TextEncoding.h"

QString plainHistoryText(const QByteArray& bytes)
{
    std::optional<QString> text;
    if (!bytes.startsWith("\xEF\xBB\xBF"))
        text = QmrM::decodeCp932(bytes);
    if (!text || text->contains(QChar(0)))
        text = QmrM::decodeEachLine(bytes);
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
