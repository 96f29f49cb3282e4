// SPDX-License-Identifier: GPL-3.0-or-later
#include "ShownDates.h"

#include <QLocale>
#include <QRegularExpression>

namespace QmrM {
namespace {

constexpr int kDaysInMonthOfALeapYear[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
// Any leap year: what is formatted from it shows no year, and 2月29日 is a day of it.
constexpr int kALeapYear = 2000;

// The locale's short date format with the year as four digits: a chart may span many years.
QString shortDateFormat(const QLocale& locale)
{
    QString format = locale.dateFormat(QLocale::ShortFormat);
    static const QRegularExpression year(QStringLiteral("y+"));
    return format.replace(year, QStringLiteral("yyyy"));
}

// The same without the year and what separates it from the month and day ("M/d/yy" gives "M/d", "d.M.yy"
// gives "d.M", "yy/MM/dd" gives "MM/dd").
QString monthDayFormat(const QLocale& locale)
{
    QString format = locale.dateFormat(QLocale::ShortFormat);
    static const QRegularExpression yearAtEnd(QStringLiteral("[^dMy]*y+[^dM]*$"));
    static const QRegularExpression yearElsewhere(QStringLiteral("y+[^dM]*"));
    format.remove(yearAtEnd);
    return format.remove(yearElsewhere);
}

// The locale's time with its seconds: its long format without the time zone.
QString timeWithSecondsFormat(const QLocale& locale)
{
    QString format = locale.timeFormat(QLocale::LongFormat);
    static const QRegularExpression zone(QStringLiteral("\\s*t+\\s*"));
    return format.replace(zone, QStringLiteral(" ")).trimmed();
}

}  // namespace

std::optional<MonthDay> parseRecordDate(QStringView field)
{
    static const QRegularExpression form(
        QRegularExpression::anchoredPattern(QStringLiteral("([0-9]{1,2})月([0-9]{1,2})日")));
    const QRegularExpressionMatch match = form.match(field.trimmed());
    const int month = match.capturedView(1).toInt();
    const int day = match.capturedView(2).toInt();
    if (!match.hasMatch() || month < 1 || month > 12 || day < 1 || day > kDaysInMonthOfALeapYear[month - 1])
        return std::nullopt;
    return MonthDay{month, day};
}

std::optional<QTime> parseRecordTime(QStringView field)
{
    static const QRegularExpression form(
        QRegularExpression::anchoredPattern(QStringLiteral("([0-9]{2})時([0-9]{2})分([0-9]{2})秒")));
    const QRegularExpressionMatch match = form.match(field.trimmed());
    // QTime takes hours to 23, minutes and seconds to 59.
    const QTime time(match.capturedView(1).toInt(), match.capturedView(2).toInt(), match.capturedView(3).toInt());
    if (!match.hasMatch() || !time.isValid())
        return std::nullopt;
    return time;
}

bool japaneseForms()
{
    const QLocale::Language language = QLocale().language();
    return language == QLocale::Japanese || language == QLocale::C;
}

QString shortDate(const QDate& date)
{
    const QLocale locale;
    return japaneseForms() ? locale.toString(date, QStringLiteral("yyyy年M月d日"))
                           : locale.toString(date, shortDateFormat(locale));
}

QString shortMonthDay(const QDate& date)
{
    const QLocale locale;
    return locale.toString(date, japaneseForms() ? QStringLiteral("M月d日") : monthDayFormat(locale));
}

QString shortTime(const QTime& time)
{
    const QLocale locale;
    return japaneseForms() ? locale.toString(time, QStringLiteral("H:mm"))
                           : locale.toString(time, QLocale::ShortFormat);
}

QString shownRecordDate(const QString& field)
{
    if (japaneseForms())
        return field;
    const auto day = parseRecordDate(field);
    return day ? shortMonthDay(QDate(kALeapYear, day->month, day->day)) : field;
}

QString shownRecordTime(const QString& field)
{
    if (japaneseForms())
        return field;
    const auto time = parseRecordTime(field);
    return time ? QLocale().toString(*time, timeWithSecondsFormat(QLocale())) : field;
}

}  // namespace QmrM
