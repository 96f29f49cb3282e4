// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QTimer>

// Fails the test program when a test stays inside event loops beneath it (a wait, a box, a QTRY loop
// around them) for 20 s of real time: a wait that never ends then fails in seconds instead of at CTest's
// time limit. Nothing can unwind from beneath such a loop, so the watchdog ends the program, as Qt Test's
// own time-out does; Qt Test's message names the test. Time spent outside event loops (a test's own
// long work) does not count.
class Watchdog {
public:
    Watchdog();

private:
    void look();

    QTimer mTimer;
    QElapsedTimer mInsideSince;
};
