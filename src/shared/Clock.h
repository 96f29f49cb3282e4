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

// Time as the program measures it: the time of day for the records, and an elapsed-time clock for the
// waits. The system's clock is the default; tests put a virtual one in its place (see Seams.h).
class Clock {
public:
    virtual ~Clock() = default;

    // The current date and time of day.
    virtual QDateTime now() const = 0;

    // Milliseconds on a clock that only runs forward, is not moved by changes of the time of day and
    // keeps counting while the computer is suspended: a wait of 30 minutes started before the lid is
    // closed for two hours is over when the computer wakes.
    virtual qint64 elapsedMs() const = 0;

    // Calls `wake` once, from the event loop, when elapsedMs() has reached `deadlineMs` (soon, when it
    // already has). The call may come a little early or late; callers look at the clock again.
    virtual std::unique_ptr<Alarm> alarmAt(qint64 deadlineMs, std::function<void()> wake) = 0;
};

// An alarm on an ordinary precise timer of the event loop, `delayMs` from now. Such a timer's time stops
// while the computer is suspended; callers look at their clock again when woken.
std::unique_ptr<Alarm> timerAlarm(qint64 delayMs, std::function<void()> wake);

// The system's clock (one implementation per platform).
Clock& systemClock();

}  // namespace QmrM
