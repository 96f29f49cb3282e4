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

// Work off the window's thread (on Qt's thread pool) that reports its steps in its QmrM::Progress and stops when
// that says so. Then `done` runs on the window's thread, inside the exception guard, with what the work threw (or
// nothing), and may let go of the object. Letting go earlier stops the work, waits for it (within a piece of its
// work) and forgets `done`. `work` must touch no widget and no seam.
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

struct ProgressWindowText {
    QString title;
    QString text;
};

// Runs `work` in the background and returns once it is done; meanwhile events go on (windows repaint, a start wait
// ends on time) while the user's input waits. Long work (`longWork`, or still running after half a second) shows a
// progress window over `parent`'s window, modal until the work is done, whose キャンセル asks the work to stop.
// What the work throws is thrown here; once the program or application is ending, the work is stopped and
// ProgramEnding thrown.
void runWithProgress(QWidget* parent, const ProgressWindowText& text, bool longWork, const BackgroundWork::Work& work);

}  // namespace platform
