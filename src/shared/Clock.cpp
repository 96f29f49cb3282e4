// SPDX-License-Identifier: GPL-3.0-or-later
#include "Clock.h"

#include <QTimer>

#include <algorithm>
#include <climits>

namespace QmrM {
namespace {

class TimerAlarm final : public Alarm {
public:
    TimerAlarm(qint64 delayMs, std::function<void()> wake)
    {
        mTimer.setSingleShot(true);
        mTimer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&mTimer, &QTimer::timeout, &mTimer, std::move(wake));
        mTimer.start(static_cast<int>(std::clamp<qint64>(delayMs, 0, INT_MAX)));
    }

private:
    QTimer mTimer;
};

}  // namespace

std::unique_ptr<Alarm> timerAlarm(qint64 delayMs, std::function<void()> wake)
{
    return std::make_unique<TimerAlarm>(delayMs, std::move(wake));
}

}  // namespace QmrM
