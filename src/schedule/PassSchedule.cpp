// SPDX-License-Identifier: GPL-3.0-or-later
#include "PassSchedule.h"

#include "platform/Desktop.h"
#include "platform/DesktopBusy.h"
#include "platform/Dialogs.h"
#include "platform/Form.h"
#include "platform/Guard.h"
#include "platform/Handover.h"
#include "shared/Errors.h"
#include "shared/OwnOptions.h"
#include "shared/QmrM.h"
#include "shared/Seams.h"

#include <QAction>
#include <QCoreApplication>
#include <QSignalBlocker>
#include <QScopeGuard>
#include <QTimer>

using QmrM::BusyReason;
using QmrM::StartWait;
using QmrM::StartWaits;
using QmrM::Wait;

namespace schedule {
namespace {

constexpr double kPostponeSeconds = 5 * 60;

QmrM::UserBusy& userBusy()
{
    return QmrM::seams().userBusy ? *QmrM::seams().userBusy : platform::desktopBusy();
}

QmrM::UserIdle& userIdle()
{
    return QmrM::seams().userIdle ? *QmrM::seams().userIdle : platform::desktopIdle();
}

}  // namespace

QString busyText(QmrM::BusyReasons reasons)
{
    static const QList<QPair<BusyReason, const char*>> kWords = {
        {BusyReason::FullScreen, QT_TRANSLATE_NOOP("Schedule", "全画面表示中")},
        {BusyReason::DoNotDisturb, QT_TRANSLATE_NOOP("Schedule", "おやすみモード中")},
        {BusyReason::ScreenLocked, QT_TRANSLATE_NOOP("Schedule", "画面ロック中")},
        {BusyReason::Inhibited, QT_TRANSLATE_NOOP("Schedule", "通話・動画の再生中")},
    };
    QStringList words;
    for (const auto& [reason, word] : kWords) {
        if (reasons.testFlag(reason))
            words += QCoreApplication::translate("Schedule", word);
    }
    //: Between the reasons a pass waits for, as in "full screen, call or video playing"
    return words.join(QCoreApplication::translate("Schedule", "・"));
}

PassSchedule& PassSchedule::instance()
{
    static PassSchedule schedule;
    return schedule;
}

PassSchedule::PassSchedule()
{
    StartWaits& waits = StartWaits::instance();
    connect(&waits, &StartWaits::began, this, [this] { updatePhase(); });
    connect(&waits, &StartWaits::ended, this, [this] { updatePhase(); });
}

void PassSchedule::startWait()
{
    platform::Form& training = platform::trainingWindow();
    // Touching the window loads it: its start-up reads the items and options the wait is worked out from.
    training.setWindowState(platform::Form::vbMinimized);
    if (!training.isLoaded())
        return;  // no items any more: the start-up has already brought the settings window back
    waitFor(QmrM::startWaitSeconds());
}

void PassSchedule::waitFor(double seconds)
{
    platform::trainingWindow().setWindowState(platform::Form::vbMinimized);
    mPassUp = false;
    StartWait wait(seconds);
    wait.holdAtItsEnd();
    connect(&wait, &Wait::reachedEnd, this, platform::guardedSlot([this, &wait] { reachedEnd(wait); }));
    // Run the moment the wait is over, even while a box opened meanwhile holds this call beneath its event
    // loop: the pass comes on time whatever is open.
    wait.whenOver(platform::guardedSlot([this](Wait::Outcome outcome) { afterWait(outcome); }));
    const auto forget = qScopeGuard([this, &wait] {
        if (mDueWait == &wait)
            stopWatching();
    });
    wait.run();
}

// The pass is due: it waits while the user is busy (when holding is on), then for a pause in the input.
void PassSchedule::reachedEnd(StartWait& wait)
{
    stopWatching();
    mDueWait = &wait;
    QmrM::UserIdle& idle = userIdle();
    connect(&idle, &QmrM::UserIdle::paused, this, platform::guardedSlot([this] { paused(); }));
    connect(&idle, &QmrM::UserIdle::unavailable, this, platform::guardedSlot([this] { pauseUnknown(); }));
    // Read with holding off too: a pass that comes over a full-screen window must come above it.
    mHolding = QmrM::holdsPassWhileBusy();
    QmrM::UserBusy& busy = userBusy();
    connect(&busy, &QmrM::UserBusy::changed, this, platform::guardedSlot([this] { decide(); }));
    busy.watch();
    decide();
}

void PassSchedule::decide()
{
    if (!mDueWait)
        return;
    if (!userBusy().settled()) {
        // The first readings are on their way.
    } else if (holdReasons() != QmrM::BusyReasons()) {
        if (!mHeldSince.isValid()) {
            mHeldSince = QmrM::currentDateTime();
            // Held as long as it may be, it comes at the next pause all the same.
            mHoldLimit = QmrM::clock().alarmAt(QmrM::clock().elapsedMs() + kHoldLimitMs, platform::guardedSlot([this] {
                                                   mHoldOver = true;
                                                   decide();
                                               }));
        }
        if (std::exchange(mAwaitingPause, false))
            userIdle().stop();  // busy again: the pause is waited for once it is over
    } else if (!std::exchange(mAwaitingPause, true)) {
        // A window that will have the keyboard waits for the user to have stopped a while.
        const bool takesTheKeyboard = platform::newWindowsTakeTheKeyboard() || overFullScreen();
        userIdle().awaitPause(takesTheKeyboard ? kLongPauseMs : kPauseMs);
    }
    updatePhase();
}

void PassSchedule::paused()
{
    if (!mDueWait || !std::exchange(mAwaitingPause, false))
        return;
    mArrival = overFullScreen()                        ? platform::Arrival::OverFullScreen
               : platform::newWindowsTakeTheKeyboard() ? platform::Arrival::AfterALongPause
                                                       : platform::Arrival::Quiet;
    mDueWait->release();  // afterWait brings the window
}

void PassSchedule::pauseUnknown()
{
    if (!mDueWait || !mAwaitingPause)
        return;
    // The desktop does not tell the user's input: the window's guard keeps what is typed for other work.
    // Where the window takes the keyboard, it comes once its notice has been up a while.
    if (!platform::newWindowsTakeTheKeyboard())
        return paused();
    mPauseUnknown = QmrM::clock().alarmAt(QmrM::clock().elapsedMs() + kLongPauseMs, platform::guardedSlot([this] {
                                              if (mDueWait && std::exchange(mAwaitingPause, false))
                                                  mDueWait->release();
                                          }));
}

void PassSchedule::stopWatching()
{
    if (!mDueWait)
        return;
    mDueWait = nullptr;
    QmrM::UserBusy& busy = userBusy();
    disconnect(&busy, nullptr, this, nullptr);
    busy.stop();
    QmrM::UserIdle& idle = userIdle();
    disconnect(&idle, nullptr, this, nullptr);
    if (std::exchange(mAwaitingPause, false))
        idle.stop();
    mHoldOver = false;
    mHeldSince = QDateTime();
    mHoldLimit.reset();
    mPauseUnknown.reset();
    updatePhase();
}

QmrM::BusyReasons PassSchedule::holdReasons() const
{
    if (!mDueWait || !mHolding || mHoldOver || !userBusy().settled())
        return {};
    return userBusy().reasons();
}

// Nothing holds the pass (holding off, or held as long as it may be), but a full-screen window is in front.
bool PassSchedule::overFullScreen() const
{
    return mDueWait && userBusy().settled() && userBusy().reasons().testFlag(QmrM::BusyReason::FullScreen);
}

void PassSchedule::updatePhase()
{
    const StartWait* wait = StartWaits::current();
    const QmrM::BusyReasons reasons = holdReasons();
    const Phase now = !wait                            ? (mPassUp ? Phase::PassUp : Phase::Idle)
                      : wait != mDueWait               ? Phase::Waiting
                      : mAwaitingPause                 ? Phase::WaitingForPause
                      : reasons != QmrM::BusyReasons() ? Phase::Held
                                                       : Phase::Deciding;
    if (now == mPhase && reasons == mShownReasons)
        return;
    mPhase = now;
    mShownReasons = reasons;
    emit phaseChanged();
}

void PassSchedule::afterWait(Wait::Outcome outcome)
{
    stopWatching();
    const platform::Arrival arrival = std::exchange(mArrival, platform::Arrival::Quiet);
    platform::Form& training = platform::trainingWindow();
    switch (outcome) {
    case Wait::Outcome::Cancelled:
        // The user stopped waiting: no pass comes, and the settings window is back.
        training.Unload();
        platform::settingsWindow().Show();
        return;
    case Wait::Outcome::Superseded:
        return;  // the pass was done during the wait, or another wait took its place
    case Wait::Outcome::TimeUp:
    case Wait::Outcome::EndedEarly:
        break;
    }
    // The user may have trained or left during the wait: bring the window back only if it still waits or no
    // window is left; never a second pass over a window in use.
    if (!training.isLoaded() && platform::Form::anyLoaded())
        return;
    if (training.isLoaded() && training.WindowState() == platform::Form::vbNormal && training.window()->isVisible()) {
        // Brought back and used during the wait: the pass is in the user's hands already.
    } else if (outcome == Wait::Outcome::TimeUp) {
        training.comeUpUnasked(arrival);  // the user may be typing in another program
    } else {
        training.setWindowState(platform::Form::vbNormal);
        training.bringForward(mActivationToken);
    }
    if (!training.isLoaded())
        return;
    mPassUp = true;
    connect(&training, &platform::Form::unloaded, this, [this, &training] {
        disconnect(&training, &platform::Form::unloaded, this, nullptr);
        mPassUp = false;
        updatePhase();
    });
    updatePhase();
    StartWaits::announcePass();
}

void PassSchedule::startNow(const QString& activationToken)
{
    mActivationToken = activationToken;
    const auto done = qScopeGuard([this] { mActivationToken.clear(); });
    if (StartWait* wait = StartWaits::current())
        wait->endNow();  // brings the pass now
}

void PassSchedule::stopWaiting()
{
    if (StartWait* wait = StartWaits::current())
        wait->cancel();
}

bool PassSchedule::mayPostpone() const
{
    const StartWait* wait = StartWaits::current();
    return (!wait || wait == mDueWait) && platform::passUntouched();
}

void PassSchedule::postpone()
{
    QTimer::singleShot(0, this, platform::guardedSlot([this] {
                           if (mayPostpone())
                               waitFor(kPostponeSeconds);
                       }));
}

void PassSchedule::turnToPass(const QString& activationToken)
{
    StartWait* wait = StartWaits::current();
    if (wait && wait == mDueWait)
        return startNow(activationToken);  // due already: it comes now, to the front
    platform::Form& training = platform::trainingWindow();
    if (training.isLoaded())
        training.bringForward(activationToken);
}

QAction* PassSchedule::holdWhileBusyAction()
{
    if (!mHoldAction) {
        mHoldAction =
            new QAction(QCoreApplication::translate("Schedule", "取り込み中は待つ（全画面表示・通話など）"), this);
        mHoldAction->setObjectName(QStringLiteral("holdWhileBusy"));
        mHoldAction->setCheckable(true);
        connect(mHoldAction, &QAction::triggered, this, platform::guardedSlot([this](bool hold) {
                    try {
                        QmrM::setHoldsPassWhileBusy(hold);
                    } catch (const QmrM::DataFileError& error) {
                        mHoldAction->setChecked(!hold);
                        //: %1 is why the options file could not be written
                        platform::MsgBox(QCoreApplication::translate("Schedule", "%1\n設定は変わっていません。")
                                             .arg(error.description()),
                                         platform::vbExclamation,
                                         QCoreApplication::translate("Schedule", "設定を保存できません"));
                        return;
                    }
                    // Turned off, a held pass comes at the next pause; turned on, a due one waits while busy.
                    if (mDueWait) {
                        mHolding = hold;
                        decide();
                    }
                }));
    }
    // The file may have changed since (another copy in another folder does not share it, but a person may).
    const QSignalBlocker quiet(mHoldAction);
    mHoldAction->setChecked(QmrM::holdsPassWhileBusy());
    return mHoldAction;
}

void PassSchedule::settingsCameBack()
{
    if (StartWait* wait = StartWaits::current())
        wait->supersede();
}

}  // namespace schedule
