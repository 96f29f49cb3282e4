// SPDX-License-Identifier: GPL-3.0-or-later
#include "Wait.h"

#include "Clock.h"
#include "Errors.h"
#include "QmrM.h"
#include "Seams.h"
#include "ShownDates.h"

#include <QEventLoop>
#include <QScopeGuard>
#include <QCoreApplication>

#include <cmath>
#include <utility>

namespace QmrM {
namespace {

constexpr qint64 kMinuteMs = 60 * 1000;
constexpr double kLongestWaitMs = 1e15;  // far beyond any wait; keeps the arithmetic in range

}  // namespace

Wait::Wait(double seconds, bool minuteTicks) : mMinuteTicks(minuteTicks)
{
    const double ms = seconds > 0 ? std::min(std::ceil(seconds * 1000.0), kLongestWaitMs) : 0.0;
    const qint64 now = clock().elapsedMs();
    mDeadlineMs = now + static_cast<qint64>(ms);
    mDueAt = clock().now().addMSecs(static_cast<qint64>(ms));
    mMinutesTold = minutesLeftIn(mDeadlineMs - now);
    mOver = !(seconds > 0);  // also a NaN: nothing to wait for
}

Wait::~Wait() = default;

qint64 Wait::remainingMs() const
{
    return std::max<qint64>(0, mDeadlineMs - clock().elapsedMs());
}

Wait::Outcome Wait::run()
{
    if (mOver) {
        if (mWhenOver && !gProgramEnding)
            std::exchange(mWhenOver, nullptr)(mOutcome);
        return mOutcome;
    }
    if (gProgramEnding)
        throw ProgramEnding();
    QEventLoop loop;
    mLoop = &loop;
    const auto leave = qScopeGuard([this] {
        mLoop = nullptr;
        mAlarm.reset();
        mRungAlarm.reset();
    });
    arm(clock().elapsedMs());
    loop.exec();
    // The loop only ends before the wait is over when the application quits; every further loop would then
    // return at once, so waiting on would spin.
    if (!mOver || gProgramEnding)
        throw ProgramEnding();
    return mOutcome;
}

void Wait::arm(qint64 now)
{
    // With minute ticks it rings when the remaining time, rounded up to whole minutes, next falls by one.
    const qint64 wholeMinutesAfter = mMinuteTicks ? (mDeadlineMs - now - 1) / kMinuteMs : 0;
    mAlarm = clock().alarmAt(mDeadlineMs - wholeMinutesAfter * kMinuteMs, [this] { wake(); });
}

void Wait::wake()
{
    mRungAlarm = std::move(mAlarm);
    if (mOver)
        return;
    if (gProgramEnding) {
        mLoop->quit();  // run() unwinds the waiting handler
        return;
    }
    const qint64 now = clock().elapsedMs();
    if (now >= mDeadlineMs) {
        if (!mHoldsAtEnd) {
            finish(Outcome::TimeUp);
        } else if (!mAtEnd) {
            mAtEnd = true;
            emit reachedEnd();
        }
        return;
    }
    arm(now);
    const int minutesLeft = minutesLeftIn(mDeadlineMs - now);
    if (mMinuteTicks && minutesLeft < mMinutesTold) {
        mMinutesTold = minutesLeft;
        emit minutePassed();
    }
}

void Wait::finish(Outcome outcome)
{
    if (mOver)
        return;
    mOver = true;
    mOutcome = outcome;
    mAlarm.reset();
    if (mLoop)
        mLoop->quit();
    emit over();
    if (mLoop && mWhenOver && !gProgramEnding)
        std::exchange(mWhenOver, nullptr)(outcome);
}

void Wait::release()
{
    if (mAtEnd)
        finish(Outcome::TimeUp);
}

Wait::Outcome StartWait::run()
{
    StartWaits& announcements = StartWaits::instance();
    if (announcements.mCurrent)
        announcements.mCurrent->supersede();
    announcements.mCurrent = this;
    // The announcement ends as soon as the wait does, even while handlers inside it still run.
    const auto endAnnouncement = [this] {
        StartWaits& waits = StartWaits::instance();
        if (waits.mCurrent != this)
            return;  // superseded: the wait that took its place is announced
        waits.mCurrent = nullptr;
        emit waits.ended();
    };
    const auto ticks =
        connect(this, &Wait::minutePassed, &announcements, [this] { emit StartWaits::instance().minutePassed(this); });
    const auto ends = connect(this, &Wait::over, &announcements, endAnnouncement);
    const auto ended = qScopeGuard([&] {
        disconnect(ticks);
        disconnect(ends);
        endAnnouncement();
    });
    emit announcements.began(this);
    return Wait::run();
}

StartWaits& StartWaits::instance()
{
    static StartWaits announcements;
    return announcements;
}

void Pause(float seconds)
{
    Wait(seconds).run();
}

int minutesLeftIn(qint64 remainingMs)
{
    return static_cast<int>((std::max<qint64>(0, remainingMs) + kMinuteMs - 1) / kMinuteMs);
}

QString timeLeftShort(qint64 remainingMs)
{
    const int minutes = minutesLeftIn(remainingMs);
    if (minutes <= 1)
        return QCoreApplication::translate("QmrM", "あと 1 分未満");
    return QCoreApplication::translate("QmrM", "あと %n 分", nullptr, minutes);
}

QString timeToNextPass(qint64 remainingMs)
{
    const int minutes = minutesLeftIn(remainingMs);
    if (minutes <= 1)
        return QCoreApplication::translate("QmrM", "次のトレーニングまであと 1 分未満");
    return QCoreApplication::translate("QmrM", "次のトレーニングまであと %n 分", nullptr, minutes);
}

QString timeLeftText(const Wait& wait)
{
    const QString due = shortTime(wait.dueAt().time());
    const int minutes = minutesLeftIn(wait.remainingMs());
    if (minutes <= 1)
        return QCoreApplication::translate("QmrM", "次のトレーニングまであと 1 分未満（%1 開始予定）").arg(due);
    return QCoreApplication::translate("QmrM", "次のトレーニングまであと %n 分（%1 開始予定）", nullptr, minutes)
        .arg(due);
}

}  // namespace QmrM
