// SPDX-License-Identifier: GPL-3.0-or-later
// Windows' own idle time: when the session last had keyboard or pointer input (GetLastInputInfo), looked
// at again when the pause would be over were nothing typed meanwhile. Nothing is polled in between.
#include "BusySource.h"

#include <windows.h>

namespace platform {
namespace {

class WindowsIdle final : public IdleSource {
public:
    WindowsIdle()
    {
        mLookAgain.setSingleShot(true);
        connect(&mLookAgain, &QTimer::timeout, this, [this] { look(); });
    }

    void awaitPause(qint64 pauseMs) override
    {
        mPauseMs = pauseMs;
        look();
    }

    void stop() override { mLookAgain.stop(); }

private:
    void look()
    {
        LASTINPUTINFO last{};
        last.cbSize = sizeof last;
        if (!GetLastInputInfo(&last))
            return endWatch(false);
        // Both in the 32-bit tick count, which wraps every 49 days: the difference does not mind.
        const qint64 idleMs = DWORD(GetTickCount() - last.dwTime);
        if (idleMs >= mPauseMs)
            return endWatch(true);
        mLookAgain.start(int(mPauseMs - idleMs));
    }

    QTimer mLookAgain;
    qint64 mPauseMs = 0;
};

}  // namespace

std::unique_ptr<IdleSource> windowsIdleSource()
{
    return std::make_unique<WindowsIdle>();
}

}  // namespace platform
