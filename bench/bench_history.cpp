// SPDX-License-Identifier: GPL-3.0-or-later
// The history view: the history shown on choosing the item in the settings window's combo box, and the
// settings window's start-up (to its first frame), with one item whose history holds 1 000, 10 000 and
// 100 000 records.
//
//   bench_history [records...]    other sizes instead of the three

#include "BenchSupport.h"

#include "platform/Guard.h"
#include "shared/TextEncoding.h"
#include "settings/frmSettei.h"
#include "shared/QmrM.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QListWidget>

#include <cstdio>

namespace {

constexpr int kRepeats = 7;

// A history of `records` records in the program's own form, CP932 with CR LF line ends.
void writeHistory(const QString& itemName, int records)
{
    QStringList lines;
    lines.reserve(records);
    for (int i = 0; i < records; ++i) {
        const int day = i / 86400;
        const int second = i % 86400;
        lines += QStringLiteral("\"%1月%2日\",\"%3時%4分%5秒\",%6")
                     .arg(day / 28 % 12 + 1, 2, 10, QLatin1Char('0'))
                     .arg(day % 28 + 1, 2, 10, QLatin1Char('0'))
                     .arg(second / 3600, 2, 10, QLatin1Char('0'))
                     .arg(second / 60 % 60, 2, 10, QLatin1Char('0'))
                     .arg(second % 60, 2, 10, QLatin1Char('0'))
                     .arg(10 + i % 20);
    }
    bench::writeDataFile(QmrM::historyFileName(itemName), lines);
}

QListWidget* historyList()
{
    return static_cast<QListWidget*>(bench::control(frmSettei::instance(), "lstRireki"));
}

void unloadSettings()
{
    frmSettei::instance().Unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace

int main(int argc, char* argv[])
{
    platform::Application app(argc, argv);
    bench::ProgramSetup setup;
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.append(std::atoi(argv[i]));
    if (sizes.isEmpty())
        sizes = {1000, 10000, 100000};

    bench::FrameProbe probe(QStringLiteral("frmSettei"));
    double perRecordAtSmaller = 0;
    int smallerSize = 0;
    for (const int size : sizes) {
        bench::DataFolder folder;
        bench::writeItems(1);
        writeHistory(QStringLiteral("項目1"), size);
        QmrM::LoadItems();
        QmrM::LoadSettings();

        // The settings window's start-up: loading, its Form_Load with the first item's history, and the
        // first frame on screen.
        std::vector<double> startup;
        std::vector<double> load;
        for (int r = 0; r < kRepeats; ++r) {
            probe.reset();
            const int64_t start = bench::monotonicNs();
            frmSettei::instance().Show();
            load.push_back(bench::msSince(start));
            if (!probe.wait())
                qFatal("the settings window never showed");
            startup.push_back(static_cast<double>(probe.frameNs() - start) / 1e6);
            if (historyList()->count() != size)
                qFatal("the history list holds %d lines instead of %d", historyList()->count(), size);
            unloadSettings();
        }

        // The item chosen again in the history combo box of the loaded window: the combo box's activated
        // signal, as it sends it when the user picks the entry, reads the file and fills the list.
        frmSettei& form = frmSettei::instance();
        probe.reset();
        form.Show();
        probe.wait();
        auto* combo = static_cast<QComboBox*>(bench::control(form, "cboKoumoku"));
        std::vector<double> show;
        for (int r = 0; r < kRepeats; ++r) {
            bench::settle(20);
            const int64_t start = bench::monotonicNs();
            emit combo->activated(0);
            show.push_back(bench::msSince(start));
            if (historyList()->count() != size)
                qFatal("the chosen history holds %d lines instead of %d", historyList()->count(), size);
        }
        unloadSettings();

        const double showMs = bench::median(show);
        const double perRecordUs = showMs * 1000.0 / size;
        const bool largest = size >= 100000;
        bench::row(
            QStringLiteral("3. history shown on choosing the item, %1 records (median of %2)").arg(size).arg(kRepeats),
            QStringLiteral("%1 (%2 us/record)").arg(bench::ms(showMs)).arg(perRecordUs, 0, 'f', 3),
            largest ? QStringLiteral("< 200 ms") : QString(), largest ? bench::verdict(showMs < 200.0) : QString());
        const double startupMs = bench::median(startup);
        bench::row(QStringLiteral("3. settings start-up to first frame, %1 records").arg(size),
                   QStringLiteral("%1 (load %2, %3 us/record)")
                       .arg(bench::ms(startupMs), bench::ms(bench::median(load)))
                       .arg(startupMs * 1000.0 / size, 0, 'f', 3),
                   largest ? QStringLiteral("< 200 ms") : QString(),
                   largest ? bench::verdict(startupMs < 200.0) : QString());
        if (smallerSize > 0) {
            const double growth = perRecordUs / perRecordAtSmaller;
            // Caches make larger lists somewhat dearer per record; a path that grows with the square of
            // the records would make it ten times dearer.
            bench::row(QStringLiteral("3. history shown: time per record, %1 vs %2 records").arg(size).arg(smallerSize),
                       QStringLiteral("x %1").arg(growth, 0, 'f', 2), QStringLiteral("<= x 2 (linear)"),
                       bench::verdict(growth <= 2.0));
        }
        perRecordAtSmaller = perRecordUs;
        smallerSize = size;
    }
    return 0;
}
