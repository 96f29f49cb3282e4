// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ProgressFigures.h"
#include "shared/HistoryFile.h"
#include "shared/QmrM.h"
#include "shared/ShownDates.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <tuple>
#include <vector>

// The histories summed day by day straight from their files, a few bytes per day whatever the number of records.
// Records carry month and day ("12月06日") but no year: it comes from their order and the file's last write.
namespace chart {

using QmrM::MonthDay;

// The full dates of records given oldest first. The last readable record is in the year of `anchor` (the file's
// modification day), or the year before when its month and day lie after the anchor's. Walking back, the year goes back
// by one each time a record's month and day lie after the next one's. 2月29日 takes the nearest leap year not after the
// walk's year, which goes on from there. An unreadable date gives an invalid QDate and leaves the walk as it is.
std::vector<QDate> placeDates(const std::vector<std::optional<MonthDay>>& days, const QDate& anchor);

// The day anchoring the years of an item's history: its file's modification day, or today when it is missing.
QDate historyAnchor(const QString& name);

// Each record's month and day, its date field read once per run of equal dates, as most records share the one before's.
class RecordDays {
public:
    const std::optional<MonthDay>& of(const QmrM::HistoryScanner& scanner)
    {
        const QmrM::HistoryScanner::FieldKey key = scanner.fieldKey(0);
        if (!mKey || !(key == *mKey)) {
            mDay = QmrM::parseRecordDate(scanner.field(0));
            mKey = key;
        }
        return mDay;
    }

private:
    std::optional<QmrM::HistoryScanner::FieldKey> mKey;
    std::optional<MonthDay> mDay;
};

// Records summed as they are read, oldest first, before their years are known: the records of one month and
// day that follow each other (records with unreadable dates between them aside) make one run.
class DailyHistoryBuilder {
public:
    void add(const std::optional<MonthDay>& day, double count);
    // The runs placed in their years (see placeDates) and summed per day.
    DailyHistory finish(const QDate& anchor) const;

private:
    std::vector<std::optional<MonthDay>> mDays;  // one per run
    std::vector<double> mCounts;
    std::vector<int> mRecords;
    double mUnreadableCount = 0;
    int mUnreadableRecords = 0;
};

// An item's history summed day by day, read with the history view's reader, its years anchored by historyAnchor.
// Throws DataFileError when the file cannot be read.
DailyHistory readDailyHistory(const QString& name);

// The daily histories read so far, kept per item while its file stays as it was (its size and times):
// choosing the item again, or another range, does not read the file again.
class DailyHistories {
public:
    const DailyHistory& of(const QString& name);

private:
    // Whether the file exists, its size, the times it was modified and its metadata changed.
    using Stamp = std::tuple<bool, qint64, QDateTime, QDateTime>;
    struct Kept {
        Stamp stamp;
        DailyHistory history;
    };
    std::map<QString, Kept> mKept;
};

}  // namespace chart
