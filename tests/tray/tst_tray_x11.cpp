// SPDX-License-Identifier: GPL-3.0-or-later
// The wait in view on an X11 desktop without a session bus (on-desktop.sh): first with no tray at all,
// where the title on the task bar and a message box for a second start have to do; then with an X11 tray
// (trayer, the XEmbed system tray protocol), where the icon docks and its menu answers the mouse and the
// keyboard. Judged by the X server's record of the windows.

#include "DesktopSession.h"
#include "Windows.h"

#include "app/Program.h"
#include "platform/AppSetup.h"
#include "platform/Dialogs.h"
#include "platform/Form.h"
#include "settings/frmSettei.h"
#include "training/frmMain.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTest>

namespace {

QMenu* trayMenu()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QLatin1String("trayMenu"))
            return qobject_cast<QMenu*>(window);
    }
    return nullptr;
}

// The window Qt docks into an X11 tray.
QWidget* trayIconWindow()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->inherits("QSystemTrayIconSys"))
            return window;
    }
    return nullptr;
}

// The X window a window is a child of; empty for the root window.
QString xParent(const QWidget* window)
{
    const QString tree = runProgram(QStringLiteral("xwininfo"),
                                    {QStringLiteral("-tree"), QStringLiteral("-id"), QString::number(window->winId())});
    const auto parent = QRegularExpression(QStringLiteral("Parent window id: (0x[0-9a-f]+)(.*)")).match(tree);
    return !parent.hasMatch() || parent.captured(2).contains(QLatin1String("root window")) ? QString()
                                                                                           : parent.captured(1);
}

// Where the icon's window is on the screen, at its full size; empty while it is not.
QString placeOnScreen(const QWidget* window)
{
    const QString id = QString::number(window->winId());
    const QString info = runProgram(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id});
    const bool full = info.contains(QLatin1String("IsViewable")) &&
                      QRegularExpression(QStringLiteral("Width: (\\d+)")).match(info).captured(1).toInt() >= 16;
    return full ? id + QRegularExpression(QStringLiteral("Corners: +(\\S+)")).match(info).captured(1) : QString();
}

// The icon's window once it is in the tray at its full size and stays where it is: the tray places and
// sizes a new icon, and moves itself as it grows, in steps of its own. Qt makes the window anew when a tray
// announces itself again, so each look finds it afresh. Null after twenty seconds, which Xfce's panel under
// the sanitizers on a loaded machine has needed (the checks run X tools, so this counts real time, not
// QTRY's turns).
QWidget* settledTrayIcon()
{
    QDeadlineTimer deadline(20000);
    QString before;
    while (!deadline.hasExpired()) {
        QWidget* icon = trayIconWindow();
        const QString now = icon ? placeOnScreen(icon) : QString();
        if (!now.isEmpty() && now == before)
            return icon;
        before = now;
        QTest::qWait(300);
    }
    return nullptr;
}

int xChildren(const QString& window)
{
    const QString tree =
        runProgram(QStringLiteral("xwininfo"), {QStringLiteral("-children"), QStringLiteral("-id"), window});
    return QRegularExpression(QStringLiteral("(\\d+) child")).match(tree).captured(1).toInt();
}

void xdotool(const QStringList& arguments)
{
    runProgram(QStringLiteral("xdotool"), arguments);
}

// The window's size as the X server has it.
QSize xSize(const QWidget* window)
{
    const QString info =
        runProgram(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window->winId())});
    const auto number = [&info](const char* name) {
        return QRegularExpression(QString::fromLatin1(name) + QStringLiteral(": (\\d+)"))
            .match(info)
            .captured(1)
            .toInt();
    };
    return QSize(number("Width"), number("Height"));
}

// A tray at the bottom right, sized to its icons, as a panel holds one.
void startTrayer(QProcess& trayer)
{
    trayer.start(
        QStringLiteral("trayer"),
        {QStringLiteral("--edge"), QStringLiteral("bottom"), QStringLiteral("--align"), QStringLiteral("right"),
         QStringLiteral("--widthtype"), QStringLiteral("request"), QStringLiteral("--height"), QStringLiteral("24"),
         QStringLiteral("--SetDockType"), QStringLiteral("true")});
}

}  // namespace

class TestTrayX11 : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QGuiApplication::platformName() == "xcb", "run through tests/desktop/on-desktop.sh");
        platform::setUpApplication(*qobject_cast<QApplication*>(qApp));
    }

    void withoutTrayTheTitleAndABoxDo();
    void trayIconMenuByMouseAndKeyboard();
    void settingsWindowWholeAfterThePass();
};

