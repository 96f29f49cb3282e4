// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "shared/UserBusy.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <vector>

namespace platform {

// One way the desktop tells one condition that keeps the user busy (desktopBusy()).
class BusySource : public QObject {
    Q_OBJECT
public:
    // A source that has not told the condition by then counts as absent (it may still tell it later).
    static constexpr int kSettleMs = 2000;

    explicit BusySource(QmrM::BusyReason reason);

    QmrM::BusyReason reason() const { return mReason; }
    // Reports once read, and at every change.
    void start();
    // The source may be started again.
    void stop();
    bool settled() const { return mSettled; }
    bool present() const { return mPresent; }

signals:
    void changed();

protected:
    virtual void follow() = 0;
    virtual void unfollow() = 0;
    void report(bool present);
    // What tells the condition is gone (or speaks something else): absent, and no longer read.
    void giveUp()
    {
        unfollow();
        report(false);
    }

private:
    const QmrM::BusyReason mReason;
    bool mSettled = false;
    bool mPresent = false;
    bool mRunning = false;
    QTimer mSettleDeadline;
};

// Each defined where the system has what it reads (see CMakeLists.txt); none where the desktop lacks it.
std::vector<std::unique_ptr<BusySource>> sessionBusSources();
std::unique_ptr<BusySource> x11FullScreenSource();
std::unique_ptr<BusySource> swayFullScreenSource();
// Asked of KWin itself on the session bus.
std::unique_ptr<BusySource> kwinFullScreenSource();
// GNOME's do-not-disturb (banners off).
std::unique_ptr<BusySource> gnomeBannersOffSource();
// The user's notification state and the session's lock.
std::vector<std::unique_ptr<BusySource>> windowsBusySources();

// One way the desktop tells a pause in the user's input (desktopIdle()), by its own watch of the idle time.
class IdleSource : public QmrM::UserIdle {
protected:
    // Ends with a pause, or with a desktop that does not tell it.
    void endWatch(bool pausedNow)
    {
        stop();
        if (pausedNow)
            emit paused();
        else
            emit unavailable();
    }
};

// Each defined where the system has what it reads (see CMakeLists.txt); nullptr where the desktop cannot have it.
std::unique_ptr<IdleSource> gnomeIdleSource();
// The SYNC extension's IDLETIME counter.
std::unique_ptr<IdleSource> x11IdleSource();
// ext-idle-notify-v1, or KDE's idle protocol (sway, KWin), also for a program on the compositor's Xwayland.
std::unique_ptr<IdleSource> waylandIdleSource();
// GetLastInputInfo.
std::unique_ptr<IdleSource> windowsIdleSource();

}  // namespace platform
