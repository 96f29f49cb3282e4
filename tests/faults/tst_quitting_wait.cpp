// SPDX-License-Identifier: GPL-3.0-or-later
// A wait when the application quits underneath it by a path other than the program's own end (the last
// window closed, the end of the desktop session): it must give up at once, not spin through event loops
// that return immediately for the rest of its time. On the system's clock, in a program of its own,
// since a quitting application leaves every later event loop returning at once.

#include "shared/Errors.h"
#include "shared/QmrM.h"
#include "shared/Wait.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QTest>
#include <QTimer>

class TestQuittingWait : public QObject {
    Q_OBJECT

private slots:
    void waitGivesUpWhenTheApplicationQuits();
};

void TestQuittingWait::waitGivesUpWhenTheApplicationQuits()
{
    int wakeUps = 0;
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake, this, [&] { ++wakeUps; });
    QTimer::singleShot(20, [] { QCoreApplication::exit(0); });
    QVERIFY_THROWS_EXCEPTION(QmrM::ProgramEnding, QmrM::Pause(3600.0f));
    // A spinning wait wakes the dispatcher without end; this one woke for the quit and a few events.
    QVERIFY2(wakeUps < 50, qPrintable(QString::number(wakeUps)));
    QVERIFY(!QmrM::gProgramEnding);
}

QTEST_GUILESS_MAIN(TestQuittingWait)
#include "tst_quitting_wait.moc"
