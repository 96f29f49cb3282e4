// SPDX-License-Identifier: GPL-3.0-or-later
// The start wait on the desktops users run (on-desktop.sh --desktop: Wayland compositors, X11 window
// managers with and without a minimised state): no training window is on screen while it waits, and it
// is on screen when the pass comes. Judged by the compositor's or window manager's own view of the
// program's windows (desktop_view.py), not by what Qt believes. Where the desktop hands the new window
// the keyboard, what the user goes on typing for another program records nothing.

#include "DesktopView.h"
#include "FastWait.h"
#ifdef QUILLMORA_DESKTOP_SERVICES
#include "../tray/DesktopServices.h"
#endif
#include "OtherProgram.h"
#include "VirtualClock.h"

#include "app/Program.h"
#include "platform/AppSetup.h"
#include "platform/Desktop.h"
#include "platform/DesktopIdle.h"
#include "platform/SingleInstance.h"
#include "schedule/PassSchedule.h"
#include "settings/frmSettei.h"
#include "shared/OwnOptions.h"
#include "shared/Wait.h"
#include "training/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>

namespace {

constexpr int kWaitRealMs = FastWait::kWaitRealMs;

bool onGnome()
{
    return qEnvironmentVariable("QUILLMORA_DESKTOP").startsWith(QLatin1String("gnome"));
}

// GNOME Shell's notices: {"title": …, "body": …, "actions": [labels]}, and its banner (null when none).
QJsonObject shellNotices()
{
    QString failure;
    return QJsonDocument::fromJson(askTheDesktop({QStringLiteral("--notices")}, &failure)).object();
}

// The notice with the title in GNOME Shell's list, as "title / body / action, action"; empty if none.
QString shellNotice(const QJsonObject& notices, const QString& title)
{
    for (const QJsonValue notice : notices[QStringLiteral("notices")].toArray()) {
        const QJsonObject n = notice.toObject();
        QStringList actions;
        for (const QJsonValue action : n[QStringLiteral("actions")].toArray())
            actions.append(action.toString());
        if (n[QStringLiteral("title")].toString() == title)
            return QStringList{title, n[QStringLiteral("body")].toString(), actions.join(QStringLiteral(", "))}.join(
                QStringLiteral(" / "));
    }
    return QString();
}

// Clicks the button of the newest notice with the title in GNOME Shell, as the user does.
bool chooseInShellNotice(const QString& title, const QString& label)
{
    QString failure;
    askTheDesktop({QStringLiteral("--choose"), title, label}, &failure);
    return failure.isEmpty();
}

// Every function runs on one Wayland compositor and one X11 window manager; the other desktops run those
// whose outcome depends on the desktop (its own view of the wait and of the arrival, its notices), not the
// tray menu's choices, which the desktop takes no part in.
bool runsEveryFunction()
{
    const QString desktop = qEnvironmentVariable("QUILLMORA_DESKTOP");
    return desktop == QLatin1String("sway") || desktop == QLatin1String("i3");
}
const QStringList kOnEveryDesktop = {
    QStringLiteral("passComesOnlyWhenTheWaitEnds"),
    QStringLiteral("typingElsewhereThroughTheEndOfTheWaitRecordsNothing"),
    QStringLiteral("gnomeNoticesShowTheWaitAndBringThePassForward"),
    QStringLiteral("noticeSaysWhereThePassIsWhenTheKeyboardIsRefused"),
    QStringLiteral("compositorTellsThePauseAfterTheTyping"),
    QStringLiteral("keysAfterAClickOnTheComingPassStayWithTheirProgram"),
    QStringLiteral("passOverAFullScreenWindowComesAboveItWhenNothingHoldsIt"),
};

// Starts the program again in the data folder, this test being the running copy, as GNOME Shell's launchers
// start a program: with the startup id the shell gives it. Returns once the running copy was told.
void startAgainFromTheShellsLauncher()
{
    platform::SingleInstance running(QDir::currentPath());
    QCOMPARE(running.claim(), platform::SingleInstance::Outcome::Running);
    QString told;
    QObject::connect(&running, &platform::SingleInstance::anotherStart, [&](const QString& activationToken) {
        told = activationToken;
        Program::anotherStartRequested(activationToken);
    });
    QString failure;
    const QString launchToken =
        QString::fromLatin1(askTheDesktop({QStringLiteral("--launch-token")}, &failure).trimmed());
    QVERIFY2(!launchToken.isEmpty(), qPrintable(failure));
    QProcess second;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DESKTOP_STARTUP_ID"), launchToken);
    second.setProcessEnvironment(environment);
    second.start(QStringLiteral(QUILLMORA_PROGRAM), {});
    QVERIFY(QTest::qWaitFor([&] { return !told.isEmpty(); }, 20000));
    QCOMPARE(told, launchToken);
    QVERIFY(QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, 20000));
}

