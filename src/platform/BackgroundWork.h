// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace QmrM {
struct Progress;
}

namespace platform {

// What the progress window of a long piece of work says.
struct ProgressWindowText {
    QString title;
    QString text;
};

// Runs `work` on a thread of its own, off the window's thread, and returns once it is done: meanwhile this
// thread goes on handling events (the windows repaint, a start wait ends on time) while the user's input
// waits. A long piece of work (`longWork`, or still running after half a second) shows a
// progress window over `parent`'s window that follows `progress` and keeps the other windows from input
// until the work is done; its キャンセル sets progress.cancelled, and the work stops when it next looks.
// `work` must touch no widget and no seam. What it throws is thrown here. Once the program is ending (or
// the application quits underneath), the work is stopped and ProgramEnding thrown.
void runWithProgress(QWidget* parent, const ProgressWindowText& text, QmrM::Progress& progress, bool longWork,
                     const std::function<void()>& work);

}  // namespace platform
