// SPDX-License-Identifier: GPL-3.0-or-later
#include "HistoryDates.h"

#include "shared/Seams.h"

#include <QFileInfo>

namespace chart {
namespace {

// Reads one or two half-width digits at `i`, moving `i` past them; -1 when there are none.
int readNumber(QStringView text, qsizetype& i)
{
    int value = -1;
    for (int digits = 0; digits < 2 && i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++digits, ++i)
        value = (value < 0 ? 0 : value * 10) + (text[i].unicode() - u'0');
    return value;
}

constexpr int kDaysInMonthOfALeapYear[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

bool isLeapDay(const MonthDay& md)
{
    return md.month == 2 && md.day == 29;
}

}  // namespace

std::optional<MonthDay> parseRecordDate(QStringView field)
{
    const QStringView text = field.trimmed();
    qsizetype i = 0;
    const int month = readNumber(text, i);
    if (month < 1 || month > 12 || i >= text.size() || text[i] != u'月')
        return std::nullopt;
    ++i;
    const int day = readNumber(text, i);
    if (day < 1 || day > kDaysInMonthOfALeapYear[month - 1] || i + 1 != text.size() || text[i] != u'日')
        return std::nullopt;
    return MonthDay{month, day};
}

std::vector<QDate> placeDates(const std::vector<std::optional<MonthDay>>& days, const QDate& anchor)
{
    std::vector<QDate> dates(days.size());
    const MonthDay anchorDay{anchor.month(), anchor.day()};
    std::optional<MonthDay> later;  // the readable record after the one being placed
    int year = 0;
    for (size_t i = days.size(); i-- > 0;) {
        if (!days[i])
            continue;
        const MonthDay md = *days[i];
        if (!later)
            year = anchor.year() - (md > anchorDay ? 1 : 0);
        else if (md > *later)
            --year;
        if (isLeapDay(md)) {
            while (year > 0 && !QDate::isLeapYear(year))
                --year;
        }
        // Thousands of New Years in one file: the records before the first year cannot be placed.
        if (year < 1)
            break;
        dates[i] = QDate(year, md.month, md.day);
        later = md;
    }
    return dates;
}

std::vector<QDate> placeDates(const std::vector<QmrM::HistoryRecord>& records, const QDate& anchor)
{
    std::vector<std::optional<MonthDay>> days;
    days.reserve(records.size());
    const QString* previous = nullptr;
    for (const QmrM::HistoryRecord& record : records) {
        // Most records share their date with the one before: read each date once.
        if (previous && record.date == *previous)
            days.push_back(days.back());
        else
            days.push_back(parseRecordDate(record.date));
        previous = &record.date;
    }
    return placeDates(days, anchor);
}

QDate today()
{
    return QmrM::currentDateTime().date();
}

QDate historyAnchor(const QString& name)
{
    const QDateTime modified = QFileInfo(QmrM::historyFileName(name)).lastModified();
    return modified.isValid() ? modified.date() : today();
}

QStringList historyNamesFor(int item)
{
    QStringList names;
    if (item == 0) {
        for (int k = 1; k <= QmrM::gKoumokuSu; ++k) {
            if (!names.contains(QmrM::gKoumoku[k]))
                names.append(QmrM::gKoumoku[k]);
        }
    } else if (item > 0 && item <= QmrM::gKoumokuSu) {
        names.append(QmrM::gKoumoku[item]);
    }
    return names;
}

}  // namespace chart
