// SPDX-License-Identifier: GPL-3.0-or-later
// The history view of the settings window, with one item whose history file is long.
//
//   bench_history [records...]   1 000, 10 000 and 100 000 records (or the sizes given): the settings
//                                window's start-up to its first frame and to its rows shown, and the history
//                                shown on choosing the item in the combo box (medians of 7)
//   bench_history memory N       a fresh process with one item of N records: the first frame, the rows
//                                shown, and the resident memory a second later with the window open
//   bench_history line           a history of one 10 MB line: the settings window's start-up until it is shown
//
// "Shown" is when the list holds every row and has drawn the rows in view.

#include "BenchSupport.h"

#include "platform/Guard.h"
#include "settings/frmSettei.h"
#include "shared/QmrM.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>
#include <cstring>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

constexpr int kRepeats = 7;
const QString kItem = QStringLiteral("項目1");

// A history of `records` records in the program's own form, CP932 with CR LF line ends.
void writeHistory(int records)
{
    bench::writeDataFile(QmrM::historyFileName(kItem), records,
                         [](int i) { return bench::historyRecord(i / 86400, i % 86400, 10 + i % 20); });
}

void prepareFolder(int records)
{
    bench::writeItems(1);
    writeHistory(records);
    QmrM::LoadItems();
    QmrM::LoadSettings();
#ifdef __GLIBC__
    malloc_trim(0);  // what writing the file took is not the window's
#endif
}

QAbstractItemView* historyList()
{
    return static_cast<QAbstractItemView*>(bench::control(frmSettei::instance(), "lstRireki"));
}

