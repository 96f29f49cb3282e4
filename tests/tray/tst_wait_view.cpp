// SPDX-License-Identifier: GPL-3.0-or-later
// The start wait as the task bar shows it, driven by the clock: the minimised training window's title
// counts the minutes down at each minute's boundary and is the window's own again once the pass comes,
// whatever the user did with the window meanwhile, and whatever box is open when the time is up.
// And a desktop without a notification service (here: without a session bus): a second start still
// learns the time left, from a message box that goes when the wait ends, and the pass comes without a
// fault. A pass put off with 5 分後に waits again, until a count is in. The tray and the
// notices themselves are judged on a desktop session (tst_tray_services, tst_tray_x11).

#include "TestEnv.h"
#include "Windows.h"

#include "app/Program.h"
#include "platform/AppSetup.h"
#include "platform/Dialogs.h"
#include "settings/frmSettei.h"
#include "shared/Wait.h"
#include "training/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QWindow>

namespace {

// Starts the program on the items "A" and "B" with the given wait and leaves the first pass for the
// settings window.
frmSettei& settingsWithWait(const QString& minutes)
{
    return settingsAfterCut(QStringLiteral("\"A\",5\n\"B\",3\n"), QStringLiteral("0,0,") + minutes);
}

QString trainingTitle()
{
    const QWidget* window = frmMain::instance().window();
    return window ? window->windowTitle() : QStringLiteral("(not loaded)");
}

// What a three-minute wait showed: the training window's title just after each minute's boundary, and
// when the pass came (ms into the wait; -1: it did not).
struct ThreeMinutes {
    QStringList titles;
    qint64 passAt = -1;
};

// Starts a three-minute wait from the settings window; `during` runs at its moments into the wait. Returns
// once the wait's boundaries have passed, also when the wait ended before them.
ThreeMinutes waitThreeMinutes(TestEnv& env, const QList<QPair<qint64, std::function<void()>>>& during)
{
    frmSettei& settings = settingsWithWait(QStringLiteral("3"));
    ThreeMinutes seen;
    qint64 began = 0;
    QObject listening;  // the connections end with the wait
    QObject::connect(&QmrM::StartWaits::instance(), &QmrM::StartWaits::began, &listening, [&] {
        began = env.clock().elapsedMs();
        for (const auto& [moment, action] : during)
            env.clock().after(moment, action);
        for (const qint64 boundary : {60 * 1000, 120 * 1000})
            env.clock().after(boundary + 1, [&] { seen.titles.append(trainingTitle()); });
    });
    QObject::connect(&QmrM::StartWaits::instance(), &QmrM::StartWaits::passCame, &listening,
                     [&] { seen.passAt = env.clock().elapsedMs() - began; });
    clickButton(settings, QStringLiteral("cmdAgain"));
    if (!QTest::qWaitFor([&] { return seen.titles.size() == 2; }))
        QTest::qFail("the wait's minutes never passed", __FILE__, __LINE__);
    return seen;
}

void restoreAndPressNext(int presses)
{
    frmMain& training = frmMain::instance();
    training.setWindowState(platform::Form::vbNormal);
    for (int i = 0; i < presses; ++i)
        clickButton(training, QStringLiteral("cmdNext"));
}

}  // namespace

class TestWaitView : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // No session bus, hence no notification service (and nothing sent to the session running the tests).
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/quillmora-no-session-bus");
        platform::setUpApplication(*qobject_cast<QApplication*>(qApp));
    }

    void titleCountsTheMinutesDown_data();
    void titleCountsTheMinutesDown();
    void withoutNotificationServiceASecondStartGetsTheBox();
    void theBoxOfASecondStartStartsThePassNow();
    void everyWayThroughAWaitPastItsMinutes_data();
    void everyWayThroughAWaitPastItsMinutes();
    void passComesWhileABoxIsOpen();
    void passPutOffUntilACountIsIn();
};

