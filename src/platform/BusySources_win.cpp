// SPDX-License-Identifier: GPL-3.0-or-later
// What keeps the user busy, as Windows tells it: the notification state (SHQueryUserNotificationState: a full-screen
// program or presentation, quiet time and Focus Assist, a locked or inactive session) and the session's lock (WTS
// notifications). The state has no change notice: it is read again every two seconds while a pass waits on it.
#include "BusySource.h"

#include <QList>

#include <windows.h>

#include <shellapi.h>
#include <wtsapi32.h>

namespace platform {
namespace {

constexpr int kRereadMs = 2000;

QUERY_USER_NOTIFICATION_STATE notificationState()
{
    QUERY_USER_NOTIFICATION_STATE state = QUNS_ACCEPTS_NOTIFICATIONS;
    return SUCCEEDED(SHQueryUserNotificationState(&state)) ? state : QUNS_ACCEPTS_NOTIFICATIONS;
}

using States = QList<QUERY_USER_NOTIFICATION_STATE>;

// One reason read from the notification state: present in any of its states.
class NotificationState final : public BusySource {
public:
    NotificationState(QmrM::BusyReason reason, States states) : BusySource(reason), mStates(std::move(states))
    {
        connect(&mReread, &QTimer::timeout, this, [this] { read(); });
    }

protected:
    void follow() override
    {
        read();
        mReread.start(kRereadMs);
    }
    void unfollow() override { mReread.stop(); }

private:
    void read() { report(mStates.contains(notificationState())); }

    const States mStates;
    QTimer mReread;
};

// A locked session's input goes to the secure desktop, which the user's programs can neither open nor switch to.
bool sessionLocked()
{
    HDESK input = OpenInputDesktop(0, FALSE, DESKTOP_SWITCHDESKTOP);
    if (!input)
        return true;
    const bool locked = !SwitchDesktop(input);
    CloseDesktop(input);
    return locked;
}

// The session's lock, told by the session manager to a message-only window of its own.
class SessionLock final : public BusySource {
public:
    SessionLock() : BusySource(QmrM::BusyReason::ScreenLocked) {}
    ~SessionLock() override { unfollow(); }

protected:
    void follow() override
    {
        mWindow = CreateWindowExW(0, windowClass(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        if (mWindow) {
            SetWindowLongPtrW(mWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            WTSRegisterSessionNotification(mWindow, NOTIFY_FOR_THIS_SESSION);
        }
        report(sessionLocked());
    }

    void unfollow() override
    {
        if (!mWindow)
            return;
        WTSUnRegisterSessionNotification(mWindow);
        DestroyWindow(mWindow);
        mWindow = nullptr;
    }

private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_WTSSESSION_CHANGE && (wParam == WTS_SESSION_LOCK || wParam == WTS_SESSION_UNLOCK)) {
            if (auto* source = reinterpret_cast<SessionLock*>(GetWindowLongPtrW(window, GWLP_USERDATA)))
                source->report(wParam == WTS_SESSION_LOCK);
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    static const wchar_t* windowClass()
    {
        static const wchar_t* name = [] {
            WNDCLASSEXW windowClass{};
            windowClass.cbSize = sizeof windowClass;
            windowClass.lpfnWndProc = windowProcedure;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.lpszClassName = L"QuillmoraSessionLock";
            RegisterClassExW(&windowClass);
            return windowClass.lpszClassName;
        }();
        return name;
    }

    HWND mWindow = nullptr;
};

}  // namespace

std::vector<std::unique_ptr<BusySource>> windowsBusySources()
{
    std::vector<std::unique_ptr<BusySource>> sources;
    sources.push_back(std::make_unique<NotificationState>(
        QmrM::BusyReason::FullScreen,
        States{QUNS_BUSY, QUNS_RUNNING_D3D_FULL_SCREEN, QUNS_PRESENTATION_MODE, QUNS_APP}));
    sources.push_back(std::make_unique<NotificationState>(QmrM::BusyReason::DoNotDisturb, States{QUNS_QUIET_TIME}));
    sources.push_back(std::make_unique<NotificationState>(QmrM::BusyReason::ScreenLocked, States{QUNS_NOT_PRESENT}));
    sources.push_back(std::make_unique<SessionLock>());
    return sources;
}

}  // namespace platform
