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

// The schedule of the training passes, the one place that decides when the training window comes:
// it sends the window away, waits, holds a pass that is due while the user cannot take it (a full-screen
// window, do-not-disturb, a locked screen, a call), brings it at a pause in the user's input, and
// announces it. The settings window's 開始, the tray, the notification and a second start all ask it, and
// what shows the schedule (the title, the tray, the notices, a second start) reads its phase.
//
// A pass that comes at the end of its wait comes up without taking the keyboard from other work (the user
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

    // How long the input must pause before the window comes by itself (longer where a new window takes the
    // keyboard: the pass then waits for the user, who has its notice).
    static constexpr qint64 kPauseMs = 2000;
    static constexpr qint64 kLongPauseMs = 30000;
    // A pass is held this long at most: then it comes at the next pause all the same.
    static constexpr qint64 kHoldLimitMs = 30 * 60 * 1000;

    static PassSchedule& instance();

    Phase phase() const { return mPhase; }
    // Why the pass is held, and since when (in Held).
    QmrM::BusyReasons holdReasons() const;
    QDateTime heldSince() const { return mHeldSince; }

    // The start button's wait, once the settings window has unloaded itself: the training window loads
    // minimised, which reads the items and the options, and the wait is worked out from what it read.
    // Returns once the wait is over.
    void startWait();
    // Ends the running wait now: the pass comes at once, held or not, to the front with the keyboard (with the
    // desktop's activation token, where the user's request came with one).
    void startNow(const QString& activationToken = QString());
    // Ends the running wait without a pass: the settings window comes back.
    void stopWaiting();
    // Whether the pass that is due or came may be put off: nothing is entered in it yet.
    bool mayPostpone() const;
    // Puts the pass off five minutes, as long as it may be (from the event loop, not inside the caller's
    // call).
    void postpone();
    // The user turned to the pass (始める, the tray, a second start): a pass that is due comes now, and the
    // training window comes to the front and takes the keyboard (with the desktop's activation token, where
    // the user's request came with one).
    void turnToPass(const QString& activationToken = QString());
    // The settings window came back: the user trained or left the pass meanwhile, so the running wait is
    // over and no pass comes after it.
    void settingsCameBack();

    // The choice whether a pass waits while the user is busy, for the menus that offer it (the tray's, the
    // settings window's): one check item, kept in the program's own options file.
    QAction* holdWhileBusyAction();

signals:
    // The phase changed, or what it says did (the reasons of a hold).
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
    // The pass that came is up, until the training window unloads.
    bool mPassUp = false;
    Phase mPhase = Phase::Idle;
    QmrM::BusyReasons mShownReasons;
    QAction* mHoldAction = nullptr;
    // The activation token of the request that is ending the wait now (startNow).
    QString mActivationToken;
};

}  // namespace schedule
