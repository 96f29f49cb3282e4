// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DesktopView.h"
#include "VirtualClock.h"
#include "TestEnv.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

// The program on a desktop session (see tests/desktop/on-desktop.sh), with the view of its wait, the items
// "A" (5 times) and a wait of three minutes, on a clock that stands still until the test moves it. Made
// after the application: a fresh data folder and fresh windows each time.
class WaitOnDesktop {
public:
    WaitOnDesktop();
    ~WaitOnDesktop();

    TestEnv& env() { return *mEnv; }
    VirtualClock& clock() { return *mClock; }

    // Starts the program, leaves the first pass with 中断 and presses 開始. The steps run inside the wait:
    // the first as it begins, each next one once the wait has woken at a minute's boundary (a step that
    // moves the clock lets the wait wake by returning). The last has to end the wait. Returns when the
    // wait is over (cancelled when a check in a step failed).
    void runWait(const QList<std::function<void()>>& steps);

private:
    std::unique_ptr<TestEnv> mEnv;
    std::unique_ptr<VirtualClock> mClock;
    std::unique_ptr<QmrM::SeamsScope> mSeams;
};

// The window manager's record of a window, as the task bar sees it (DesktopView.h).
QString xTitle(const QWidget* window);
// "Normal", "Iconic" or "Withdrawn".
QString xWindowState(const QWidget* window);
