// SPDX-License-Identifier: GPL-3.0-or-later
// The chart window: its opening time, from the call of chart::showChart to its first frame, and the
// memory the program holds with it open.
//
//   bench_chart time      opening with one item of 100 000 records, with 全項目 over 20 items of 5 000
//                         records, and switching the open window to すべて (medians of 7); opening with
//                         one item of 1 000 000 records (median of 3) and choosing its item again
//   bench_chart memory    resident memory of a fresh process: the settings window with three items of
//                         a year's records each, then with the chart open on 全項目 (one second later)
//   bench_chart memory-100000   the same with one item of 100 000 records
//   bench_chart memory-1000000  the same with one item of 1 000 000 records (30 MB)
//
// Each mode runs in its own process, so that the memory figures are those of a fresh program.

#include "BenchSupport.h"

#include "chart/ProgressActions.h"
#include "platform/Guard.h"
#include "settings/frmSettei.h"
#include "shared/Clock.h"
#include "shared/QmrM.h"
#include "shared/Seams.h"
#include "shared/TextEncoding.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QWidget>

#include <cstdio>
#include <cstring>

namespace {

constexpr int kRepeats = 7;
const QDateTime kNow(QDate(2026, 12, 7), QTime(18, 0));

// A history of `records` records spread evenly over the `days` days up to kNow, written as the program
// writes them and last modified at kNow.
void writeHistory(const QString& itemName, int records, int days)
{
    const QDate first = kNow.date().addDays(-(days - 1));
    const QString name = QmrM::historyFileName(itemName);
    bench::writeDataFile(name, records, [&](int i) {
        const QDate date = first.addDays(static_cast<qint64>(i) * days / records);
        const int second = 8 * 3600 + (i * 37) % (10 * 3600);
        return QStringLiteral("\"%1\",\"%2時%3分%4秒\",%5")
            .arg(date.toString(QStringLiteral("MM月dd日")))
            .arg(second / 3600, 2, 10, QLatin1Char('0'))
            .arg(second / 60 % 60, 2, 10, QLatin1Char('0'))
            .arg(second % 60, 2, 10, QLatin1Char('0'))
            .arg(10 + i % 20);
    });
    // The years of the records are counted from the file's time: the benchmark's "today".
    QFile file(name);
    if (!file.open(QIODevice::ReadWrite) || !file.setFileTime(kNow, QFileDevice::FileModificationTime))
        qFatal("cannot set the history file's time");
}

// `items` items, each with a history of `records` records over `days` days.
void writeItemsWithHistories(int items, int records, int days)
{
    bench::writeItems(items);
    for (int i = 1; i <= items; ++i)
        writeHistory(QStringLiteral("項目%1").arg(i), records, days);
    QmrM::LoadItems();
    QmrM::LoadSettings();
}

void closeChart()
{
    if (QWidget* window = chart::openChartWindow())
        window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

struct Opening {
    double frameMs = 0;  // from the call to the first frame
    double callMs = 0;   // the call itself: the window built, the histories read and summed
};

// Opens the chart on `item` `repeats` times; the medians.
Opening medianOpening(bench::FrameProbe& probe, int item, int repeats = kRepeats)
{
    std::vector<double> frames;
    std::vector<double> calls;
    for (int r = 0; r < repeats; ++r) {
        bench::settle(20);
        probe.reset();
        const int64_t start = bench::monotonicNs();
        platform::runGuarded([item] { chart::showChart(nullptr, item); });
        calls.push_back(bench::msSince(start));
        if (!probe.wait())
            qFatal("the chart window never showed");
        frames.push_back(static_cast<double>(probe.frameNs() - start) / 1e6);
        closeChart();
    }
    return {bench::median(frames), bench::median(calls)};
}

void openingRow(const QString& what, const Opening& opening, double limitMs = 300)
{
    bench::row(what, QStringLiteral("%1 (call %2)").arg(bench::ms(opening.frameMs), bench::ms(opening.callMs)),
               QStringLiteral("< %1 ms").arg(limitMs), bench::verdict(opening.frameMs < limitMs));
}

// The open chart's item chosen: 全項目 and back to item 1, repainted each time (medians).
double medianItemChoice()
{
    auto* item = chart::openChartWindow()->findChild<QComboBox*>(QStringLiteral("cboItem"));
    std::vector<double> choices;
    for (int r = 0; r < kRepeats; ++r) {
        bench::settle(20);
        const int64_t start = bench::monotonicNs();
        item->setCurrentIndex(r % 2 == 0 ? 0 : 1);
        chart::openChartWindow()->repaint();
        choices.push_back(bench::msSince(start));
    }
    return bench::median(choices);
}

int timeOpening()
{
    bench::FrameProbe probe(QStringLiteral("frmChart"));
    {
        bench::DataFolder folder;
        writeItemsWithHistories(1, 100000, 3 * 365);
        openingRow(
            QStringLiteral("6. chart opening to first frame, 1 item of 100 000 records (median of %1)").arg(kRepeats),
            medianOpening(probe, 1));

        // Switching the open window's range: the bars and figures again, without reading.
        platform::runGuarded([] { chart::showChart(nullptr, 1); });
        probe.wait();
        auto* range = chart::openChartWindow()->findChild<QComboBox*>(QStringLiteral("cboRange"));
        std::vector<double> switches;
        for (int r = 0; r < kRepeats; ++r) {
            bench::settle(20);
            const int64_t start = bench::monotonicNs();
            range->setCurrentIndex(r % 2 == 0 ? 3 : 0);
            chart::openChartWindow()->repaint();
            switches.push_back(bench::msSince(start));
        }
        closeChart();
        bench::row(
            QStringLiteral("6. switching the open chart between すべて and 直近 4 週間, repainted, 100 000 records"),
            bench::ms(bench::median(switches)));
    }
    {
        bench::DataFolder folder;
        writeItemsWithHistories(20, 5000, 3 * 365);
        openingRow(QStringLiteral("6. chart opening to first frame, 全項目 of 20 items x 5 000 records"),
                   medianOpening(probe, 0));
    }
    {
        bench::DataFolder folder;
        writeItemsWithHistories(1, 1000000, 3 * 365);
        openingRow(QStringLiteral("6. chart opening to first frame, 1 item of 1 000 000 records (median of 3)"),
                   medianOpening(probe, 1, 3), 1000);
        platform::runGuarded([] { chart::showChart(nullptr, 1); });
        probe.wait();
        bench::row(
            QStringLiteral("6. choosing 全項目 and the item again in the open chart, repainted, 1 000 000 records"),
            bench::ms(medianItemChoice()));
        closeChart();
    }
    return 0;
}

// The 45 MB target holds for everyday histories. With long ones the chart may add 10 MB to what the settings
// window holds with the history: 37 MB and the file's size with a tenth of it again.
int measureMemory(int items, int records, int days, const QString& what)
{
    bench::DataFolder folder;
    writeItemsWithHistories(items, records, days);
    bench::FrameProbe settingsFrame(QStringLiteral("frmSettei"));
    frmSettei::instance().Show();
    if (!settingsFrame.wait())
        qFatal("the settings window never showed");
    bench::settle(1000);
    const long before = bench::procStatusKb("VmRSS");

    bench::FrameProbe chartFrame(QStringLiteral("frmChart"));
    platform::runGuarded([] { chart::showChart(frmSettei::instance().window(), 0); });
    if (!chartFrame.wait())
        qFatal("the chart window never showed");
    bench::settle(1000);
    const long with = bench::procStatusKb("VmRSS");
    const long peak = bench::procStatusKb("VmHWM");
    const double fileMb = QFileInfo(QmrM::historyFileName(QStringLiteral("項目1"))).size() / 1048576.0;
    const double limitMb = records <= 10000 ? 45 : 37 + fileMb * 1.1 + 10;
    bench::row(
        QStringLiteral("6. resident memory, settings window %1, without / with the chart open (VmRSS)").arg(what),
        QStringLiteral("%1 MB / %2 MB (%3 MB)")
            .arg(before / 1024.0, 0, 'f', 1)
            .arg(with / 1024.0, 0, 'f', 1)
            .arg(QString::asprintf("%+.1f", (with - before) / 1024.0)),
        QStringLiteral("<= %1 MB").arg(limitMb, 0, 'f', 1), bench::verdict(with <= limitMb * 1024));
    bench::row(QStringLiteral("6. peak resident memory (VmHWM) with the chart open, %1").arg(what),
               QStringLiteral("%1 MB").arg(peak / 1024.0, 0, 'f', 1));
    closeChart();
    return 0;
}

// The system's clock on the benchmark's "today", which the chart's ranges count back from.
class TodayClock final : public QmrM::Clock {
public:
    QDateTime now() const override { return kNow; }
    qint64 elapsedMs() const override { return QmrM::systemClock().elapsedMs(); }
    std::unique_ptr<QmrM::Alarm> alarmAt(qint64 deadlineMs, std::function<void()> wake) override
    {
        return QmrM::systemClock().alarmAt(deadlineMs, std::move(wake));
    }
};

}  // namespace

int main(int argc, char* argv[])
{
    platform::Application app(argc, argv);
    bench::ProgramSetup setup;
    TodayClock today;
    QmrM::Seams seams = QmrM::seams();
    seams.clock = &today;
    const QmrM::SeamsScope onToday(std::move(seams));
    const char* mode = argc > 1 ? argv[1] : "time";
    if (std::strcmp(mode, "time") == 0)
        return timeOpening();
    if (std::strcmp(mode, "memory") == 0)
        return measureMemory(3, 3000, 365, QStringLiteral("+ 3 items of a year (9 000 records)"));
    if (std::strcmp(mode, "memory-100000") == 0)
        return measureMemory(1, 100000, 3 * 365, QStringLiteral("+ 1 item of 100 000 records"));
    if (std::strcmp(mode, "memory-1000000") == 0)
        return measureMemory(1, 1000000, 3 * 365, QStringLiteral("+ 1 item of 1 000 000 records"));
    std::fprintf(stderr, "usage: bench_chart [time|memory|memory-100000|memory-1000000]\n");
    return 2;
}
