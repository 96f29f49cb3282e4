// SPDX-License-Identifier: GPL-3.0-or-later
#include "WaitView.h"

#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/Form.h"
#include "platform/Guard.h"
#include "platform/Handover.h"
#include "help/HtmlHelp.h"
#include "schedule/PassSchedule.h"
#include "shared/Numbers.h"
#include "shared/ShownDates.h"
#include "shared/Wait.h"

#include <QAction>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <QCoreApplication>

using QmrM::StartWait;
using QmrM::StartWaits;

namespace tray {
namespace {

const QString kStartKey = QStringLiteral("start");
const QString kStartNowKey = QStringLiteral("startNow");
const QString kStopWaitingKey = QStringLiteral("stopWaiting");
const QString kPostponeKey = QStringLiteral("postpone");
QString passHereText()
{
    return QCoreApplication::translate("Tray", "トレーニングの時間です");
}
// How long the desktop has to give the window the keyboard after the user chose 始める.
constexpr int kGrantWaitMs = 2000;
// Chosen by a click on the notice itself, where the desktop offers that.
const QString kDefaultKey = QStringLiteral("default");

schedule::PassSchedule& passSchedule()
{
    return schedule::PassSchedule::instance();
}

// As the settings window's 終了: the wait ends without its pass.
void endProgram()
{
    help::endProgramClosingHelp(nullptr, help::programHelpFile());
    passSchedule().stopWaiting();
}

using Phase = schedule::PassSchedule::Phase;

Phase phase()
{
    return passSchedule().phase();
}

// Why the pass that is due waits: "全画面表示中（10:42 から）".
QString heldWhy()
{
    return QCoreApplication::translate("Tray", "%1（%2 から）")
        .arg(schedule::busyText(passSchedule().holdReasons()),
             passSchedule().heldSince().toString(QStringLiteral("H:mm")));
}

// What the tray and a second start say of the wait; of a pass held, "トレーニングの時間ですが、全画面表示中
// （10:42 から）のため待っています。…".
QString waitText(const StartWait& wait)
{
    switch (phase()) {
    case Phase::Held:
        return QCoreApplication::translate("Tray",
                                           "トレーニングの時間ですが、%1のため待っています。終わるとすぐに始まります")
            .arg(heldWhy());
    case Phase::Deciding:
    case Phase::WaitingForPause:
        return QCoreApplication::translate("Tray", "トレーニングの時間です。入力の区切りで始まります");
    default:
        return QmrM::timeLeftText(wait);
    }
}

// Short enough for a one-line banner (GNOME Shell's), the time of day in the body.
Notice waitNotice(const StartWait& wait)
{
    Notice notice;
    if (phase() == Phase::Held) {
        notice.summary = passHereText();
        notice.body =
            QCoreApplication::translate("Tray", "%1のため待っています。終わるとすぐに始まります").arg(heldWhy());
    } else {
        notice.summary = QmrM::timeToNextPass(wait.remainingMs());
        notice.body = QCoreApplication::translate("Tray", "%1 開始予定").arg(QmrM::shortTime(wait.dueAt().time()));
    }
    notice.actions = QStringList{kStartNowKey, QCoreApplication::translate("Tray", "今すぐ始める"), kStopWaitingKey,
                                 QCoreApplication::translate("Tray", "待機をやめる")};
    return notice;
}

// When neither tray nor task bar shows the waiting window (GNOME without extensions, most Wayland
// compositors), a lasting notice shows the wait.
bool waitOtherwiseUnseen()
{
    return !platform::desktopMinimises() && !QSystemTrayIcon::isSystemTrayAvailable();
}

// What the title says of the wait, by its phase: "あと 12 分", "保留中（全画面表示中（10:42 から））".
QString titleOfThePhase(const StartWait& wait)
{
    switch (phase()) {
    case Phase::Deciding:
        return QCoreApplication::translate("Tray", "まもなく開始");
    case Phase::Held:
        return QCoreApplication::translate("Tray", "保留中（%1）").arg(heldWhy());
    case Phase::WaitingForPause:
        return QCoreApplication::translate("Tray", "入力の区切りで開始");
    default:
        return QmrM::timeLeftShort(wait.remainingMs());
    }
}

// The menu's entry and the notice's action.
QString postponeText()
{
    return QCoreApplication::translate("Tray", "5 分後に");
}

// The entry's text is also its accessible name.
void addAction(QMenu& menu, const QString& name, const QString& text, void (*handler)())
{
    QAction* action = menu.addAction(text);
    action->setObjectName(name);
    QObject::connect(action, &QAction::triggered, &menu, platform::guardedSlot(handler));
}

// The pass's first item and count, as the training window presents them: "腕立て伏せ 20 回".
QString passBody()
{
    const platform::PresentedItem item = platform::presentedItem();
    if (item.name.isEmpty())
        return QString();
    const int n = QmrM::pluralOf(item.count.toDouble());
    //: An item's name, then its count
    return QCoreApplication::translate("Tray", "%1 %2 回", nullptr, n).arg(item.name, item.count);
}

}  // namespace

WaitView::WaitView()
{
    StartWaits& waits = StartWaits::instance();
    connect(&waits, &StartWaits::began, this, platform::guardedSlot([this](StartWait* wait) { waitBegan(*wait); }));
    connect(&waits, &StartWaits::minutePassed, this,
            platform::guardedSlot([this](StartWait* wait) { showTimeLeft(*wait); }));
    connect(&waits, &StartWaits::ended, this, platform::guardedSlot([this] { waitEnded(); }));
    connect(&waits, &StartWaits::passCame, this, platform::guardedSlot([this] { passCame(); }));
    connect(&passSchedule(), &schedule::PassSchedule::phaseChanged, this,
            platform::guardedSlot([this] { phaseChanged(); }));
    // Emitted inside the guard already.
    connect(&mNotifications, &DesktopNotifications::actionInvoked, this, &WaitView::notificationAction);
}

WaitView::~WaitView()
{
    restoreTitle();
}

void WaitView::waitBegan(const StartWait& wait)
{
    // The 始める of an earlier pass would bring the window that now waits.
    mNotifications.close(DesktopNotifications::Pass);
    mPassAnnounced = false;
    makeTrayIcon();
    showTimeLeft(wait);
    updateMenu();
    mIcon->show();
    if (waitOtherwiseUnseen())
        showWaitNotice(wait, false);
}

void WaitView::waitEnded()
{
    if (const StartWait* outer = StartWaits::current())
        return showTimeLeft(*outer);  // a wait begun inside another is over; the other runs on
    restoreTitle();
    mNotifications.close(DesktopNotifications::TimeLeft);
    mTimeLeftBox.reset();
    if (mIcon) {
        mMenu->hide();
        mIcon->hide();
    }
}

void WaitView::phaseChanged()
{
    if (phase() == Phase::WaitingForPause && !std::exchange(mPassAnnounced, true))
        showPassNotice(passBody());  // the window comes at a pause; the notice says so at once
    if (const StartWait* wait = StartWaits::current())
        showTimeLeft(*wait);
    if (mMenu)
        updateMenu();
}

void WaitView::showTimeLeft(const StartWait& wait)
{
    showTitle(wait);
    if (mIcon)
        mIcon->setToolTip(waitText(wait));
    // Kept up to date as long as the user leaves it in the desktop's list.
    if (waitOtherwiseUnseen() && mNotifications.isShown(DesktopNotifications::TimeLeft))
        showWaitNotice(wait, true);
}

void WaitView::showWaitNotice(const StartWait& wait, bool update, std::function<void()> unavailable)
{
    Notice notice = waitNotice(wait);
    // Where it is all that shows the wait, it stays; elsewhere it answers a second start for a moment.
    notice.timeoutMs = waitOtherwiseUnseen() ? 0 : -1;
    notice.quiet = update;
    mNotifications.show(DesktopNotifications::TimeLeft, notice, std::move(unavailable));
}

void WaitView::showTitle(const StartWait& wait)
{
    platform::Form& training = platform::trainingWindow();
    if (!training.isLoaded())
        return;  // closed during the wait: it comes back with its own title
    QWidget* window = training.window();
    if (!training.isLoadedAs(mTitledLoad)) {
        mTitledLoad = training.loadCount();
        mPlainTitle = window->windowTitle();
        window->installEventFilter(this);  // restored or minimised again by the user during the wait
    }
    // A window brought back to train in during the wait has its plain title: the countdown is for a waiting one.
    const bool inUse = window->isVisible() && !window->isMinimized();
    window->setWindowTitle(inUse ? mPlainTitle : mPlainTitle + QStringLiteral(" - ") + titleOfThePhase(wait));
}

bool WaitView::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::WindowStateChange || type == QEvent::Show || type == QEvent::Hide) {
        platform::Form& training = platform::trainingWindow();
        const StartWait* wait = StartWaits::current();
        if (wait && mTitledLoad != 0 && training.isLoadedAs(mTitledLoad) && watched == training.window())
            platform::runGuarded([&] { showTitle(*wait); });
    }
    return QObject::eventFilter(watched, event);
}

