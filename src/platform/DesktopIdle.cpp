// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopIdle.h"

#include "IdleSource.h"

#include <algorithm>
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
            connect(
                mSources[index].get(), &IdleSource::paused, this,
                [this, index] {
                    if (mTrying != index)
                        return;
                    mTrying = mSources.size();
                    emit paused();
                },
                Qt::QueuedConnection);
            connect(
                mSources[index].get(), &IdleSource::unavailable, this,
                [this, index] {
                    if (mTrying != index)
                        return;
                    ++mTrying;
                    tryNext();
                },
                Qt::QueuedConnection);
        }
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
