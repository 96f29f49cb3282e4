// SPDX-License-Identifier: GPL-3.0-or-later
// Long histories beyond what the history view shows: the CSV export, the check that a file holds only
// records (what クリア, 削除, 登録 and 保存 do first), stopping a background reading when another item is
// chosen, and the memory the settings window leaves behind during the start wait.
//
//   bench_long export N   a fresh process with one item of N records: chart::exportCsv as the menus call it,
//                         its time and the process's peak memory (VmHWM)
//   bench_long check N    one item of N records: the check of its history file, its time and the peak
//                         memory it adds; then the settings window on it: the longest choice of another
//                         item while it is read (five moments into the reading), and the resident memory
//                         during the start wait
//
// Each mode runs in its own process; the histories are written as the program writes them.

#include "BenchSupport.h"

#include "chart/ProgressActions.h"
#include "platform/Guard.h"
#include "settings/frmSettei.h"
#include "shared/QmrM.h"
#include "shared/Seams.h"
#include "shared/Wait.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>
#include <cstring>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

const QString kItem = QStringLiteral("項目2");

// `records` records of the program's own form, a few a day, into item 2's history; item 1, which the settings
// window shows first, has one record.
double writeHistories(int records)
{
    bench::writeItems(2);
    bench::writeDataFile(QmrM::historyFileName(kItem), records,
                         [](int i) { return bench::historyRecord(i / 20, 8 * 3600 + i % 20 * 1800, 10 + i % 20); });
    bench::writeDataFile(QmrM::historyFileName(QStringLiteral("項目1")),
                         {QStringLiteral("\"12月06日\",\"09時18分07秒\",20")});
    QmrM::LoadItems();
    QmrM::LoadSettings();
#ifdef __GLIBC__
    malloc_trim(0);  // what writing the file took is not the program's
#endif
    return QFileInfo(QmrM::historyFileName(kItem)).size() / 1048576.0;
}

double mb(const char* key)
{
    return bench::procStatusKb(key) / 1024.0;
}

// Starts the peak resident memory (VmHWM) afresh from the resident memory now.
void resetPeak()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (clearRefs.open(QIODevice::WriteOnly))
        clearRefs.write("5");
}

int timeExport(int records)
{
    bench::DataFolder folder;
    const double fileMb = writeHistories(records);
    const QString target = QDir(folder.path()).filePath(QStringLiteral("out.csv"));
    QmrM::Seams seams = QmrM::seams();
    seams.saveFileName = [&target](const QString&, const QString&, const QString&) { return target; };
    QmrM::SeamsScope answers(seams);
    // As the user exports: from the settings window's menu, the window open.
    platform::runGuarded([] { frmSettei::instance().Show(); });
    bench::settle(500);
    resetPeak();
    const double before = mb("VmRSS");
    QString written;
    const double cpuBefore = bench::cpuSeconds();
    const int64_t start = bench::monotonicNs();
    platform::runGuarded([&] { written = chart::exportCsv(bench::control(frmSettei::instance(), "lstKoumoku"), 2); });
    const double ms = bench::msSince(start);
    const double cpuMs = (bench::cpuSeconds() - cpuBefore) * 1000;
    if (written != target)
        qFatal("the export wrote nothing");
    const double peak = mb("VmHWM");
    const double limit = 1.5 * fileMb + 40;
    const bool million = records == 1000000;
    bench::row(QStringLiteral("9. CSV export of 1 item of %1 records (%2 MB) from the settings window, whole call")
                   .arg(records)
                   .arg(fileMb, 0, 'f', 1),
               QStringLiteral("%1 (processor %2)").arg(bench::ms(ms), bench::ms(cpuMs)),
               million ? QStringLiteral("<= 1 s") : QString(), million ? bench::verdict(ms <= 1000) : QString());
    bench::row(
        QStringLiteral("9. peak resident memory (VmHWM) of the export, %1 records; before it (VmRSS)").arg(records),
        QStringLiteral("%1 MB; %2 MB").arg(peak, 0, 'f', 1).arg(before, 0, 'f', 1),
        QStringLiteral("<= 1.5 x file + 40 = %1 MB").arg(limit, 0, 'f', 1), bench::verdict(peak <= limit));
    return 0;
}

