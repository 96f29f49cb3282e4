// SPDX-License-Identifier: GPL-3.0-or-later
// The windows under a real window manager (openbox on Xvfb, see on-desktop.sh): minimising, restoring,
// activation and focus are the manager's decisions, so they are judged by the X server's own record of
// each window (WM_STATE, map state, the active window, the stacking order), not by what Qt believes.
// The pass at the end of a wait comes on top without the keyboard: another program the user types in
// keeps it, and a full-screen one holds the pass until it leaves full screen.

#include "DesktopView.h"
#include "FastWait.h"
#include "OtherProgram.h"

#include "app/Program.h"
#include "chart/ProgressActions.h"
#include "platform/AppSetup.h"
#include "platform/Desktop.h"
#include "settings/frmSettei.h"
#include "shared/QmrM.h"
#include "shared/Seams.h"
#include "shared/Wait.h"
#include "training/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <xcb/xcb.h>

#include <cstdlib>
#include <utility>

namespace {

constexpr int kWaitRealMs = FastWait::kWaitRealMs;

// What the window manager records of a window: "Normal"/"Iconic"/"Withdrawn", "IsViewable"/"IsUnMapped", and
// whether it is the active one.
QString describe(const DesktopWindow& s)
{
    return QStringLiteral("%1 / %2 / %3")
        .arg(s.state, s.mapped ? "IsViewable" : "IsUnMapped", s.focused.value_or(false) ? "active" : "not active");
}

// Waits in real time for the window manager to settle a window into the expected state.
bool settles(const std::function<WId()>& window, const QString& wmState, bool viewable, bool active, QString* seen)
{
    return QTest::qWaitFor(
        [&] {
            const WId id = window();
            if (!id)
                return false;
            const DesktopWindow s = desktopWindow(id);
            *seen = describe(s);
            return s.state == wmState && s.mapped == viewable && (!active || s.focused.value_or(false));
        },
        10000);
}

WId loadedWindow(platform::Form& form)
{
    return form.isLoaded() ? form.window()->winId() : 0;
}

// Whether the window manager keeps the window above all others.
bool onTop(WId window)
{
    return desktopWindow(window).top;
}

// Waits in real time for the window to be shown on top of all others; says what was seen.
QString comesOnTop(WId window)
{
    QString seen;
    if (!settles([&] { return window; }, "Normal", true, false, &seen))
        return seen;
    return QTest::qWaitFor([&] { return onTop(window); }, 3000) ? QStringLiteral("on top")
                                                                : QStringLiteral("under another window");
}

// The pass came by itself: on top, without the keyboard. A click on it a moment later gives it the
// keyboard, with the focus on 次へ.
void passComesOnTopAndTakesTheKeyboardWhenClicked(frmMain& training)
{
    QString seen;
    QVERIFY2(settles([&] { return loadedWindow(training); }, "Normal", true, false, &seen), qPrintable(seen));
    QVERIFY2(!desktopWindow(loadedWindow(training)).focused.value_or(false), "the pass took the keyboard by itself");
    QTRY_VERIFY(onTop(loadedWindow(training)));
    QTest::qWait(1100);  // a click sooner was meant for what was there before
    runProgram("xdotool",
               {"mousemove", "--window", QString::number(loadedWindow(training)), "300", "20", "click", "1"});
    QVERIFY2(settles([&] { return loadedWindow(training); }, "Normal", true, true, &seen), qPrintable(seen));
    QTRY_COMPARE(QApplication::focusWidget(), control<QWidget>(training, QStringLiteral("cmdNext")));
}

// Where the window manager put the window's whole frame, in the screen's pixels; null when it is not known.
QRect placedFrame(const QWidget* window)
{
    QRect placed;
    // Mapped, framed and placed by the manager, and no longer moving.
    (void)QTest::qWaitFor(
        [&] {
            const QRect now = desktopWindow(window->winId()).frame;
            return !now.isNull() && std::exchange(placed, now) == now;
        },
        5000);
    qInfo() << window->objectName() << placed;
    return placed;
}

bool frameOnScreen(const QWidget* window)
{
    const QRect placed = placedFrame(window);
    return !placed.isNull() && QRect(QPoint(), window->screen()->size() * window->devicePixelRatio()).contains(placed);
}

// Asks the window manager to close a window, as a task bar's close does (_NET_CLOSE_WINDOW).
void closeFromTheTaskBar(WId window)
{
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    const QByteArray name("_NET_CLOSE_WINDOW");
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, uint16_t(name.size()), name.constData()), nullptr);
    xcb_client_message_event_t request{};
    request.response_type = XCB_CLIENT_MESSAGE;
    request.format = 32;
    request.window = xcb_window_t(window);
    request.type = atom ? atom->atom : xcb_atom_t(XCB_ATOM_NONE);
    request.data.data32[0] = XCB_CURRENT_TIME;
    request.data.data32[1] = 2;  // asked by a pager or task bar
    free(atom);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    xcb_send_event(x, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&request));
    // A round trip before closing: a loaded X server may find the connection gone before it has read the
    // request, and drop it.
    free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));
    xcb_disconnect(x);
}

}  // namespace

