// SPDX-License-Identifier: GPL-3.0-or-later
#include "BackgroundWork.h"

#include "shared/Errors.h"
#include "shared/HistoryFile.h"
#include "shared/QmrM.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QProgressDialog>
#include <QPushButton>
#include <QScopeGuard>
#include <QThread>
#include <QTimer>
#include <QCoreApplication>

#include <exception>
#include <memory>

namespace platform {
namespace {

constexpr int kShowProgressAfterMs = 500;
constexpr int kProgressRepaintMs = 100;

// A progress window whose キャンセル, Esc and close button only ask the work to stop: the window stays
// until the work has stopped, so nothing is done meanwhile.
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
        // Every connection of canceled, the toolkit's own to cancel() (made by name, which a disconnect by
        // member function leaves) among them: cancel() would hide the window at once.
        disconnect(this, &QProgressDialog::canceled, this, nullptr);
        connect(this, &QProgressDialog::canceled, this, [this] { stopWork(); });
        connect(&mRepaint, &QTimer::timeout, this, [this] { setValue(mProgress.percent()); });
        mRepaint.start(kProgressRepaintMs);
    }

protected:
    void closeEvent(QCloseEvent* event) override
    {
        stopWork();
        event->ignore();
    }
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

void runWithProgress(QWidget* parent, const ProgressWindowText& text, QmrM::Progress& progress, bool longWork,
                     const std::function<void()>& work)
{
    if (QmrM::gProgramEnding)
        throw QmrM::ProgramEnding();
    std::exception_ptr failure;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    QEventLoop loop;
    bool finished = false;
    QObject::connect(thread.get(), &QThread::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    const auto stop = qScopeGuard([&] {
        if (!finished)
            progress.cancelled = true;
        thread->wait();
    });

    std::unique_ptr<ProgressWindow> window;
    const auto showWindow = [&] {
        window = std::make_unique<ProgressWindow>(parent ? parent->window() : nullptr, text, progress);
        window->show();
    };
    // Shown before the work starts, so that キャンセル can come before any of it is done.
    if (longWork)
        showWindow();
    thread->start();
    if (!window) {
        bool timeToShow = false;
        QTimer::singleShot(kShowProgressAfterMs, &loop, [&] {
            timeToShow = true;
            loop.quit();
        });
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        if (!finished && timeToShow)
            showWindow();
    }
    if (window && !finished)
        loop.exec();
    // The loop only ends before the work is done when the application quits.
    if (!finished || QmrM::gProgramEnding)
        throw QmrM::ProgramEnding();
    thread->wait();
    if (failure)
        std::rethrow_exception(failure);
}

}  // namespace platform
