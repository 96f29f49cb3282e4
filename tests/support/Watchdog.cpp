// SPDX-License-Identifier: GPL-3.0-or-later
#include "Watchdog.h"

#include <QFileInfo>
#include <QTest>
#include <QThread>

#include <cstdio>
#include <cstdlib>

namespace {

// The sanitizer build runs several times slower, and the desktop tests wait on X tools in between.
#if defined(__SANITIZE_ADDRESS__)
constexpr qint64 kInsideLimitMs = 60 * 1000;
constexpr qint64 kSpinLimitMs = 3 * 60 * 1000;
#else
constexpr qint64 kInsideLimitMs = 20 * 1000;
constexpr qint64 kSpinLimitMs = 2 * 60 * 1000;
#endif

qint64 spinLimitMs()
{
    bool given = false;
    const int seconds = qEnvironmentVariableIntValue("QUILLMORA_WATCHDOG_SPIN_SECONDS", &given);
    return given && seconds > 0 ? qint64(seconds) * 1000 : kSpinLimitMs;
}

QByteArray currentTestName()
{
    QByteArray name = QFileInfo(QString::fromLocal8Bit(QTest::currentAppName())).completeBaseName().toLocal8Bit() +
                      ' ' + QTest::currentTestFunction();
    if (const char* tag = QTest::currentDataTag())
        name += QByteArray("(") + tag + ')';
    return name;
}

}  // namespace

Watchdog::Watchdog() : mTestName(currentTestName()), mSpinLimitMs(spinLimitMs())
{
    mSince.start();
    // A timer of the real clock: it fires inside whatever event loop runs, also one that sleeps forever, and
    // only there.
    QObject::connect(&mTimer, &QTimer::timeout, [this] { look(); });
    mTimer.start(1000);
    mGuard = std::thread([this] { guardTurns(); });
    // Tests fork children: a thread still starting up at that moment may hold the allocator's locks, and a
    // child that copies them held waits forever on its first allocation. The watchdog's thread is asleep in
    // its wait before the test goes on.
    std::unique_lock<std::mutex> lock(mMutex);
    mWake.wait(lock, [this] { return mGuarding; });
}

Watchdog::~Watchdog()
{
    {
        std::lock_guard<std::mutex> lock(mMutex);
        mEnding = true;
    }
    mWake.notify_one();
    mGuard.join();
}

void Watchdog::look()
{
    mLastTurnMs = mSince.elapsed();
    // Level 0 is the test itself, processing events between its steps (as QTRY does).
    if (QThread::currentThread()->loopLevel() == 0) {
        mInsideSince.invalidate();
        return;
    }
    if (!mInsideSince.isValid())
        mInsideSince.start();
    else if (mInsideSince.elapsed() >= kInsideLimitMs)
        qFatal("watchdog: inside an event loop for %lld s of real time: a wait never ends",
               static_cast<long long>(mInsideSince.elapsed() / 1000));
}

// Runs on the watchdog's thread: the test's own thread may be the one that hangs.
void Watchdog::guardTurns()
{
    std::unique_lock<std::mutex> lock(mMutex);
    mGuarding = true;
    mWake.notify_one();
    while (!mWake.wait_for(lock, std::chrono::seconds(1), [this] { return mEnding; })) {
        const qint64 still = mSince.elapsed() - mLastTurnMs;
        if (still < mSpinLimitMs)
            continue;
        std::fprintf(stderr,
                     "watchdog: %s let no event loop turn for %lld s of real time: it spins or blocks outside "
                     "event loops\n",
                     mTestName.constData(), static_cast<long long>(still / 1000));
        std::fflush(stderr);
        std::abort();
    }
}
