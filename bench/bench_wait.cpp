// The start wait: processor time and wake-ups of the program while it waits for the next pass, with its
// view as the program shows it: the title's countdown and the tray icon (bench/run gives the X server
// a tray).
//
//   bench_wait pause [seconds]   the program's own wait (the real Pause), started by the start button
//   bench_wait naive [seconds]   the same wait done by a loop that only handles events until the deadline
//
// Without seconds the wait is the real one of the settings file "0,0,1": one minute, and the start wait
// of the settings window is left as it is. With seconds (the quick mode) the start button still runs,
// but its wait is replaced by Pause (or the naive loop) of that length.

#include "BenchSupport.h"

#include "app/Program.h"
#include "platform/Guard.h"
#include "settings/frmSettei.h"
#include "shared/QmrM.h"
#include "training/frmMain.h"

#include <QAbstractEventDispatcher>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMap>
#include <QPointer>
#include <QTimer>
#include <QToolButton>
#include <QWidget>

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

struct Mark {
    double cpu = 0;
    long switches = 0;
    long awakenings = 0;
    int64_t ns = 0;
};

long gAwakenings = 0;

// Voluntary context switches of each of the process's threads, summed by thread name.
QMap<QString, long> switchesByThread()
{
    QMap<QString, long> byName;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(task + QStringLiteral("/comm")));
        QFile status(tasks.filePath(task + QStringLiteral("/status")));
        if (!comm.open(QIODevice::ReadOnly) || !status.open(QIODevice::ReadOnly))
            continue;
        const QString name = QString::fromUtf8(comm.readAll().trimmed());
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("voluntary_ctxt_switches:"))
                byName[name] += line.mid(line.indexOf(':') + 1).trimmed().toLong();
        }
    }
    return byName;
}

Mark mark()
{
    return Mark{bench::cpuSeconds(), bench::voluntarySwitches(), gAwakenings, bench::monotonicNs()};
}

// Notices the training window coming back from its minimised wait: the end of the wait.
class RestoreWatch : public QObject {
public:
    RestoreWatch(Mark& end, std::function<Mark()> endMark) : mEnd(end), mEndMark(std::move(endMark)) {}
    bool done = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!done && event->type() == QEvent::WindowStateChange &&
            !(static_cast<QWidget*>(watched)->windowState() & Qt::WindowMinimized)) {
            mEnd = mEndMark();
            done = true;
        }
        return false;
    }

private:
    Mark& mEnd;
    std::function<Mark()> mEndMark;
};

void naiveWait(double seconds)
{
    const QDeadlineTimer deadline(static_cast<qint64>(std::ceil(seconds * 1000.0)), Qt::PreciseTimer);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents();
}

}  // namespace

