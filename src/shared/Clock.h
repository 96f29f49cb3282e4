// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>

#include <functional>
#include <memory>

namespace QmrM {

// A pending call of a clock; destroying it cancels the call.
class Alarm {
public:
    virtual ~Alarm() = default;
};

// The time of day for the records and an elapsed-time clock for the waits; tests put in a virtual one (Seams.h).
class Clock {
public:
    virtual ~Clock() = default;

    virtual QDateTime now() const = 0;

    // Only forward, unmoved by the time of day, counting through suspend: a 30-minute wait started before
    // the lid is closed for two hours is over when the computer wakes.
    virtual qint64 elapsedMs() const = 0;

    // Calls `wake` once from the event loop at `deadlineMs` of elapsedMs() (soon, when past), maybe a little
    // early or late: callers look at the clock again.
    virtual std::unique_ptr<Alarm> alarmAt(qint64 deadlineMs, std::function<void()> wake) = 0;
};

// On a precise timer of the event loop, whose time stops during suspend: callers look at their clock again.
std::unique_ptr<Alarm> timerAlarm(qint64 delayMs, std::function<void()> wake);

// One implementation per platform.
Clock& systemClock();

}  // namespace QmrM
