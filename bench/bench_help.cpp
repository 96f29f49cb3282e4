// SPDX-License-Identifier: GPL-3.0-or-later
// The help window: opening it from the settings window's help button up to its first frame, and the
// full-text search over the help file's pages, the first one building the index.
//
//   bench_help [runs]    `runs` openings and searches (15 unless given), after one uncounted warm-up

#include "BenchSupport.h"

#include "help/HtmlHelp.h"
#include "platform/Guard.h"
#include "settings/frmSettei.h"
#include "shared/QmrM.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTabWidget>
#include <QTreeWidget>

#include <cstdio>
#include <cstdlib>

#ifndef QUILLMORA_HELP_CHM
#error "QUILLMORA_HELP_CHM must name the compiled help file"
#endif

namespace {

// A word on every page of the help, and one on a few.
const QString kCommonWord = QStringLiteral("トレーニング");
const QString kRareWord = QStringLiteral("ﾗﾝﾀﾞﾑﾓｰﾄﾞ");

void closeHelp()
{
    help::closeAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QWidget* helpWindow()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QLatin1String("HelpViewer") && window->isVisible())
            return window;
    }
    return nullptr;
}

// Clicks the settings window's help button and times it up to the help window's first frame.
double openHelp(bench::FrameProbe& probe, QAbstractButton* helpButton)
{
    probe.reset();
    const int64_t start = bench::monotonicNs();
    helpButton->click();
    if (!probe.wait())
        qFatal("the help window never showed");
    return static_cast<double>(probe.frameNs() - start) / 1e6;
}

// Types the word into the search tab and starts the search; the time until the results are listed.
double search(QWidget* viewer, const QString& word, int* results)
{
    viewer->findChild<QTabWidget*>(QStringLiteral("navigation"))->setCurrentIndex(2);
    viewer->findChild<QLineEdit*>(QStringLiteral("searchField"))->setText(word);
    auto* button = viewer->findChild<QAbstractButton*>(QStringLiteral("searchButton"));
    const int64_t start = bench::monotonicNs();
    button->click();
    const double ms = bench::msSince(start);
    *results = viewer->findChild<QTreeWidget*>(QStringLiteral("searchResults"))->topLevelItemCount();
    return ms;
}

}  // namespace

int main(int argc, char* argv[])
{
    platform::Application app(argc, argv);
    bench::ProgramSetup setup;
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;

    bench::DataFolder folder;
    bench::writeItems(1);
    if (!QFile::copy(QStringLiteral(QUILLMORA_HELP_CHM), QStringLiteral("KvHelp.chm")))
        qFatal("cannot copy the help file");
    QmrM::LoadItems();
    QmrM::LoadSettings();
    bench::FrameProbe settingsFrame(QStringLiteral("frmSettei"));
    frmSettei::instance().Show();
    settingsFrame.wait();
    auto* helpButton = frmSettei::instance().window()->findChild<QAbstractButton*>(QStringLiteral("cmdHelp"));
    if (!helpButton)
        qFatal("the settings window has no help button");
    bench::settle(200);

    bench::FrameProbe probe(QStringLiteral("HelpViewer"));
    const long rssBefore = bench::procStatusKb("VmRSS");
    const double firstOpen = openHelp(probe, helpButton);
    bench::settle(200);
    const long rssGrowth = bench::procStatusKb("VmRSS") - rssBefore;
    closeHelp();

    std::vector<double> opens;
    std::vector<double> firstSearches;
    std::vector<double> laterSearches;
    int commonPages = 0;
    int rarePages = 0;
    for (int r = 0; r < runs; ++r) {
        bench::settle(30);
        opens.push_back(openHelp(probe, helpButton));
        QWidget* viewer = helpWindow();
        if (!viewer)
            qFatal("no help window");
        bench::settle(30);
        firstSearches.push_back(search(viewer, kCommonWord, &commonPages));
        laterSearches.push_back(search(viewer, kRareWord, &rarePages));
        closeHelp();
    }
    if (commonPages < 5 || rarePages < 1)
        qFatal("the searches found %d and %d pages", commonPages, rarePages);

    // Both the X server and the offscreen platform are measured; the rows tell which.
    const QString on = QGuiApplication::platformName() == QLatin1String("xcb") ? QStringLiteral(", Xvfb")
                                                                               : QStringLiteral(", offscreen");
    const double open = bench::median(opens);
    bench::row(QStringLiteral("6. help window opened by the help button, to first frame, first in the process") + on,
               bench::ms(firstOpen), QStringLiteral("< 150 ms"), bench::verdict(firstOpen < 150.0));
    bench::row(QStringLiteral("6. same, later openings (median of %1, min-max)").arg(runs) + on,
               QStringLiteral("%1 (%2-%3)")
                   .arg(bench::ms(open), bench::ms(bench::minimum(opens)), bench::ms(bench::maximum(opens))),
               QStringLiteral("< 150 ms"), bench::verdict(open < 150.0));
    bench::row(QStringLiteral("6. resident memory taken by the first help window") + on,
               QStringLiteral("%1 MB").arg(rssGrowth / 1024.0, 0, 'f', 1));
    const double first = bench::median(firstSearches);
    bench::row(
        QStringLiteral("7. first search of a window, index of the %1 pages built (median, min-max)").arg(commonPages) +
            on,
        QStringLiteral("%1 (%2-%3)")
            .arg(bench::ms(first, 2), bench::ms(bench::minimum(firstSearches), 2),
                 bench::ms(bench::maximum(firstSearches), 2)),
        QStringLiteral("< 50 ms"), bench::verdict(first < 50.0));
    const double later = bench::median(laterSearches);
    bench::row(QStringLiteral("7. a later search, index kept (median)") + on, bench::ms(later, 2),
               QStringLiteral("< 50 ms"), bench::verdict(later < 50.0));

    frmSettei::instance().Unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
