// SPDX-License-Identifier: GPL-3.0-or-later
// The press of next on the training window with 20 items: the 0.1 s background flash between items, and
// the work of a press without it.
//
//   bench_press [flashes]    presses next until that many flashes were seen (50 unless given)
//
// The flash is timed by the palette changes of the training window: the flash colour set, then the
// usual colour restored. A press is timed around the button's click; the flash is taken out of it.
// The work of a press is also timed directly: the history record appended and the items list rewritten.

#include "BenchSupport.h"

#include "platform/Guard.h"
#include "settings/frmSettei.h"
#include "shared/QmrM.h"
#include "training/frmMain.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPointer>
#include <QToolButton>
#include <QWidget>

#include <cstdio>

namespace {

class FlashRecorder : public QObject {
public:
    std::vector<double> flashesMs;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::PaletteChange || !watched->isWidgetType())
            return false;
        const QColor colour = static_cast<QWidget*>(watched)->palette().color(QPalette::Window);
        if (colour != buttonFaceColor()) {
            mStartNs = bench::monotonicNs();
        } else if (mStartNs != 0) {
            flashesMs.push_back(bench::msSince(mStartNs));
            mStartNs = 0;
        }
        return false;
    }

private:
    int64_t mStartNs = 0;
};

}  // namespace

int main(int argc, char* argv[])
{
    platform::Application app(argc, argv);
    bench::ProgramSetup setup;
    const int wanted = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;

    bench::DataFolder folder;
    bench::writeItems(20);

    FlashRecorder recorder;
    bench::FrameProbe probe(QStringLiteral("frmMain"));
    QPointer<QWidget> watched;
    std::vector<double> pressesMs;
    std::vector<double> withoutFlashMs;
    int passes = 0;
    while (static_cast<int>(recorder.flashesMs.size()) < wanted) {
        frmMain& form = frmMain::instance();
        if (!form.isLoaded()) {
            // A new pass, as the start button begins one: the training window loads afresh.
            frmSettei::instance().Unload();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            probe.reset();
            platform::runGuarded([&] { form.Load(); });
            if (!probe.wait())
                qFatal("the training window never showed");
            bench::settle(100);
            ++passes;
        }
        if (watched != form.window()) {
            watched = form.window();
            watched->installEventFilter(&recorder);
        }
        const size_t flashesBefore = recorder.flashesMs.size();
        const int64_t start = bench::monotonicNs();
        bench::click(form, "cmdNext");
        const double pressMs = bench::msSince(start);
        if (recorder.flashesMs.size() > flashesBefore) {
            pressesMs.push_back(pressMs);
            withoutFlashMs.push_back(pressMs - recorder.flashesMs.back());
        }
        bench::settle(30);  // the user's next press comes later; let the window repaint first
    }
    std::vector<double> flashes(recorder.flashesMs.begin(), recorder.flashesMs.begin() + wanted);
    const double flashMedian = bench::median(flashes);
    const double flashMin = bench::minimum(flashes);
    const double flashMax = bench::maximum(flashes);
    bench::row(
        QStringLiteral("4. flash duration over %1 presses (min / median / max)").arg(wanted),
        QStringLiteral("%1 / %2 / %3 ms").arg(flashMin, 0, 'f', 1).arg(flashMedian, 0, 'f', 1).arg(flashMax, 0, 'f', 1),
        QStringLiteral("100 +- 15 ms"), bench::verdict(flashMin >= 85.0 && flashMax <= 115.0));

    bench::row(
        QStringLiteral("5. press of next, whole click without the flash (median of %1)").arg(withoutFlashMs.size()),
        bench::ms(bench::median(withoutFlashMs), 2));

    // The work of one press, straight through the shared routines.
    QmrM::LoadItems();
    std::vector<double> append, save, both;
    for (int i = 0; i < 200; ++i) {
        const int64_t start = bench::monotonicNs();
        QmrM::appendHistoryRecord(QmrM::gKoumoku[1 + i % QmrM::gKoumokuSu], 20);
        const int64_t appended = bench::monotonicNs();
        QmrM::SaveItems();
        const int64_t saved = bench::monotonicNs();
        append.push_back(static_cast<double>(appended - start) / 1e6);
        save.push_back(static_cast<double>(saved - appended) / 1e6);
        both.push_back(static_cast<double>(saved - start) / 1e6);
    }
    bench::row(QStringLiteral("5. press of next: appendHistoryRecord + SaveItems, 20 items (median of 200)"),
               QStringLiteral("%1 (append %2, items list %3)")
                   .arg(bench::ms(bench::median(both), 3), bench::ms(bench::median(append), 3),
                        bench::ms(bench::median(save), 3)));
    std::fprintf(stderr, "bench_press: %d passes\n", passes);
    return 0;
}
