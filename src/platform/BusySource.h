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
    // Reads the condition and follows its changes. Reports once read, and at every change.
    void start();
    // Stops following; the source may be started again.
    void stop();
    bool settled() const { return mSettled; }
    bool present() const { return mPresent; }

signals:
    void changed();

protected:
    virtual void follow() = 0;
    virtual void unfollow() = 0;
    // The condition as read now.
    void report(bool present);
    // What tells the condition is gone (or speaks something else): it counts as absent, and nothing more is
    // read from it.
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

// Each defined where the system has what it reads (see CMakeLists.txt).
// The sources of the session bus; none without one.
std::vector<std::unique_ptr<BusySource>> sessionBusSources();
// The full-screen window of an X11 window manager; nothing on another platform.
std::unique_ptr<BusySource> x11FullScreenSource();
// The full-screen window under sway (SWAYSOCK); nothing elsewhere.
std::unique_ptr<BusySource> swayFullScreenSource();
// The full-screen window under KWin, asked of KWin itself on the session bus; nothing without one.
std::unique_ptr<BusySource> kwinFullScreenSource();
// GNOME's do-not-disturb (banners off) on a GNOME desktop; nothing elsewhere.
std::unique_ptr<BusySource> gnomeBannersOffSource();
// Windows' own: the user's notification state and the session's lock.
std::vector<std::unique_ptr<BusySource>> windowsBusySources();

// One way the desktop tells a pause in the user's input (desktopIdle()): its own watch of the idle time.
// Where the desktop turns out not to tell it, unavailable() comes instead of paused().
class IdleSource : public QmrM::UserIdle {
protected:
    // Stops watching, and tells how the watch ended: a pause, or a desktop that does not tell it.
    void endWatch(bool pausedNow)
    {
        stop();
        if (pausedNow)
            emit paused();
        else
            emit unavailable();
    }
};

// Each defined where the system has what it reads (see CMakeLists.txt); nullptr where the desktop cannot
// have it at all.
// GNOME's idle monitor (org.gnome.Mutter.IdleMonitor on the session bus).
std::unique_ptr<IdleSource> gnomeIdleSource();
// The X server's idle time (the SYNC extension's IDLETIME counter), for a program on an X11 desktop.
std::unique_ptr<IdleSource> x11IdleSource();
// A Wayland compositor's idle notification (ext-idle-notify-v1, or KDE's idle protocol: sway, KWin), for a
// program on Qt's Wayland platform or on the compositor's Xwayland.
std::unique_ptr<IdleSource> waylandIdleSource();
// The session's last input (GetLastInputInfo), on Windows.
std::unique_ptr<IdleSource> windowsIdleSource();

}  // namespace platform
