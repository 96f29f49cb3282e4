// SPDX-License-Identifier: GPL-3.0-or-later
// The pass schedule on the test clock: the wait follows the options the start reads, a pass that falls
// due while the user is busy waits for the user (and says why) without waking meanwhile, and a pass that
// comes by itself takes no key or click meant for the work the user is doing elsewhere.

#include "TestEnv.h"
#include "Windows.h"

#include "app/Program.h"
#include "platform/AppSetup.h"
#include "platform/Dialogs.h"
#include "schedule/PassSchedule.h"
#include "settings/frmSettei.h"
#include "shared/OwnOptions.h"
#include "shared/QmrM.h"
#include "shared/Wait.h"
#include "training/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QWheelEvent>
#include <QTest>

using QmrM::BusyReason;
using QmrM::StartWaits;

namespace {

constexpr qint64 kMinuteMs = 60 * 1000;

schedule::PassSchedule& passSchedule()
{
    return schedule::PassSchedule::instance();
}

QString trainingTitle()
{
    const QWidget* window = frmMain::instance().window();
    return window ? window->windowTitle() : QStringLiteral("(not loaded)");
}

bool passIsUp()
{
    const QWidget* window = frmMain::instance().window();
    return window && window->isVisible() && !window->isMinimized();
}

// Starts the program on the items A (5) and B (3) with the given options and leaves the first pass.
frmSettei& settingsWith(const QString& options)
{
    return settingsAfterCut(QStringLiteral("\"A\",5\n\"B\",3\n"), options);
}

// Presses 開始; `during` runs at its moments (ms into the wait). Returns when the pass came, or when the
// test gave up on it at `giveUpMs` (the time the pass came, or -1).
qint64 startAndWatch(TestEnv& env, const QList<QPair<qint64, std::function<void()>>>& during,
                     qint64 giveUpMs = 30 * kMinuteMs)
{
    qint64 began = -1;
    qint64 came = -1;
    bool gaveUp = false;
    QObject listening;
    QObject::connect(&StartWaits::instance(), &StartWaits::began, &listening, [&] {
        if (began >= 0)
            return;  // a wait put off is not a new start
        began = env.clock().elapsedMs();
        for (const auto& [moment, action] : during)
            env.clock().after(moment, action);
        env.clock().after(giveUpMs, [&] { gaveUp = true; });
    });
    QObject::connect(&StartWaits::instance(), &StartWaits::passCame, &listening,
                     [&] { came = env.clock().elapsedMs() - began; });
    QTimer::singleShot(0, [] { clickButton(frmSettei::instance(), QStringLiteral("cmdAgain")); });
    // The clock's own time decides; the real time only ends a run whose clock stopped (a minute: windows
    // come slowly under Wine).
    if (!QTest::qWaitFor([&] { return came >= 0 || gaveUp; }, 60 * 1000))
        QTest::qFail("neither the pass nor the test's own time came", __FILE__, __LINE__);
    return came;
}

int recordsOf(const QString& item)
{
    return readDataFile(item + QStringLiteral(".txt")).count(u'\n');
}

}  // namespace

class TestSchedule : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/quillmora-no-session-bus");
        platform::setUpApplication(*qobject_cast<QApplication*>(qApp));
    }

    void startWaitsAsTheOptionsItReadsSay();
    void passDueWhileTheUserIsBusyWaitsForIt_data();
    void passDueWhileTheUserIsBusyWaitsForIt();
    void heldPassStartsNowStopsOrIsNoLongerHeld_data();
    void heldPassStartsNowStopsOrIsNoLongerHeld();
    void holdChoiceIsSavedOnceOrNotAtAll();
    void keysAndClicksMeantForOtherWorkAreNotTaken();
    void keysPressedBeforeTheSettingsWindowCameDoNothing();
    void heldEnterRecordsOnceAndNeverPressesStart();
    void passComesAtAPauseInTheInput_data();
    void passComesAtAPauseInTheInput();
    void holdEndsAtItsLimit();
};