void TestTrayX11::withoutTrayTheTitleAndABoxDo()
{
    QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
    WaitOnDesktop desktop;
    desktop.runWait({[&] {
        QWidget* training = frmMain::instance().window();
        QTRY_COMPARE(xWindowState(training), QStringLiteral("Iconic"));
        QTRY_COMPARE(xTitle(training), QStringLiteral("Quillmora - あと 3 分"));
        desktop.env().dialogs().expectMessage(QStringLiteral("次のトレーニングまであと 3 分（10:33 開始予定）"),
                                              QStringLiteral("Quillmora"), platform::vbInformation);
        Program::anotherStartRequested();
        QVERIFY(desktop.env().dialogs().verify());
        desktop.clock().jump(3 * 60 * 1000);
    }});
    QWidget* training = frmMain::instance().window();
    QVERIFY(training);
    QTRY_COMPARE(xWindowState(training), QStringLiteral("Normal"));
    QTRY_COMPARE(xTitle(training), QStringLiteral("Quillmora"));
    // The notice of the pass had nowhere to go, and nothing else was shown.
    QVERIFY(desktop.env().dialogs().verify());
    QVERIFY(desktop.env().endings().isEmpty());
}

void TestTrayX11::trayIconMenuByMouseAndKeyboard()
{
    if (QStandardPaths::findExecutable(QStringLiteral("trayer")).isEmpty())
        QSKIP("trayer is missing (scripts/setup.sh installs it)");
    QProcess trayer;
    startTrayer(trayer);
    QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10000);

    WaitOnDesktop desktop;
    QString tray;
    desktop.runWait({[&] {
        QPointer<QWidget> icon = settledTrayIcon();
        QVERIFY(icon);
        QVERIFY(!(tray = xParent(icon)).isEmpty());  // docked in the tray's window
        QPointer<QMenu> menu = trayMenu();
        QVERIFY(menu && icon);
        const QString id = QString::number(icon->winId());
        // A click on the icon shows the menu, Escape closes it.
        xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), id, QStringLiteral("11"),
                 QStringLiteral("11"), QStringLiteral("click"), QStringLiteral("1")});
        QTRY_VERIFY(menu && menu->isVisible());
        xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
        QTRY_VERIFY(menu && !menu->isVisible());
        // The context click shows it as well, and the keyboard chooses in it: the second entry.
        xdotool({QStringLiteral("click"), QStringLiteral("3")});
        QTRY_VERIFY(menu && menu->isVisible());
        // Away from the menu, so that no entry is chosen by where the pointer happens to be.
        xdotool({QStringLiteral("mousemove"), QStringLiteral("0"), QStringLiteral("0")});
        QTRY_VERIFY(menu && !menu->activeAction());
        xdotool({QStringLiteral("key"), QStringLiteral("Down"), QStringLiteral("Down"), QStringLiteral("Return")});
        QTRY_VERIFY(!menu || !menu->isVisible());  // the menu goes with the wait
    }});
    if (!QTest::currentTestFailed()) {
        // 待機をやめる: the settings window is back and the icon has left the tray.
        QVERIFY(frmSettei::instance().isLoaded());
        QVERIFY(!frmMain::instance().isLoaded());
        QTRY_COMPARE(xChildren(tray), 0);
    }
    trayer.kill();
    trayer.waitForFinished();
}

// The icon docked in the tray while the pass is up (it offers 5 分後に) is no window the window manager
// frames: the settings window 中断 brings back keeps its own size.
void TestTrayX11::settingsWindowWholeAfterThePass()
{
    QProcess trayer;  // openbox has no tray of its own (IceWM and Xfce's panel have)
    if (qEnvironmentVariable("QUILLMORA_DESKTOP") == QLatin1String("openbox"))
        startTrayer(trayer);
    QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10000);
    WaitOnDesktop desktop;
    desktop.runWait({[&] { desktop.clock().jump(3 * 60 * 1000); }});
    frmMain& training = frmMain::instance();
    QTRY_VERIFY(training.isLoaded() && training.window()->isVisible());
    // Xfce's panel also hosts icons over D-Bus, which Qt takes when the panel offered it before the first
    // icon: such an icon is no X window at all.
    const bool dbusHostPossible = qEnvironmentVariable("QUILLMORA_DESKTOP") == QLatin1String("xfce");
    if (!dbusHostPossible || QTest::qWaitFor([] { return trayIconWindow() != nullptr; }, 2000))
        QVERIFY(settledTrayIcon());
    lookAtThePass(desktop.env());
    clickButton(training, QStringLiteral("cmdCut"));
    frmSettei& settings = frmSettei::instance();
    QTRY_VERIFY(settings.isLoaded() && settings.window()->isVisible());
    const QSize own(platform::twipsToPixels(9465), platform::twipsToPixels(6780));
    QCOMPARE(settings.window()->size(), own);
    QTRY_COMPARE(xSize(settings.window()), own);
    trayer.kill();
    trayer.waitForFinished();
}

QTEST_MAIN(TestTrayX11)
#include "tst_tray_x11.moc"