// Whether the desktop gives the keyboard focus to the window it shows: headless Weston has no keyboard.
bool focusGranted()
{
    return qEnvironmentVariable("QUILLMORA_DESKTOP") != QStringLiteral("weston");
}

// Presses 開始 of the settings window as a screen reader does, through the accessibility bus, and returns
// when the wait it began is over. The press returns at once; the wait runs from this program's event loop.
void pressStartThroughAccessibility()
{
    bool began = false;
    QObject scope;
    QObject::connect(&QmrM::StartWaits::instance(), &QmrM::StartWaits::began, &scope, [&] { began = true; });
    QProcess press;
    press.setProcessChannelMode(QProcess::ForwardedChannels);
    press.start(QStringLiteral("/usr/bin/python3"),
                {QStringLiteral(QUILLMORA_ATSPI_PRESS), QStringLiteral("--press"), QStringLiteral("開始")});
    QVERIFY(
        QTest::qWaitFor([&] { return press.state() == QProcess::NotRunning && began && !QmrM::StartWaits::current(); },
                        FastWait::kWaitRealMs + 30000));
    QCOMPARE(press.exitCode(), 0);
}

// The tray menu's entry with the given name, as a click on it runs.
void chooseFromTheTray(const QString& name)
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QStringLiteral("trayMenu")) {
            if (auto* action = window->findChild<QAction*>(name))
                action->trigger();
            return;
        }
    }
    QFAIL("no tray menu");
}

}  // namespace

class TestDesktops : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(!qEnvironmentVariableIsEmpty("QUILLMORA_DESKTOP"), "run through tests/desktop/on-desktop.sh");
        platform::setUpApplication(*qobject_cast<QApplication*>(qApp));
    }

    void init()
    {
        if (!runsEveryFunction() && !kOnEveryDesktop.contains(QLatin1String(QTest::currentTestFunction())))
            QSKIP("run on sway and i3; the other desktops run what tells them apart");
        mWait = std::make_unique<FastWait>();
    }
    void cleanup() { mWait.reset(); }

    void passComesOnlyWhenTheWaitEnds_data();
    void passComesOnlyWhenTheWaitEnds();
    void trayMenuDuringTheWait_data();
    void trayMenuDuringTheWait();
    void typingElsewhereThroughTheEndOfTheWaitRecordsNothing();
    void passHeldOnlyByWhatTheDesktopSays();
    void gnomeNoticesShowTheWaitAndBringThePassForward();
    void noticeSaysWhereThePassIsWhenTheKeyboardIsRefused();
    void compositorTellsThePauseAfterTheTyping();
    void keysAfterAClickOnTheComingPassStayWithTheirProgram();
    void passOverAFullScreenWindowComesAboveItWhenNothingHoldsIt();

private:
    // Starts the program, leaves the first pass with 中断 and starts the wait from the settings window;
    // the checks run at their real times into the wait.
    void startWait(const QList<QPair<int, std::function<void()>>>& checks);

    std::unique_ptr<FastWait> mWait;
};

void TestDesktops::startWait(const QList<QPair<int, std::function<void()>>>& checks)
{
    frmMain::instance().Load();
    QStringList seen;
    QVERIFY2(showsFocused(QStringLiteral("Quillmora"), &seen), qPrintable(seen.join(", ")));
    clickButton(frmMain::instance(), QStringLiteral("cmdCut"));
    QVERIFY2(showsFocused(QStringLiteral("Quillmora"), &seen), qPrintable(seen.join(", ")));
    FastWait::during(checks, [] {
        if (qEnvironmentVariableIsSet("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"))
            pressStartThroughAccessibility();
        else
            clickButton(frmSettei::instance(), QStringLiteral("cmdAgain"));
    });
}

void TestDesktops::passComesOnlyWhenTheWaitEnds_data()
{
    QTest::addColumn<bool>("startedAgain");
    QTest::newRow("waited through") << false;
    // The second start says the time left (in a box where no notification service answers); the
    // training window stays out of sight.
    QTest::newRow("program started again during the wait") << true;
}