int main(int argc, char* argv[])
{
    platform::Application app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2 || (args[1] != QLatin1String("pause") && args[1] != QLatin1String("naive"))) {
        std::fprintf(stderr, "usage: bench_wait pause|naive [seconds]\n");
        return 2;
    }
    const bool naive = args[1] == QLatin1String("naive");
    const double quickSeconds = args.size() > 2 ? args[2].toDouble() : 0.0;

    bench::ProgramSetup setup;
    Program::showTheWait();
    bench::DataFolder folder;
    bench::writeItems(1);
    QmrM::LoadItems();
    QmrM::LoadSettings();

    bench::FrameProbe settingsShown(QStringLiteral("frmSettei"));
    frmSettei::instance().Show();
    if (!settingsShown.wait())
        qFatal("the settings window never showed");
    bench::settle(500);

    if (naive)
        frmSettei::startWait() = [quickSeconds](float seconds) { naiveWait(quickSeconds > 0 ? quickSeconds : seconds); };
    else if (quickSeconds > 0)
        frmSettei::startWait() = [quickSeconds](float) { QmrM::Pause(static_cast<float>(quickSeconds)); };
    // Otherwise the start wait stays empty: the real Pause of the minute in the settings file.

    // The wait ends with the event loop's wake-up at its deadline; what follows (the training window
    // restored and repainted) is no longer the wait. The naive loop wakes all the time and is not marked.
    Mark lastWake;
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake, [&] {
        ++gAwakenings;
        if (!naive)
            lastWake = mark();
    });

    Mark begin;
    Mark settled;
    Mark end;
    RestoreWatch restored(end, [&] { return naive ? mark() : lastWake; });
    QPointer<QWidget> trainingWindow;
    QMap<QString, long> threadsAtBegin;
    QMap<QString, long> threadsAtSettled;
    QTimer::singleShot(0, [&] {
        // The first event handled inside the wait: the start button has unloaded the settings window and
        // loaded the training window, minimised.
        QTimer::singleShot(0, [&] {
            threadsAtBegin = switchesByThread();
            begin = mark();
            trainingWindow = frmMain::instance().window();
            if (trainingWindow)
                trainingWindow->installEventFilter(&restored);
        });
        // One second into the wait, once the training window's start-up has been painted: from here on
        // the program only waits.
        // Qt's worker threads exit after some idle time, so the switches of each thread are taken then.
        QTimer::singleShot(1000, Qt::PreciseTimer, [&] {
            threadsAtSettled = switchesByThread();
            settled = mark();
        });
        frmSettei::instance().cmdAgain->click();
        QCoreApplication::exit(0);  // quit() would close the windows as the user does
    });
    app.exec();

    if (!trainingWindow || !restored.done || !frmMain::instance().isLoaded() || settled.ns == 0)
        qFatal("the start button did not bring the training window back");

    const QString platformName =
        QGuiApplication::platformName() == QLatin1String("xcb") ? QStringLiteral("Xvfb") : QGuiApplication::platformName();
    const double seconds = static_cast<double>(end.ns - begin.ns) / 1e9;
    const bool realWait = seconds >= 59.0;
    const double cpu = end.cpu - begin.cpu;
    const QString span = QStringLiteral("%1 s").arg(seconds, 0, 'f', 1);
    std::printf("VAL\twait_cpu_%s_%s\t%.6f\n", naive ? "naive" : "pause", qPrintable(platformName), cpu);
    if (naive) {
        bench::row(QStringLiteral("1. wait %1, naive processEvents loop, %2: CPU").arg(span, platformName),
                   QStringLiteral("%1 s").arg(cpu, 0, 'f', 3));
        return 0;
    }
    // The targets are for the real one-minute wait; a quick run's shorter wait is shown but not judged.
    const auto judged = [realWait](bool met) { return realWait ? bench::verdict(met) : QStringLiteral("(quick)"); };
    bench::row(QStringLiteral("1. wait %1, Pause via start button, %2: CPU").arg(span, platformName),
               QStringLiteral("%1 s").arg(cpu, 0, 'f', 4), QStringLiteral("<= 0.02 s per 60 s"), judged(cpu <= 0.02));
    // The mark one second in is a wake-up of its own (one event loop wake-up, one context switch).
    const long switches = end.switches - begin.switches - 1;
    const long awakenings = end.awakenings - begin.awakenings - 1;
    bench::row(QStringLiteral("1. wait %1, %2: wake-ups (voluntary context switches, all threads)").arg(span, platformName),
               QStringLiteral("%1 /s (%2)").arg(switches / seconds, 0, 'f', 2).arg(switches), QStringLiteral("<= 1 /s"),
               judged(switches / seconds <= 1.0));
    bench::row(QStringLiteral("1. wait %1, %2: event loop wake-ups (main thread)").arg(span, platformName),
               QStringLiteral("%1 /s (%2)").arg(awakenings / seconds, 0, 'f', 2).arg(awakenings),
               QStringLiteral("<= 1 /s"), judged(awakenings / seconds <= 1.0));
    QStringList byThread;
    for (auto it = threadsAtSettled.cbegin(); it != threadsAtSettled.cend(); ++it) {
        const long count = it.value() - threadsAtBegin.value(it.key());
        if (count > 0)
            byThread.append(QStringLiteral("%1 %2").arg(it.key()).arg(count));
    }
    bench::row(QStringLiteral("1. wait, %1: its first second: context switches by thread").arg(platformName),
               byThread.isEmpty() ? QStringLiteral("none") : byThread.join(QStringLiteral(", ")));
    const double idleSeconds = static_cast<double>(end.ns - settled.ns) / 1e9;
    const long idleSwitches = end.switches - settled.switches;
    bench::row(QStringLiteral("1. wait, %1: after its first second (%2 s): CPU, context switches")
                   .arg(platformName).arg(idleSeconds, 0, 'f', 1),
               QStringLiteral("%1 s, %2 /s (%3)")
                   .arg(end.cpu - settled.cpu, 0, 'f', 4)
                   .arg(idleSwitches / idleSeconds, 0, 'f', 2)
                   .arg(idleSwitches),
               QStringLiteral("<= 1 /s"), bench::verdict(idleSwitches / idleSeconds <= 1.0));
    return 0;
}