void TestWaitView::titleCountsTheMinutesDown_data()
{
    QTest::addColumn<QString>("minutes");
    QTest::addColumn<QList<qint64>>("moments");  // into the wait, in milliseconds
    QTest::addColumn<QStringList>("titles");
    const QString three = QStringLiteral("Quillmora - あと 3 分");
    const QString two = QStringLiteral("Quillmora - あと 2 分");
    const QString last = QStringLiteral("Quillmora - あと 1 分未満");
    // Each title holds until the boundary and changes right after it.
    QTest::newRow("3 minutes") << QStringLiteral("3") << QList<qint64>{0, 59999, 60001, 119999, 120001, 179999}
                               << QStringList{three, three, two, two, last, last};
    QTest::newRow("2.5 minutes: the boundaries fall on the half minutes")
        << QStringLiteral("2.5") << QList<qint64>{0, 29999, 30001, 89999, 90001, 149999}
        << QStringList{three, three, two, two, last, last};
    QTest::newRow("1 minute: the last minute at once")
        << QStringLiteral("1") << QList<qint64>{0, 59999} << QStringList{last, last};
}

void TestWaitView::titleCountsTheMinutesDown()
{
    QFETCH(QString, minutes);
    QFETCH(QList<qint64>, moments);
    QFETCH(QStringList, titles);
    TestEnv env;
    Program::showTheWait();
    frmSettei& settings = settingsWithWait(minutes);
    QStringList seen;
    connect(&QmrM::StartWaits::instance(), &QmrM::StartWaits::began, this, [&] {
        for (const qint64 moment : moments)
            env.clock().after(moment, [&] { seen.append(trainingTitle()); });
    });
    clickButton(settings, QStringLiteral("cmdAgain"));
    disconnect(&QmrM::StartWaits::instance(), nullptr, this, nullptr);
    QCOMPARE(seen, titles);
    QVERIFY(frmMain::instance().window()->isVisible());
    QCOMPARE(trainingTitle(), QStringLiteral("Quillmora"));
}

namespace {

// A second start a minute into a three-minute wait begun at 9:18:07, without a notification service: the box
// that says when the pass comes offers to start now or to stop waiting. Returns the box.
platform::NoticeBox* startAgainAMinuteIn(TestEnv& env)
{
    env.dialogs().expectMessage(QStringLiteral("次のトレーニングまであと 2 分（9:21 開始予定）"),
                                QStringLiteral("Quillmora"), platform::vbInformation);
    Program::anotherStartRequested();
    QStringList offered;
    if (platform::NoticeBox* box = env.dialogs().lastNotice()) {
        for (const platform::NoticeChoice& choice : box->choices())
            offered.append(choice.text);
    }
    if (offered != QStringList({QStringLiteral("今すぐ始める"), QStringLiteral("待機をやめる")}))
        QTest::qFail(qPrintable(QStringLiteral("the box offers ") + offered.join(u'/')), __FILE__, __LINE__);
    return env.dialogs().lastNotice();
}

}  // namespace

void TestWaitView::withoutNotificationServiceASecondStartGetsTheBox()
{
#ifdef Q_OS_WIN
    QSKIP("Windows tells a second start through the tray icon's balloon, whenever the icon shows");
#endif
    TestEnv env;
    Program::showTheWait();
    frmSettei& settings = settingsWithWait(QStringLiteral("3"));
    env.clock().after(60 * 1000 + 1, [&] {
        startAgainAMinuteIn(env);
        QCOMPARE(env.dialogs().openNotices(), 1);
    });
    clickButton(settings, QStringLiteral("cmdAgain"));
    QVERIFY(env.dialogs().verify());
    QCOMPARE(env.dialogs().openNotices(), 0);  // the box went with the wait
    QVERIFY(frmMain::instance().window()->isVisible());
    QVERIFY(env.endings().isEmpty());
}

