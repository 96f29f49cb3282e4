// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopBusy.h"

#include "BusySource.h"

#include <algorithm>

namespace platform {

BusySource::BusySource(QmrM::BusyReason reason) : mReason(reason)
{
    // A source that never answers (a service or socket that stays silent) must not hold a pass for ever.
    mSettleDeadline.setSingleShot(true);
    connect(&mSettleDeadline, &QTimer::timeout, this, [this] { report(false); });  // stopped once settled
}

void BusySource::start()
{
    if (mRunning)
        return;
    mRunning = true;
    mSettled = false;
    mPresent = false;
    mSettleDeadline.start(kSettleMs);
    follow();
}

void BusySource::stop()
{
    if (!mRunning)
        return;
    mRunning = false;
    mSettleDeadline.stop();
    unfollow();
}

void BusySource::report(bool present)
{
    if (!mRunning || (mSettled && mPresent == present))
        return;
    mSettled = true;
    mSettleDeadline.stop();
    mPresent = present;
    emit changed();
}

namespace {

class DesktopBusy final : public QmrM::UserBusy {
public:
    void watch() override
    {
        if (mSources.empty())
            makeSources();
        for (const auto& source : mSources)
            source->start();
    }

    void stop() override
    {
        for (const auto& source : mSources)
            source->stop();
    }

    bool settled() const override
    {
        return std::all_of(mSources.begin(), mSources.end(), [](const auto& source) { return source->settled(); });
    }

    QmrM::BusyReasons reasons() const override
    {
        QmrM::BusyReasons reasons;
        for (const auto& source : mSources) {
            if (source->present())
                reasons |= source->reason();
        }
        return reasons;
    }

private:
    // Made when first needed: what the desktop offers is known once the program runs on it.
    void makeSources()
    {
#ifdef Q_OS_WIN
        mSources = windowsBusySources();
#else
#ifdef QUILLMORA_SESSION_BUS
        mSources = sessionBusSources();
#endif
#ifdef QUILLMORA_GIO
        mSources.push_back(gnomeBannersOffSource());
#endif
        // Under sway its own interface tells of every window, X11 ones too.
        mSources.push_back(swayFullScreenSource());
        if (!mSources.back()) {
#ifdef QUILLMORA_SESSION_BUS
            // Under KWin on Wayland only KWin knows of the Wayland windows; it tells nothing elsewhere.
            mSources.push_back(kwinFullScreenSource());
#endif
#ifdef QUILLMORA_X11
            mSources.push_back(x11FullScreenSource());
#endif
        }
#endif
        // A factory gives none where the desktop does not offer what it reads.
        mSources.erase(std::remove(mSources.begin(), mSources.end(), nullptr), mSources.end());
        // Told from the event loop, never inside watch() or stop(): a reading may come at once.
        for (const auto& source : mSources)
            connect(source.get(), &BusySource::changed, this, &UserBusy::changed, Qt::QueuedConnection);
    }

    std::vector<std::unique_ptr<BusySource>> mSources;
};

class DesktopIdle final : public QmrM::UserIdle {
public:
    void awaitPause(qint64 pauseMs) override
    {
        stop();
        if (mSources.empty())
            makeSources();
        mPauseMs = pauseMs;
        mTrying = 0;
        tryNext();
    }

    void stop() override
    {
        if (mTrying < mSources.size())
            mSources[mTrying]->stop();
        mTrying = mSources.size();
    }

private:
    // Made when first needed: what the desktop offers is known once the program runs on it.
    void makeSources()
    {
#ifdef QUILLMORA_SESSION_BUS
        mSources.push_back(gnomeIdleSource());
#endif
#ifdef QUILLMORA_WAYLAND_IDLE
        mSources.push_back(waylandIdleSource());
#endif
#ifdef QUILLMORA_X11_IDLE
        mSources.push_back(x11IdleSource());
#endif
#ifdef Q_OS_WIN
        mSources.push_back(windowsIdleSource());
#endif
        // A factory gives none where the desktop cannot have what it reads.
        mSources.erase(std::remove(mSources.begin(), mSources.end(), nullptr), mSources.end());
        // Told from the event loop, never inside awaitPause(); only what the source tried now tells.
        for (size_t index = 0; index < mSources.size(); ++index) {
            IdleSource* source = mSources[index].get();
            connect(
                source, &IdleSource::paused, this, [this, index] { ended(index, true); }, Qt::QueuedConnection);
            connect(
                source, &IdleSource::unavailable, this, [this, index] { ended(index, false); }, Qt::QueuedConnection);
        }
    }

    // The watch of source `index` ended: with a pause, or with a desktop that does not tell it, when the next is tried.
    void ended(size_t index, bool pausedNow)
    {
        if (mTrying != index)
            return;
        mTrying = pausedNow ? mSources.size() : index + 1;
        if (pausedNow)
            emit paused();
        else
            tryNext();
    }

    void tryNext()
    {
        if (mTrying < mSources.size())
            mSources[mTrying]->awaitPause(mPauseMs);
        else
            QMetaObject::invokeMethod(this, &UserIdle::unavailable, Qt::QueuedConnection);
    }

    std::vector<std::unique_ptr<IdleSource>> mSources;
    size_t mTrying = 0;
    qint64 mPauseMs = 0;
};

}  // namespace

QmrM::UserBusy& desktopBusy()
{
    static DesktopBusy busy;
    return busy;
}

QmrM::UserIdle& desktopIdle()
{
    static DesktopIdle idle;
    return idle;
}

}  // namespace platform
