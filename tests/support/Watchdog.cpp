// SPDX-License-Identifier: GPL-3.0-or-later
#include "Watchdog.h"

#include <QThread>

namespace {

// The sanitizer build runs several times slower, and the desktop tests wait on X tools in between.
#if defined(__SANITIZE_ADDRESS__)
constexpr qint64 kLimitMs = 60 * 1000;
#else
constexpr qint64 kLimitMs = 20 * 1000;
#endif

}  // namespace

Watchdog::Watchdog()
{
    // A timer of the real clock: it fires inside whatever event loop runs, also one that sleeps forever.
    QObject::connect(&mTimer, &QTimer::timeout, [this] { look(); });
    mTimer.start(1000);
}

void Watchdog::look()
{
    // Level 0 is the test itself, processing events between its steps (as QTRY does).
    if (QThread::currentThread()->loopLevel() == 0) {
        mInsideSince.invalidate();
        return;
    }
    if (!mInsideSince.isValid())
        mInsideSince.start();
    else if (mInsideSince.elapsed() >= kLimitMs)
        qFatal("watchdog: inside an event loop for %lld s of real time: a wait never ends",
               static_cast<long long>(mInsideSince.elapsed() / 1000));
}
