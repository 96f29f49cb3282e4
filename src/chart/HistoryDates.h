// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "shared/QmrM.h"
#include "shared/ShownDates.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// History records carry month and day ("12月06日") but no year. The years are worked out from the order of
// the records and the time the history file was last written.
namespace chart {

using QmrM::MonthDay;
using QmrM::parseRecordDate;

// The full dates of records given oldest first. The last readable record belongs to the year of `anchor`
// (the history file's modification day), or to the year before when its month and day lie after the
// anchor's. Walking back, each time a record's month and day lie after those of the record after it, the
// year goes back by one. 2月29日 takes the nearest leap year not later than the walk's year, and the walk
// goes on from there. An unreadable date gives an invalid QDate and does not change the walk.
std::vector<QDate> placeDates(const std::vector<std::optional<MonthDay>>& days, const QDate& anchor);

// Today, from the program's clock, which tests replace: the day every range of the chart ends on.
QDate today();

// The day that anchors the years of an item's history: its file's modification day, or today when the
// file is missing.
QDate historyAnchor(const QString& name);

// The item names whose histories make up item `item` of the registered items (1-based); 0 stands for all
// of them, each name once, since items of the same name share one history file. Empty for a number out of
// range.
QStringList historyNamesFor(int item);

}  // namespace chart
