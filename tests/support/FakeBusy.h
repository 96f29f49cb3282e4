// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "shared/UserBusy.h"

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