void TestWaitView::theBoxOfASecondStartStartsThePassNow()
{
#ifdef Q_OS_WIN
    QSKIP("Windows tells a second start through the tray icon's balloon, whenever the icon shows");
#endif
    TestEnv env;
    Program::showTheWait();
    frmSettei& settings = settingsWithWait(QStringLiteral("3"));
    qint64 chosenAt = -1;
    qint64 cameAt = -1;
    QObject listening;
    QObject::connect(&QmrM::StartWaits::instance(), &QmrM::StartWaits::passCame, &listening,
                     [&] { cameAt = env.clock().elapsedMs(); });
    env.clock().after(60 * 1000 + 1, [&] {
        platform::NoticeBox* box = startAgainAMinuteIn(env);
        chosenAt = env.clock().elapsedMs();
        if (box)
            box->choose(0);
    });
    clickButton(settings, QStringLiteral("cmdAgain"));
    QVERIFY(chosenAt > 0);
    QCOMPARE(cameAt, chosenAt);
    QCOMPARE(env.dialogs().openNotices(), 0);
    QVERIFY(env.dialogs().verify());
}

enum WayThrough { ClosedMinimised, RestoredAndLeft, RestoredThenMinimised, TrainedThenClosed, TrainedThrough };

void TestWaitView::everyWayThroughAWaitPastItsMinutes_data()
{
    QTest::addColumn<int>("way");
    QTest::addColumn<QStringList>("titles");  // after the first and the second minute
    QTest::addColumn<qint64>("passAt");
    QTest::addColumn<int>("recordsOfA");
    const QString gone = QStringLiteral("(not loaded)");
    QTest::newRow("closed while minimised: a fresh window comes")
        << int(ClosedMinimised) << QStringList{gone, gone} << qint64(180 * 1000) << 0;
    // A window in use shows its own title; minimised again, it counts down again.
    const QString own = QStringLiteral("Quillmora");
    QTest::newRow("restored early: the same window comes")
        << int(RestoredAndLeft) << QStringList{own, own} << qint64(180 * 1000) << 0;
    QTest::newRow("restored, then minimised again")
        << int(RestoredThenMinimised) << QStringList{own, QStringLiteral("Quillmora - あと 1 分未満")}
        << qint64(180 * 1000) << 0;
    QTest::newRow("one item trained, then closed: a fresh pass comes")
        << int(TrainedThenClosed) << QStringList{own, gone} << qint64(180 * 1000) << 1;
    QTest::newRow("trained through: no second pass")
        << int(TrainedThrough) << QStringList{gone, gone} << qint64(-1) << 1;
}

void TestWaitView::everyWayThroughAWaitPastItsMinutes()
{
    QFETCH(int, way);
    QFETCH(QStringList, titles);
    QFETCH(qint64, passAt);
    QFETCH(int, recordsOfA);
    TestEnv env;
    Program::showTheWait();
    frmMain& training = frmMain::instance();
    // Closing runs no handler, as a task bar's close does; the window is minimised unless restored.
    const auto close = [&] { training.window()->close(); };
    QList<QPair<qint64, std::function<void()>>> during;
    if (way == ClosedMinimised)
        during = {{30 * 1000, close}};
    if (way == RestoredAndLeft)
        during = {{30 * 1000, [] { restoreAndPressNext(0); }}};
    // The title follows at once when the user restores or minimises the window.
    QStringList atOnce;
    const auto setState = [&](int state) {
        training.setWindowState(state);
        atOnce.append(trainingTitle());
    };
    if (way == RestoredThenMinimised)
        during = {{30 * 1000, [&] { setState(platform::Form::vbNormal); }},
                  {90 * 1000, [&] { setState(platform::Form::vbMinimized); }}};
    if (way == TrainedThenClosed)
        during = {{30 * 1000, [] { restoreAndPressNext(1); }}, {90 * 1000, close}};
    if (way == TrainedThrough)
        during = {{30 * 1000, [] { restoreAndPressNext(2); }}};

    const ThreeMinutes seen = waitThreeMinutes(env, during);
    QCOMPARE(seen.titles, titles);
    if (way == RestoredThenMinimised)
        QCOMPARE(atOnce, QStringList({QStringLiteral("Quillmora"), QStringLiteral("Quillmora - あと 2 分")}));
    QCOMPARE(seen.passAt, passAt);
    QCOMPARE(readDataFile(QStringLiteral("A.txt")).count(u'\n'), recordsOfA);
    QVERIFY(!QmrM::StartWaits::current());
    QVERIFY(env.endings().isEmpty());
    if (passAt < 0) {
        QVERIFY(!training.isLoaded());
        QVERIFY(frmSettei::instance().window()->isVisible());
        return;
    }
    // The pass begins at the first item, in a window with its own title.
    QCOMPARE(training.WindowState(), int(platform::Form::vbNormal));
    QVERIFY(training.window()->isVisible());
    QCOMPARE(trainingTitle(), QStringLiteral("Quillmora"));
    QCOMPARE(textOf(training, QStringLiteral("lblKoumoku")), QStringLiteral("A"));
}

