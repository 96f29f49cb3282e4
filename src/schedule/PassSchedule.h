// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/OnScreen.h"
#include "shared/Clock.h"
#include "shared/UserBusy.h"
#include "shared/Wait.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <memory>

class QAction;

namespace schedule {

// What holds a pass, in words: "全画面表示中", "おやすみモード中・画面ロック中".
QString busyText(QmrM::BusyReasons reasons);

// The one place that decides when the training window comes: it sends the window away, waits, holds a due pass
// while the user cannot take it (a full-screen window, do-not-disturb, a locked screen, a call), brings it at a
// pause in the user's input, and announces it. 開始, the tray, the notification and a second start ask it; what
// shows the schedule reads its phase. A pass at the end of its wait comes without taking the keyboard (the user
// may be typing elsewhere); one the user asked for (今すぐ始める, 始める) comes to the front with it.
class PassSchedule : public QObject {
    Q_OBJECT
public:
    enum class Phase {
        Idle,             // no wait runs and no pass is up: the settings window, or nothing
        Waiting,          // a wait runs towards its pass
        Deciding,         // the pass is due; what keeps the user busy is being read (two seconds at most)
        Held,             // the pass is due and held while the user is busy (holdReasons)
        WaitingForPause,  // the pass is due and announced; the window comes at a pause in the user's input
        PassUp,           // the training window came for its pass
    };
    Q_ENUM(Phase)

    // The input pause before the window comes by itself; longer where a new window takes the keyboard (the
    // user has the notice).
    static constexpr qint64 kPauseMs = 2000;
    static constexpr qint64 kLongPauseMs = 30000;
    // A pass is held this long at most, then comes at the next pause all the same.
    static constexpr qint64 kHoldLimitMs = 30 * 60 * 1000;

    static PassSchedule& instance();

    Phase phase() const { return mPhase; }
    // Why the pass is held, and since when (in Held).
    QmrM::BusyReasons holdReasons() const;
    QDateTime heldSince() const { return mHeldSince; }

    // After the settings window unloaded: the training window loads minimised, reading the items and options
    // the wait is worked out from. Returns once the wait is over.
    void startWait();
    // The pass comes at once, held or not, to the front with the keyboard (and the desktop's token, if any).
    void startNow(const QString& activationToken = QString());
    // No pass: the settings window comes back.
    void stopWaiting();
    // True while nothing is entered in the due or present pass.
    bool mayPostpone() const;
    // Five minutes, if it may be; from the event loop, not inside the caller's call.
    void postpone();
    // The user turned to the pass (始める, the tray, a second start): a due pass comes now, and the window comes
    // to the front with the keyboard (and the desktop's token, if any).
    void turnToPass(const QString& activationToken = QString());
    // The user trained or left the pass meanwhile: the running wait ends with no pass after it.
    void settingsCameBack();

    // One check item for the tray's and the settings window's menus, kept in the program's own options file.
    QAction* holdWhileBusyAction();

signals:
    // Also when the reasons of a hold change.
    void phaseChanged();

private:
    PassSchedule();
    void waitFor(double seconds);
    void reachedEnd(QmrM::StartWait& wait);
    void decide();
    void paused();
    void pauseUnknown();
    void stopWatching();
    void afterWait(QmrM::Wait::Outcome outcome);
    void updatePhase();
    bool overFullScreen() const;

    // The wait whose pass is due (nullptr: none), and what is known of the user since it fell due.
    QmrM::StartWait* mDueWait = nullptr;
    bool mHolding = false;  // holding while busy was on when the pass fell due, or turned on since
    bool mAwaitingPause = false;
    bool mHoldOver = false;
    QDateTime mHeldSince;
    std::unique_ptr<QmrM::Alarm> mHoldLimit;
    // Where the desktop tells no idle time and a new window takes the keyboard: the notice's time alone.
    std::unique_ptr<QmrM::Alarm> mPauseUnknown;
    platform::Arrival mArrival = platform::Arrival::Quiet;
    bool mPassUp = false;  // until the training window unloads
    Phase mPhase = Phase::Idle;
    QmrM::BusyReasons mShownReasons;
    QAction* mHoldAction = nullptr;
    // Of the startNow() request ending the wait now.
    QString mActivationToken;
};

}  // namespace schedule
