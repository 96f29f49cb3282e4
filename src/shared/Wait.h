// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QObject>

class QEventLoop;

namespace QmrM {

// One wait of the program: a number of seconds on the clock that keeps counting through suspend, during
// which the event loop goes on (windows repaint and handlers run, also those of the window that waits).
// It costs no processor time: the thread sleeps until the clock's alarm or an event wakes it.
class Wait : public QObject {
    Q_OBJECT
public:
    enum class Outcome { TimeUp, EndedEarly, Cancelled, Superseded };

    // The time starts now.
    explicit Wait(double seconds);
    ~Wait() override;

    // Returns when the time is up, or when the wait was ended early or cancelled. Once the program is
    // ending (or the application quits underneath), throws ProgramEnding so that the waiting handler
    // unwinds instead of going on. A wait of 0 seconds or less returns at once and handles no event.
    Outcome run();

    // Ends the wait now, as if the time were up.
    void endNow();
    // Ends the wait now; what was waited for does not come.
    void cancel();
    // Ends the wait now: what it waited for has been done, or another wait took its place.
    void supersede();

    bool isRunning() const { return mLoop != nullptr; }
    qint64 remainingMs() const;
    // The time of day at which the wait is due.
    QDateTime dueAt() const { return mDueAt; }

signals:
    // A whole minute of the remaining time has passed (the remaining time, rounded up to minutes, fell).
    void minutePassed();
    // The wait was ended before its time (endNow, cancel, supersede); run() returns once the handlers
    // that run inside it have returned.
    void stopped();

protected:
    // Whether the wait wakes at every minute boundary of the remaining time.
    void setMinuteTicks(bool on) { mMinuteTicks = on; }

private:
    qint64 nextWakeMs(qint64 now) const;
    void stop(Outcome outcome);

    qint64 mDeadlineMs = 0;
    QDateTime mDueAt;
    bool mMinuteTicks = false;
    bool mStopped = false;
    Outcome mOutcome = Outcome::TimeUp;
    QEventLoop* mLoop = nullptr;
};

// The wait before a training pass. While it runs it is announced (StartWaits) to whatever shows the time
// left, and it keeps the program alive with no window open. At most one runs at a time: one that begins
// while another runs supersedes the other.
class StartWait : public Wait {
    Q_OBJECT
public:
    explicit StartWait(double seconds);
    Outcome run();
};

// Announcements of the start wait.
class StartWaits : public QObject {
    Q_OBJECT
public:
    static StartWaits& instance();
    // The start wait that runs now, or nullptr.
    static StartWait* current();
    // Told by the window that brings the training window back once a start wait is over.
    static void announcePass();

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
int MinutesLeft(qint64 remainingMs);
// The time left as the task bar shows it: "あと 12 分", or "あと 1 分未満" in the last minute.
QString TimeLeftShort(qint64 remainingMs);
// The time left before the next pass with the time of day it comes:
// "次のトレーニングまであと 12 分（10:42 開始予定）".
QString TimeLeftText(const Wait& wait);

}  // namespace QmrM
