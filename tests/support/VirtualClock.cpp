// SPDX-License-Identifier: GPL-3.0-or-later
#include "VirtualClock.h"

#include <QPointer>
#include <QTimer>

class VirtualClock::Handle final : public QmrM::Alarm {
public:
    Handle(VirtualClock* clock, quint64 id) : mClock(clock), mId(id) {}
    ~Handle() override
    {
        if (mClock)
            mClock->remove(mId);
    }

private:
    QPointer<VirtualClock> mClock;
    quint64 mId;
};

VirtualClock::VirtualClock(const QDateTime& start, Moves moves)
    : mStart(start.isValid() ? start : QDateTime(QDate(2026, 12, 6), QTime(9, 18, 7))), mMoves(moves)
{
}

VirtualClock::~VirtualClock() = default;

QDateTime VirtualClock::now() const
{
    return mStart.addMSecs(mElapsedMs + mDayOffsetMs);
}

std::unique_ptr<QmrM::Alarm> VirtualClock::alarmAt(qint64 deadlineMs, std::function<void()> wake)
{
    return std::make_unique<Handle>(this, add(deadlineMs, std::move(wake)));
}

void VirtualClock::at(qint64 elapsedMs, std::function<void()> action)
{
    add(elapsedMs, std::move(action));
}

void VirtualClock::jump(qint64 ms)
{
    mElapsedMs += ms;
    scheduleStep();
}

void VirtualClock::setTimeOfDay(const QDateTime& when)
{
    mDayOffsetMs = mStart.msecsTo(when) - mElapsedMs;
}

quint64 VirtualClock::add(qint64 deadlineMs, std::function<void()> action)
{
    const quint64 id = mNextId++;
    mEntries.emplace(std::make_pair(deadlineMs, id), std::move(action));
    scheduleStep();
    return id;
}

void VirtualClock::remove(quint64 id)
{
    for (auto it = mEntries.begin(); it != mEntries.end(); ++it) {
        if (it->first.second == id) {
            mEntries.erase(it);
            return;
        }
    }
}

void VirtualClock::scheduleStep()
{
    if (mStepScheduled)
        return;
    mStepScheduled = true;
    // A zero timer runs once the events already pending have been handled.
    QTimer::singleShot(0, this, &VirtualClock::step);
}

void VirtualClock::step()
{
    mStepScheduled = false;
    if (mEntries.empty())
        return;
    auto first = mEntries.begin();
    if (mMoves == Moves::WhenTold && first->first.first > mElapsedMs)
        return;  // not due yet: the time stands until the test moves it
    mElapsedMs = std::max(mElapsedMs, first->first.first);
    const std::function<void()> action = std::move(first->second);
    mEntries.erase(first);
    if (!mEntries.empty())
        scheduleStep();
    action();
}
