// SPDX-License-Identifier: GPL-3.0-or-later
#include "Clock.h"

#include <QTimer>

#include <algorithm>
#include <climits>

namespace QmrM {

std::unique_ptr<Alarm> timerAlarm(qint64 delayMs, std::function<void()> wake)
{
    // Destroying the alarm destroys its timer, which then never fires.
    struct TimerAlarm final : Alarm {
        QTimer timer;
    };
    auto alarm = std::make_unique<TimerAlarm>();
    alarm->timer.setSingleShot(true);
    alarm->timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&alarm->timer, &QTimer::timeout, &alarm->timer, std::move(wake));
    alarm->timer.start(static_cast<int>(std::clamp<qint64>(delayMs, 0, INT_MAX)));
    return alarm;
}

}  // namespace QmrM