void TestSchedule::startWaitsAsTheOptionsItReadsSay()
{
    // The options file changed (3 minutes) while the settings window showed the old ones (1 minute): the
    // start reads the file and waits as it says.
    TestEnv env;
    Program::showTheWait();
    settingsWith(QStringLiteral("0,0,1"));
    writeSettings(QStringLiteral("0,0,3"));
    QString titleAtStart;
    QCOMPARE(startAndWatch(env, {{1, [&] { titleAtStart = trainingTitle(); }}}), 3 * kMinuteMs);
    QCOMPARE(titleAtStart, QStringLiteral("Quillmora - あと 3 分"));
    QCOMPARE(QmrM::gWaitJikan, 3.0f);
}

void TestSchedule::passDueWhileTheUserIsBusyWaitsForIt_data()
{
    QTest::addColumn<QmrM::BusyReasons>("reasons");
    QTest::addColumn<QString>("why");
    QTest::addColumn<QString>("meanwhile");  // what the user does with the waiting window while it is held
    QTest::newRow("presenting full screen")
        << QmrM::BusyReasons(BusyReason::FullScreen) << QStringLiteral("全画面表示中") << QString();
    QTest::newRow("do-not-disturb and locked, window closed")
        << (BusyReason::DoNotDisturb | BusyReason::ScreenLocked) << QStringLiteral("おやすみモード中・画面ロック中")
        << QStringLiteral("closed");
    QTest::newRow("in a call, window restored and trained")
        << QmrM::BusyReasons(BusyReason::Inhibited) << QStringLiteral("通話・動画の再生中")
        << QStringLiteral("trained");
}

void TestSchedule::passDueWhileTheUserIsBusyWaitsForIt()
{
    QFETCH(QmrM::BusyReasons, reasons);
    QFETCH(QString, why);
    QFETCH(QString, meanwhile);
    TestEnv env;
    Program::showTheWait();
    settingsWith(QStringLiteral("0,0,3"));
    QString heldTitle;
    int alarmsWhileHeld = -1;
    bool upWhileHeld = true;
#ifndef Q_OS_WIN  // where the tray icon's balloon tells it
    env.dialogs().expectMessage(
        QStringLiteral("トレーニングの時間ですが、%1（9:21 から）のため待っています。終わるとすぐに始まります")
            .arg(why),
        QStringLiteral("Quillmora"), platform::vbInformation);
#endif
    const auto useTheWindow = [&] {
        frmMain& training = frmMain::instance();
        if (meanwhile == QLatin1String("closed")) {
            training.window()->close();
        } else if (meanwhile == QLatin1String("trained")) {
            training.setWindowState(platform::Form::vbNormal);
            clickButton(training, QStringLiteral("cmdNext"));
            clickButton(training, QStringLiteral("cmdNext"));
        }
    };
    const qint64 came =
        startAndWatch(env, {{2 * kMinuteMs + 30 * 1000, [&] { env.busy().set(reasons); }},
                            {20 * kMinuteMs,
                             [&] {
                                 heldTitle = trainingTitle();
                                 upWhileHeld = passIsUp();
                                 alarmsWhileHeld = env.clock().pending();
                                 Program::anotherStartRequested();  // the user wonders where the pass is
                             }},
                            {21 * kMinuteMs, useTheWindow},
                            {25 * kMinuteMs + 500, [&] { env.busy().set({}); }}});
    QCOMPARE(heldTitle, QStringLiteral("Quillmora - 保留中（%1（9:21 から））").arg(why));
    QVERIFY(!upWhileHeld);
    // The test's own and the hold's limit: the held wait sleeps until it is told.
    QCOMPARE(alarmsWhileHeld, 4);
    QVERIFY(env.dialogs().verify());
    QCOMPARE(env.dialogs().openNotices(), 0);  // gone with the wait
    QVERIFY(!env.busy().watching());
    QCOMPARE(env.busy().watches(), 1);  // read when the wait ended, not before
    if (meanwhile == QLatin1String("trained")) {
        // The pass done during the hold is the pass: none comes after it.
        QCOMPARE(came, qint64(-1));
        QCOMPARE(recordsOf(QStringLiteral("A")) + recordsOf(QStringLiteral("B")), 2);
        QVERIFY(frmSettei::instance().isLoaded());
        return;
    }
    // Held from the end of the wait until whatever kept the user busy was over, then at once, in a fresh
    // window where the user closed the waiting one.
    QCOMPARE(came, 25 * kMinuteMs + 500);
    QVERIFY(passIsUp());
    QCOMPARE(trainingTitle(), QStringLiteral("Quillmora"));
    QCOMPARE(textOf(frmMain::instance(), QStringLiteral("lblKoumoku")), QStringLiteral("A"));
    QVERIFY(!QFile::exists(QStringLiteral("A.txt")));
}

