// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TestEnv.h"
#include "Windows.h"

#include "app/Program.h"
#include "shared/Clock.h"
#include "shared/Seams.h"
#include "shared/Wait.h"

#include <QElapsedTimer>
#include <QTimer>

#include <functional>

// The system's clock run faster: a minute of the program's waits passes in a few real seconds, while the
// window manager or compositor works in real time.
class FastClock final : public QmrM::Clock {
public:
    explicit FastClock(int speed) : mSpeed(speed) { mReal.start(); }
    QDateTime now() const override { return QDateTime::currentDateTime(); }
    qint64 elapsedMs() const override { return mReal.elapsed() * mSpeed; }
    std::unique_ptr<QmrM::Alarm> alarmAt(qint64 deadlineMs, std::function<void()> wake) override
    {
        return QmrM::timerAlarm((deadlineMs - elapsedMs() + mSpeed - 1) / mSpeed, std::move(wake));
    }

private:
    int mSpeed;
    QElapsedTimer mReal;
};

// The program on a real desktop with its waits on the fast clock (the user's input keeps its real pace):
// a minute takes three real seconds,
// and the items A (5) and B (3) wait three minutes, past two minute boundaries, with the time left
// counted down in view.
class FastWait {
public:
    static constexpr int kSpeed = 20;
    static constexpr int kMinuteRealMs = 60 * 1000 / kSpeed;
    static constexpr int kWaitRealMs = 3 * kMinuteRealMs;

    FastWait() : mSeams(withClock(&mClock))
    {
        Program::showTheWait();
        writeDataFolder(QStringLiteral("\"A\",5\n\"B\",3\n"), QStringLiteral("0,0,3"));
    }

    TestEnv& env() { return mEnv; }

    // Runs each check at its real time into the wait that `start` begins (it returns when the wait is
    // over). Precise timers: a coarse one may come 5 % late, after the wait.
    static void during(const QList<QPair<int, std::function<void()>>>& checks, const std::function<void()>& start)
    {
        QObject timers;  // none outlives the wait
        QObject began;   // counted from the first wait that begins
        QObject::connect(&QmrM::StartWaits::instance(), &QmrM::StartWaits::began, &began, [&] {
            QObject::disconnect(&QmrM::StartWaits::instance(), nullptr, &began, nullptr);
            for (const auto& [atMs, check] : checks)
                QTimer::singleShot(atMs, Qt::PreciseTimer, &timers, check);
        });
        start();
    }

private:
    static QmrM::Seams withClock(QmrM::Clock* clock)
    {
        QmrM::Seams seams = QmrM::seams();
        seams.clock = clock;
        seams.inputClock = nullptr;  // the user's pace is a person's, on the desktop's real time
        return seams;
    }

    TestEnv mEnv;
    FastClock mClock{kSpeed};
    QmrM::SeamsScope mSeams;
};
