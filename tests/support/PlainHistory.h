// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/ProgressFigures.h"
#include "shared/QmrM.h"

#include <QByteArray>
#include <vector>

// A history file's records read the plain way, which the program's indexed reader must agree with: the
// whole text decoded at once (as code page 932 when it is that throughout, holds no NUL and does not begin
// with a byte-order mark; else line by line, each line as UTF-8 or code page 932) and split record by
// record. Shared by the tests and the fuzz targets.
std::vector<QmrM::HistoryRecord> plainHistoryRecords(const QByteArray& bytes);
// The whole text as that reading decodes it.
QString plainHistoryText(const QByteArray& bytes);

// What the chart reads from a history file's bytes, worked out from such records: the counts summed day by
// day, and the records' full dates (chart::placeDates), the years anchored on `anchor`.
chart::DailyHistory summarise(const std::vector<QmrM::HistoryRecord>& records, const QDate& anchor);
std::vector<QDate> placeDates(const std::vector<QmrM::HistoryRecord>& records, const QDate& anchor);