void TestSchedule::heldPassStartsNowStopsOrIsNoLongerHeld_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("今すぐ始める") << QStringLiteral("startNow");
    QTest::newRow("待機をやめる") << QStringLiteral("stopWaiting");
    QTest::newRow("holding turned off") << QStringLiteral("holdWhileBusy");
}

void TestSchedule::heldPassStartsNowStopsOrIsNoLongerHeld()
{
    QFETCH(QString, action);
    TestEnv env;
    Program::showTheWait();
    frmSettei& settings = settingsWith(QStringLiteral("0,0,1"));
    // The choice is offered in the settings window's own menu too.
    QVERIFY(settings.window()->actions().contains(passSchedule().holdWhileBusyAction()));
    env.busy().set(BusyReason::FullScreen);
    QAction* entry = action == QLatin1String("holdWhileBusy") ? passSchedule().holdWhileBusyAction() : nullptr;
    const qint64 came =
        startAndWatch(env, {{3 * kMinuteMs, [&] { (entry ? entry : trayEntry(action))->trigger(); }}}, 10 * kMinuteMs);
    if (action == QLatin1String("stopWaiting")) {
        QCOMPARE(came, qint64(-1));
        QVERIFY(!frmMain::instance().isLoaded());
        QVERIFY(settings.isLoaded());
        return;
    }
    QCOMPARE(came, 3 * kMinuteMs);
    QVERIFY(passIsUp());
    if (action == QLatin1String("holdWhileBusy")) {
        // Kept in the program's own file, never in the settings file, whose form is fixed.
        QCOMPARE(readBytes(QmrM::kOwnOptionsFile), QByteArray("holdPassWhileBusy=0\n"));
        QCOMPARE(readBytes(QmrM::kSettingsFile), QByteArray("0,0,1\r\n"));
        QVERIFY(!QmrM::holdsPassWhileBusy());
        // Over the full-screen window the pass will have the keyboard: it came at a long pause.
        QCOMPARE(env.idle().pauseMs(), schedule::PassSchedule::kLongPauseMs);
        return;
    }
    // Asked for, the pass takes the keyboard at once.
    typeKey(frmMain::instance(), Qt::Key_Return);
    QCOMPARE(recordsOf(QStringLiteral("A")), 1);
}

void TestSchedule::holdChoiceIsSavedOnceOrNotAtAll()
{
    TestEnv env;
    // Changed back and forth: one line of it, the options the program does not know kept.
    writeBytes(QmrM::kOwnOptionsFile, "laterOption=7\nholdPassWhileBusy=0\n");
    QAction* hold = passSchedule().holdWhileBusyAction();
    QVERIFY(!hold->isChecked());
    hold->trigger();
    hold->trigger();
    hold->trigger();
    QVERIFY(QmrM::holdsPassWhileBusy());
    QCOMPARE(readBytes(QmrM::kOwnOptionsFile), QByteArray("laterOption=7\nholdPassWhileBusy=1\n"));
    // A choice that cannot be saved is told, and the entry's tick stays as the file has it.
    QFile::remove(QmrM::kOwnOptionsFile);
    QVERIFY(QDir().mkdir(QmrM::kOwnOptionsFile));
    env.dialogs().expectAnyMessage(QStringLiteral("設定を保存できません"), platform::vbExclamation);
    hold = passSchedule().holdWhileBusyAction();
    hold->trigger();
    QVERIFY(env.dialogs().verify());
    QVERIFY(hold->isChecked());
    QVERIFY(QmrM::holdsPassWhileBusy());
}

