// SPDX-License-Identifier: GPL-3.0-or-later
#include "ShownDates.h"

#include <QLocale>
#include <QRegularExpression>

namespace QmrM {
namespace {

constexpr int kDaysInMonthOfALeapYear[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
// Any leap year: what is formatted from it shows no year, and 2月29日 is a day of it.
constexpr int kALeapYear = 2000;

// Reads one or two half-width digits at `i` (exactly two when `two`), moving `i` past them; -1 when there are
// none.
int readNumber(QStringView text, qsizetype& i, bool two = false)
{
    int value = -1;
    int digits = 0;
    for (; digits < 2 && i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++digits, ++i)
        value = (value < 0 ? 0 : value * 10) + (text[i].unicode() - u'0');
    return two && digits != 2 ? -1 : value;
}

// Reads a number then its unit, as readNumber; -1 when either is missing.
int readNumberThen(QStringView text, qsizetype& i, char16_t unit, bool two = false)
{
    const int value = readNumber(text, i, two);
    if (value < 0 || i >= text.size() || text[i] != unit)
        return -1;
    ++i;
    return value;
}

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
    const QStringView text = field.trimmed();
    qsizetype i = 0;
    const int month = readNumberThen(text, i, u'月');
    if (month < 1 || month > 12)
        return std::nullopt;
    const int day = readNumberThen(text, i, u'日');
    if (day < 1 || day > kDaysInMonthOfALeapYear[month - 1] || i != text.size())
        return std::nullopt;
    return MonthDay{month, day};
}

std::optional<QTime> parseRecordTime(QStringView field)
{
    const QStringView text = field.trimmed();
    qsizetype i = 0;
    const int hours = readNumberThen(text, i, u'時', true);
    const int minutes = hours < 0 ? -1 : readNumberThen(text, i, u'分', true);
    const int seconds = minutes < 0 ? -1 : readNumberThen(text, i, u'秒', true);
    if (seconds < 0 || i != text.size() || hours > 23 || minutes > 59 || seconds > 59)
        return std::nullopt;
    return QTime(hours, minutes, seconds);
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

QString shortMonthDay(int month, int day)
{
    return shortMonthDay(QDate(kALeapYear, month, day));
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
    return day ? shortMonthDay(day->month, day->day) : field;
}

QString shownRecordTime(const QString& field)
{
    if (japaneseForms())
        return field;
    const auto time = parseRecordTime(field);
    return time ? QLocale().toString(*time, timeWithSecondsFormat(QLocale())) : field;
}

}  // namespace QmrM
