// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopIdle.h"

#include "IdleSource.h"

#include <vector>

namespace platform {
namespace {

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
        add(gnomeIdleSource());
#endif
#ifdef QUILLMORA_WAYLAND_IDLE
        add(waylandIdleSource());
#endif
#ifdef QUILLMORA_X11_IDLE
        add(x11IdleSource());
#endif
#ifdef Q_OS_WIN
        add(windowsIdleSource());
#endif
    }

    // Told from the event loop, never inside awaitPause(); only what the source tried now tells.
    void add(std::unique_ptr<IdleSource> source)
    {
        if (!source)
            return;
        const size_t index = mSources.size();
        connect(
            source.get(), &IdleSource::paused, this,
            [this, index] {
                if (mTrying != index)
                    return;
                mTrying = mSources.size();
                emit paused();
            },
            Qt::QueuedConnection);
        connect(
            source.get(), &IdleSource::unavailable, this,
            [this, index] {
                if (mTrying != index)
                    return;
                ++mTrying;
                tryNext();
            },
            Qt::QueuedConnection);
        mSources.push_back(std::move(source));
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

QmrM::UserIdle& desktopIdle()
{
    static DesktopIdle idle;
    return idle;
}

}  // namespace platform
