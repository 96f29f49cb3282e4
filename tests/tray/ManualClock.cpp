// SPDX-License-Identifier: GPL-3.0-or-later
#include "ManualClock.h"

#include <QPointer>
#include <QTimer>

class ManualClock::Handle final : public QmrM::Alarm {
public:
    Handle(ManualClock* clock, std::pair<qint64, quint64> key) : mClock(clock), mKey(key) {}
    ~Handle() override
    {
        if (mClock)
            mClock->mAlarms.erase(mKey);
    }

private:
    QPointer<ManualClock> mClock;
    std::pair<qint64, quint64> mKey;
};

std::unique_ptr<QmrM::Alarm> ManualClock::alarmAt(qint64 deadlineMs, std::function<void()> wake)
{
    const auto key = std::make_pair(deadlineMs, mNextId++);
    mAlarms.emplace(key, std::move(wake));
    if (deadlineMs <= mElapsedMs)
        ringWhenIdle();
    return std::make_unique<Handle>(this, key);
}

void ManualClock::advance(qint64 ms)
{
    mElapsedMs += ms;
    ringWhenIdle();
}

void ManualClock::ringWhenIdle()
{
    QTimer::singleShot(0, this, &ManualClock::ringDue);
}

void ManualClock::ringDue()
{
    // A wake-up may set or drop other alarms: take one at a time.
    while (!mAlarms.empty() && mAlarms.begin()->first.first <= mElapsedMs) {
        const std::function<void()> wake = std::move(mAlarms.begin()->second);
        mAlarms.erase(mAlarms.begin());
        wake();
    }
}
