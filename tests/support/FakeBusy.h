// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "shared/Clock.h"
#include "shared/Seams.h"
#include "shared/UserBusy.h"

#include <algorithm>
#include <memory>

// What keeps the user busy, as a test tells it: nothing unless set. Its readings are there as soon as it
// is watched; it tells of each change while it is watched, at the moment of the test's clock it is set.
class FakeBusy final : public QmrM::UserBusy {
public:
    void watch() override
    {
        mWatching = true;
        ++mWatches;
    }
    void stop() override { mWatching = false; }
    bool settled() const override { return true; }
    QmrM::BusyReasons reasons() const override { return mReasons; }

    void set(QmrM::BusyReasons reasons)
    {
        mReasons = reasons;
        if (mWatching)
            emit changed();
    }
    bool watching() const { return mWatching; }
    // How often watching began: each time a pass fell due.
    int watches() const { return mWatches; }

private:
    QmrM::BusyReasons mReasons;
    bool mWatching = false;
    int mWatches = 0;
};

// The pauses in the user's input, as a test tells them: nobody touches keyboard or pointer unless the test
// says so (input()); a pause asked for is told on the test's clock once the input has paused that long.
class FakeIdle final : public QmrM::UserIdle {
public:
    void awaitPause(qint64 pauseMs) override
    {
        mPauseMs = pauseMs;
        mAwaiting = true;
        ++mAwaits;
        arm();
    }
    void stop() override
    {
        mAwaiting = false;
        mAlarm.reset();
    }

    // The user presses a key or moves the pointer now.
    void input()
    {
        mLastInputMs = QmrM::clock().elapsedMs();
        arm();
    }
    // The desktop tells no idle time (from the next awaitPause on).
    void setUnavailable(bool unavailable) { mUnavailable = unavailable; }
    // The pause asked for last, and how often one was.
    qint64 pauseMs() const { return mPauseMs; }
    int awaits() const { return mAwaits; }

private:
    void arm()
    {
        if (!mAwaiting)
            return;
        const bool unavailable = mUnavailable;
        const qint64 now = QmrM::clock().elapsedMs();
        mAlarm = QmrM::clock().alarmAt(unavailable ? now : std::max(mLastInputMs + mPauseMs, now), [this, unavailable] {
            mAwaiting = false;
            if (unavailable)
                emit this->unavailable();
            else
                emit paused();
        });
    }

    qint64 mLastInputMs = -1000 * 1000 * 1000;
    qint64 mPauseMs = 0;
    bool mAwaiting = false;
    bool mUnavailable = false;
    int mAwaits = 0;
    std::unique_ptr<QmrM::Alarm> mAlarm;
};
