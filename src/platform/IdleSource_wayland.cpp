// SPDX-License-Identifier: GPL-3.0-or-later
// The compositor's own idle time: an idle notification for the seat (ext-idle-notify-v1, or KDE's older protocol),
// fired once input is left alone for the pause, counted from when it is made (a user idle already waits a pause).
// A connection of its own, dispatched from the event loop, so that nothing of Qt's connection or queue changes.
#include "Desktop.h"
#include "BusySource.h"

#include <QSocketNotifier>

#include <wayland-client.h>

#include "ext-idle-notify-v1-client-protocol.h"
#include "kde-idle-client-protocol.h"

#include <cstring>

namespace platform {
namespace {

class WaylandIdle final : public IdleSource {
public:
    WaylandIdle()
    {
        connect(&mSocket, &QSocketNotifier::activated, this, [this] { handleEvents(); });
    }
    ~WaylandIdle() override { stop(); }

    void awaitPause(qint64 pauseMs) override
    {
        stop();
        mDisplay = wl_display_connect(nullptr);
        if (!mDisplay || !findGlobals() || !watch(uint32_t(qBound<qint64>(0, pauseMs, UINT32_MAX))))
            return endWatch(false);
        mSocket.setSocket(wl_display_get_fd(mDisplay));
        mSocket.setEnabled(true);
    }

    void stop() override
    {
        mSocket.setEnabled(false);
        const auto drop = [](auto*& object, auto destroy) {
            if (object)
                destroy(object);
            object = nullptr;
        };
        drop(mNotification, ext_idle_notification_v1_destroy);
        drop(mKdeTimeout, org_kde_kwin_idle_timeout_release);
        drop(mIdleNotifier, ext_idle_notifier_v1_destroy);
        drop(mKdeIdle, org_kde_kwin_idle_destroy);
        drop(mSeat, wl_seat_destroy);
        drop(mRegistry, wl_registry_destroy);
        drop(mDisplay, wl_display_disconnect);  // the compositor lets go of the objects with the connection
        mIdled = false;
    }

private:
    // The seat (the first, where there are several) and the idle global the compositor announces.
    bool findGlobals()
    {
        static const wl_registry_listener kListener = {
            [](void* self, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
                static_cast<WaylandIdle*>(self)->announced(registry, name, interface);
            },
            [](void*, wl_registry*, uint32_t) {},
        };
        mRegistry = wl_display_get_registry(mDisplay);
        wl_registry_add_listener(mRegistry, &kListener, this);
        return wl_display_roundtrip(mDisplay) >= 0 && mSeat && (mIdleNotifier || mKdeIdle);
    }

    void announced(wl_registry* registry, uint32_t name, const char* interface)
    {
        const auto bind = [&](const wl_interface& kind) { return wl_registry_bind(registry, name, &kind, 1); };
        if (!mSeat && std::strcmp(interface, wl_seat_interface.name) == 0)
            mSeat = static_cast<wl_seat*>(bind(wl_seat_interface));
        else if (!mIdleNotifier && std::strcmp(interface, ext_idle_notifier_v1_interface.name) == 0)
            mIdleNotifier = static_cast<ext_idle_notifier_v1*>(bind(ext_idle_notifier_v1_interface));
        else if (!mKdeIdle && std::strcmp(interface, org_kde_kwin_idle_interface.name) == 0)
            mKdeIdle = static_cast<org_kde_kwin_idle*>(bind(org_kde_kwin_idle_interface));
    }

    // Asks for the notification, the standard one where the compositor has both.
    bool watch(uint32_t pauseMs)
    {
        static const ext_idle_notification_v1_listener kNotification = {
            [](void* self, ext_idle_notification_v1*) { static_cast<WaylandIdle*>(self)->mIdled = true; },
            [](void*, ext_idle_notification_v1*) {},
        };
        static const org_kde_kwin_idle_timeout_listener kKdeTimeout = {
            [](void* self, org_kde_kwin_idle_timeout*) { static_cast<WaylandIdle*>(self)->mIdled = true; },
            [](void*, org_kde_kwin_idle_timeout*) {},
        };
        if (mIdleNotifier) {
            mNotification = ext_idle_notifier_v1_get_idle_notification(mIdleNotifier, pauseMs, mSeat);
            ext_idle_notification_v1_add_listener(mNotification, &kNotification, this);
        } else {
            mKdeTimeout = org_kde_kwin_idle_get_idle_timeout(mKdeIdle, mSeat, pauseMs);
            org_kde_kwin_idle_timeout_add_listener(mKdeTimeout, &kKdeTimeout, this);
        }
        return wl_display_flush(mDisplay) >= 0;
    }

    // The socket has something to read (or was closed): reads what is there and runs the listeners.
    void handleEvents()
    {
        // Where events are queued already, they are run first and the socket is read when it says so again.
        const bool read = wl_display_prepare_read(mDisplay) != 0 || wl_display_read_events(mDisplay) == 0;
        const bool lost = !read || wl_display_dispatch_pending(mDisplay) < 0;
        if (lost || mIdled)
            endWatch(!lost);
    }

    wl_display* mDisplay = nullptr;
    wl_registry* mRegistry = nullptr;
    wl_seat* mSeat = nullptr;
    ext_idle_notifier_v1* mIdleNotifier = nullptr;
    ext_idle_notification_v1* mNotification = nullptr;
    org_kde_kwin_idle* mKdeIdle = nullptr;
    org_kde_kwin_idle_timeout* mKdeTimeout = nullptr;
    QSocketNotifier mSocket{QSocketNotifier::Read};
    bool mIdled = false;
};

}  // namespace

std::unique_ptr<IdleSource> waylandIdleSource()
{
    // Under Xwayland too: the X server sees only the input of X11 programs, the compositor all of it.
    if (!onWayland() && !onXwayland())
        return nullptr;
    return std::make_unique<WaylandIdle>();
}

}  // namespace platform
