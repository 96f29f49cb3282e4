// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopSession.h"

#include "Windows.h"

#include "app/Program.h"
#include "settings/frmSettei.h"
#include "shared/Wait.h"

#include <QProcess>
#include <QRegularExpression>
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

QString runProgram(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(5000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString xTitle(const QWidget* window)
{
    const QString id = QString::number(window->winId());
    const QString out =
        runProgram(QStringLiteral("xprop"), {QStringLiteral("-id"), id, QStringLiteral("_NET_WM_NAME")});
    const auto title = QRegularExpression(QStringLiteral("= \"(.*)\"")).match(out);
    return title.hasMatch() ? title.captured(1) : out.trimmed();
}

QString xWindowState(const QWidget* window)
{
    const QString id = QString::number(window->winId());
    const auto state =
        QRegularExpression(QStringLiteral("window state: (\\w+)"))
            .match(runProgram(QStringLiteral("xprop"), {QStringLiteral("-id"), id, QStringLiteral("WM_STATE")}));
    return state.hasMatch() ? state.captured(1) : QStringLiteral("Withdrawn");
}