class TestWindowManager : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QGuiApplication::platformName() == "xcb", "run through tests/desktop/on-desktop.sh");
        platform::setUpApplication(*qobject_cast<QApplication*>(qApp));
    }

    void init()
    {
        // The longest functions run in a CTest entry of their own, beside this one (tests/CMakeLists.txt).
        const QStringList elsewhere = qEnvironmentVariable("QUILLMORA_RUN_ELSEWHERE").split(u',');
        if (elsewhere.contains(QString::fromLatin1(QTest::currentTestFunction())))
            QSKIP("run by the other entry");
        mWait = std::make_unique<FastWait>();
    }
    void cleanup() { mWait.reset(); }

    void waitIsOnTheTaskBarAndThePassComesForward();
    void windowRestoredAndTrainedDuringTheWaitIsNotBroughtBack();
    void passComesOverAnOpenBox();
    void passComesOverAnOpenPrintDialog();
    void windowClosedDuringTheWaitComesBackFresh_data();
    void windowClosedDuringTheWaitComesBackFresh();
    void windowsWithinTheScreen();
    void fullScreenWindowHoldsThePassUntilItLeavesFullScreen();
    void xwaylandToldFromAnX11Desktop();

private:
    // Starts the program, leaves the first pass with 中断 and starts the wait; `during` runs at the given
    // real times into the wait.
    void startWaitFromTheSettingsWindow(const QList<QPair<int, std::function<void()>>>& during);

    std::unique_ptr<FastWait> mWait;
};

void TestWindowManager::startWaitFromTheSettingsWindow(const QList<QPair<int, std::function<void()>>>& during)
{
    frmMain& training = frmMain::instance();
    training.Load();
    QString seen;
    QVERIFY2(settles([&] { return loadedWindow(training); }, "Normal", true, true, &seen), qPrintable(seen));
    clickButton(training, QStringLiteral("cmdCut"));
    frmSettei& settings = frmSettei::instance();
    QVERIFY2(settles([&] { return loadedWindow(settings); }, "Normal", true, true, &seen), qPrintable(seen));
    FastWait::during(during, [&] { clickButton(settings, QStringLiteral("cmdAgain")); });
}

void TestWindowManager::waitIsOnTheTaskBarAndThePassComesForward()
{
    frmMain& training = frmMain::instance();
    QStringList during;
    const auto check = [&] {
        const DesktopWindow s = desktopWindow(loadedWindow(training));
        // A look that came late under load, or the desktop's slow answer, may fall after the end of the
        // wait: it counts only if the wait was still on after it.
        if (QmrM::StartWaits::current())
            during.append(describe(s));
    };
    startWaitFromTheSettingsWindow({{300, check}, {kWaitRealMs / 2, check}, {kWaitRealMs - 1500, check}});
    QVERIFY(!during.isEmpty());
    QCOMPARE(during, QStringList(during.size(), QStringLiteral("Iconic / IsUnMapped / not active")));
    QVERIFY(!frmSettei::instance().isLoaded());
    passComesOnTopAndTakesTheKeyboardWhenClicked(training);
}

void TestWindowManager::windowRestoredAndTrainedDuringTheWaitIsNotBroughtBack()
{
    frmMain& training = frmMain::instance();
    QString restored;
    const auto restoreAndTrain = [&] {
        // The user clicks the window on the task bar and goes through the pass at once.
        runProgram("xdotool", {"windowactivate", QString::number(loadedWindow(training))});
        if (!settles([&] { return loadedWindow(training); }, "Normal", true, true, &restored))
            return;
        restored = QStringLiteral("restored");
        for (int item = 0; item < 2 && training.isLoaded(); ++item) {
            QTest::qWait(150);  // each press a press of its own, not a held key
            QTest::keyClick(control<QLineEdit>(training, QStringLiteral("txtKaisu")), Qt::Key_Return);
        }
    };
    startWaitFromTheSettingsWindow({{500, restoreAndTrain}});
    QCOMPARE(restored, QStringLiteral("restored"));
    QVERIFY(!training.isLoaded());  // no second pass over the one done
    QCOMPARE(readDataFile(QStringLiteral("A.txt")).count(u'\n'), 1);
    QString seen;
    QVERIFY2(settles([] { return loadedWindow(frmSettei::instance()); }, "Normal", true, true, &seen),
             qPrintable(seen));
}

