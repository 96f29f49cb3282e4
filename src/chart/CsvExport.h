// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HistoryDates.h"

#include <QByteArray>
#include <QString>
#include <vector>

// Histories as a CSV file for spreadsheet programs: UTF-8 with a byte-order mark (so a spreadsheet set to
// Japanese reads it as UTF-8), CR LF line ends, fields quoted as RFC 4180 says, header 項目,日付,時刻,回数,
// one row per record.
namespace chart {

// A field as it stands in the file: in double quotes, its own quotes doubled, when it holds a comma,
// a double quote or a line break; as it is otherwise.
QString csvField(const QString& text);

// A record's time "09時18分07秒" as "09:18:07"; any other text as it is, so nothing of the record is lost.
QString csvTime(const QString& field);

// The whole file for the histories, item after item, each oldest first. Dates are YYYY-MM-DD, as
// placeDates works them out; a record whose date cannot be read has an empty date. Counts are as stored.
QByteArray csvBytes(const std::vector<ItemHistory>& histories);

}  // namespace chart
