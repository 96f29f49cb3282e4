// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "shared/Clock.h"

#include <QObject>

#include <map>
#include <memory>

// A clock that stands still until the test moves it. On a desktop session the program's wait then
// lasts as long as the test needs, while the desktop's own services and the window manager answer in
// real time (a clock that runs on by itself would be over before the desktop had answered).
class ManualClock final : public QObject, public QmrM::Clock {
public:
    explicit ManualClock(const QDateTime& start) : mStart(start) {}

    QDateTime now() const override { return mStart.addMSecs(mElapsedMs); }
    qint64 elapsedMs() const override { return mElapsedMs; }
    std::unique_ptr<QmrM::Alarm> alarmAt(qint64 deadlineMs, std::function<void()> wake) override;

    // Moves the time forward; the alarms that fell due ring from the event loop, in order.
    void advance(qint64 ms);

private:
    class Handle;
    void ringWhenIdle();
    void ringDue();

    QDateTime mStart;
    qint64 mElapsedMs = 0;
    quint64 mNextId = 1;
    // Keyed by deadline, then by the order of setting.
    std::map<std::pair<qint64, quint64>, std::function<void()>> mAlarms;
};
