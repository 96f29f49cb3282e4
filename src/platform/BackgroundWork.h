// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "shared/HistoryFile.h"

#include <QFutureWatcher>
#include <QObject>
#include <QString>

#include <exception>
#include <functional>

class QWidget;

namespace platform {

// A piece of work off the window's thread (on Qt's pool of threads), which reports its steps in its
// QmrM::Progress and stops when that says so. Once it is over, `done` runs on the window's thread, inside
// the exception guard, with what the work threw (empty when nothing); the object may be let go of there.
// Letting go of it earlier stops the work, waits for it to stop (within a piece of its work) and forgets
// `done`. `work` must touch no widget and no seam.
class BackgroundWork : public QObject {
public:
    using Work = std::function<void(QmrM::Progress& progress)>;
    using Done = std::function<void(std::exception_ptr failure)>;

    BackgroundWork(Work work, Done done);
    ~BackgroundWork() override;

    QmrM::Progress& progress() { return mProgress; }

private:
    QmrM::Progress mProgress;
    std::exception_ptr mFailure;  // what the work threw
    QFutureWatcher<void> mWatcher;
};

// What the progress window of a long piece of work says.
struct ProgressWindowText {
    QString title;
    QString text;
};

// Runs `work` in the background (BackgroundWork) and returns once it is done: meanwhile this thread goes on
// handling events (the windows repaint, a start wait ends on time) while the user's input waits. A long
// piece of work (`longWork`, or still running after half a second) shows a progress window over `parent`'s
// window that follows the work's progress and keeps the other windows from input until the work is done;
// its キャンセル asks the work to stop. What the work throws is thrown here. Once the program is ending (or
// the application quits underneath), the work is stopped and ProgramEnding thrown.
void runWithProgress(QWidget* parent, const ProgressWindowText& text, bool longWork, const BackgroundWork::Work& work);

}  // namespace platform
