// SPDX-License-Identifier: GPL-3.0-or-later
// The start wait as the task bar shows it, driven by the clock: the minimised training window's title
// counts the minutes down at each minute's boundary and is the window's own again once the pass comes.
// And a desktop without a notification service (here: without a session bus): a second start still
// learns the time left, from a message box, and the pass comes without a fault. The tray and the
// notices themselves are judged on a desktop session (tst_tray_services, tst_tray_x11).

#include "TestEnv.h"

#include "app/Program.h"
#include "platform/AppSetup.h"
#include "platform/Dialogs.h"
#include "settings/frmSettei.h"
#include "shared/Wait.h"
#include "training/frmMain.h"

#include <QApplication>
#include <QTest>

namespace {

// Starts the program on the items "A" and "B" with the given wait and leaves the first pass for the
// settings window.
frmSettei& settingsWithWait(const QString& minutes)
{
    writeDataFile(QStringLiteral("項目一覧.txt"), QStringLiteral("\"A\",5\n\"B\",3\n"));
    writeDataFile(QStringLiteral("設定.txt"), QStringLiteral("0,0,%1\n").arg(minutes));
    frmMain::instance().Load();
    clickButton(frmMain::instance(), QStringLiteral("cmdCut"));
    return frmSettei::instance();
}

QString trainingTitle()
{
    const QWidget* window = frmMain::instance().window();
    return window ? window->windowTitle() : QStringLiteral("(not loaded)");
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

void TestWaitView::withoutNotificationServiceASecondStartGetsTheBox()
{
    TestEnv env;
    Program::showTheWait();
    frmSettei& settings = settingsWithWait(QStringLiteral("3"));
    // The clock starts at 9:18:07: the pass is due at 9:21.
    env.clock().after(60 * 1000 + 1, [&] {
        env.dialogs().expectMessage(QStringLiteral("次のトレーニングまであと 2 分（9:21 開始予定）"),
                                    QStringLiteral("Quillmora"), platform::vbInformation);
        Program::anotherStartRequested();
    });
    clickButton(settings, QStringLiteral("cmdAgain"));
    QVERIFY(env.dialogs().verify());
    QVERIFY(frmMain::instance().window()->isVisible());
    QVERIFY(env.endings().isEmpty());
}

QTEST_MAIN(TestWaitView)
#include "tst_wait_view.moc"