void TestSchedule::keysAndClicksMeantForOtherWorkAreNotTaken()
{
    TestEnv env;
    Program::showTheWait();
    settingsWith(QStringLiteral("0,0,1"));
    QCOMPARE(startAndWatch(env, {}), kMinuteMs);
    frmMain& training = frmMain::instance();
    QVERIFY(passIsUp());
    // A click where the window has just come was meant for what was there before; so were a double click
    // across the end of its first second, the wheel over the count's scroll bar and F1 (the help).
    env.clock().jump(900);
    clickButton(training, QStringLiteral("cmdNext"));
    auto* count = control<QScrollBar>(training, QStringLiteral("hsbKaisu"));
    env.clock().jump(200);
    QTest::mouseDClick(control(training, QStringLiteral("cmdNext")), Qt::LeftButton);
    for (int notch = 0; notch < 3; ++notch) {
        QWheelEvent wheel(QPointF(5, 5), count->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(count, &wheel);
    }
    QCOMPARE(count->value(), 5);
    QTest::keyClick(training.window(), Qt::Key_F1);
    QVERIFY(env.helpCalls().isEmpty());
    // The user goes on typing a document: digits, Enter, a held key, every half second for twenty seconds.
    const QList<Qt::Key> typed = {Qt::Key_2, Qt::Key_5, Qt::Key_Return, Qt::Key_Space, Qt::Key_Enter};
    for (int i = 0; i < 40; ++i) {
        typeKey(frmMain::instance(), typed[i % typed.size()], i % 7 == 6);
        env.clock().jump(500);
    }
    QVERIFY(!QFile::exists(QStringLiteral("A.txt")));
    QCOMPARE(textOf(training, QStringLiteral("lblKoumoku")), QStringLiteral("A"));
    QCOMPARE(textOf(training, QStringLiteral("txtKaisu")), QStringLiteral("5"));

    // Once the typing has stopped for a moment, the keys are the user's answer to the pass.
    // A pause of a moment less than two seconds is still typing.
    env.clock().jump(1499);
    typeKey(frmMain::instance(), Qt::Key_7);
    QCOMPARE(textOf(training, QStringLiteral("txtKaisu")), QStringLiteral("5"));
    env.clock().jump(2000);
    typeKey(frmMain::instance(), Qt::Key_2);
    typeKey(frmMain::instance(), Qt::Key_Return);
    QCOMPARE(readDataFile(QStringLiteral("A.txt")).section(u',', 2).trimmed(), QStringLiteral("2"));
    QCOMPARE(textOf(training, QStringLiteral("lblKoumoku")), QStringLiteral("B"));
    // Where Enter goes shows before any Tab: 次へ has the focus, with its frame.
    QCOMPARE(focusIn(training), control(training, QStringLiteral("cmdNext")));
    QVERIFY(training.window()->testAttribute(Qt::WA_KeyboardFocusChange));
}

void TestSchedule::keysPressedBeforeTheSettingsWindowCameDoNothing()
{
    // Enter pressed twice (or held) on the last item: the second press is no press of 開始.
    TestEnv env;
    startTraining(QStringLiteral("\"A\",5\n"));
    typeKey(frmMain::instance(), Qt::Key_Return);
    frmSettei& settings = frmSettei::instance();
    QVERIFY(settings.isLoaded());
    QCOMPARE(settings.window()->focusWidget(), control(settings, QStringLiteral("cmdAgain")));
    // Up to the end of its first half second, any key pressed is dropped.
    env.clock().jump(499);
    typeKey(settings, Qt::Key_Space);
    env.clock().jump(301);
    typeKey(settings, Qt::Key_Return, true);
    QVERIFY(settings.isLoaded());
    QVERIFY(!StartWaits::current());
    // A key pressed anew is the user's: 開始, and after the wait the pass.
    env.clock().jump(150);
    typeKey(settings, Qt::Key_Return);
    QVERIFY(!settings.isLoaded());
    QVERIFY(passIsUp());
}

void TestSchedule::heldEnterRecordsOnceAndNeverPressesStart()
{
    // Enter held down on a desktop whose repeats come as fresh presses and releases, 30 ms apart.
    TestEnv env;
    startTraining(QStringLiteral("\"A\",5\n\"B\",3\n"));
    const auto holdEnter = [&](int repeats) {
        for (int i = 0; i < repeats; ++i) {
            const platform::Form& form = frmMain::instance().isLoaded()
                                             ? static_cast<platform::Form&>(frmMain::instance())
                                             : frmSettei::instance();
            QWidget* focused = focusIn(form);
            if (!focused)
                return;
            QTest::keyClick(focused, Qt::Key_Return);
            env.clock().jump(30);
        }
    };
    holdEnter(50);
    QCOMPARE(recordsOf(QStringLiteral("A")), 1);
    QCOMPARE(recordsOf(QStringLiteral("B")), 0);
    // Let go and pressed again: the last item, and held on into the settings window, whose 開始 it never presses.
    env.clock().jump(100);
    holdEnter(50);
    QCOMPARE(recordsOf(QStringLiteral("B")), 1);
    QVERIFY(frmSettei::instance().isLoaded());
    QVERIFY(!StartWaits::current());
}

void TestSchedule::passComesAtAPauseInTheInput_data()
{
    QTest::addColumn<bool>("idleKnown");
    QTest::addColumn<bool>("startedAgain");
    QTest::newRow("the desktop tells the idle time") << true << false;
    QTest::newRow("started again while the pass waits for a pause") << true << true;
    QTest::newRow("no idle time: the key guard alone") << false << false;
}

void TestSchedule::passComesAtAPauseInTheInput()
{
    QFETCH(bool, idleKnown);
    QFETCH(bool, startedAgain);
    TestEnv env;
    Program::showTheWait();
    settingsWith(QStringLiteral("0,0,1"));
    env.idle().setUnavailable(!idleKnown);
    QList<schedule::PassSchedule::Phase> phases;
    connect(&passSchedule(), &schedule::PassSchedule::phaseChanged, this,
            [&] { phases.append(passSchedule().phase()); });
    // The user types every half second from 50 s to 70 s into the wait.
    QList<QPair<qint64, std::function<void()>>> typing;
    for (qint64 at = 50 * 1000; at < 70 * 1000; at += 500)
        typing.append({at, [&] { env.idle().input(); }});
    QString titleAtTheEnd;
    typing.append({61 * 1000, [&] { titleAtTheEnd = trainingTitle(); }});
    if (startedAgain)
        typing.append({65 * 1000, [] { Program::anotherStartRequested(); }});
    const qint64 came = startAndWatch(env, typing);
    disconnect(&passSchedule(), nullptr, this, nullptr);
    using Phase = schedule::PassSchedule::Phase;
    if (!idleKnown) {
        QCOMPARE(came, kMinuteMs);
        return;
    }
    QCOMPARE(titleAtTheEnd, QStringLiteral("Quillmora - 入力の区切りで開始"));
    QCOMPARE(phases, QList<Phase>({Phase::Waiting, Phase::WaitingForPause, Phase::Idle, Phase::PassUp}));
    QCOMPARE(env.idle().pauseMs(), schedule::PassSchedule::kPauseMs);
    // Two seconds after the last key (69.5 s), or at once when the user looks for it.
    QCOMPARE(came, startedAgain ? 65 * 1000 : 71500);
    QVERIFY(passIsUp());
    // Brought by the user, the pass takes the keys at once; come by itself, it waits until the user turns to
    // it, for which the tray's first entry serves.
    typeKey(frmMain::instance(), Qt::Key_7);
    QCOMPARE(textOf(frmMain::instance(), QStringLiteral("txtKaisu")),
             startedAgain ? QStringLiteral("7") : QStringLiteral("5"));
    QAction* showPass = trayEntry(QStringLiteral("showPass"));
    QVERIFY(showPass);
    QCOMPARE(qobject_cast<QMenu*>(showPass->parent())->actions().first(), showPass);
    showPass->trigger();
    typeKey(frmMain::instance(), Qt::Key_8);
    QCOMPARE(textOf(frmMain::instance(), QStringLiteral("txtKaisu")),
             startedAgain ? QStringLiteral("78") : QStringLiteral("8"));
    clickButton(frmMain::instance(), QStringLiteral("cmdCut"));
    QCOMPARE(passSchedule().phase(), Phase::Idle);
}

void TestSchedule::holdEndsAtItsLimit()
{
    // Do-not-disturb left on all day: the pass comes all the same once it has been held half an hour.
    TestEnv env;
    Program::showTheWait();
    settingsWith(QStringLiteral("0,0,1"));
    env.busy().set(BusyReason::DoNotDisturb);
    QString heldTitle;
    const qint64 came = startAndWatch(env, {{29 * kMinuteMs, [&] { heldTitle = trainingTitle(); }}}, 60 * kMinuteMs);
    QCOMPARE(heldTitle, QStringLiteral("Quillmora - 保留中（おやすみモード中（9:19 から））"));
    QCOMPARE(came, kMinuteMs + schedule::PassSchedule::kHoldLimitMs);
    QVERIFY(passIsUp());
}

QTEST_MAIN(TestSchedule)
#include "tst_schedule.moc"
