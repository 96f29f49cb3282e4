// SPDX-License-Identifier: GPL-3.0-or-later
// The memory a help page of large pictures takes: one 8000 x 4000 picture named twenty times on one page
// (each decoded whole, 128 MB apiece, would take 2.5 GB), shown in the help window and printed to a PDF
// file.
//
//   bench_help_pictures

#include "BenchSupport.h"

#include "help/HelpViewer.h"
#include "help/HtmlHelp.h"
#include "help/Printing.h"
#include "platform/Guard.h"
#include "shared/Seams.h"

#include <QApplication>
#include <QDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryDir>

#ifndef QUILLMORA_PICTURE_HELP
#error "QUILLMORA_PICTURE_HELP must name the help file of large pictures"
#endif

int main(int argc, char* argv[])
{
    platform::Application app(argc, argv);
    bench::ProgramSetup setup;
    bench::settle(200);
    const double before = bench::procStatusKb("VmRSS") / 1024.0;

    bench::FrameProbe probe(QStringLiteral("HelpViewer"));
    auto* viewer = qobject_cast<help::HelpViewer*>(help::showTopic(nullptr, QStringLiteral(QUILLMORA_PICTURE_HELP)));
    if (!viewer || !probe.wait())
        qFatal("the help window never showed");
    bench::settle(500);
    const double shown = bench::procStatusKb("VmRSS") / 1024.0;
    const double peakShown = bench::procStatusKb("VmHWM") / 1024.0;

    QTemporaryDir folder;
    QmrM::Seams seams = QmrM::seams();
    seams.runModalDialog = [&](QObject* object) {
        QPrinter* printer = qobject_cast<QPrintDialog*>(object)->printer();
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(folder.filePath(QStringLiteral("page.pdf")));
        return int(QDialog::Accepted);
    };
    QmrM::SeamsScope printing(std::move(seams));
    help::printDocument(*viewer->browser()->document(), viewer);
    const double printed = bench::procStatusKb("VmRSS") / 1024.0;
    const double peak = bench::procStatusKb("VmHWM") / 1024.0;

    const QString page = QStringLiteral("help page naming an 8000 x 4000 picture 20 times");
    bench::row(QStringLiteral("13. %1: resident memory added, shown / printed (VmRSS)").arg(page),
               QStringLiteral("%1 MB / %2 MB").arg(shown - before, 0, 'f', 1).arg(printed - before, 0, 'f', 1),
               QStringLiteral("<= 100 MB"), bench::verdict(printed - before <= 100.0));
    bench::row(QStringLiteral("13. %1: peak memory (VmHWM), shown / after printing").arg(page),
               QStringLiteral("%1 MB / %2 MB").arg(peakShown, 0, 'f', 1).arg(peak, 0, 'f', 1));
    help::closeAll();
    return 0;
}