void TestWindowManager::passComesOverAnOpenBox()
{
    frmMain& training = frmMain::instance();
    QString overTheBox;
    // A box opened during the wait is still open when the time is up: the window comes all the same.
    QMessageBox box(QMessageBox::Information, QStringLiteral("Quillmora"), QStringLiteral("box"));
    const auto openBox = [&] {
        QTimer::singleShot(kWaitRealMs, Qt::PreciseTimer, &box, [&] {
            if (settles([&] { return loadedWindow(training); }, "Normal", true, false, &overTheBox))
                overTheBox = QStringLiteral("Normal");
            box.reject();
        });
        box.exec();
    };
    startWaitFromTheSettingsWindow({{500, openBox}});
    QCOMPARE(overTheBox, QStringLiteral("Normal"));
}

void TestWindowManager::passComesOverAnOpenPrintDialog()
{
    frmMain& training = frmMain::instance();
    QWidget help;  // the help window, its print dialog open when the time is up
    help.setWindowTitle(QStringLiteral("ヘルプ"));
    help.resize(600, 500);
    QString overTheDialog;
    const auto print = [&] {
        help.show();
        QPrinter printer;
        QPrintDialog dialog(&printer, &help);
        dialog.setWindowTitle(QStringLiteral("印刷"));
        QTimer::singleShot(kWaitRealMs, Qt::PreciseTimer, &dialog, [&] {
            overTheDialog = comesOnTop(loadedWindow(training));
            dialog.reject();
        });
        dialog.exec();
    };
    startWaitFromTheSettingsWindow({{500, print}});
    QCOMPARE(overTheDialog, QStringLiteral("on top"));
    QTest::qWait(500);  // the dialog's closing settled
    QCOMPARE(comesOnTop(loadedWindow(training)), QStringLiteral("on top"));
}

void TestWindowManager::windowClosedDuringTheWaitComesBackFresh_data()
{
    QTest::addColumn<bool>("restoredFirst");
    QTest::newRow("closed from the task bar while minimised") << false;
    QTest::newRow("restored, then closed with Alt+F4") << true;
}

void TestWindowManager::windowClosedDuringTheWaitComesBackFresh()
{
    QFETCH(bool, restoredFirst);
    frmMain& training = frmMain::instance();
    bool closed = false;
    const auto close = [&] {
        QString seen;
        // Once the window manager has it on the task bar.
        if (!settles([&] { return loadedWindow(training); }, "Iconic", false, false, &seen))
            return;
        if (restoredFirst) {
            runProgram("xdotool", {"windowactivate", "--sync", QString::number(loadedWindow(training))});
            if (!settles([&] { return loadedWindow(training); }, "Normal", true, true, &seen))
                return;
            // openbox's close binding; under load the key may come before the manager has the window in
            // focus: press again, as a user does.
            for (int press = 0; press < 5 && QmrM::StartWaits::current(); ++press) {
                runProgram("xdotool", {"key", "alt+F4"});
                if (QTest::qWaitFor([&] { return !training.isLoaded(); }, 3000))
                    break;
            }
        } else {
            // Under load the manager may still be taking the window on and drop the request: ask again,
            // as a user clicks again.
            for (int ask = 0; ask < 5 && QmrM::StartWaits::current(); ++ask) {
                closeFromTheTaskBar(loadedWindow(training));
                if (QTest::qWaitFor([&] { return !training.isLoaded(); }, 3000))
                    break;
            }
        }
        // A close that came after the wait would have closed the pass instead.
        QVERIFY2(QmrM::StartWaits::current(), "the window manager took the whole wait to minimise or close");
        QTRY_VERIFY(!training.isLoaded());
        closed = true;
    };
    // Five minutes on the fast clock, so that a loaded window manager has time for the close within them.
    writeSettings(QStringLiteral("0,0,5"));
    // Closed in the first minute; the wait goes on past two minute boundaries with no window to count on.
    startWaitFromTheSettingsWindow({{500, close}});
    QVERIFY(closed);
    passComesOnTopAndTakesTheKeyboardWhenClicked(training);
    QCOMPARE(control<QWidget>(training, QStringLiteral("lblKoumoku"))->property("text").toString(),
             QStringLiteral("A"));
}

