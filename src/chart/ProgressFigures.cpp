// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgressFigures.h"

#include "DailyHistories.h"
#include "shared/Numbers.h"

#include <QLocale>
#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace chart {
namespace {

constexpr int kDailyDaysAtMost = 84;  // 12 weeks: longer periods are shown by week
constexpr int kWeeksInAYear = 52;
constexpr int kLastDaysDescribed = 7;
constexpr int kLastWeeksDescribed = 4;

QDate mondayOf(const QDate& date)
{
    return date.addDays(1 - date.dayOfWeek());
}

QString weekdayName(const QDate& date)
{
    //: The days of the week, Monday to Sunday, as short as a date's weekday can be
    static const char* const names[] = {
        QT_TRANSLATE_NOOP("Chart", "月"), QT_TRANSLATE_NOOP("Chart", "火"), QT_TRANSLATE_NOOP("Chart", "水"),
        QT_TRANSLATE_NOOP("Chart", "木"), QT_TRANSLATE_NOOP("Chart", "金"), QT_TRANSLATE_NOOP("Chart", "土"),
        QT_TRANSLATE_NOOP("Chart", "日"),
    };
    return QCoreApplication::translate("Chart", names[date.dayOfWeek() - 1]);
}

QString span(const QString& first, const QString& last)
{
    //: A span of days, from %1 to %2
    return QCoreApplication::translate("Chart", "%1〜%2").arg(first, last);
}

// A date with its day of the week: "2026年12月7日（月）".
QString withWeekday(const QString& shownDate, const QDate& date)
{
    //: %1 is a date, %2 its day of the week
    return QCoreApplication::translate("Chart", "%1（%2）").arg(shownDate, weekdayName(date));
}

constexpr int kCountDecimals = 2;
constexpr int kAverageDecimals = 1;

double roundedTo(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    const double rounded = std::round(value * scale) / scale;
    if (!std::isfinite(rounded))
        return value;
    return rounded == 0 ? 0 : rounded;  // no "-0"
}

// Rounds to at most `decimals` places and drops the zeros a whole number does not need.
QString formatNumber(double value, int decimals)
{
    const double rounded = roundedTo(value, decimals);
    QString text = QLocale(QLocale::Japanese, QLocale::Japan).toString(rounded, 'f', decimals);
    if (decimals > 0) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    return text;
}

// The days of `history` from `first` on (those after a day are those from the next).
std::vector<DayCount>::const_iterator firstDayFrom(const DailyHistory& history, const QDate& first)
{
    return std::lower_bound(history.days.begin(), history.days.end(), first,
                            [](const DayCount& day, const QDate& date) { return day.date < date; });
}

using DayIterator = std::vector<DayCount>::const_iterator;

bool follows(const DayCount& day, const DayCount& before)
{
    return before.date.addDays(1) == day.date;
}

// The longest run of consecutive days with a day in [from, to), a run reaching across either end counted whole.
int longestRunWithin(const DailyHistory& history, DayIterator from, DayIterator to)
{
    if (from == to)
        return 0;
    while (from != history.days.begin() && follows(*from, *std::prev(from)))
        --from;
    while (to != history.days.end() && follows(*to, *std::prev(to)))
        ++to;
    int longest = 0;
    int run = 0;
    for (auto day = from; day != to; ++day) {
        run = day != from && follows(*day, *std::prev(day)) ? run + 1 : 1;
        longest = std::max(longest, run);
    }
    return longest;
}

// The run that reaches today, or yesterday while today has no record yet.
int currentRun(const DailyHistory& history, const QDate& today)
{
    auto day = firstDayFrom(history, today.addDays(1));
    if (day == history.days.begin() || std::prev(day)->date < today.addDays(-1))
        return 0;
    int run = 1;
    for (--day; day != history.days.begin() && follows(*day, *std::prev(day)); --day)
        ++run;
    return run;
}

}  // namespace

DailyHistory combine(const std::vector<DailyHistory>& histories)
{
    DailyHistory sum;
    std::vector<DayCount> all;
    for (const DailyHistory& history : histories) {
        all.insert(all.end(), history.days.begin(), history.days.end());
        sum.undatedCount = QmrM::addHistoryCounts(sum.undatedCount, history.undatedCount);
        sum.undatedRecords += history.undatedRecords;
    }
    std::stable_sort(all.begin(), all.end(), [](const DayCount& a, const DayCount& b) { return a.date < b.date; });
    for (const DayCount& day : all) {
        if (!sum.days.empty() && sum.days.back().date == day.date)
            sum.days.back().count = QmrM::addHistoryCounts(sum.days.back().count, day.count);
        else
            sum.days.push_back(day);
    }
    return sum;
}

Period periodFor(Range range, const QDate& today, const DailyHistory& history)
{
    switch (range) {
    case Range::FourWeeks:
        return {today.addDays(-27), today, false};
    case Range::TwelveWeeks:
        return {today.addDays(-(kDailyDaysAtMost - 1)), today, false};
    case Range::OneYear:
        return {mondayOf(today).addDays(-7 * (kWeeksInAYear - 1)), today, true};
    case Range::All:
        break;
    }
    QDate first = today;
    QDate last = today;
    if (!history.days.empty()) {
        first = std::min(first, history.days.front().date);
        last = std::max(last, history.days.back().date);
    }
    // By week, the bars keep to Monday to Sunday; the first stands for the days from the first record on.
    return {first, last, first.daysTo(last) + 1 > kDailyDaysAtMost};
}