void WaitView::restoreTitle()
{
    if (mTitledLoad == 0)
        return;
    platform::Form& training = platform::trainingWindow();
    if (training.isLoadedAs(mTitledLoad)) {
        training.window()->removeEventFilter(this);
        training.window()->setWindowTitle(mPlainTitle);
    }
    mTitledLoad = 0;
}

void WaitView::makeTrayIcon()
{
    if (mIcon)
        return;
    mMenu = std::make_unique<QMenu>();
    mMenu->setObjectName(QStringLiteral("trayMenu"));
    mMenu->setAccessibleName(QStringLiteral("Quillmora"));
    addAction(*mMenu, QStringLiteral("showPass"), QCoreApplication::translate("Tray", "トレーニング画面を表示"),
              [] { passSchedule().turnToPass(); });
    addAction(*mMenu, QStringLiteral("startNow"), QCoreApplication::translate("Tray", "今すぐ始める"),
              [] { passSchedule().startNow(); });
    addAction(*mMenu, QStringLiteral("stopWaiting"), QCoreApplication::translate("Tray", "待機をやめる"),
              [] { passSchedule().stopWaiting(); });
    addAction(*mMenu, QStringLiteral("postpone"), postponeText(), [] { passSchedule().postpone(); });
    mMenu->addSeparator();
    mMenu->addAction(passSchedule().holdWhileBusyAction());
    connect(mMenu.get(), &QMenu::aboutToShow, this, platform::guardedSlot([this] { updateMenu(); }));
    //: Tray menu entry: ends the program
    addAction(*mMenu, QStringLiteral("endProgram"), QCoreApplication::translate("Tray", "終了"), endProgram);

    // The windows' icon where the program is not installed.
    mIcon =
        std::make_unique<QSystemTrayIcon>(QIcon::fromTheme(QStringLiteral("quillmora"), QGuiApplication::windowIcon()));
    mIcon->setContextMenu(mMenu.get());
    mNotifications.useTrayIcon(mIcon.get());
    connect(mIcon.get(), &QSystemTrayIcon::activated, this,
            platform::guardedSlot([this](QSystemTrayIcon::ActivationReason reason) {
                // A click shows the menu too: starting early must be a deliberate second choice, not a stray click.
                if (reason == QSystemTrayIcon::Trigger)
                    mMenu->popup(QCursor::pos());
            }));
}

