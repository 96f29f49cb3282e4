// SPDX-License-Identifier: GPL-3.0-or-later
#include "HistoryDates.h"

#include "shared/Seams.h"

#include <QFileInfo>

namespace chart {

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
        if (md.month == 2 && md.day == 29) {
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
    for (int k = 1; k <= QmrM::gKoumokuSu; ++k) {
        if ((item == 0 || k == item) && !names.contains(QmrM::gKoumoku[k]))
            names.append(QmrM::gKoumoku[k]);
    }
    return names;
}

}  // namespace chart