void TestDesktops::passComesOnlyWhenTheWaitEnds()
{
    QFETCH(bool, startedAgain);
    frmMain& training = frmMain::instance();
    quint64 waitingLoad = 0;
    QStringList during;
    const auto look = [&] {
        // Out of sight, still the same loaded window, minimised as far as the program is concerned.
        QStringList seen = shownWindows();
        if (training.WindowState() != platform::Form::vbMinimized || !training.isLoadedAs(waitingLoad))
            seen.append(QStringLiteral("the training window is not the one waiting"));
        // A look that came late under load, or the desktop's slow answer, may fall after the end of the
        // wait: it counts only if the wait was still on after it.
        if (QmrM::StartWaits::current())
            during.append(seen);
    };
    const auto startAgain = [&] {
        waitingLoad = training.loadCount();
        if (!startedAgain)
            return;
        // The time left comes as a notice where the desktop has a notification service, else in a box.
        if (!onGnome() && qEnvironmentVariable("QUILLMORA_DESKTOP") != QLatin1String("xfce"))
            mWait->env().dialogs().expectAnyMessage(QStringLiteral("Quillmora"), platform::vbInformation);
        Program::anotherStartRequested();
    };
    // The first look comes once the desktop has let go of the settings window, within the first minute.
    const auto firstLook = [&] {
        (void)QTest::qWaitFor([] { return shownWindows().isEmpty(); }, FastWait::kMinuteRealMs - 1000);
        look();
    };
    startWait({{100, startAgain}, {500, firstLook}, {kWaitRealMs / 2, look}, {kWaitRealMs - 1500, look}});
    QVERIFY2(during.isEmpty(), qPrintable(during.join(QStringLiteral(" | "))));
    QVERIFY(mWait->env().dialogs().verify());

    QStringList seen;
    QVERIFY2(shows(QStringLiteral("Quillmora"), &seen), qPrintable(seen.join(", ")));
    QVERIFY(training.isLoadedAs(waitingLoad));
    QVERIFY(!frmSettei::instance().isLoaded());
}

void TestDesktops::trayMenuDuringTheWait_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("thenShown");  // the training or the settings window; none: the program ends
    QTest::newRow("今すぐ始める") << "startNow"
                                  << "training";
    QTest::newRow("待機をやめる") << "stopWaiting"
                                  << "settings";
    QTest::newRow("終了") << "endProgram"
                          << "";  // the program's end is only recorded here
}

void TestDesktops::trayMenuDuringTheWait()
{
    QFETCH(QString, entry);
    QFETCH(QString, thenShown);
    QStringList beforeTheChoice;
    QStringList afterTheChoice;
    QElapsedTimer waited;
    const auto choose = [&] {
        // Once the desktop has let go of the settings window.
        (void)QTest::qWaitFor([&] { return (beforeTheChoice = shownWindows()).isEmpty(); }, FastWait::kMinuteRealMs);
        waited.start();
        chooseFromTheTray(entry);
    };
    // In the second minute; the window comes back long before the three minutes are over.
    startWait({{FastWait::kMinuteRealMs * 3 / 2, choose}});
    QVERIFY2(beforeTheChoice.isEmpty(), qPrintable(beforeTheChoice.join(QStringLiteral(" | "))));
    QVERIFY(waited.elapsed() < FastWait::kMinuteRealMs);
    QCOMPARE(mWait->env().endings(), thenShown.isEmpty() ? QList<int>{0} : QList<int>());
    if (thenShown.isEmpty()) {
        QCOMPARE(shownWindows(), QStringList());  // the training window does not come on the way out
        return;
    }
    QStringList seen;
    QVERIFY2(showsFocused(QStringLiteral("Quillmora"), &seen), qPrintable(seen.join(", ")));
    QCOMPARE(frmMain::instance().isLoaded(), thenShown == "training");
    QCOMPARE(frmSettei::instance().isLoaded(), thenShown == "settings");
    if (thenShown == "training" && focusGranted())
        QTRY_COMPARE(QApplication::focusWidget(), control<QWidget>(frmMain::instance(), QStringLiteral("cmdNext")));
}