void WaitView::updateMenu()
{
    passSchedule().holdWhileBusyAction();  // checked as the options file says now
    // A running wait can be ended; a due or present pass can be put off until a count is in, and brought forward.
    const bool waiting = StartWaits::current() != nullptr;
    const bool due = phase() != Phase::Waiting && phase() != Phase::Idle;
    const auto entry = [this](const char* name) { return mMenu->findChild<QAction*>(QLatin1String(name)); };
    entry("startNow")->setVisible(waiting);
    entry("stopWaiting")->setVisible(waiting);
    entry("showPass")->setVisible(phase() == Phase::PassUp);
    QAction* postpone = entry("postpone");
    const bool mayPostpone = passSchedule().mayPostpone();
    postpone->setVisible(due);
    postpone->setEnabled(mayPostpone);
    // A greyed entry says why, in its text: menus of a StatusNotifierItem show no tool tips.
    postpone->setText(mayPostpone ? postponeText()
                                  : QCoreApplication::translate("Tray", "5 分後に（回数を入力したので選べません）"));
}

void WaitView::passCame()
{
    // The tray offers 5 分後に until a count is entered.
    if (passSchedule().mayPostpone()) {
        makeTrayIcon();
        updateMenu();
        mIcon->setToolTip(passHereText());
        mIcon->show();
        // The offer goes with the window's pass (the window is deleted some time after it unloads).
        connect(platform::trainingWindow().window(), &QObject::destroyed, mIcon.get(), [this] {
            if (!StartWaits::current())
                mIcon->hide();
        });
    }
    // The notice goes with its pass: finished, left with 中断, or ended with the program.
    connect(
        &platform::trainingWindow(), &platform::Form::unloaded, this,
        [this] { mNotifications.close(DesktopNotifications::Pass); }, Qt::SingleShotConnection);
    // Up already where the pass waited for a pause in the user's input.
    if (!std::exchange(mPassAnnounced, false))
        showPassNotice(passBody());
}

