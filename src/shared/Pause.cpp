#include "Errors.h"
#include "QmrM.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <climits>
#include <cmath>

namespace QmrM {

void Pause(float seconds)
{
    if (!(seconds > 0.0f))
        return;  // also a NaN: nothing to wait for, and no event is handled
    const double ms = std::ceil(static_cast<double>(seconds) * 1000.0);
    // The deadline runs on the monotonic clock: midnight or a change of the time of day do not move it.
    const QDeadlineTimer deadline(static_cast<qint64>(std::min(ms, 1e15)), Qt::PreciseTimer);

    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    bool timerFired = false;
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        timerFired = true;
        loop.quit();
    });
    while (!deadline.hasExpired()) {
        timerFired = false;
        const qint64 remaining = std::max<qint64>(1, deadline.remainingTime());
        timer.start(static_cast<int>(std::min<qint64>(remaining, INT_MAX)));
        loop.exec();
        timer.stop();
        // The loop ends without our timer only when the application is quitting; waiting on would
        // then spin, since every further exec returns at once.
        if (!timerFired || gProgramEnding)
            break;
    }
    if (gProgramEnding)
        throw ProgramEnding();
}

}  // namespace QmrM
