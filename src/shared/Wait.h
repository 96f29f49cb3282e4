// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QObject>

#include <functional>
#include <memory>

class QEventLoop;

namespace QmrM {

class Alarm;

// One wait of the program: a number of seconds on the clock that keeps counting through suspend, during
// which the event loop goes on (windows repaint and handlers run, also those of the window that waits).
// It costs no processor time: the thread sleeps until the clock's alarm or an event wakes it.
//
// The wait is driven by its alarm, not by its own event loop: the time is up (and each minute is told)
// when the alarm rings, from whichever event loop runs at that moment. A modal box opened by a handler
// inside the wait runs its loop above the wait's, so run() cannot return before the box closes; what
// follows the wait (whenOver) comes on time all the same.
class Wait : public QObject {
    Q_OBJECT
public:
    enum class Outcome { TimeUp, EndedEarly, Cancelled, Superseded };

    // The time starts now; with `minuteTicks` the wait wakes at every minute boundary of the remaining time.
    explicit Wait(double seconds, bool minuteTicks = false);
    ~Wait() override;

    // What follows the wait, run once, the moment the wait is over (before run() returns), unless the
    // program is ending. It runs from the alarm or from the handler that ended the wait, outside any
    // guard of the waiting handler's: it must not throw. Set it before run().
    void whenOver(std::function<void(Outcome)> next) { mWhenOver = std::move(next); }

    // Returns once the wait is over and every event loop opened above it has returned. Once the program
    // is ending (or the application quits underneath), throws ProgramEnding so that the waiting handler
    // unwinds instead of going on. A wait of 0 seconds or less returns at once and handles no event.
    Outcome run();

    // Ends the wait now, as if the time were up.
    void endNow() { finish(Outcome::EndedEarly); }
    // A wait that holds at its end: once its time is up it stays on (reachedEnd() tells it) until it is
    // released, ended now or cancelled; also a wait of no time, which then holds at once. Set it before run().
    void holdAtItsEnd()
    {
        mHoldsAtEnd = true;
        mOver = false;
    }
    // Ends a wait that holds at its end, as its time being up would have. Nothing before the time is up.
    void release();
    // Ends the wait now; what was waited for does not come.
    void cancel() { finish(Outcome::Cancelled); }
    // Ends the wait now: what it waited for has been done, or another wait took its place.
    void supersede() { finish(Outcome::Superseded); }

    qint64 remainingMs() const;
    // The time of day at which the wait is due.
    QDateTime dueAt() const { return mDueAt; }

signals:
    // A whole minute of the remaining time has passed (the remaining time, rounded up to minutes, fell).
    void minutePassed();
    // The time is up, and the wait holds at its end until it is released.
    void reachedEnd();
    // The wait is over: its time is up, or it was ended before (endNow, cancel, supersede). Comes before
    // what follows the wait (whenOver); run() returns once the handlers that run inside it have returned.
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

// The wait before a training pass. While it runs it is announced (StartWaits) to whatever shows the time
// left, and it keeps the program alive with no window open. At most one runs at a time: one that begins
// while another runs supersedes the other.
class StartWait : public Wait {
    Q_OBJECT
public:
    explicit StartWait(double seconds) : Wait(seconds, true) {}
    Outcome run();
};

// Announcements of the start wait.
class StartWaits : public QObject {
    Q_OBJECT
public:
    static StartWaits& instance();
    // The start wait that runs now, or nullptr.
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

// Waits the given seconds while the windows stay responsive (a Wait that nothing ends early).
void Pause(float seconds);

// The remaining time in whole minutes, rounded up.
int minutesLeftIn(qint64 remainingMs);
// The time left as the task bar shows it: "あと 12 分", or "あと 1 分未満" in the last minute.
QString timeLeftShort(qint64 remainingMs);
// The time left before the next pass: "次のトレーニングまであと 12 分", in the last minute
// "次のトレーニングまであと 1 分未満".
QString timeToNextPass(qint64 remainingMs);
// The same with the time of day the pass comes: "次のトレーニングまであと 12 分（10:42 開始予定）".
QString timeLeftText(const Wait& wait);

}  // namespace QmrM
