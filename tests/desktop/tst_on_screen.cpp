// SPDX-License-Identifier: GPL-3.0-or-later
// The windows on a small screen at a large scale factor (1280x800 at QT_SCALE_FACTOR=2, on Xvfb with
// openbox, see on-desktop.sh): each window's frame, title bar included, lies on the screen as the window
// manager placed it, and the fixed windows' default buttons are in view.

#include "DesktopSession.h"

#include "chart/ProgressActions.h"
#include "platform/AppSetup.h"
#include "settings/frmSettei.h"
#include "training/frmMain.h"

#include <QApplication>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>

namespace {

// Where the window manager put a shown window's frame, in the screen's own pixels; empty until it has.
QRect xFrame(const QWidget* window)
{
    const QString id = QString::number(window->winId());
    const QString info = runProgram(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id});
    const auto field = [&](const QString& label) {
        return QRegularExpression(label + QStringLiteral(": +(-?\\d+)")).match(info).captured(1).toInt();
    };
    const auto extents = QRegularExpression(QStringLiteral("= (\\d+), (\\d+), (\\d+), (\\d+)"))
                             .match(runProgram(QStringLiteral("xprop"),
                                               {QStringLiteral("-id"), id, QStringLiteral("_NET_FRAME_EXTENTS")}));
    if (!info.contains(QLatin1String("IsViewable")) || !extents.hasMatch())
        return {};
    const QRect client(field(QStringLiteral("Absolute upper-left X")), field(QStringLiteral("Absolute upper-left Y")),
                       field(QStringLiteral("Width")), field(QStringLiteral("Height")));
    return client.adjusted(-extents.captured(1).toInt(), -extents.captured(3).toInt(), extents.captured(2).toInt(),
                           extents.captured(4).toInt());
}

QString describe(const QRect& r)
{
    return QStringLiteral("%1x%2%3%4%5%6")
        .arg(r.width())
        .arg(r.height())
        .arg(r.x() < 0 ? "" : "+")
        .arg(r.x())
        .arg(r.y() < 0 ? "" : "+")
        .arg(r.y());
}

// Whether the window's frame settles on the screen (1280x800 pixels); says where it went when not.
bool onScreen(const QWidget* window)
{
    QRect frame;
    const bool settled = QTest::qWaitFor([&] { return !(frame = xFrame(window)).isEmpty(); }, 5000);
    QTest::qWait(300);  // the manager may still move it
    frame = xFrame(window);
    if (settled && QRect(0, 0, 1280, 800).contains(frame))
        return true;
    qWarning("%s: frame %s, screen 1280x800", qPrintable(window->objectName()), qPrintable(describe(frame)));
    return false;
}

// Whether the button is whole within its window's visible area.
bool inView(const platform::Form& form, const QString& button)
{
    const QWidget* widget = control<QWidget>(form, button);
    return form.window()->rect().contains(QRect(widget->mapTo(form.window(), QPoint()), widget->size()));
}

}  // namespace

class TestOnScreen : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QGuiApplication::platformName() == "xcb", "run through tests/desktop/on-desktop.sh");
        QCOMPARE(QGuiApplication::primaryScreen()->geometry(), QRect(0, 0, 640, 400));  // 1280x800 at 2
        platform::setUpApplication(*qobject_cast<QApplication*>(qApp));
    }

    void windowsOnASmallScreenAtScaleTwo();
};

void TestOnScreen::windowsOnASmallScreenAtScaleTwo()
{
    TestEnv env;
    writeDataFile(QStringLiteral("項目一覧.txt"), QStringLiteral("\"A\",5\n\"B\",3\n"));
    writeDataFile(QStringLiteral("設定.txt"), QStringLiteral("0,0,3\n"));
    frmMain& training = frmMain::instance();
    training.Load();
    QVERIFY(onScreen(training.window()));
    QVERIFY(inView(training, QStringLiteral("cmdNext")));
    QVERIFY(inView(training, QStringLiteral("txtKaisu")));

    clickButton(training, QStringLiteral("cmdCut"));
    frmSettei& settings = frmSettei::instance();
    QVERIFY(onScreen(settings.window()));
    QVERIFY(inView(settings, QStringLiteral("cmdAgain")));

    chart::showChart(settings.window(), 1);
    QWidget* chart = settings.window()->findChild<QWidget*>(QStringLiteral("frmChart"));
    QVERIFY(chart);
    QVERIFY(onScreen(chart));
}

QTEST_MAIN(TestOnScreen)
#include "tst_on_screen.moc"
