// SPDX-License-Identifier: GPL-3.0-or-later
#include "Clock.h"

#include <windows.h>

namespace QmrM {
namespace {

// The interrupt time counts the time the computer spent asleep.
class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }

    qint64 elapsedMs() const override
    {
        ULONGLONG hundredNanoseconds = 0;
        QueryInterruptTime(&hundredNanoseconds);
        return qint64(hundredNanoseconds / 10000);
    }

    std::unique_ptr<Alarm> alarmAt(qint64 deadlineMs, std::function<void()> wake) override
    {
        // Qt's timers on Windows run on the tick count, which includes sleep; the caller looks at the
        // clock again when woken.
        return timerAlarm(deadlineMs - elapsedMs(), std::move(wake));
    }
};

}  // namespace

Clock& systemClock()
{
    static SystemClock clock;
    return clock;
}

}  // namespace QmrM
