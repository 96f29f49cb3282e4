// SPDX-License-Identifier: GPL-3.0-or-later
#include "PassSchedule.h"

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

// Whether the window is up and in use, not waiting on the task bar or out of sight.
bool inUse(platform::Form& form)
{
    return form.isLoaded() && form.WindowState() == platform::Form::vbNormal && form.window()->isVisible();
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

void PassSchedule::startWait()
{
    platform::Form& training = platform::trainingWindow();
    // Touching the window loads it: its start-up reads the items and the options now, at the beginning of
    // the wait, and the wait is worked out from what it read.
    training.setWindowState(platform::Form::vbMinimized);
    if (!training.isLoaded())
        return;  // no items any more: the start-up has already brought the settings window back
    waitFor(QmrM::startWaitSeconds());
}

void PassSchedule::waitFor(double seconds)
{
    platform::trainingWindow().setWindowState(platform::Form::vbMinimized);
    StartWait wait(seconds);
    wait.holdAtItsEnd();
    connect(&wait, &Wait::reachedEnd, this, platform::guardedSlot([this, &wait] { holdIfBusy(wait); }));
    // The steps after the wait run the moment it is over, even while a box opened during the wait holds
    // this call beneath the box's own event loop: the pass comes on time whatever is open.
    wait.whenOver(platform::guardedSlot([this](Wait::Outcome outcome) { afterWait(outcome); }));
    const auto forget = qScopeGuard([this, &wait] {
        if (mHeldWait == &wait)
            stopWatchingBusy();
    });
    wait.run();
}

void PassSchedule::holdIfBusy(StartWait& wait)
{
    if (!QmrM::holdsPassWhileBusy()) {
        wait.release();
        return;
    }
    stopWatchingBusy();
    mHeldWait = &wait;
    QmrM::UserBusy& busy = userBusy();
    connect(&busy, &QmrM::UserBusy::changed, this, platform::guardedSlot([this] { busyChanged(); }));
    busy.watch();
    busyChanged();
}

void PassSchedule::busyChanged()
{
    if (!mHeldWait)
        return;
    const QmrM::UserBusy& busy = userBusy();
    if (!busy.settled())
        return;  // the first readings are on their way
    emit holdChanged();
    if (busy.reasons() == QmrM::BusyReasons())
        mHeldWait->release();  // whatever kept the user busy is over: the pass comes now
}

void PassSchedule::stopWatchingBusy()
{
    if (!mHeldWait)
        return;
    mHeldWait = nullptr;
    QmrM::UserBusy& busy = userBusy();
    disconnect(&busy, nullptr, this, nullptr);
    busy.stop();
    emit holdChanged();
}

bool PassSchedule::isHolding() const
{
    return holdReasons() != QmrM::BusyReasons();
}

QmrM::BusyReasons PassSchedule::holdReasons() const
{
    if (!mHeldWait || !mHeldWait->isHolding() || !userBusy().settled())
        return {};
    return userBusy().reasons();
}

void PassSchedule::afterWait(Wait::Outcome outcome)
{
    stopWatchingBusy();
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
    // The user may have trained already, or left, during the wait: bring the training window back only
    // when it is still waiting, or when no window is left at all; never a second pass over a window
    // that is in use.
    if (!training.isLoaded() && platform::Form::anyLoaded())
        return;
    if (inUse(training)) {
        // Brought back and used by the user during the wait: the pass is in the user's hands already.
    } else if (outcome == Wait::Outcome::TimeUp) {
        training.comeUpUnasked();  // the user may be typing in another program
    } else {
        training.setWindowState(platform::Form::vbNormal);
        training.Show();
    }
    if (training.isLoaded())
        StartWaits::announcePass();
}

void PassSchedule::startNow()
{
    if (StartWait* wait = StartWaits::current())
        wait->endNow();
}

void PassSchedule::stopWaiting()
{
    if (StartWait* wait = StartWaits::current())
        wait->cancel();
}

bool PassSchedule::mayPostpone() const
{
    return !StartWaits::current() && platform::passUntouched();
}

void PassSchedule::postpone()
{
    QTimer::singleShot(0, this, [this] {
        platform::runGuarded([this] {
            if (mayPostpone())
                waitFor(kPostponeSeconds);
        });
    });
}

void PassSchedule::turnToPass()
{
    platform::Form& training = platform::trainingWindow();
    if (training.isLoaded())
        training.bringForward();
}

QAction* PassSchedule::holdWhileBusyAction()
{
    if (!mHoldAction) {
        mHoldAction =
            new QAction(QCoreApplication::translate("Schedule", "取り込み中は待つ（全画面表示・通話など）"), this);
        mHoldAction->setObjectName(QStringLiteral("holdWhileBusy"));
        mHoldAction->setCheckable(true);
        connect(mHoldAction, &QAction::triggered, this,
                platform::guardedSlot([this](bool hold) { chooseHoldWhileBusy(hold); }));
    }
    // The file may have changed since (another copy in another folder does not share it, but a person may).
    const QSignalBlocker quiet(mHoldAction);
    mHoldAction->setChecked(QmrM::holdsPassWhileBusy());
    return mHoldAction;
}

void PassSchedule::chooseHoldWhileBusy(bool hold)
{
    try {
        QmrM::setHoldsPassWhileBusy(hold);
    } catch (const QmrM::DataFileError& error) {
        mHoldAction->setChecked(!hold);
        //: %1 is why the options file could not be written
        platform::MsgBox(
            QCoreApplication::translate("Schedule", "%1\n設定は変わっていません。").arg(error.description()),
            platform::vbExclamation, QCoreApplication::translate("Schedule", "設定を保存できません"));
        return;
    }
    // A pass held now comes at once when holding is turned off.
    if (!hold && mHeldWait && mHeldWait->isHolding())
        mHeldWait->release();
}

void PassSchedule::settingsCameBack()
{
    if (StartWait* wait = StartWaits::current())
        wait->supersede();
}

}  // namespace schedule
