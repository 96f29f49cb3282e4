// SPDX-License-Identifier: GPL-3.0-or-later
#include "Clock.h"

#include <QSocketNotifier>

#include <cerrno>
#include <ctime>
#include <sys/timerfd.h>
#include <unistd.h>

namespace QmrM {
namespace {

// CLOCK_BOOTTIME counts the time the computer spent suspended, unlike CLOCK_MONOTONIC (and Qt's timers).
constexpr clockid_t kWaitClock = CLOCK_BOOTTIME;

// A timer descriptor armed at an absolute boot-clock time fires at the deadline, or on resume when it passed
// during suspend, waking the event loop once; nothing polls.
class TimerFdAlarm final : public Alarm {
public:
    TimerFdAlarm(int fd, std::function<void()> wake)
        : mFd(fd), mNotifier(fd, QSocketNotifier::Read), mWake(std::move(wake))
    {
        QObject::connect(&mNotifier, &QSocketNotifier::activated, &mNotifier, [this] { fire(); });
    }
    ~TimerFdAlarm() override { ::close(mFd); }

private:
    void fire()
    {
        quint64 expirations = 0;
        if (::read(mFd, &expirations, sizeof expirations) < 0 && errno == EAGAIN)
            return;  // woken without an expiry: wait on
        mNotifier.setEnabled(false);
        const auto wake = std::move(mWake);
        wake();  // may destroy this alarm
    }

    int mFd;
    QSocketNotifier mNotifier;
    std::function<void()> mWake;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }

    // In whole milliseconds, rounded up: a wait takes its start from this reading and its alarm fires at the
    // exact deadline, so a reading rounded down would end every wait up to a millisecond early.
    qint64 elapsedMs() const override
    {
        timespec now{};
        clock_gettime(kWaitClock, &now);
        return qint64(now.tv_sec) * 1000 + (now.tv_nsec + 999999) / 1000000;
    }

    std::unique_ptr<Alarm> alarmAt(qint64 deadlineMs, std::function<void()> wake) override
    {
        const int fd = ::timerfd_create(kWaitClock, TFD_NONBLOCK | TFD_CLOEXEC);
        itimerspec deadline{};
        const qint64 at = std::max<qint64>(deadlineMs, 1);  // an all-zero value would disarm the timer
        deadline.it_value.tv_sec = time_t(at / 1000);
        deadline.it_value.tv_nsec = long(at % 1000) * 1000000;
        if (fd >= 0 && ::timerfd_settime(fd, TFD_TIMER_ABSTIME, &deadline, nullptr) == 0)
            return std::make_unique<TimerFdAlarm>(fd, std::move(wake));
        if (fd >= 0)
            ::close(fd);
        // Without timer descriptors, an ordinary timer: it does not see suspend.
        return timerAlarm(deadlineMs - elapsedMs(), std::move(wake));
    }
};

}  // namespace

Clock& systemClock()
{
    static SystemClock clock;
    return clock;
}

}  // namespace QmrM
