// SPDX-License-Identifier: GPL-3.0-or-later
// The wait in view on a desktop with a tray host and a notification service. The services are the test's
// own (desktop_services.py, on the private session bus of on-desktop.sh --dbus); the program reaches them
// through the real protocols: StatusNotifierItem with its dbusmenu for the tray icon, and the desktop
// notification protocol. They record what the program registers and sends, and act as a user
// does: they click a menu entry, or choose a notice's action.

#include "DesktopServices.h"
#include "DesktopSession.h"
#include "Windows.h"

#include "app/Program.h"
#include "platform/AppSetup.h"
#include "platform/Form.h"
#include "shared/Seams.h"
#include "shared/Wait.h"
#include "help/HtmlHelp.h"
#include "settings/frmSettei.h"
#include "training/frmMain.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProcess>
#include <QTest>
#include <QTimer>

namespace {

const QString kPass = QStringLiteral("トレーニングの時間です");

const QString kHoldWhileBusy = QStringLiteral("取り込み中は待つ（全画面表示・通話など）");
const QJsonArray kMenu = {QStringLiteral("今すぐ始める"), QStringLiteral("待機をやめる"), QStringLiteral("-"),
                          kHoldWhileBusy, QStringLiteral("終了")};
// The pass's notice where the service draws its default action as a button (one 始める), and where a click
// on the notice is the only way to it (a button 始める too).
const QJsonArray kClickStarts = {QStringLiteral("default"), QStringLiteral("始める"), QStringLiteral("postpone"),
                                 QStringLiteral("5 分後に")};
const QJsonArray kClickAndButtonStart = {QStringLiteral("default"),  QStringLiteral("始める"),
                                         QStringLiteral("start"),    QStringLiteral("始める"),
                                         QStringLiteral("postpone"), QStringLiteral("5 分後に")};
// Once the pass is here, until a count is in.
const QJsonArray kPassMenu = {QStringLiteral("トレーニング画面を表示"), QStringLiteral("5 分後に"), QStringLiteral("-"),
                              kHoldWhileBusy, QStringLiteral("終了")};

}  // namespace

class TestTrayServices : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QGuiApplication::platformName() == "xcb", "run through tests/desktop/on-desktop.sh --dbus");
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "run through tests/desktop/on-desktop.sh --dbus");
        if (QProcess::execute(QStringLiteral("/usr/bin/python3"),
                              {QStringLiteral("-c"), QStringLiteral("import dbus, gi")}) != 0)
            QSKIP("the services need python3-dbus and python3-gi (scripts/setup.sh installs them)");
        platform::setUpApplication(*qobject_cast<QApplication*>(qApp));
        // Before the first tray icon: Qt looks for a tray host once per process.
        QVERIFY(mServices.start(!withoutTray()));
    }

    void iconAndNoticesFollowTheWait();
    void startNowBringsThePassAndItsRecord();
    void stopWaitingLeavesNoPass();
    void endInTheMenuEndsTheProgram();
    void passWaitsThroughDoNotDisturbAndALockedScreen();
    void passNoticeStartsOnceAndGoesWithThePass_data();
    void passNoticeStartsOnceAndGoesWithThePass();
    void closedWaitNoticeStaysClosed();

private:
    // The desktop shows neither a tray nor minimised windows (tests/CMakeLists.txt runs that on sway).
    static bool withoutTray() { return qEnvironmentVariable("QUILLMORA_TEST_TRAY") == QLatin1String("none"); }
    void putOffAndLookInsideTheNewWait(WaitOnDesktop& desktop, int passNotice);
    // Inside a wait: clicks the menu entry as soon as the tray shows the menu, and returns once the
    // program has taken the click.
    void clickInTheTray(const QString& label)
    {
        const int answered = mServices.answeredClicks();
        QTRY_VERIFY(mServices.click(label));
        QTRY_VERIFY(mServices.answeredClicks() > answered);
    }

    DesktopServices mServices;
};

