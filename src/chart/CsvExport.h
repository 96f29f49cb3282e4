// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HistoryDates.h"

#include <QByteArray>
#include <QString>
#include <vector>

// Histories as a CSV file for spreadsheet programs: UTF-8 with a byte-order mark (so a spreadsheet set to
// Japanese reads it as UTF-8), CR LF line ends, fields quoted as RFC 4180 says, header 項目,日付,時刻,回数,
// one row per record. No field is ever run as a formula.
namespace chart {

// A field as it stands in the file: in double quotes, its own quotes doubled, when it holds a comma,
// a double quote or a line break; as it is otherwise.
QString csvField(const QString& text);

// A text field (an item name, a time) as csvField writes it, with an apostrophe put before a text that
// begins with = + - @, a tab or a carriage return: a spreadsheet would take such a text for a formula and
// run it; the apostrophe makes it show the text instead.
QString csvTextField(const QString& text);

// A count as stored: a plain number (-3, 2.5) stays a number; any other text is a text field.
QString csvCountField(const QString& count);

// A record's time "09時18分07秒" as "09:18:07"; any other text as it is, so nothing of the record is lost.
QString csvTime(const QString& field);

// The whole file for the histories, item after item, each oldest first. Dates are YYYY-MM-DD, as
// placeDates works them out; a record whose date cannot be read has an empty date. Counts are as stored, unless a text
// that is not a number would run as a formula.
QByteArray csvBytes(const std::vector<ItemHistory>& histories);

}  // namespace chart