void WaitView::showPassNotice(const QString& body)
{
    Notice notice;
    notice.summary = passHereText();
    notice.body = body;
    //: The pass's notice: brings the training window forward to begin the pass
    notice.actions = QStringList{kDefaultKey,  QCoreApplication::translate("Tray", "始める"),
                                 kStartKey,    QCoreApplication::translate("Tray", "始める"),
                                 kPostponeKey, postponeText()};
    // Where the window cannot come back by itself, the notice stays until the user answers it.
    notice.timeoutMs = platform::onWayland() ? 0 : -1;
    mNotifications.show(DesktopNotifications::Pass, notice);
}

void WaitView::notificationAction(DesktopNotifications::Kind kind, const QString& key, const QString& activationToken)
{
    if (kind == DesktopNotifications::Pass && key == kPostponeKey)
        return passSchedule().postpone();  // nothing once a count is in
    if (kind == DesktopNotifications::TimeLeft && key == kStopWaitingKey)
        return passSchedule().stopWaiting();
    const bool startingNow = kind == DesktopNotifications::TimeLeft && key == kStartNowKey;
    const bool starting = kind == DesktopNotifications::Pass && (key == kStartKey || key == kDefaultKey);
    platform::Form& training = platform::trainingWindow();
    if (!(startingNow && StartWaits::current()) && !(starting && phase() != Phase::Idle && training.isLoaded()))
        return;  // the wait or the pass is over
    if (startingNow)
        passSchedule().startNow(activationToken);
    else
        passSchedule().turnToPass(activationToken);
    // The desktop may still keep the keyboard from the window (focus stealing prevention, a compositor without a
    // keyboard): then the notice says where the pass is.
    QTimer::singleShot(
        kGrantWaitMs, this, platform::guardedSlot([this, load = training.loadCount()] {
            const platform::Form& shown = platform::trainingWindow();
            if (shown.isLoadedAs(load) && shown.window()->isVisible() && !shown.window()->isActiveWindow())
                showPassNotice(QCoreApplication::translate(
                    "Tray", "画面の「Quillmora」をクリックしてください（デスクトップがキーボードを渡しませんでした）"));
        }));
}

void WaitView::tellTimeLeft(const StartWait& wait)
{
    // With the window out of sight and no tray, the notice's actions are the way to start early or stop waiting.
    showWaitNotice(wait, false, [this, text = waitText(wait)] {
        // The service's answer comes later: the wait may be over by then.
        if (StartWaits::current())
            mTimeLeftBox = platform::showNotice(
                text, platform::vbInformation, QStringLiteral("Quillmora"),
                {{QCoreApplication::translate("Tray", "今すぐ始める"), [] { passSchedule().startNow(); }},
                 {QCoreApplication::translate("Tray", "待機をやめる"), [] { passSchedule().stopWaiting(); }}});
    });
}

}  // namespace tray