void TestTrayServices::iconAndNoticesFollowTheWait()
{
    WaitOnDesktop desktop;
    const int itemsBefore = mServices.items().size();
    const int from = mServices.noticeCount();
    QWidget* training = nullptr;
    const auto atTheStart = [&] {
        training = frmMain::instance().window();
        QTRY_COMPARE(mServices.items().size(), itemsBefore + 1);
        QTRY_COMPARE(mServices.item()[QStringLiteral("menu")].toArray(), kMenu);
        QCOMPARE(mServices.lastToolTip(), QStringLiteral("次のトレーニングまであと 3 分（10:33 開始予定）"));
        QVERIFY(!mServices.item()[QStringLiteral("iconSizes")].toArray().isEmpty());
        QTRY_COMPARE(xTitle(training), QStringLiteral("Quillmora - あと 3 分"));
        desktop.clock().jump(60 * 1000);
    };
    const QString twoMinutesLeft = QStringLiteral("次のトレーニングまであと 2 分");
    const auto aMinuteIn = [&] {
        QTRY_COMPARE(mServices.lastToolTip(), QStringLiteral("次のトレーニングまであと 2 分（10:33 開始予定）"));
        QTRY_COMPARE(xTitle(training), QStringLiteral("Quillmora - あと 2 分"));
        // Started again meanwhile: the time left comes as a notice (a box would fail the scripted dialogs).
        Program::anotherStartRequested();
        QTRY_COMPARE(mServices.notices(twoMinutesLeft, from).size(), 1);
        const QJsonObject timeLeft = mServices.notices(twoMinutesLeft, from).first();
        QCOMPARE(timeLeft[QStringLiteral("body")].toString(), QStringLiteral("10:33 開始予定"));
        QCOMPARE(timeLeft[QStringLiteral("actions")].toArray(),
                 QJsonArray({QStringLiteral("startNow"), QStringLiteral("今すぐ始める"), QStringLiteral("stopWaiting"),
                             QStringLiteral("待機をやめる")}));
        desktop.clock().jump(2 * 60 * 1000);
    };
    desktop.runWait({atTheStart, aMinuteIn});
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(frmMain::instance().window(), training);
    QTRY_COMPARE(xWindowState(training), QStringLiteral("Normal"));
    QVERIFY(!training->isActiveWindow());  // come by itself: the keyboard stays with the user's work
    QTRY_COMPARE(mServices.item()[QStringLiteral("menu")].toArray(), kPassMenu);
    QTRY_COMPARE(mServices.notices(kPass, from).size(), 1);
    const QJsonObject pass = mServices.notices(kPass, from).first();
    QCOMPARE(pass[QStringLiteral("body")].toString(), QStringLiteral("A 5 回"));
    QCOMPARE(pass[QStringLiteral("actions")].toArray(), kClickStarts);
    QCOMPARE(pass[QStringLiteral("hints")].toObject()[QStringLiteral("desktop-entry")].toString(),
             QStringLiteral("io.github.quillmora.quillmora"));
    // The time-left notice went with the wait, and the title is the window's own again.
    const QJsonObject timeLeft = mServices.notices(twoMinutesLeft, from).first();
    QTRY_VERIFY(mServices.closed(timeLeft[QStringLiteral("id")].toInt()));
    QTRY_COMPARE(xTitle(training), QStringLiteral("Quillmora"));

    // The user put the window away again; 始める in the notice brings it back to the front.
    frmMain::instance().setWindowState(platform::Form::vbMinimized);
    QTRY_COMPARE(xWindowState(training), QStringLiteral("Iconic"));
    mServices.invokeAction(pass[QStringLiteral("id")].toInt(), QStringLiteral("default"), QStringLiteral("token-1"));
    QTRY_COMPARE(xWindowState(training), QStringLiteral("Normal"));
    QTRY_VERIFY(training->isActiveWindow());
    // One pass, one notice.
    QTest::qWait(300);
    QCOMPARE(mServices.notices(kPass, from).size(), 1);

    // Once a count is typed the pass is under way: the notice's 5 分後に no longer sends the window away.
    QTest::keyClicks(control<QLineEdit>(frmMain::instance(), QStringLiteral("txtKaisu")), QStringLiteral("7"));
    mServices.invokeAction(pass[QStringLiteral("id")].toInt(), QStringLiteral("postpone"), QString());
    QTest::qWait(300);
    QVERIFY(!QmrM::StartWaits::current());
    QCOMPARE(xWindowState(training), QStringLiteral("Normal"));
    QCOMPARE(xTitle(training), QStringLiteral("Quillmora"));
}

void TestTrayServices::startNowBringsThePassAndItsRecord()
{
    WaitOnDesktop desktop;
    const int from = mServices.noticeCount();
    desktop.runWait({[&] { clickInTheTray(QStringLiteral("今すぐ始める")); }});
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(desktop.clock().elapsedMs(), qint64(0));  // long before its time
    QVERIFY(frmMain::instance().window()->isVisible());
    QTRY_COMPARE(mServices.notices(kPass, from).size(), 1);
    QTest::keyClick(control<QLineEdit>(frmMain::instance(), QStringLiteral("txtKaisu")), Qt::Key_Return);
    QCOMPARE(readDataFile(QStringLiteral("A.txt")), QStringLiteral("\"12月06日\",\"10時30分00秒\",5\r\n"));
    // The pass is over, and the offer to put it off with it.
    QTRY_VERIFY(!mServices.item()[QStringLiteral("registered")].toBool());
    QVERIFY(frmSettei::instance().isLoaded());
}

