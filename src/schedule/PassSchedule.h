// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "shared/UserBusy.h"
#include "shared/Wait.h"

#include <QObject>
#include <QString>

class QAction;

namespace schedule {

// What holds a pass, in words: "全画面表示中", "おやすみモード中・画面ロック中".
QString busyText(QmrM::BusyReasons reasons);

// The schedule of the training passes, the one place that decides when the training window comes:
// it sends the window away, waits, holds a pass that is due while the user cannot take it (a full-screen
// window, do-not-disturb, a locked screen, a call), brings the window back and announces the pass. The
// settings window's 開始, the tray, the notification and a second start of the program all ask it.
//
// A pass that comes at the end of its wait comes up without taking the keyboard from other work (the user
// may be typing elsewhere); one the user asked for (今すぐ始める, 始める) comes to the front with it.
class PassSchedule : public QObject {
    Q_OBJECT
public:
    static PassSchedule& instance();

    // The start button's wait, once the settings window has unloaded itself: the training window loads
    // minimised, which reads the items and the options, and the wait is worked out from what it read.
    // Returns once the wait is over.
    void startWait();
    // Ends the running wait now: the pass comes at once, held or not, to the front with the keyboard (with the
    // desktop's activation token, where the user's request came with one).
    void startNow(const QString& activationToken = QString());
    // Ends the running wait without a pass: the settings window comes back.
    void stopWaiting();
    // Whether the pass that came may be put off: no wait runs, and nothing is entered in it yet.
    bool mayPostpone() const;
    // Puts the pass that came off five minutes, as long as it may be (from the event loop, not inside the
    // caller's call).
    void postpone();
    // The user turned to the pass: the training window comes to the front and takes the keyboard.
    void turnToPass(const QString& activationToken = QString());
    // The settings window came back: the user trained or left the pass meanwhile, so the running wait is
    // over and no pass comes after it.
    void settingsCameBack();

    // Whether the pass that is due waits because the user is busy, and why.
    bool isHolding() const;
    QmrM::BusyReasons holdReasons() const;

    // The choice whether a pass waits while the user is busy, for the menus that offer it (the tray's, the
    // settings window's): one check item, kept in the program's own options file.
    QAction* holdWhileBusyAction();

signals:
    // A pass that is due began to be held, its reasons changed, or it is no longer held.
    void holdChanged();

private:
    PassSchedule() = default;
    void waitFor(double seconds);
    void holdIfBusy(QmrM::StartWait& wait);
    void busyChanged();
    void stopWatchingBusy();
    void afterWait(QmrM::Wait::Outcome outcome);

    void chooseHoldWhileBusy(bool hold);

    // The wait that holds at its end while the user is busy (nullptr: none).
    QmrM::StartWait* mHeldWait = nullptr;
    QAction* mHoldAction = nullptr;
    // The activation token of the request that is ending the wait now (startNow).
    QString mActivationToken;
};

}  // namespace schedule
