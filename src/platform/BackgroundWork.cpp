// SPDX-License-Identifier: GPL-3.0-or-later
#include "BackgroundWork.h"

#include "Guard.h"

#include "shared/Errors.h"
#include "shared/QmrM.h"

#include <QEventLoop>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>
#include <QCoreApplication>

namespace platform {
namespace {

constexpr int kShowProgressAfterMs = 500;
constexpr int kProgressRepaintMs = 100;

// キャンセル, Esc and the close box only ask the work to stop; the window stays till then, so nothing runs meanwhile.
class ProgressWindow : public QProgressDialog {
public:
    ProgressWindow(QWidget* parent, const ProgressWindowText& text, QmrM::Progress& progress)
        //: The progress window's button that stops the work
        : QProgressDialog(text.text, QCoreApplication::translate("platform", "キャンセル"), 0, 100, parent),
          mProgress(progress)
    {
        setObjectName(QStringLiteral("dlgProgress"));
        setWindowTitle(text.title);
        setWindowModality(Qt::ApplicationModal);
        setAutoClose(false);
        setAutoReset(false);
        setMinimumDuration(0);
        // All of canceled's connections, Qt's own by-name one to cancel() too: cancel() would hide the window at once.
        disconnect(this, &QProgressDialog::canceled, this, nullptr);
        connect(this, &QProgressDialog::canceled, this, [this] { stopWork(); });
        connect(&mRepaint, &QTimer::timeout, this, [this] { setValue(mProgress.percent()); });
        mRepaint.start(kProgressRepaintMs);
    }

protected:
    // Esc, and the close button through the dialog's closeEvent, which keeps a window that is still shown.
    void reject() override { stopWork(); }

private:
    void stopWork()
    {
        mProgress.cancelled = true;
        setLabelText(QCoreApplication::translate("platform", "取り消しています…"));
        if (auto* button = findChild<QPushButton*>())
            button->setEnabled(false);
    }

    QmrM::Progress& mProgress;
    QTimer mRepaint;
};

}  // namespace

BackgroundWork::BackgroundWork(Work work, Done done)
{
    connect(&mWatcher, &QFutureWatcher<void>::finished, this, [this, done = std::move(done)] {
        // Queued on the application: `done` may let go of this object, and with it of the watcher now signalling.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self = QPointer<BackgroundWork>(this), done, failure = mFailure] {
                if (self)
                    runGuarded([&] { done(failure); });
            },
            Qt::QueuedConnection);
    });
    mWatcher.setFuture(QtConcurrent::run([this, work = std::move(work)] {
        try {
            work(mProgress);
        } catch (...) {
            mFailure = std::current_exception();
        }
    }));
}

BackgroundWork::~BackgroundWork()
{
    mProgress.cancelled = true;
    mWatcher.disconnect();
    mWatcher.waitForFinished();
}

void runWithProgress(QWidget* parent, const ProgressWindowText& text, bool longWork, const BackgroundWork::Work& work)
{
    if (QmrM::gProgramEnding)
        throw QmrM::ProgramEnding();
    QEventLoop loop;
    bool finished = false;
    std::exception_ptr failure;
    BackgroundWork background(work, [&](std::exception_ptr thrown) {
        failure = thrown;
        finished = true;
        loop.quit();
    });
    // Long work shows its window before the loop runs, so that キャンセル can come before any of the work is done.
    bool timeToShow = longWork;
    if (!longWork) {
        QTimer::singleShot(kShowProgressAfterMs, &loop, [&] {
            timeToShow = true;
            loop.quit();
        });
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (!finished && timeToShow) {
        ProgressWindow window(parent ? parent->window() : nullptr, text, background.progress());
        window.show();
        loop.exec();
    }
    // The loop only ends before the work is done when the application quits.
    if (!finished || QmrM::gProgramEnding)
        throw QmrM::ProgramEnding();
    if (failure)
        std::rethrow_exception(failure);
}

}  // namespace platform