void TestWaitView::passComesWhileABoxIsOpen()
{
    TestEnv env;
    Program::showTheWait();
    frmMain& training = frmMain::instance();
    bool cameWithTheBoxOpen = false;
    // A box opened during the wait (a message, a save or print dialog) runs its own event loop above the
    // wait's until the user closes it, long after the time is up.
    QMessageBox box(QMessageBox::Information, QStringLiteral("Quillmora"), QStringLiteral("box"));
    const ThreeMinutes seen =
        waitThreeMinutes(env, {{30 * 1000, [&] { box.exec(); }},
                               {180 * 1000 + 1,
                                [&] {
                                    // The box stays in front of the pass, where
                                    // the user can finish with it.
                                    cameWithTheBoxOpen = box.isVisible() && training.window()->isVisible() &&
                                                         training.WindowState() == platform::Form::vbNormal &&
                                                         box.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint);
                                }},
                               {20 * 60 * 1000, [&] { box.reject(); }}});
    QCOMPARE(seen.titles,
             QStringList({QStringLiteral("Quillmora - あと 2 分"), QStringLiteral("Quillmora - あと 1 分未満")}));
    QCOMPARE(seen.passAt, qint64(180 * 1000));
    QVERIFY(cameWithTheBoxOpen);
    QCOMPARE(trainingTitle(), QStringLiteral("Quillmora"));
}

// 5 分後に from the tray: the window waits five minutes again as after 開始 (its title counts down, so it is
// minimised) and the same pass comes back with nothing recorded; a typed count takes the offer away.
void TestWaitView::passPutOffUntilACountIsIn()
{
    TestEnv env;
    Program::showTheWait();
    QList<qint64> passes;
    QStringList titles;
    QmrM::StartWaits& waits = QmrM::StartWaits::instance();
    connect(&waits, &QmrM::StartWaits::passCame, this, [&] { passes.append(env.clock().elapsedMs()); });
    clickButton(settingsWithWait(QStringLiteral("1")), QStringLiteral("cmdAgain"));
    connect(&waits, &QmrM::StartWaits::began, this, [&] {
        for (const qint64 moment : {60 * 1000 + 1, 120 * 1000 + 1})
            env.clock().after(moment, [&] { titles.append(trainingTitle()); });
    });
    trayEntry(QStringLiteral("postpone"))->trigger();
    QVERIFY(QTest::qWaitFor([&] { return passes.size() == 2; }));
    disconnect(&waits, nullptr, this, nullptr);
    QCOMPARE(titles, QStringList({QStringLiteral("Quillmora - あと 4 分"), QStringLiteral("Quillmora - あと 3 分")}));
    QCOMPARE(passes, QList<qint64>({60 * 1000, 360 * 1000}));
    QCOMPARE(textOf(frmMain::instance(), QStringLiteral("lblKoumoku")), QStringLiteral("A"));
    QCOMPARE(readBytes(QStringLiteral("A.txt")), QByteArray());

    lookAtThePass(env);
    QTest::keyClicks(control<QLineEdit>(frmMain::instance(), QStringLiteral("txtKaisu")), QStringLiteral("7"));
    QAction* postpone = trayEntry(QStringLiteral("postpone"));
    emit qobject_cast<QMenu*>(postpone->parent())->aboutToShow();  // the user opens the tray's menu
    QVERIFY(!postpone->isEnabled());
    QCOMPARE(postpone->text(), QStringLiteral("5 分後に（回数を入力したので選べません）"));  // greyed, and why
    postpone->trigger();
    QTest::qWait(50);
    QVERIFY(!QmrM::StartWaits::current());
}

QTEST_MAIN(TestWaitView)
#include "tst_wait_view.moc"
