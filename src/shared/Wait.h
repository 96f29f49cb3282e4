// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QObject>

#include <functional>
#include <memory>

class QEventLoop;

namespace QmrM {

class Alarm;

// A wait of some seconds on the clock that counts through suspend, while the event loop goes on (also for
// the waiting window). It costs no processor time: the thread sleeps until the alarm or an event wakes it.
//
// The alarm, not the wait's own loop, ends it (and tells each minute), from whichever loop runs then. A modal
// box opened inside the wait runs its loop above the wait's, so run() returns only after the box closes;
// whenOver still comes on time.
class Wait : public QObject {
    Q_OBJECT
public:
    enum class Outcome { TimeUp, EndedEarly, Cancelled, Superseded };

    // The time starts now; `minuteTicks` wakes the wait at each minute boundary of the remaining time.
    explicit Wait(double seconds, bool minuteTicks = false);
    ~Wait() override;

    // Runs once as the wait is over (before run() returns), unless the program is ending. It runs from the
    // alarm or the handler that ended the wait, outside the waiting handler's guards: it must not throw. Set
    // it before run().
    void whenOver(std::function<void(Outcome)> next) { mWhenOver = std::move(next); }

    // Returns once the wait is over and every loop opened above it has returned. Throws ProgramEnding once the
    // program is ending (or the application quits), so the waiting handler unwinds. A wait of 0 seconds or
    // less returns at once, handling no event.
    Outcome run();

    void endNow() { finish(Outcome::EndedEarly); }
    // Once its time is up (at once for no time) the wait stays on, telling reachedEnd(), until released, ended
    // or cancelled. Set it before run().
    void holdAtItsEnd()
    {
        mHoldsAtEnd = true;
        mOver = false;
    }
    // Ends a held wait as its time being up would have; nothing before the time is up.
    void release();
    // What was waited for does not come.
    void cancel() { finish(Outcome::Cancelled); }
    // What it waited for has been done, or another wait took its place.
    void supersede() { finish(Outcome::Superseded); }

    qint64 remainingMs() const;
    QDateTime dueAt() const { return mDueAt; }

signals:
    // The remaining time, rounded up to minutes, fell.
    void minutePassed();
    // The time is up, and the wait holds until released.
    void reachedEnd();
    // Time up or ended before (endNow, cancel, supersede). Comes before whenOver; run() returns once the
    // handlers run inside it have returned.
    void over();

private:
    void arm(qint64 now);
    void wake();
    void finish(Outcome outcome);

    qint64 mDeadlineMs = 0;
    QDateTime mDueAt;
    bool mMinuteTicks;
    bool mHoldsAtEnd = false;
    bool mAtEnd = false;
    int mMinutesTold = 0;
    bool mOver = false;
    Outcome mOutcome = Outcome::TimeUp;
    std::function<void(Outcome)> mWhenOver;
    QEventLoop* mLoop = nullptr;
    std::unique_ptr<Alarm> mAlarm;
    // The alarm that rang last: it is let go only after its call has returned.
    std::unique_ptr<Alarm> mRungAlarm;
};

// The wait before a training pass, announced (StartWaits) to whatever shows the time left; it keeps the
// program alive with no window open. One that begins supersedes the one running.
class StartWait : public Wait {
    Q_OBJECT
public:
    explicit StartWait(double seconds) : Wait(seconds, true) {}
    Outcome run();
};

class StartWaits : public QObject {
    Q_OBJECT
public:
    static StartWaits& instance();
    // nullptr when none runs.
    static StartWait* current() { return instance().mCurrent; }
    // Told by the window that brings the training window back once a start wait is over.
    static void announcePass() { emit instance().passCame(); }

signals:
    void began(QmrM::StartWait* wait);
    void minutePassed(QmrM::StartWait* wait);
    void ended();
    // The training window is back for the pass a start wait was for.
    void passCame();

private:
    friend class StartWait;
    StartWait* mCurrent = nullptr;
};

// A Wait that nothing ends early.
void Pause(float seconds);

// Rounded up.
int minutesLeftIn(qint64 remainingMs);
// The time left as the task bar shows it: "あと 12 分", or "あと 1 分未満" in the last minute.
QString timeLeftShort(qint64 remainingMs);
// The time left before the next pass: "次のトレーニングまであと 12 分", in the last minute
// "次のトレーニングまであと 1 分未満".
QString timeToNextPass(qint64 remainingMs);
// The same with the time of day the pass comes: "次のトレーニングまであと 12 分（10:42 開始予定）".
QString timeLeftText(const Wait& wait);

}  // namespace QmrM
