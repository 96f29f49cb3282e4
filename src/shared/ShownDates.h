// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QString>
#include <QStringView>
#include <QTime>

#include <optional>

// The dates and times of the history records, and dates and times as the windows show them.
namespace QmrM {

// A record's date: month and day, no year ("12月06日").
struct MonthDay {
    int month = 0;
    int day = 0;
    bool operator==(const MonthDay& other) const { return month == other.month && day == other.day; }
    bool operator>(const MonthDay& other) const { return month != other.month ? month > other.month : day > other.day; }
};

// "MM月dd日", one or two half-width digits each; nothing for another form or a day no year has (2月30日, not
// 2月29日).
std::optional<MonthDay> parseRecordDate(QStringView field);
// "HH時mm分ss秒", two digits each.
std::optional<QTime> parseRecordTime(QStringView field);

// When the default locale is Japanese, or the C locale of a program that set none; other languages show their
// locale's forms.
bool japaneseForms();

// "2026年12月7日"; elsewhere the short date with the whole year (en_US "12/7/2026", en_GB "07/12/2026").
QString shortDate(const QDate& date);
// "12月7日"; elsewhere the locale's short date without the year (en_US "12/7", en_GB "07/12").
QString shortMonthDay(const QDate& date);
// "9:42"; elsewhere the locale's short time (en_US "9:42 AM", en_GB "09:42").
QString shortTime(const QTime& time);

// As stored in Japanese, else in the locale's forms ("12/8", "11:02:51 PM"); a field not in the program's
// form stays as it is.
QString shownRecordDate(const QString& field);
QString shownRecordTime(const QString& field);

}  // namespace QmrM