void TestDesktops::typingElsewhereThroughTheEndOfTheWaitRecordsNothing()
{
    const bool gnomeWayland = QGuiApplication::platformName() == QLatin1String("wayland") && onGnome();
    if (QGuiApplication::platformName() != QLatin1String("xcb") && !gnomeWayland)
        QSKIP("typed into another program with xdotool (X11 programs) or GNOME's remote desktop interface");
    // The pauses in the user's input are the desktop's own here.
    QmrM::Seams desktop = QmrM::seams();
    desktop.userIdle = nullptr;
    const QmrM::SeamsScope readTheDesktop(desktop);
    std::unique_ptr<OtherProgram> other;
    QString noticeAtTheEnd;
    const auto lookForTheNotice = [&] {
        if (gnomeWayland)
            noticeAtTheEnd = shellNotice(shellNotices(), QStringLiteral("トレーニングの時間です"));
    };
    QElapsedTimer clock;
    clock.start();
    qint64 typingEnded = -1;
    qint64 cameAt = -1;
    QObject listening;
    connect(&QmrM::StartWaits::instance(), &QmrM::StartWaits::ended, &listening, [&] {
        if (other && other->isTyping())
            typingEnded = -2;  // the pass came while the user typed
    });
    connect(&QmrM::StartWaits::instance(), &QmrM::StartWaits::passCame, &listening, [&] { cameAt = clock.elapsed(); });
    // From three seconds before the end of the wait to five seconds after it (a pass that waits for a
    // pause stays within the test kit's 20 s for a wait).
    QList<QPair<int, std::function<void()>>> steps = {{kWaitRealMs - 3000, typeElsewhere(other, 8000)},
                                                      {kWaitRealMs + 1500, lookForTheNotice}};
    QString titleAfterTheTyping;
    if (gnomeWayland) {
        // The window waits for a long pause here; the user, done typing, turns to the pass from its notice.
        steps.append({kWaitRealMs + 7000, [&] {
                          titleAfterTheTyping = frmMain::instance().window()->windowTitle();
                          chooseInShellNotice(QStringLiteral("トレーニングの時間です"), QStringLiteral("始める"));
                      }});
    }
    startWait(steps);
    QVERIFY(typingIsOver(other));
    if (typingEnded == -1)
        typingEnded = clock.elapsed();
    frmMain& training = frmMain::instance();
    if (gnomeWayland) {
        // Every key reached the other program; the pass was announced at once, and came when asked for.
        QTRY_COMPARE(other->received(), other->typed());  // the other program may still be taking them in
        qInfo() << "typed" << other->typed().size() << "received" << other->received().size();
        QVERIFY2(noticeAtTheEnd.startsWith(QStringLiteral("トレーニングの時間です / A 5 回")),
                 qPrintable(noticeAtTheEnd));
        QCOMPARE(titleAfterTheTyping, QStringLiteral("Quillmora - 入力の区切りで開始"));
        QVERIFY(!QFile::exists(QStringLiteral("A.txt")));
        QStringList seen;
        QVERIFY2(showsFocused(QStringLiteral("Quillmora"), &seen), qPrintable(seen.join(", ")));
        return;
    }
    QStringList seen = shownWindows();
    qInfo() << "typed" << other->typed().size() << "received" << other->received().size() << "shown" << seen << "came"
            << (typingEnded >= 0 ? "after the typing" : "during the typing");
    // Where the desktop kept the keyboard for the other program, every key reached it; where it gave the
    // pass the keyboard (sway, for X11 programs too), the keys meant for the other program did nothing.
    if (seen == QStringList{QStringLiteral("Quillmora")})
        QCOMPARE(other->received(), other->typed());
    else
        QVERIFY2(seen == QStringList{QStringLiteral("Quillmora (focused)")}, qPrintable(seen.join(", ")));
    // Where the desktop tells the pauses in the input (X11 desktops), the pass came at the pause after the
    // typing, not during it, and every key reached the program it was typed for (IceWM included, which
    // hands every new window the keyboard).
    if (!platform::onXwayland()) {
        QVERIFY2(typingEnded >= 0, "the pass came while the user typed");
        QCOMPARE(other->received(), other->typed());
        QTRY_VERIFY_WITH_TIMEOUT(cameAt >= 0, 5000);
        QVERIFY2(cameAt > typingEnded - 1000 && cameAt < typingEnded + 3000,
                 qPrintable(QStringLiteral("came %1 ms after the typing ended").arg(cameAt - typingEnded)));
    }
    QVERIFY(!QFile::exists(QStringLiteral("A.txt")));
    QCOMPARE(control<QWidget>(training, QStringLiteral("lblKoumoku"))->property("text").toString(),
             QStringLiteral("A"));
    // Once the typing has stopped a moment, the user turns to the pass (a click where it was not given
    // the keyboard), and Enter is the answer.
    QTest::qWait(2500);
    if (!seen.first().endsWith(QStringLiteral("(focused)")))
        QProcess::execute(
            QStringLiteral("xdotool"),
            {QStringLiteral("mousemove"), QStringLiteral("--window"), QString::number(training.window()->winId()),
             QStringLiteral("300"), QStringLiteral("20"), QStringLiteral("click"), QStringLiteral("1")});
    QTRY_VERIFY(training.window()->isActiveWindow());
    OtherProgram::pressKey(QStringLiteral("Return"));
    QTRY_COMPARE(readDataFile(QStringLiteral("A.txt")).count(u'\n'), 1);
}