// Chooses item `index` (0-based) in the history combo, as the user's pick of the entry does.
void chooseItem(int index)
{
    auto* combo = static_cast<QComboBox*>(bench::control(frmSettei::instance(), "cboKoumoku"));
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

// The history list's rows: the count tells when a history is shown.
int rowsShown()
{
    return static_cast<QAbstractItemView*>(bench::control(frmSettei::instance(), "lstRireki"))->model()->rowCount();
}

int timeLongHistory(int records)
{
    bench::DataFolder folder;
    const double fileMb = writeHistories(records);

    // What クリア, 削除, 登録 and 保存 check first, on the window's thread.
    resetPeak();
    const double before = mb("VmRSS");
    const double cpuBefore = bench::cpuSeconds();
    int64_t start = bench::monotonicNs();
    if (!QmrM::isHistoryFile(kItem))
        qFatal("the history is not taken for one");
    const double checkMs = bench::msSince(start);
    const double cpuMs = (bench::cpuSeconds() - cpuBefore) * 1000;
    const double added = mb("VmHWM") - before;
    bench::row(QStringLiteral("10. check that a history of %1 records (%2 MB) holds only records")
                   .arg(records)
                   .arg(fileMb, 0, 'f', 0),
               QStringLiteral("%1 (processor %2)").arg(bench::ms(checkMs), bench::ms(cpuMs)), QStringLiteral("<= 1 s"),
               bench::verdict(checkMs <= 1000));
    bench::row(QStringLiteral("10. peak memory the check adds, %1 records").arg(records),
               QStringLiteral("%1 MB").arg(added, 0, 'f', 1), QStringLiteral("<= 5 MB"), bench::verdict(added <= 5));

    // Another item chosen while the long one is read: the choice returns once the reading has stopped.
    platform::runGuarded([] { frmSettei::instance().Show(); });
    double longest = 0;
    for (const int after : {10, 50, 200, 500, 1000}) {
        chooseItem(1);
        bench::settle(after);
        start = bench::monotonicNs();
        chooseItem(0);
        longest = std::max(longest, bench::msSince(start));
        if (rowsShown() != 1)
            qFatal("the other item's history is not shown");
    }
    bench::row(
        QStringLiteral("11. choosing another item while %1 records are read (longest of 5 moments)").arg(records),
        bench::ms(longest), QStringLiteral("<= 100 ms"), bench::verdict(longest <= 100));

    // The long history shown, then 開始: the memory during the start wait.
    chooseItem(1);
    const QDeadlineTimer deadline(120000);
    while (rowsShown() != records && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    const double shownMb = mb("VmRSS");
    double waitingMb = 0;
    QTimer::singleShot(1500, [&waitingMb] {
        waitingMb = mb("VmRSS");
        if (QmrM::StartWait* wait = QmrM::StartWaits::current())
            wait->cancel();
    });
    // Clicked from the event loop, as the user clicks: the window's widgets then go only once the wait is over.
    QEventLoop clicking;
    QTimer::singleShot(0, [&clicking] {
        bench::click(frmSettei::instance(), "cmdAgain");
        clicking.quit();
    });
    clicking.exec();
    bench::row(QStringLiteral("12. resident memory (VmRSS) with %1 records shown / during the start wait after 開始")
                   .arg(records),
               QStringLiteral("%1 MB / %2 MB").arg(shownMb, 0, 'f', 1).arg(waitingMb, 0, 'f', 1),
               QStringLiteral("<= 45 MB during the wait"), bench::verdict(waitingMb <= 45));
    return 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    platform::Application app(argc, argv);
    bench::ProgramSetup setup;
    const int records = argc > 2 ? std::atoi(argv[2]) : 1000000;
    if (argc > 1 && std::strcmp(argv[1], "export") == 0)
        return timeExport(records);
    if (argc > 1 && std::strcmp(argv[1], "check") == 0)
        return timeLongHistory(records);
    std::fprintf(stderr, "usage: bench_long export|check [records]\n");
    return 2;
}
