// SPDX-License-Identifier: GPL-3.0-or-later
#include "ShownDates.h"

#include <QLocale>
#include <QRegularExpression>

namespace QmrM {
namespace {

// Any leap year: what is formatted from it shows no year, and 2月29日 is a day of it.
constexpr int kALeapYear = 2000;

}  // namespace

std::optional<MonthDay> parseRecordDate(QStringView field)
{
    static const QRegularExpression form(
        QRegularExpression::anchoredPattern(QStringLiteral("([0-9]{1,2})月([0-9]{1,2})日")));
    const QRegularExpressionMatch match = form.match(field.trimmed());
    const int month = match.capturedView(1).toInt();
    const int day = match.capturedView(2).toInt();
    if (!match.hasMatch() || !QDate(kALeapYear, month, day).isValid())
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
    if (japaneseForms())
        return locale.toString(date, QStringLiteral("yyyy年M月d日"));
    // The locale's short date format with the year as four digits: a chart may span many years.
    static const QRegularExpression year(QStringLiteral("y+"));
    return locale.toString(date, locale.dateFormat(QLocale::ShortFormat).replace(year, QStringLiteral("yyyy")));
}

QString shortMonthDay(const QDate& date)
{
    const QLocale locale;
    if (japaneseForms())
        return locale.toString(date, QStringLiteral("M月d日"));
    // The locale's short date without the year and its separator: "M/d/yy" gives "M/d", "yy/MM/dd" "MM/dd".
    static const QRegularExpression yearAtEnd(QStringLiteral("[^dMy]*y+[^dM]*$"));
    static const QRegularExpression yearElsewhere(QStringLiteral("y+[^dM]*"));
    return locale.toString(date, locale.dateFormat(QLocale::ShortFormat).remove(yearAtEnd).remove(yearElsewhere));
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
    if (!time)
        return field;
    // The locale's time with its seconds: its long format without the time zone.
    static const QRegularExpression zone(QStringLiteral("\\s*t+\\s*"));
    const QLocale locale;
    return locale.toString(*time, locale.timeFormat(QLocale::LongFormat).replace(zone, QStringLiteral(" ")).trimmed());
}

}  // namespace QmrM
