// SPDX-License-Identifier: GPL-3.0-or-later
#include "DailyHistories.h"

#include "shared/Numbers.h"
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

QDate historyAnchor(const QString& name)
{
    const QDateTime modified = QFileInfo(QmrM::historyFileName(name)).lastModified();
    return modified.isValid() ? modified.date() : QmrM::currentDateTime().date();
}

void DailyHistoryBuilder::add(const std::optional<MonthDay>& day, double count)
{
    if (!day) {
        mUnreadableCount = QmrM::addHistoryCounts(mUnreadableCount, count);
        ++mUnreadableRecords;
    } else if (!mDays.empty() && *mDays.back() == *day) {
        mCounts.back() = QmrM::addHistoryCounts(mCounts.back(), count);
        ++mRecords.back();
    } else {
        mDays.push_back(day);
        mCounts.push_back(count);
        mRecords.push_back(1);
    }
}

DailyHistory DailyHistoryBuilder::finish(const QDate& anchor) const
{
    DailyHistory history{{}, mUnreadableCount, mUnreadableRecords};
    const std::vector<QDate> dates = placeDates(mDays, anchor);
    for (size_t i = 0; i < dates.size(); ++i) {
        if (!dates[i].isValid()) {  // before the first year
            history.undatedCount = QmrM::addHistoryCounts(history.undatedCount, mCounts[i]);
            history.undatedRecords += mRecords[i];
        } else if (!history.days.empty() && history.days.back().date == dates[i]) {
            history.days.back().count = QmrM::addHistoryCounts(history.days.back().count, mCounts[i]);
        } else {
            history.days.push_back(DayCount{dates[i], mCounts[i]});
        }
    }
    return history;
}

DailyHistory readDailyHistory(const QString& name)
{
    QmrM::HistoryBytes read = QmrM::readHistoryBytes(name);
    const QDate anchor = historyAnchor(name);
    DailyHistoryBuilder builder;
    {
        QmrM::HistoryScanner scanner(read.bytes, read.decoding);
        RecordDays days;
        while (scanner.next())
            builder.add(days.of(scanner), scanner.count());
    }
    read.bytes = QByteArray();  // held only while they are summed
    return builder.finish(anchor);
}

const DailyHistory& DailyHistories::of(const QString& name)
{
    const QFileInfo file(QmrM::historyFileName(name));
    const Stamp stamp{file.exists(), file.size(), file.lastModified(), file.metadataChangeTime()};
    const auto kept = mKept.find(name);
    if (kept != mKept.end() && kept->second.stamp == stamp)
        return kept->second.history;
    // Read before it is kept: a history that cannot be read leaves nothing behind.
    return (mKept[name] = Kept{stamp, readDailyHistory(name)}).history;
}

}  // namespace chart