// Handles events until the history list holds `rows` rows, then draws them; the time it took, or ends the
// benchmark when they never come.
void waitUntilShown(int rows)
{
    const int64_t start = bench::monotonicNs();
    while (historyList()->model()->rowCount() != rows) {
        if (bench::msSince(start) > 60000)
            qFatal("the history list holds %d rows instead of %d", historyList()->model()->rowCount(), rows);
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    historyList()->viewport()->repaint();
}

void unloadSettings()
{
    frmSettei::instance().Unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

struct StartUp {
    double frameMs = 0;
    double shownMs = 0;
};

// The settings window shown, to its first frame and to its rows shown.
StartUp showSettings(bench::FrameProbe& probe, int rows)
{
    probe.reset();
    const int64_t start = bench::monotonicNs();
    platform::runGuarded([] { frmSettei::instance().Show(); });
    if (!probe.wait(60000))
        qFatal("the settings window never showed");
    StartUp times;
    times.frameMs = static_cast<double>(probe.frameNs() - start) / 1e6;
    waitUntilShown(rows);
    times.shownMs = bench::msSince(start);
    return times;
}

QString target(bool given, const QString& text)
{
    return given ? text : QString();
}

QString verdict(bool given, bool met)
{
    return given ? bench::verdict(met) : QString();
}

int timeSizes(QList<int> sizes)
{
    bench::FrameProbe probe(QStringLiteral("frmSettei"));
    double perRecordAtSmaller = 0;
    int smallerSize = 0;
    for (const int size : sizes) {
        bench::DataFolder folder;
        prepareFolder(size);

        std::vector<double> frames;
        std::vector<double> shown;
        for (int r = 0; r < kRepeats; ++r) {
            const StartUp times = showSettings(probe, size);
            frames.push_back(times.frameMs);
            shown.push_back(times.shownMs);
            unloadSettings();
        }

        // The item chosen again in the combo box of the loaded window: its activated signal, as it comes when
        // the user picks the entry, until the rows are shown.
        showSettings(probe, size);
        auto* combo = static_cast<QComboBox*>(bench::control(frmSettei::instance(), "cboKoumoku"));
        std::vector<double> chosen;
        for (int r = 0; r < kRepeats; ++r) {
            bench::settle(20);
            const int64_t start = bench::monotonicNs();
            emit combo->activated(0);
            waitUntilShown(size);
            chosen.push_back(bench::msSince(start));
        }
        unloadSettings();

        const bool largest = size >= 100000;
        const double frameMs = bench::median(frames);
        bench::row(QStringLiteral("3. settings start-up to first frame / to rows shown, %1 records").arg(size),
                   QStringLiteral("%1 / %2").arg(bench::ms(frameMs), bench::ms(bench::median(shown))),
                   target(largest, QStringLiteral("<= 100 ms (first frame)")), verdict(largest, frameMs <= 100.0));
        const double chosenMs = bench::median(chosen);
        const double perRecordUs = chosenMs * 1000.0 / size;
        bench::row(
            QStringLiteral("3. history shown on choosing the item, %1 records (median of %2)").arg(size).arg(kRepeats),
            QStringLiteral("%1 (%2 us/record)").arg(bench::ms(chosenMs)).arg(perRecordUs, 0, 'f', 3),
            target(largest, QStringLiteral("<= 50 ms")), verdict(largest, chosenMs <= 50.0));
        if (smallerSize > 0) {
            // A path that grows with the square of the records would make a record ten times dearer.
            const double growth = perRecordUs / perRecordAtSmaller;
            bench::row(QStringLiteral("3. history shown: time per record, %1 vs %2 records").arg(size).arg(smallerSize),
                       QStringLiteral("x %1").arg(growth, 0, 'f', 2), QStringLiteral("<= x 2 (linear)"),
                       bench::verdict(growth <= 2.0));
        }
        perRecordAtSmaller = perRecordUs;
        smallerSize = size;
    }
    return 0;
}

// The resident memory with the window open: 45 MB at 100 000 records; beyond, the empty window's 37 MB and
// the file's size with a tenth of it again.
int measureMemory(int records)
{
    bench::DataFolder folder;
    prepareFolder(records);
    const double fileMb = QFileInfo(QmrM::historyFileName(kItem)).size() / 1048576.0;
    bench::FrameProbe probe(QStringLiteral("frmSettei"));
    const StartUp times = showSettings(probe, records);
    bench::settle(1000);
    const double rssMb = bench::procStatusKb("VmRSS") / 1024.0;
    const double peakMb = bench::procStatusKb("VmHWM") / 1024.0;
    const bool large = records > 100000;
    const double limitMb = large ? 37 + fileMb * 1.1 : 45;
    bench::row(QStringLiteral("3. settings start-up to first frame / to rows shown, %1 records (%2 MB)")
                   .arg(records)
                   .arg(fileMb, 0, 'f', 1),
               QStringLiteral("%1 / %2").arg(bench::ms(times.frameMs), bench::ms(times.shownMs)),
               target(large, QStringLiteral("<= 1 s (first frame)")), verdict(large, times.frameMs <= 1000.0));
    bench::row(QStringLiteral("3. resident memory (VmRSS) with the window open, %1 records; peak (VmHWM)").arg(records),
               QStringLiteral("%1 MB; %2 MB").arg(rssMb, 0, 'f', 1).arg(peakMb, 0, 'f', 1),
               QStringLiteral("<= %1 MB").arg(limitMb, 0, 'f', 1), bench::verdict(rssMb <= limitMb));
    return 0;
}

// One record whose time field is 10 MB of kana, as an import gone wrong might leave.
int timeHugeLine()
{
    bench::DataFolder folder;
    bench::writeItems(1);
    bench::writeDataFile(QmrM::historyFileName(kItem), 1, [](int) {
        return QStringLiteral("\"12月06日\",\"") + QString(5 << 20, QChar(u'あ')) + QStringLiteral("\",5");
    });
    QmrM::LoadItems();
    QmrM::LoadSettings();
    bench::FrameProbe probe(QStringLiteral("frmSettei"));
    const StartUp times = showSettings(probe, 1);
    bench::row(QStringLiteral("3. settings start-up until a history of one 10 MB line is shown"),
               bench::ms(times.shownMs), QStringLiteral("<= 500 ms"), bench::verdict(times.shownMs <= 500.0));
    return 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    platform::Application app(argc, argv);
    bench::ProgramSetup setup;
    if (argc > 2 && std::strcmp(argv[1], "memory") == 0)
        return measureMemory(std::atoi(argv[2]));
    if (argc > 1 && std::strcmp(argv[1], "line") == 0)
        return timeHugeLine();
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.append(std::atoi(argv[i]));
    if (sizes.isEmpty())
        sizes = {1000, 10000, 100000};
    return timeSizes(sizes);
}
