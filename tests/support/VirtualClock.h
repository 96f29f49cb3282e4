// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "shared/Clock.h"

#include <QObject>

#include <map>
#include <memory>

// A clock for tests whose time moves only when nothing else is pending: each alarm becomes due in turn,
// in the order of their deadlines, as soon as the event loop is idle. A 60-minute wait takes no time,
// the 0.1-second flash none either, and what a test schedules at a moment (at, after) happens at exactly
// that moment of the program's time, between the alarms that come before and after it.
//
// Made to stand still (Moves::WhenTold), its time moves only by jump(): on a desktop session the program's
// wait then lasts as long as the test needs, while the desktop's services and the window manager answer
// in real time.
class VirtualClock final : public QObject, public QmrM::Clock {
public:
    enum class Moves { WhenIdle, WhenTold };

    // The time of day starts at 2026-12-06 09:18:07 unless given.
    explicit VirtualClock(const QDateTime& start = QDateTime(), Moves moves = Moves::WhenIdle);
    ~VirtualClock() override;

    QDateTime now() const override;
    qint64 elapsedMs() const override { return mElapsedMs; }
    std::unique_ptr<QmrM::Alarm> alarmAt(qint64 deadlineMs, std::function<void()> wake) override;

    // Runs `action` when the clock reaches `elapsedMs` (measured from the clock's start).
    void at(qint64 elapsedMs, std::function<void()> action);
    // Runs `action` `ms` milliseconds from now.
    void after(qint64 ms, std::function<void()> action) { at(mElapsedMs + ms, std::move(action)); }
    // Moves the time forward at once, without waking anyone (as a suspend does, or a test of a clock that
    // stands still); the alarms that fell due meanwhile ring next, in order.
    void jump(qint64 ms);
    // Sets the time of day (the elapsed clock is not moved: a change of the time of day by the user).
    void setTimeOfDay(const QDateTime& when);

    // How many alarms are waiting (the program's own waits, and the test's scheduled actions).
    int pending() const { return static_cast<int>(mEntries.size()); }

private:
    class Handle;
    friend class Handle;
    quint64 add(qint64 deadlineMs, std::function<void()> action);
    void remove(quint64 id);
    void scheduleStep();
    void step();

    QDateTime mStart;
    Moves mMoves;
    qint64 mDayOffsetMs = 0;
    qint64 mElapsedMs = 0;
    quint64 mNextId = 1;
    bool mStepScheduled = false;
    // Keyed by deadline, then by the order of adding.
    std::map<std::pair<qint64, quint64>, std::function<void()>> mEntries;
};