// The desktop's do-not-disturb, turned on and off as its own settings tool does; nothing where the test cannot.
bool setDoNotDisturb(bool on)
{
    const QString desktop = qEnvironmentVariable("QUILLMORA_DESKTOP");
    const QString value = on ? QStringLiteral("true") : QStringLiteral("false");
    if (desktop.startsWith(QLatin1String("gnome")))
        return QProcess::execute(
                   QStringLiteral("gsettings"),
                   {QStringLiteral("set"), QStringLiteral("org.gnome.desktop.notifications"),
                    QStringLiteral("show-banners"), on ? QStringLiteral("false") : QStringLiteral("true")}) == 0;
    if (desktop == QLatin1String("xfce"))
        return QProcess::execute(QStringLiteral("xfconf-query"),
                                 {QStringLiteral("-c"), QStringLiteral("xfce4-notifyd"), QStringLiteral("-p"),
                                  QStringLiteral("/do-not-disturb"), QStringLiteral("-n"), QStringLiteral("-t"),
                                  QStringLiteral("bool"), QStringLiteral("-s"), value}) == 0;
    return false;
}

void TestDesktops::passHeldOnlyByWhatTheDesktopSays()
{
    // What keeps the user busy is read from the desktop itself here. A fresh sway focuses an empty
    // workspace, which is no full-screen window; GNOME's and Xfce's do-not-disturb hold the pass.
    QmrM::Seams desktop = QmrM::seams();
    desktop.userBusy = nullptr;
    const QmrM::SeamsScope readTheDesktop(desktop);
    const bool doNotDisturb = setDoNotDisturb(true);
    QString heldTitle;
    const auto lookAfterTheEnd = [&] {
        QTRY_VERIFY(!frmMain::instance().window()->windowTitle().contains(QStringLiteral("まもなく")));
        heldTitle = frmMain::instance().window()->windowTitle();
        setDoNotDisturb(false);
    };
    QElapsedTimer waited;
    waited.start();
    startWait({{kWaitRealMs + 2500, lookAfterTheEnd}});
    if (doNotDisturb)
        QVERIFY2(heldTitle.startsWith(QStringLiteral("Quillmora - 保留中（おやすみモード中（")), qPrintable(heldTitle));
    QStringList seen;
    QVERIFY2(shows(QStringLiteral("Quillmora"), &seen), qPrintable(seen.join(", ")));
    QVERIFY2(waited.elapsed() < kWaitRealMs + 10000, qPrintable(QString::number(waited.elapsed())));
}

