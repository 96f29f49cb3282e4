// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as an item's history, read leniently as the history reader does, with the first two
// bytes choosing the day the file was last written. The years worked out never go back in file order
// nor past that day and keep each record's month and day; the days, bars and figures agree with each
// other.

#include "FuzzSupport.h"
#include "PlainHistory.h"

#include "chart/DailyHistories.h"
#include "chart/ProgressFigures.h"
#include "shared/RecordForm.h"
#include "shared/TextEncoding.h"

#include <cmath>

using namespace chart;
using namespace QmrM;

namespace {

const QString kItemName = QStringLiteral("腕立て");

void checkDates(const std::vector<QmrM::HistoryRecord>& records, const std::vector<QDate>& dates, const QDate& anchor)
{
    FUZZ_CHECK(dates.size() == records.size(), QString());
    QDate previous;
    for (size_t i = 0; i < records.size(); ++i) {
        if (!dates[i].isValid())
            continue;
        const auto md = parseRecordDate(records[i].date);
        FUZZ_CHECK(md && md->month == dates[i].month() && md->day == dates[i].day(), records[i].date);
        FUZZ_CHECK(dates[i] <= anchor, dates[i].toString(Qt::ISODate));
        FUZZ_CHECK(!previous.isValid() || previous <= dates[i], dates[i].toString(Qt::ISODate));
        previous = dates[i];
    }
}

void checkFigures(const DailyHistory& history, const QDate& today, size_t undated)
{
    FUZZ_CHECK(size_t(history.undatedRecords) == undated, QString::number(history.undatedRecords));
    for (size_t i = 1; i < history.days.size(); ++i)
        FUZZ_CHECK(history.days[i - 1].date < history.days[i].date, QString());
    for (const Range range : {Range::FourWeeks, Range::TwelveWeeks, Range::OneYear, Range::All}) {
        const Period period = periodFor(range, today, history);
        const std::vector<Bar> bars = barsFor(history, period);
        const Figures figures = figuresFor(history, period, today, range == Range::All);
        size_t recordedBars = 0;
        for (const Bar& bar : bars)
            recordedBars += bar.recorded;
        if (!period.weekly)
            FUZZ_CHECK(recordedBars == size_t(figures.recordedDays), QString::number(figures.recordedDays));
        if (range == Range::FourWeeks)
            FUZZ_CHECK(bars.size() == 28, QString::number(bars.size()));
        if (range == Range::OneYear)
            FUZZ_CHECK(bars.size() == 52, QString::number(bars.size()));
        if (range == Range::All)
            FUZZ_CHECK(size_t(figures.recordedDays) == history.days.size(), QString());
        // A run reaching across the period's start is counted whole, so it may be longer than the days
        // recorded in the period, though never longer than the history; today's run is always among them.
        FUZZ_CHECK(figures.currentRun <= figures.longestRun && size_t(figures.longestRun) <= history.days.size(),
                   QString::number(figures.longestRun));
        FUZZ_CHECK((figures.longestRun == 0) == (figures.recordedDays == 0), QString::number(figures.longestRun));
        FUZZ_CHECK(std::isfinite(figures.total) && std::isfinite(figures.dailyAverage), QString());
        FUZZ_CHECK(!accessibleSummary(kItemName, figures, bars, period.weekly).isEmpty(), QString());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const QDate anchor = QDate(2000, 1, 1).addDays((data[0] | data[1] << 8) % 20000);
    const QString text =
        QmrM::decodeCp932Leniently(QByteArray(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2)));
    std::vector<QmrM::HistoryRecord> records;
    for (const Record& record : parseRecords(text))
        records.push_back(QmrM::HistoryRecord{record.fields.value(0), record.fields.value(1), record.fields.value(2)});

    const std::vector<QDate> dates = placeDates(records, anchor);
    checkDates(records, dates, anchor);
    size_t undated = 0;
    for (const QDate& date : dates)
        undated += !date.isValid();
    checkFigures(summarise(records, anchor), anchor, undated);
    return 0;
}