void TestTrayServices::stopWaitingLeavesNoPass()
{
    WaitOnDesktop desktop;
    const int from = mServices.noticeCount();
    desktop.runWait({[&] { clickInTheTray(QStringLiteral("待機をやめる")); }});
    if (QTest::currentTestFailed())
        return;
    QVERIFY(frmSettei::instance().isLoaded());
    QVERIFY(!frmMain::instance().isLoaded());
    QTRY_VERIFY(!mServices.item()[QStringLiteral("registered")].toBool());
    // Nothing comes when the pass would have come, nor later.
    desktop.clock().jump(10 * 60 * 1000);
    QTest::qWait(300);
    QVERIFY(!frmMain::instance().isLoaded());
    QCOMPARE(mServices.notices(kPass, from).size(), 0);
    QCOMPARE(readBytes(QStringLiteral("A.txt")), QByteArray());
    QVERIFY(desktop.env().endings().isEmpty());
}

void TestTrayServices::endInTheMenuEndsTheProgram()
{
    WaitOnDesktop desktop;
    const int from = mServices.noticeCount();
    desktop.runWait({[&] { clickInTheTray(QStringLiteral("終了")); }});
    QCOMPARE(desktop.env().endings(), QList<int>{0});
    QVERIFY(!desktop.env().helpCalls().isEmpty());
    QCOMPARE(desktop.env().helpCalls().last().command, int(help::HelpCommand::CloseAll));
    QTest::qWait(300);
    QCOMPARE(mServices.notices(kPass, from).size(), 0);
}

void TestTrayServices::passWaitsThroughDoNotDisturbAndALockedScreen()
{
    WaitOnDesktop desktop;
    // What keeps the user busy is read from the desktop's services here, not told by the test.
    QmrM::Seams seams = QmrM::seams();
    seams.userBusy = nullptr;
    const QmrM::SeamsScope readTheDesktop(seams);
    const int from = mServices.noticeCount();
    QStringList held;
    QString stateWhileHeld;
    const auto busyThroughTheEnd = [&] {
        QWidget* training = frmMain::instance().window();
        mServices.setDoNotDisturb(true);
        desktop.clock().jump(3 * 60 * 1000);
        QTRY_COMPARE(xTitle(training), QStringLiteral("Quillmora - 保留中（おやすみモード中（10:33 から））"));
        held.append(mServices.lastToolTip());
        mServices.setScreenLocked(true);
        QTRY_COMPARE(xTitle(training),
                     QStringLiteral("Quillmora - 保留中（おやすみモード中・画面ロック中（10:33 から））"));
        mServices.setDoNotDisturb(false);
        QTRY_COMPARE(xTitle(training), QStringLiteral("Quillmora - 保留中（画面ロック中（10:33 から））"));
        stateWhileHeld = xWindowState(training);
        held.append(QString::number(mServices.notices(kPass, from).size()));
        mServices.setScreenLocked(false);  // the pass comes now
    };
    desktop.runWait({busyThroughTheEnd});
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(held,
             QStringList({QStringLiteral("トレーニングの時間ですが、おやすみモード中（10:33 から）のため待っています。"
                                         "終わるとすぐに始まります"),
                          QStringLiteral("0")}));
    QCOMPARE(stateWhileHeld, QStringLiteral("Iconic"));
    QTRY_COMPARE(xWindowState(frmMain::instance().window()), QStringLiteral("Normal"));
    QTRY_COMPARE(mServices.notices(kPass, from).size(), 1);
    QCOMPARE(readBytes(QStringLiteral("A.txt")), QByteArray());
}

void TestTrayServices::passNoticeStartsOnceAndGoesWithThePass_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("passEnds");
    QTest::addColumn<QJsonArray>("actions");
    QTest::newRow("Xfce, 中断") << "xfce4-notifyd"
                                << "cmdCut" << kClickStarts;
    QTest::newRow("GNOME Shell, count entered") << "gnome-shell"
                                                << "count" << kClickAndButtonStart;
    QTest::newRow("Plasma, program ends") << "Plasma"
                                          << "program" << kClickAndButtonStart;
    // Put off: a new wait begins with the window sent away, and the old notice's 始める would bring it.
    QTest::newRow("put off") << "test desktop"
                             << "postpone" << kClickStarts;
}