void TestWindowManager::fullScreenWindowHoldsThePassUntilItLeavesFullScreen()
{
    // What keeps the user busy is read from the window manager here, not told by the test.
    QmrM::Seams desktop = QmrM::seams();
    desktop.userBusy = nullptr;
    const QmrM::SeamsScope readTheDesktop(desktop);
    frmMain& training = frmMain::instance();
    OtherProgram other;
    QVERIFY(other.isReady());
    QString heldTitle;
    DesktopWindow heldState;
    bool fullScreen = false;
    const auto present = [&] { fullScreen = other.tell("full"); };
    QElapsedTimer released;
    const auto lookAfterTheEnd = [&] {
        heldTitle = desktopWindow(loadedWindow(training)).title;
        heldState = desktopWindow(loadedWindow(training));
        released.start();
        other.tell("normal");  // the presentation is over
    };
    startWaitFromTheSettingsWindow({{500, present}, {kWaitRealMs + 2000, lookAfterTheEnd}});
    QVERIFY(fullScreen);
    QCOMPARE(describe(heldState), QStringLiteral("Iconic / IsUnMapped / not active"));
    QVERIFY2(heldTitle.contains(QStringLiteral("保留中（全画面表示中（")), qPrintable(heldTitle));
    QVERIFY2(released.isValid() && released.elapsed() < 5000,
             qPrintable(QStringLiteral("the pass came %1 ms after full screen ended").arg(released.elapsed())));
    passComesOnTopAndTakesTheKeyboardWhenClicked(training);
}

void TestWindowManager::xwaylandToldFromAnX11Desktop()
{
    // openbox on its own X server: an X11 desktop that minimises and does not hand new windows the keyboard.
    QVERIFY(!platform::onXwayland());
    QVERIFY(platform::desktopMinimises());
    QVERIFY(!platform::newWindowsTakeTheKeyboard());
    // The same X server in a session that names a Wayland display is a compositor's Xwayland.
    qputenv("WAYLAND_DISPLAY", "wayland-0");
    const bool xwayland = platform::onXwayland();
    const bool minimises = platform::desktopMinimises();
    qunsetenv("WAYLAND_DISPLAY");
    QVERIFY(xwayland);
    QVERIFY(!minimises);
}

// Also run on a 1280x800 screen at a scale factor of 2 (tst_window_manager_scaled), where the forms scroll.
void TestWindowManager::windowsWithinTheScreen()
{
    frmMain& training = frmMain::instance();
    training.Load();
    const QRect placed = placedFrame(training.window());
    QVERIFY(frameOnScreen(training.window()));
    // The item and its count are in view, and so is the focused 次へ, as much of it as the room under them
    // leaves where the controls scroll; the window takes the screen's whole height for them.
    for (const QString name : {"lblKoumoku", "lblKaisu"}) {
        QWidget* shown = control<QWidget>(training, name);
        QCOMPARE(shown->visibleRegion(), QRegion(shown->rect()));
    }
    // 中断, the way out of the pass, shows whole without scrolling.
    QWidget* cut = control<QWidget>(training, QStringLiteral("cmdCut"));
    QCOMPARE(cut->visibleRegion(), QRegion(cut->rect()));
    QWidget* next = control<QWidget>(training, QStringLiteral("cmdNext"));
    QTRY_VERIFY(next->hasFocus());
    QVERIFY(!next->visibleRegion().isEmpty());
    const QWidget* window = training.window();
    if (window->findChild<QWidget*>(QStringLiteral("screenFitPane")))
        QVERIFY2(placed.bottom() >= (window->screen()->size().height() - 4) * window->devicePixelRatio(),
                 qPrintable(QString::number(placed.bottom())));
    // Tabbed to, a control out of view comes whole into it.
    QTest::keyClick(next, Qt::Key_Tab);
    QWidget* bar = control<QWidget>(training, QStringLiteral("hsbKaisu"));
    QVERIFY(bar->hasFocus());
    QCOMPARE(bar->visibleRegion(), QRegion(bar->rect()));
    QCOMPARE(cut->visibleRegion(), QRegion(cut->rect()));  // however the controls scrolled
    clickButton(training, QStringLiteral("cmdCut"));
    QWidget* settings = frmSettei::instance().window();
    QVERIFY(frameOnScreen(settings));
    QWidget* start = control<QWidget>(frmSettei::instance(), QStringLiteral("cmdAgain"));
    QCOMPARE(start->visibleRegion(), QRegion(start->rect()));
    chart::showChart(settings, 1);
    QVERIFY(frameOnScreen(settings->findChild<QWidget*>(QStringLiteral("frmChart"))));
}

QTEST_MAIN(TestWindowManager)
#include "tst_window_manager.moc"
