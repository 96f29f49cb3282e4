// SPDX-License-Identifier: GPL-3.0-or-later
// A wait when the application quits underneath it, by the program's own end or another path (the last
// window closed, the end of the desktop session): it must give up at once, not spin through event loops
// that return immediately for the rest of its time. On the system's clock, in a program of its own.

#include "shared/Errors.h"
#include "shared/QmrM.h"
#include "shared/Wait.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

class TestQuittingWait : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void waitGivesUpWhenTheApplicationQuits_data();
    void waitGivesUpWhenTheApplicationQuits();
};

void TestQuittingWait::cleanup()
{
    QmrM::gProgramEnding = false;
    // Until the application runs again, every event loop returns at once: let the next case wait.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

void TestQuittingWait::waitGivesUpWhenTheApplicationQuits_data()
{
    QTest::addColumn<bool>("programEnding");
    QTest::newRow("another path") << false;
    QTest::newRow("the program's own end") << true;
}

void TestQuittingWait::waitGivesUpWhenTheApplicationQuits()
{
    QFETCH(bool, programEnding);
    int wakeUps = 0;
    const auto counting =
        connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake, this, [&] { ++wakeUps; });
    const auto stopCounting = qScopeGuard([&] { disconnect(counting); });
    QTimer::singleShot(20, [programEnding] {
        QmrM::gProgramEnding = programEnding;
        QCoreApplication::exit(0);
    });
    QVERIFY_THROWS_EXCEPTION(QmrM::ProgramEnding, QmrM::Pause(3600.0f));
    // A spinning wait wakes the dispatcher without end; this one woke for the quit and a few events.
    QVERIFY2(wakeUps < 50, qPrintable(QString::number(wakeUps)));
    QCOMPARE(QmrM::gProgramEnding, programEnding);  // a quit alone does not start the program's end
}

QTEST_GUILESS_MAIN(TestQuittingWait)
#include "tst_quitting_wait.moc"
