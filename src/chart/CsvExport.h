// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QString>
#include <functional>
#include <vector>

namespace QmrM {
struct Progress;
}

// Histories as CSV for spreadsheets: UTF-8 with a byte-order mark (so one set to Japanese reads it as UTF-8), CR LF
// line ends, RFC 4180 quoting, header 項目,日付,時刻,回数, a row per record. No field is ever run as a formula.
namespace chart {

// A record's time "09時18分07秒" as "09:18:07"; any other text as it is, so nothing of the record is lost.
QString csvTime(const QString& field);

// An item whose history is exported, with the day that anchors its years (historyAnchor).
struct CsvItem {
    QString name;
    QDate anchor;
};

// Writes the CSV of the items' histories, item after item, each oldest first, handing `write` about a megabyte at a
// time. Each history file is scanned twice: for the days (placed in their years as by placeDates; an unreadable date
// stays empty), then for the rows, holding the file's bytes and a few bytes per day. Counts are as stored unless a text
// that is no number would run as a formula. With `progress`, steps are three per history byte (read, days, rows); a
// cancel gives false, part of the file written. Throws DataFileError for an unreadable history, or what `write` throws.
bool writeCsv(const std::vector<CsvItem>& items, const std::function<void(QByteArrayView)>& write,
              QmrM::Progress* progress = nullptr);

// The bytes of the items' history files, as they are now.
qint64 historyFilesSize(const std::vector<CsvItem>& items);

}  // namespace chart
