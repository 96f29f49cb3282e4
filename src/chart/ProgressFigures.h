// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "shared/QmrM.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <vector>

// What the chart shows of a history: the counts done per day, the bars of a period and its figures,
// and the texts that describe them. No widgets here.
namespace chart {

struct DayCount {
    QDate date;
    double count = 0;
};

// A history reduced to the sum of the counts done on each day.
struct DailyHistory {
    std::vector<DayCount> days;  // ascending, only days with at least one record
    double undatedCount = 0;     // the counts of records whose date could not be read
    int undatedRecords = 0;
};

// Several histories added up day by day.
DailyHistory combine(const std::vector<DailyHistory>& histories);

// The ranges, as the chart window's chooser offers them.
enum class Range { FourWeeks, TwelveWeeks, OneYear, All };

// The days a range covers, and whether its bars are weeks (Monday to Sunday) rather than days.
struct Period {
    QDate first;
    QDate last;
    bool weekly = false;
};
// 直近 4 週間 and 12 週間 are the last 28 and 84 days; 直近 1 年 the last 52 weeks, this one included;
// すべて runs from the first recorded day to today (or the last recorded day, when later), by day when
// that is 84 days or fewer, else by week (its first week from the first recorded day to that week's Sunday).
Period periodFor(Range range, const QDate& today, const DailyHistory& history);

struct Bar {
    QDate first;
    QDate last;
    double count = 0;
    bool recorded = false;  // a day (or a week) without any record is a gap, not a zero
    int recordedDays = 0;   // the days with a record among those the bar stands for
};
std::vector<Bar> barsFor(const DailyHistory& history, const Period& period);

// The figures of the days of a period.
struct Figures {
    double total = 0;
    int undatedRecords = 0;  // records without a readable date, whose counts `total` includes
    int recordedDays = 0;
    double dailyAverage = 0;  // over the recorded days; 0 without any
    double best = 0;          // the highest day and the first day it was reached
    QDate bestDate;
    // Consecutive recorded days up to today (or yesterday while today has none), counted over the whole history.
    int currentRun = 0;
    int longestRun = 0;  // the longest run with a day in the period, counted whole
};
// Records without a readable date belong to no period; `withUndated` adds their counts to the total (for すべて).
Figures figuresFor(const DailyHistory& history, const Period& period, const QDate& today, bool withUndated);

// A count as the window shows it: grouped digits, at most two decimals.
QString formatCount(double count);
// The number a translated text chooses its plural form by for a count it shows as formatCount does.
int countPlural(double count);
// "2026年12月7日（月）"
QString formatDay(const QDate& date);
// The days of a period: "2025年12月15日〜2026年12月7日".
QString periodText(const Period& period);
// Between the figures on one line, and between a bar's day and its count: an ideographic space in Japanese.
QString figureSeparator();

// The figures under the chart, one text each ("合計 50 回", ...), and on one line.
QStringList figureTexts(const Figures& figures);
QString figuresText(const Figures& figures);
// What one bar stands for: "2026年12月7日（月）　40 回", a week "2026年11月30日（月）〜12月6日（日）　250 回",
// "記録なし" for a gap.
QString barText(const Bar& bar, bool weekly);
// The text alternative of the chart: its heading, the figures and the last days' (or weeks') counts.
QString accessibleSummary(const QString& heading, const Figures& figures, const std::vector<Bar>& bars, bool weekly);

}  // namespace chart
