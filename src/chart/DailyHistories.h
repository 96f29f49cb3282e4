// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HistoryDates.h"
#include "ProgressFigures.h"
#include "shared/HistoryFile.h"

#include <QDateTime>
#include <QString>
#include <map>
#include <optional>
#include <tuple>
#include <vector>

// Histories summed day by day straight from their files, a few bytes per day whatever the number of records.
namespace chart {

// The month and day of each record, its date field read once per run of records with the same one: most
// records share their date with the one before.
class RecordDays {
public:
    const std::optional<MonthDay>& of(const QmrM::HistoryScanner& scanner)
    {
        const QmrM::HistoryScanner::FieldKey key = scanner.fieldKey(0);
        if (!mKey || !(key == *mKey)) {
            mDay = parseRecordDate(scanner.field(0));
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

// An item's history summed day by day, read from its file with the history view's reader; the years are
// anchored on the file's modification day (today for a missing file). Throws DataFileError when the file
// cannot be read.
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
