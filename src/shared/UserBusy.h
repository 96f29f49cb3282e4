// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFlags>
#include <QObject>

namespace QmrM {

// What keeps the user from a training pass that is due.
enum class BusyReason {
    FullScreen = 1,    // a full-screen window is the active one: a presentation, a film, a game
    DoNotDisturb = 2,  // the desktop's do-not-disturb is on
    ScreenLocked = 4,  // the screen is locked
    Inhibited = 8,     // a program holds the screen saver off: a call, a film
};
Q_DECLARE_FLAGS(BusyReasons, BusyReason)
Q_DECLARE_OPERATORS_FOR_FLAGS(BusyReasons)

// Watches what keeps the user busy while a pass that is due waits for it. It reads each condition once
// when it starts watching, then follows the desktop's signals of their changes: nothing polls.
class UserBusy : public QObject {
    Q_OBJECT
public:
    // Starts watching (again); changed() comes once every condition has been read, and at each change.
    virtual void watch() = 0;
    // Stops watching and lets go of what it follows.
    virtual void stop() = 0;
    // Whether every condition has been read since watch().
    virtual bool settled() const = 0;
    // What keeps the user busy now, as far as it has been read.
    virtual BusyReasons reasons() const = 0;

signals:
    void changed();
};

// Follows the user's input (keys, pointer) as the desktop tells it, to bring a pass at a pause: the desktop's
// own watch tells when the user has left keyboard and pointer alone for a while; nothing polls.
class UserIdle : public QObject {
    Q_OBJECT
public:
    // Starts following: paused() comes once the user has left keyboard and pointer alone for `pauseMs`
    // (soon, when that is so already); unavailable() instead when the desktop does not tell it.
    virtual void awaitPause(qint64 pauseMs) = 0;
    // Stops following and lets go of what it follows.
    virtual void stop() = 0;

signals:
    void paused();
    void unavailable();
};

}  // namespace QmrM
