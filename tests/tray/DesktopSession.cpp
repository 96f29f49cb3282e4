// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopSession.h"

#include "Windows.h"

#include "app/Program.h"
#include "settings/frmSettei.h"
#include "shared/Wait.h"

#include <QTest>
#include <QTimer>

WaitOnDesktop::WaitOnDesktop()
    : mEnv(std::make_unique<TestEnv>()),
      mClock(std::make_unique<VirtualClock>(QDateTime(QDate(2026, 12, 6), QTime(10, 30, 0)),
                                            VirtualClock::Moves::WhenTold))
{
    QmrM::Seams seams = QmrM::seams();
    seams.clock = mClock.get();
    mSeams = std::make_unique<QmrM::SeamsScope>(seams);
    Program::showTheWait();
    writeDataFolder(QStringLiteral("\"A\",5\n"), QStringLiteral("0,0,3"));
}

WaitOnDesktop::~WaitOnDesktop()
{
    mSeams.reset();
    mEnv.reset();
    mClock.reset();
}

void WaitOnDesktop::runWait(const QList<std::function<void()>>& steps)
{
    frmSettei& settings = leaveFirstPass();
    int next = 0;
    // Each step runs from the wait's own event loop, never from inside the one before it.
    const auto runNextStep = [&] {
        QTimer::singleShot(0, [&] {
            if (next >= steps.size())
                return;
            steps[next++]();
            // A failed check left the wait running; it must not outlast the test.
            if (QmrM::StartWait* wait = QmrM::StartWaits::current(); wait && QTest::currentTestFailed())
                wait->cancel();
        });
    };
    QmrM::StartWaits& waits = QmrM::StartWaits::instance();
    const auto began = QObject::connect(&waits, &QmrM::StartWaits::began, runNextStep);
    const auto woke = QObject::connect(&waits, &QmrM::StartWaits::minutePassed, runNextStep);
    clickButton(settings, QStringLiteral("cmdAgain"));
    QObject::disconnect(began);
    QObject::disconnect(woke);
}

QString xTitle(const QWidget* window)
{
    return desktopWindow(window->winId()).title;
}

QString xWindowState(const QWidget* window)
{
    return desktopWindow(window->winId()).state;
}
