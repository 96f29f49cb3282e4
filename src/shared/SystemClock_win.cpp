// SPDX-License-Identifier: GPL-3.0-or-later
#include "Clock.h"

#include <QWinEventNotifier>

#include <algorithm>
#include <windows.h>

namespace QmrM {
namespace {

// The interrupt time counts sleep (the unbiased one does not), in 100 ns. QueryInterruptTimePrecise (Windows
// 10 on) is looked up, as the import libraries lack it; QueryInterruptTime and the tick count step only at
// each clock interrupt (some 16 ms), ending a wait begun just before a step that much early. Without it
// (Wine) the performance counter counts, as precisely but without sleep: a wait woken on resume runs on for
// what it had left. Rounded up to whole milliseconds as elsewhere: a wait starts from this reading and its
// alarm fires at the exact deadline.
qint64 interruptTimeMs()
{
    using QueryTime = void(WINAPI*)(PULONGLONG);
    static const QueryTime query = reinterpret_cast<QueryTime>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"kernelbase.dll"), "QueryInterruptTimePrecise")));
    if (query) {
        ULONGLONG hundredNanoseconds = 0;
        query(&hundredNanoseconds);
        return qint64((hundredNanoseconds + 9999) / 10000);
    }
    static const LONGLONG perSecond = [] {
        LARGE_INTEGER frequency{};
        QueryPerformanceFrequency(&frequency);
        return frequency.QuadPart;
    }();
    LARGE_INTEGER count{};
    QueryPerformanceCounter(&count);
    return qint64(count.QuadPart / perSecond * 1000 +
                  ((count.QuadPart % perSecond) * 1000 + perSecond - 1) / perSecond);
}

// A waitable timer due at a time of day (UTC), as a relative one stops during sleep (Windows 8 on) and this
// one fires on waking when its time passed. The clock may be set back meanwhile, so an event-loop timer due
// after the same time fires too; whichever comes first wakes the caller, once, from the event loop.
class WaitableTimerAlarm final : public Alarm {
public:
    WaitableTimerAlarm(HANDLE timer, qint64 delayMs, std::function<void()> wake)
        : mTimer(timer), mNotifier(timer), mWake(std::move(wake))
    {
        QObject::connect(&mNotifier, &QWinEventNotifier::activated, &mNotifier, [this] { fire(); });
        mOrdinary = timerAlarm(delayMs, [this] { fire(); });
    }
    ~WaitableTimerAlarm() override
    {
        mNotifier.setEnabled(false);
        CancelWaitableTimer(mTimer);
        CloseHandle(mTimer);
    }

private:
    void fire()
    {
        if (!mWake)
            return;
        mNotifier.setEnabled(false);
        const auto wake = std::move(mWake);
        mWake = nullptr;
        wake();  // may destroy this alarm
    }

    HANDLE mTimer;
    QWinEventNotifier mNotifier;
    std::unique_ptr<Alarm> mOrdinary;
    std::function<void()> mWake;
};

// A waitable timer set to fire `delayMs` from now, as a time of day; null when the system refuses one.
HANDLE timerDueIn(qint64 delayMs)
{
    HANDLE timer = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_MANUAL_RESET, TIMER_ALL_ACCESS);
    if (!timer)
        return nullptr;
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER due{};
    due.LowPart = now.dwLowDateTime;
    due.HighPart = now.dwHighDateTime;
    due.QuadPart += ULONGLONG(std::max<qint64>(delayMs, 0)) * 10000;
    LARGE_INTEGER dueTime{};
    dueTime.QuadPart = LONGLONG(due.QuadPart);  // positive: a time of day
    if (!SetWaitableTimer(timer, &dueTime, 0, nullptr, nullptr, FALSE)) {
        CloseHandle(timer);
        return nullptr;
    }
    return timer;
}

class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }

    qint64 elapsedMs() const override { return interruptTimeMs(); }

    std::unique_ptr<Alarm> alarmAt(qint64 deadlineMs, std::function<void()> wake) override
    {
        // A reading is rounded up: the time really left may be up to a millisecond more than the difference,
        // and an alarm set for the difference alone could ring just before the deadline.
        const qint64 delayMs = deadlineMs - elapsedMs() + 1;
        HANDLE timer = timerDueIn(delayMs);
        if (!timer)  // an ordinary timer alone: it does not see sleep
            return timerAlarm(delayMs, std::move(wake));
        return std::make_unique<WaitableTimerAlarm>(timer, delayMs, std::move(wake));
    }
};

}  // namespace

Clock& systemClock()
{
    static SystemClock clock;
    return clock;
}

}  // namespace QmrM