std::vector<Bar> barsFor(const DailyHistory& history, const Period& period)
{
    std::vector<Bar> bars;
    if (!period.first.isValid() || !period.last.isValid() || period.last < period.first)
        return bars;
    const QDate start = period.weekly ? mondayOf(period.first) : period.first;
    const int step = period.weekly ? 7 : 1;
    const qint64 count = start.daysTo(period.last) / step + 1;
    bars.reserve(static_cast<size_t>(count));
    for (qint64 i = 0; i < count; ++i) {
        const QDate first = start.addDays(i * step);
        bars.push_back(Bar{std::max(first, period.first), std::min(first.addDays(step - 1), period.last), 0, false});
    }
    for (auto day = firstDayFrom(history, period.first); day != history.days.end() && day->date <= period.last; ++day) {
        Bar& bar = bars[static_cast<size_t>(start.daysTo(day->date) / step)];
        bar.count = QmrM::addHistoryCounts(bar.count, day->count);
        bar.recorded = true;
        ++bar.recordedDays;
    }
    return bars;
}

Figures figuresFor(const DailyHistory& history, const Period& period, const QDate& today, bool withUndated)
{
    Figures figures;
    const auto from = firstDayFrom(history, period.first);
    const auto to = firstDayFrom(history, period.last.addDays(1));
    for (auto day = from; day != to; ++day) {
        figures.total = QmrM::addHistoryCounts(figures.total, day->count);
        if (figures.recordedDays == 0 || day->count > figures.best) {
            figures.best = day->count;
            figures.bestDate = day->date;
        }
        ++figures.recordedDays;
    }
    if (figures.recordedDays > 0)
        figures.dailyAverage = figures.total / figures.recordedDays;
    if (withUndated) {
        figures.total = QmrM::addHistoryCounts(figures.total, history.undatedCount);
        figures.undatedRecords = history.undatedRecords;
    }
    figures.longestRun = longestRunWithin(history, from, to);
    figures.currentRun = currentRun(history, today);
    return figures;
}

QString formatCount(double count)
{
    return formatNumber(count, kCountDecimals);
}

int countPlural(double count)
{
    return QmrM::pluralOf(roundedTo(count, kCountDecimals));
}

QString formatDay(const QDate& date)
{
    return withWeekday(QmrM::shortDate(date), date);
}

QString periodText(const Period& period)
{
    return span(QmrM::shortDate(period.first), QmrM::shortDate(period.last));
}

QStringList figureTexts(const Figures& figures)
{
    const QString total =
        (figures.undatedRecords > 0
             ? QCoreApplication::translate("Chart", "合計 %1 回（日付の読めない記録 %n 件を含む）", nullptr,
                                           figures.undatedRecords)
             : QCoreApplication::translate("Chart", "合計 %1 回", nullptr, countPlural(figures.total)))
            .arg(formatCount(figures.total));
    const bool any = figures.recordedDays > 0;
    const int averagePlural = QmrM::pluralOf(roundedTo(figures.dailyAverage, kAverageDecimals));
    return {
        total,
        QCoreApplication::translate("Chart", "記録した日数 %1 日").arg(figures.recordedDays),
        any ? QCoreApplication::translate("Chart", "1 日平均 %1 回", nullptr, averagePlural)
                  .arg(formatNumber(figures.dailyAverage, kAverageDecimals))
            : QCoreApplication::translate("Chart", "1 日平均 ―"),
        //: The highest count of a day, and the day
        any ? QCoreApplication::translate("Chart", "最高 %1 回（%2）", nullptr, countPlural(figures.best))
                  .arg(formatCount(figures.best), QmrM::shortDate(figures.bestDate))
            : QCoreApplication::translate("Chart", "最高 ―"),
        QCoreApplication::translate("Chart", "連続記録 現在 %1 日・この期間の最長 %2 日")
            .arg(figures.currentRun)
            .arg(figures.longestRun),
    };
}

QString figureSeparator()
{
    //: Between two figures under the chart, and between a bar's days and its count
    return QCoreApplication::translate("Chart", "　");
}

QString figuresText(const Figures& figures)
{
    return figureTexts(figures).join(figureSeparator());
}

QString barText(const Bar& bar, bool weekly)
{
    QString when = formatDay(bar.first);
    if (weekly && bar.last != bar.first)
        when = span(when, bar.last.year() == bar.first.year() ? withWeekday(QmrM::shortMonthDay(bar.last), bar.last)
                                                              : formatDay(bar.last));
    //: A count of reps
    const QString what =
        bar.recorded
            ? QCoreApplication::translate("Chart", "%1 回", nullptr, countPlural(bar.count)).arg(formatCount(bar.count))
            : QCoreApplication::translate("Chart", "記録なし");
    return when + figureSeparator() + what;
}

QString accessibleSummary(const QString& heading, const Figures& figures, const std::vector<Bar>& bars, bool weekly)
{
    const size_t described = std::min(bars.size(), size_t(weekly ? kLastWeeksDescribed : kLastDaysDescribed));
    QStringList last;
    for (size_t i = bars.size() - described; i < bars.size(); ++i)
        last.append(barText(bars[i], weekly));
    //: %1 is the chart's heading, %2 its figures
    if (last.isEmpty())
        return QCoreApplication::translate("Chart", "%1。%2。").arg(heading, figuresText(figures));
    //: Between the counts of the last days or weeks, read out one after the other
    const QString counts = last.join(QCoreApplication::translate("Chart", "、"));
    const int n = static_cast<int>(described);
    //: %1 is the chart's heading, %2 its figures, %3 the counts of the last weeks
    return weekly ? QCoreApplication::translate("Chart", "%1。%2。最近 %n 週：%3。", nullptr, n)
                        .arg(heading, figuresText(figures), counts)
                  //: %1 is the chart's heading, %2 its figures, %3 the counts of the last days
                  : QCoreApplication::translate("Chart", "%1。%2。最近 %n 日：%3。", nullptr, n)
                        .arg(heading, figuresText(figures), counts);
}

}  // namespace chart
