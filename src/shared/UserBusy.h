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

// Watches what keeps the user busy while a due pass waits: each condition is read once, then followed by the
// desktop's signals; nothing polls.
class UserBusy : public QObject {
    Q_OBJECT
public:
    // changed() comes once every condition has been read, and at each change.
    virtual void watch() = 0;
    // Lets go of what it follows.
    virtual void stop() = 0;
    // Every condition read since watch().
    virtual bool settled() const = 0;
    // As far as read.
    virtual BusyReasons reasons() const = 0;

signals:
    void changed();
};

// The desktop's own watch tells when the user left keyboard and pointer alone, to bring a pass at a pause;
// nothing polls.
class UserIdle : public QObject {
    Q_OBJECT
public:
    // paused() after `pauseMs` without input (soon when so already); unavailable() when the desktop cannot tell.
    virtual void awaitPause(qint64 pauseMs) = 0;
    // Lets go of what it follows.
    virtual void stop() = 0;

signals:
    void paused();
    void unavailable();
};

}  // namespace QmrM