void TestDesktops::gnomeNoticesShowTheWaitAndBringThePassForward()
{
    if (!onGnome())
        QSKIP("GNOME Shell's notices");
    const QString pass = QStringLiteral("トレーニングの時間です");
    const QString threeMinutes = QStringLiteral("次のトレーニングまであと 3 分");
    QJsonObject atTheStart;
    QString midway;
    // A banner of an earlier notice may still be up for a moment: the wait's follows it.
    const auto bannerOfTheWait = [&] {
        (void)QTest::qWaitFor(
            [&] {
                atTheStart = shellNotices();
                return atTheStart[QStringLiteral("banner")][QStringLiteral("title")].toString() == threeMinutes;
            },
            FastWait::kMinuteRealMs - 500);
    };
    startWait({{300, bannerOfTheWait}, {FastWait::kMinuteRealMs * 3 / 2, [&] {
                                            midway = shellNotice(shellNotices(),
                                                                 QStringLiteral("次のトレーニングまであと 2 分"));
                                        }}});
    // The wait shows in a notice that stays, its banner whole at the start, with room to spare for a larger
    // font or scale than the shell's own.
    const QJsonObject banner = atTheStart[QStringLiteral("banner")].toObject();
    QCOMPARE(banner[QStringLiteral("title")].toString(), threeMinutes);
    for (const char* line : {"titleFilled", "bodyFilled"})
        QVERIFY2(banner[QLatin1String(line)].toDouble() < 0.7, line);
    QVERIFY2(QRegularExpression(QStringLiteral("^次のトレーニングまであと 2 分 / \\d+:\\d\\d 開始予定 / "
                                               "今すぐ始める, 待機をやめる$"))
                 .match(midway)
                 .hasMatch(),
             qPrintable(midway));
    QStringList seen;
    QVERIFY2(shows(QStringLiteral("Quillmora"), &seen), qPrintable(seen.join(", ")));
    QTRY_COMPARE(shellNotice(shellNotices(), pass), pass + QStringLiteral(" / A 5 回 / 始める, 5 分後に"));
    QCOMPARE(shellNotice(shellNotices(), QStringLiteral("次のトレーニングまであと 1 分")), QString());

    // The user works in another program; 始める in the notice brings the pass forward with the keyboard.
    QProcess other;
    other.start(QStringLiteral(QUILLMORA_OTHER_PROGRAM), {QDir::temp().filePath(QStringLiteral("received"))});
    QVERIFY(QTest::qWaitFor(
        [&] { return shownWindows(other.processId()) == QStringList{QStringLiteral("other-program (focused)")}; },
        10000));
    QVERIFY(chooseInShellNotice(pass, QStringLiteral("始める")));
    QVERIFY2(showsFocused(QStringLiteral("Quillmora"), &seen), qPrintable(seen.join(", ")));
    // Another window took the keyboard; the program started again from the shell's launcher brings the pass
    // forward as well.
    QProcess another;
    another.start(QStringLiteral(QUILLMORA_OTHER_PROGRAM), {QDir::temp().filePath(QStringLiteral("received"))});
    QVERIFY(QTest::qWaitFor([&] { return shownWindows() == QStringList{QStringLiteral("Quillmora")}; }, 10000));
    startAgainFromTheShellsLauncher();
    QVERIFY2(showsFocused(QStringLiteral("Quillmora"), &seen), qPrintable(seen.join(", ")));
    for (QProcess* program : {&other, &another}) {
        program->kill();
        program->waitForFinished();
    }
}

void TestDesktops::noticeSaysWhereThePassIsWhenTheKeyboardIsRefused()
{
#ifdef QUILLMORA_DESKTOP_SERVICES
    if (focusGranted() || !QDBusConnection::sessionBus().isConnected())
        QSKIP("headless Weston, which gives no window the keyboard, with a session bus");
    DesktopServices services;
    QVERIFY(services.start());
    const QString pass = QStringLiteral("トレーニングの時間です");
    const int from = services.noticeCount();
    startWait({});
    QTRY_COMPARE(services.notices(pass, from).size(), 1);
    services.invokeAction(services.notices(pass, from).first()[QStringLiteral("id")].toInt(), QStringLiteral("default"),
                          QString());
    QTRY_COMPARE_WITH_TIMEOUT(services.notices(pass, from).last()[QStringLiteral("body")].toString(),
                              QStringLiteral("画面の「Quillmora」をクリックしてください"
                                             "（デスクトップがキーボードを渡しませんでした）"),
                              5000);
#else
    QSKIP("built without D-Bus");
#endif
}

