// SPDX-License-Identifier: GPL-3.0-or-later
// The start wait: processor time and wake-ups of the program while it waits for the next pass, with its
// view as the program shows it: the title's countdown and the tray icon (bench/run gives the X server
// a tray).
//
//   bench_wait pause [seconds]   the program's own start wait, on the system's clock, started by the start button
//   bench_wait naive [seconds]   the same start wait on a clock that is polled from an event loop that
//                                never sleeps, as a loop that only handles events until the deadline does
//
// Without seconds the wait is the real one of the settings file "0,0,1": one minute on the system's clock,
// with no seam in its way. With seconds (the quick mode) the same one-minute wait runs on a clock that goes
// faster, so that it lasts that many seconds; its alarms are still the system's.

#include "BenchSupport.h"

#include "app/Program.h"
#include "platform/Guard.h"
#include "settings/frmSettei.h"
#include "shared/Clock.h"
#include "shared/QmrM.h"
#include "shared/Seams.h"
#include "shared/Wait.h"
#include "training/frmMain.h"

#include <QAbstractEventDispatcher>
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

// The system's clock, seen through the bench: in the quick mode it runs `speed` times faster; for the naive
// wait its alarms are polled from a zero timer, so the event loop never sleeps until the deadline.
class BenchClock final : public QmrM::Clock {
public:
    BenchClock(double speed, bool polling) : mSpeed(speed), mPolling(polling) {}

    QDateTime now() const override { return QmrM::systemClock().now(); }

    qint64 elapsedMs() const override
    {
        return mStartMs + static_cast<qint64>(std::ceil((QmrM::systemClock().elapsedMs() - mStartMs) * mSpeed));
    }

    std::unique_ptr<QmrM::Alarm> alarmAt(qint64 deadlineMs, std::function<void()> wake) override
    {
        if (mPolling)
            return std::make_unique<PollingAlarm>(*this, deadlineMs, std::move(wake));
        const auto systemDeadline = mStartMs + static_cast<qint64>(std::ceil((deadlineMs - mStartMs) / mSpeed));
        return QmrM::systemClock().alarmAt(systemDeadline, std::move(wake));
    }

private:
    class PollingAlarm final : public QmrM::Alarm {
    public:
        PollingAlarm(const Clock& clock, qint64 deadlineMs, std::function<void()> wake)
            : mClock(clock), mDeadlineMs(deadlineMs), mWake(std::move(wake))
        {
            QObject::connect(&mTimer, &QTimer::timeout, &mTimer, [this] {
                if (mClock.elapsedMs() < mDeadlineMs)
                    return;
                mTimer.stop();
                const auto rung = std::move(mWake);
                rung();  // may destroy this alarm
            });
            mTimer.start(0);
        }

    private:
        const Clock& mClock;
        qint64 mDeadlineMs;
        std::function<void()> mWake;
        QTimer mTimer;
    };

    const qint64 mStartMs = QmrM::systemClock().elapsedMs();
    const double mSpeed;
    const bool mPolling;
};

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

    // The full run of the program's own wait keeps the system's clock as it is.
    BenchClock benchClock(quickSeconds > 0 ? 60.0 / quickSeconds : 1.0, naive);
    QmrM::Seams seams = QmrM::seams();
    if (naive || quickSeconds > 0)
        seams.clock = &benchClock;
    const QmrM::SeamsScope clockInForce(seams);

    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake, [] { ++gAwakenings; });

    Mark begin;
    Mark settled;
    // The wait is over when its alarm ends it; what follows (the training window brought back and
    // repainted) is no longer the wait. The naive loop's own end is taken when the pass has come.
    Mark end;
    bool waitOver = false;
    QObject::connect(&QmrM::StartWaits::instance(), &QmrM::StartWaits::ended, [&] {
        if (!naive && !waitOver)
            end = mark();
        waitOver = true;
    });
    bool passCame = false;
    QObject::connect(&QmrM::StartWaits::instance(), &QmrM::StartWaits::passCame, [&] {
        if (naive && !passCame)
            end = mark();
        passCame = true;
    });
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
        });
        // One second into the wait, once the training window's start-up has been painted: from here on
        // the program only waits.
        // Qt's worker threads exit after some idle time, so the switches of each thread are taken then.
        QTimer::singleShot(1000, Qt::PreciseTimer, [&] {
            threadsAtSettled = switchesByThread();
            settled = mark();
        });
        bench::click(frmSettei::instance(), "cmdAgain");
        QCoreApplication::exit(0);  // quit() would close the windows as the user does
    });
    app.exec();

    if (!trainingWindow || !passCame || !frmMain::instance().isLoaded() || settled.ns == 0)
        qFatal("the start button did not bring the training window back");

    const QString platformName = QGuiApplication::platformName() == QLatin1String("xcb")
                                     ? QStringLiteral("Xvfb")
                                     : QGuiApplication::platformName();
    const double seconds = static_cast<double>(end.ns - begin.ns) / 1e9;
    const bool realWait = seconds >= 59.0;
    const double cpu = end.cpu - begin.cpu;
    const QString span = QStringLiteral("%1 s").arg(seconds, 0, 'f', 1);
    std::printf("VAL\twait_cpu_%s_%s\t%.6f\n", naive ? "naive" : "pause", qPrintable(platformName), cpu);
    if (naive) {
        bench::row(QStringLiteral("1. wait %1, naive polling loop, %2: CPU").arg(span, platformName),
                   QStringLiteral("%1 s").arg(cpu, 0, 'f', 3));
        return 0;
    }
    // The targets are for the real one-minute wait; a quick run's shorter wait is shown but not judged.
    const auto judged = [realWait](bool met) { return realWait ? bench::verdict(met) : QStringLiteral("(quick)"); };
    bench::row(QStringLiteral("1. wait %1, start wait via start button, %2: CPU").arg(span, platformName),
               QStringLiteral("%1 s").arg(cpu, 0, 'f', 4), QStringLiteral("<= 0.02 s per 60 s"), judged(cpu <= 0.02));
    // The mark one second in is a wake-up of its own (one event loop wake-up, one context switch).
    const long switches = end.switches - begin.switches - 1;
    const long awakenings = end.awakenings - begin.awakenings - 1;
    bench::row(
        QStringLiteral("1. wait %1, %2: wake-ups (voluntary context switches, all threads)").arg(span, platformName),
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
                   .arg(platformName)
                   .arg(idleSeconds, 0, 'f', 1),
               QStringLiteral("%1 s, %2 /s (%3)")
                   .arg(end.cpu - settled.cpu, 0, 'f', 4)
                   .arg(idleSwitches / idleSeconds, 0, 'f', 2)
                   .arg(idleSwitches),
               QStringLiteral("<= 1 /s"), bench::verdict(idleSwitches / idleSeconds <= 1.0));
    return 0;
}