void TestTrayServices::passNoticeStartsOnceAndGoesWithThePass()
{
    QFETCH(QString, server);
    QFETCH(QString, passEnds);
    QFETCH(QJsonArray, actions);
    mServices.setServerName(server);
    WaitOnDesktop desktop;
    const int from = mServices.noticeCount();
    desktop.runWait({[&] { desktop.clock().jump(3 * 60 * 1000); }});
    QTRY_COMPARE(mServices.notices(kPass, from).size(), 1);
    mServices.setServerName(QStringLiteral("test desktop"));
    const QJsonObject pass = mServices.notices(kPass, from).first();
    QCOMPARE(pass[QStringLiteral("actions")].toArray(), actions);
    const int id = pass[QStringLiteral("id")].toInt();
    QTest::qWait(200);
    QVERIFY(!mServices.closed(id));
    lookAtThePass(desktop.env());
    if (passEnds == "cmdCut")
        clickButton(frmMain::instance(), QStringLiteral("cmdCut"));
    else if (passEnds == "count")
        QTest::keyClick(control<QLineEdit>(frmMain::instance(), QStringLiteral("txtKaisu")), Qt::Key_Return);
    else if (passEnds == "postpone")
        return putOffAndLookInsideTheNewWait(desktop, id);
    else
        Program::showTheWait();  // the view of the wait goes, as at the program's end, and a new one comes
    QTRY_VERIFY(mServices.closed(id));
}

// The new wait runs a loop of its own: the notice is looked for from inside it (for five seconds), then its
// five minutes pass and the put-off pass comes.
void TestTrayServices::putOffAndLookInsideTheNewWait(WaitOnDesktop& desktop, int passNotice)
{
    bool closedDuringTheWait = false;
    QElapsedTimer looking;
    QTimer look;
    connect(&look, &QTimer::timeout, this, [&] {
        if (!QmrM::StartWaits::current())
            return;
        if (!looking.isValid())
            looking.start();
        closedDuringTheWait = mServices.closed(passNotice);
        if (closedDuringTheWait || looking.elapsed() > 5000) {
            look.stop();
            desktop.clock().jump(5 * 60 * 1000);
        }
    });
    look.start(50);
    mServices.invokeAction(passNotice, QStringLiteral("postpone"), QString());
    QTRY_VERIFY(!look.isActive());
    QVERIFY(closedDuringTheWait);
    QTRY_VERIFY(frmMain::instance().window()->isVisible());
    lookAtThePass(desktop.env());
    clickButton(frmMain::instance(), QStringLiteral("cmdCut"));
}

// Where nothing else shows the wait, its notice does, brought up to date each minute; once the user has
// closed it, it comes back only when asked for by a second start.
void TestTrayServices::closedWaitNoticeStaysClosed()
{
    if (!withoutTray())
        QSKIP("for a desktop without a tray (tst_tray_notices)");
    const auto timeLeft = [&](const QString& left, int since) {
        const QList<QJsonObject> sent = mServices.notices(QStringLiteral("次のトレーニングまであと ") + left, since);
        return sent.isEmpty() ? QJsonObject() : sent.last();
    };
    const auto loud = [](const QJsonObject& notice) {
        return notice[QStringLiteral("hints")].toObject()[QStringLiteral("urgency")].toInt() > 0;
    };
    WaitOnDesktop desktop;
    const int from = mServices.noticeCount();
    int id = 0;
    int closedAt = 0;
    const auto atTheStart = [&] {
        QTRY_VERIFY(loud(timeLeft(QStringLiteral("3 分"), from)));
        id = timeLeft(QStringLiteral("3 分"), from)[QStringLiteral("id")].toInt();
        desktop.clock().jump(60 * 1000);
    };
    const auto aMinuteIn = [&] {
        // The same notice, brought up to date without a sound.
        QTRY_VERIFY(!timeLeft(QStringLiteral("2 分"), from).isEmpty());
        QCOMPARE(timeLeft(QStringLiteral("2 分"), from)[QStringLiteral("replacesId")].toInt(), id);
        QVERIFY(!loud(timeLeft(QStringLiteral("2 分"), from)));
        mServices.dismissNotice(id);
        closedAt = mServices.noticeCount();
        desktop.clock().jump(60 * 1000);
    };
    const auto twoMinutesIn = [&] {
        // The program sends in order: by the time the second start's notice is in, a minute's would be too.
        Program::anotherStartRequested();
        QTRY_VERIFY(loud(timeLeft(QStringLiteral("1 分未満"), closedAt)));
        QCOMPARE(mServices.noticeCount(), closedAt + 1);
        desktop.clock().jump(60 * 1000);
    };
    desktop.runWait({atTheStart, aMinuteIn, twoMinutesIn});
}

QTEST_MAIN(TestTrayServices)
#include "tst_tray_services.moc"
