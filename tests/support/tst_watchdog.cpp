// SPDX-License-Identifier: GPL-3.0-or-later
// The test kit's watchdog (tests/support/Watchdog.h) ends a test that lets no event loop turn, naming it,
// and leaves alone one that waits with its event loop running. Each case runs a test of its own in a child
// program, with a limit of a few seconds.

#include "TestEnv.h"

#include <QApplication>
#include <QProcess>
#include <QTest>

namespace {

constexpr int kLimitSeconds = 3;

}  // namespace

// The tests the child program runs, one per start.
class Hangs : public QObject {
    Q_OBJECT

private slots:
    void spinsOutsideEventLoops()
    {
        TestEnv env;
        volatile bool spinning = true;
        while (spinning) {
        }
    }
    void waitsLongerThanTheLimit()
    {
        TestEnv env;
        QTest::qWait(kLimitSeconds * 1000 + 2000);
    }
};

class TestWatchdog : public QObject {
    Q_OBJECT

private slots:
    void spinningTestIsEndedByName();
    void waitingTestRunsOn();

private:
    struct Child {
        bool ended = false;
        QProcess::ExitStatus status = QProcess::NormalExit;
        int code = 0;
        QString errors;
    };
    static Child runChild(const QString& test);
};

TestWatchdog::Child TestWatchdog::runChild(const QString& test)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUILLMORA_WATCHDOG_SPIN_SECONDS"), QString::number(kLimitSeconds));
    environment.insert(QStringLiteral("QTEST_DISABLE_STACK_DUMP"), QStringLiteral("1"));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), test});
    Child result;
    // Far beyond the limit: a child still running then was not seen by the watchdog.
    result.ended = child.waitForFinished(60 * 1000);
    if (!result.ended) {
        child.kill();
        child.waitForFinished();
    }
    result.status = child.exitStatus();
    result.code = child.exitCode();
    result.errors = QString::fromLocal8Bit(child.readAllStandardError() + child.readAllStandardOutput());
    return result;
}

void TestWatchdog::spinningTestIsEndedByName()
{
    const Child child = runChild(QStringLiteral("spinsOutsideEventLoops"));
    QVERIFY2(child.ended, "the spinning test ran on for a minute");
#ifdef Q_OS_WIN
    QVERIFY(child.code != 0);  // ended by the system: an exit code, no signal
#else
    QCOMPARE(child.status, QProcess::CrashExit);
#endif
    QVERIFY2(child.errors.contains(QStringLiteral("watchdog: tst_watchdog spinsOutsideEventLoops let no event loop "
                                                  "turn")),
             qPrintable(child.errors));
}

void TestWatchdog::waitingTestRunsOn()
{
    const Child child = runChild(QStringLiteral("waitsLongerThanTheLimit"));
    QVERIFY(child.ended);
    QVERIFY2(child.status == QProcess::NormalExit && child.code == 0, qPrintable(child.errors));
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--child") {
        Hangs hangs;
        return QTest::qExec(&hangs, {QString::fromLocal8Bit(argv[0]), QString::fromLocal8Bit(argv[2])});
    }
    TestWatchdog test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_watchdog.moc"
