// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

// Ends the test program when a test hangs, instead of leaving it to CTest's time limit of five minutes:
// - a test that stays inside event loops beneath it (a wait, a box, a QTRY loop around them) for 20 s of real
//   time (a minute in the sanitizer build): a wait that never ends. Qt Test's message names the test.
// - a test that lets no event loop turn for two minutes (three in the sanitizer build): a loop that spins, or
//   a call that blocks, outside any event loop. A thread of the watchdog's own sees it, names the test and
//   aborts the program.
// Nothing can unwind from beneath such a hang, so the watchdog ends the program, as Qt Test's own time-out
// does. A test's own work between event loops counts only towards the second limit, several times the
// longest any test takes (16 s, 44 s under the sanitizers: killing programs in the middle of a rewrite and
// waiting for each). QUILLMORA_WATCHDOG_SPIN_SECONDS sets that limit instead (the watchdog's own test).
class Watchdog {
public:
    Watchdog();
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    void look();
    void guardTurns();

    QTimer mTimer;
    QElapsedTimer mInsideSince;
    QByteArray mTestName;
    qint64 mSpinLimitMs;
    std::atomic<qint64> mLastTurnMs{0};
    QElapsedTimer mSince;  // started once, before the thread; read-only afterwards
    std::mutex mMutex;
    std::condition_variable mWake;
    bool mGuarding = false;  // the thread has started and waits on mWake
    bool mEnding = false;
    std::thread mGuard;
};