void TestDesktops::compositorTellsThePauseAfterTheTyping()
{
    if (!qEnvironmentVariable("QUILLMORA_DESKTOP").startsWith(QLatin1String("sway")))
        QSKIP("sway's idle notification, with keys from a virtual keyboard (wtype)");
    // The program on Xwayland too, whose X server never sees the keys of Wayland programs, in a session
    // that tells its programs the compositor's display (as desktop sessions do).
    if (platform::onXwayland())
        qputenv("WAYLAND_DISPLAY", qgetenv("QUILLMORA_WAYLAND_DISPLAY"));
    QmrM::UserIdle& idle = platform::desktopIdle();
    QElapsedTimer clock;
    qint64 pausedAt = -1;
    bool unavailable = false;
    QObject listening;
    connect(&idle, &QmrM::UserIdle::paused, &listening, [&] { pausedAt = clock.elapsed(); });
    connect(&idle, &QmrM::UserIdle::unavailable, &listening, [&] { unavailable = true; });
    // Shift, which no window acts on, pressed every quarter second for three seconds, longer than the pause.
    QStringList presses;
    for (int i = 0; i < 12; ++i)
        presses << QStringLiteral("-P") << QStringLiteral("Shift_L") << QStringLiteral("-p")
                << QStringLiteral("Shift_L") << QStringLiteral("-s") << QStringLiteral("250");
    QProcess typing;
    typing.start(QStringLiteral("wtype"), presses);
    QVERIFY(typing.waitForStarted());
    clock.start();
    idle.awaitPause(schedule::PassSchedule::kPauseMs);
    QVERIFY(QTest::qWaitFor([&] { return typing.state() == QProcess::NotRunning; }, 10000));
    const qint64 typingEnded = clock.elapsed();
    QCOMPARE(typing.exitCode(), 0);
    QVERIFY(QTest::qWaitFor([&] { return pausedAt >= 0 || unavailable; }, 10000));
    QVERIFY(!unavailable);
    qInfo() << "typing ended at" << typingEnded << "ms, the pause came at" << pausedAt << "ms";
    // The last key came at most a quarter second before wtype ended.
    QVERIFY2(pausedAt >= typingEnded + schedule::PassSchedule::kPauseMs - 500,
             qPrintable(QStringLiteral("paused at %1 ms, the typing ended at %2 ms").arg(pausedAt).arg(typingEnded)));
}

void TestDesktops::keysAfterAClickOnTheComingPassStayWithTheirProgram()
{
    // A tiling manager (i3) hands the pass the keyboard as it places it; a floating one leaves it where it was.
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !platform::desktopMinimises())
        QSKIP("clicks and keys from xdotool, under a floating X11 window manager");
    // The user's pace stands still: however late under load the click comes, it falls in the pass's first
    // second, when a click is taken as meant for what was there before.
    VirtualClock standingStill(QDateTime(), VirtualClock::Moves::WhenTold);
    QmrM::Seams seams = QmrM::seams();
    seams.inputClock = &standingStill;
    const QmrM::SeamsScope userPace(seams);
    std::unique_ptr<OtherProgram> other;
    startWait({{500, [&] { other = std::make_unique<OtherProgram>(); }}});
    QVERIFY(other && other->isReady());
    QStringList seen;
    QVERIFY2(shows(QStringLiteral("Quillmora"), &seen), qPrintable(seen.join(", ")));
    const QString pass = QString::number(frmMain::instance().window()->winId());
    runProgram("xdotool", {"mousemove", "--window", pass, "300", "20", "click", "1"});
    runProgram("xdotool", {"type", "--delay", "100", "xyz"});
    QTRY_COMPARE(other->received(), QStringLiteral("xyz"));
    QVERIFY(!QFile::exists(QStringLiteral("A.txt")));
}

void TestDesktops::passOverAFullScreenWindowComesAboveItWhenNothingHoldsIt()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !platform::desktopMinimises())
        QSKIP("the stacking order of a floating X11 window manager");
    // The full-screen window is read from the window manager; the user turned holding off.
    QmrM::Seams desktop = QmrM::seams();
    desktop.userBusy = nullptr;
    const QmrM::SeamsScope readTheDesktop(desktop);
    QmrM::setHoldsPassWhileBusy(false);
    std::unique_ptr<OtherProgram> other;
    bool fullScreen = false;
    startWait({{500, [&] {
                    other = std::make_unique<OtherProgram>();
                    fullScreen = other->isReady() && other->tell("full");
                }}});
    QVERIFY(fullScreen);
    // Above the full-screen window, with the keyboard: the first key only turns to it, the next answers.
    frmMain& training = frmMain::instance();
    QTRY_VERIFY_WITH_TIMEOUT(desktopWindow(training.window()->winId()).top, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(training.window()->isActiveWindow(), 10000);
    OtherProgram::pressKey(QStringLiteral("Return"));
    QTest::qWait(500);
    QVERIFY(!QFile::exists(QStringLiteral("A.txt")));
    OtherProgram::pressKey(QStringLiteral("Return"));
    QTRY_COMPARE(readDataFile(QStringLiteral("A.txt")).count(u'\n'), 1);
    QCOMPARE(other->received(), QString());
}

QTEST_MAIN(TestDesktops)
#include "tst_desktops.moc"
