// SPDX-License-Identifier: GPL-3.0-or-later
// The X server's own idle time: the SYNC IDLETIME counter, with an alarm the server rings once it reaches the pause
// (at once if it has). A connection of its own, so that nothing of Qt's changes.
#include "Desktop.h"
#include "BusySource.h"

#include <QGuiApplication>
#include <QSocketNotifier>

#include <xcb/sync.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace platform {
namespace {

class X11Idle final : public IdleSource {
public:
    X11Idle()
    {
        connect(&mNotifier, &QSocketNotifier::activated, this, [this] { handleEvents(); });
    }
    ~X11Idle() override { stop(); }

    void awaitPause(qint64 pauseMs) override
    {
        stop();
        mX = xcb_connect(nullptr, nullptr);
        const xcb_sync_counter_t idleTime = xcb_connection_has_error(mX) ? XCB_NONE : findIdleTime();
        if (idleTime == XCB_NONE)
            return endWatch(false);
        mAlarmEvent = xcb_get_extension_data(mX, &xcb_sync_id)->first_event + XCB_SYNC_ALARM_NOTIFY;
        mAlarm = xcb_generate_id(mX);
        const uint32_t values[] = {idleTime,
                                   XCB_SYNC_VALUETYPE_ABSOLUTE,
                                   uint32_t(pauseMs >> 32),
                                   uint32_t(pauseMs & 0xffffffff),
                                   XCB_SYNC_TESTTYPE_POSITIVE_COMPARISON,
                                   1};
        xcb_sync_create_alarm(mX, mAlarm,
                              XCB_SYNC_CA_COUNTER | XCB_SYNC_CA_VALUE_TYPE | XCB_SYNC_CA_VALUE | XCB_SYNC_CA_TEST_TYPE |
                                  XCB_SYNC_CA_EVENTS,
                              values);
        // Read after the alarm is set: a user idle for that long already is told at once.
        xcb_sync_query_counter_reply_t* now =
            xcb_sync_query_counter_reply(mX, xcb_sync_query_counter(mX, idleTime), nullptr);
        const int64_t idleMs = now ? (int64_t(now->counter_value.hi) << 32) | now->counter_value.lo : 0;
        free(now);
        mNotifier.setSocket(xcb_get_file_descriptor(mX));
        mNotifier.setEnabled(true);
        if (idleMs >= pauseMs)
            endWatch(true);
    }

    void stop() override
    {
        mNotifier.setEnabled(false);
        if (mX)
            xcb_disconnect(mX);  // the server destroys the alarm with the connection
        mX = nullptr;
    }

private:
    xcb_sync_counter_t findIdleTime()
    {
        const xcb_query_extension_reply_t* sync = xcb_get_extension_data(mX, &xcb_sync_id);
        if (!sync || !sync->present)
            return XCB_NONE;
        free(xcb_sync_initialize_reply(mX, xcb_sync_initialize(mX, 3, 1), nullptr));
        xcb_sync_list_system_counters_reply_t* list =
            xcb_sync_list_system_counters_reply(mX, xcb_sync_list_system_counters(mX), nullptr);
        if (!list)
            return XCB_NONE;
        // Read from the reply's bytes: xcb's iterator takes its struct's padded size for the 14 bytes before a name.
        xcb_sync_counter_t found = XCB_NONE;
        const auto* entry = reinterpret_cast<const uint8_t*>(list + 1);
        for (uint32_t i = 0; i < list->counters_len; ++i) {
            uint32_t counter = 0;
            uint16_t nameLength = 0;
            std::memcpy(&counter, entry, sizeof counter);
            std::memcpy(&nameLength, entry + 12, sizeof nameLength);
            if (nameLength == 8 && std::memcmp(entry + 14, "IDLETIME", 8) == 0)
                found = counter;
            entry += (14 + nameLength + 3) & ~3u;
        }
        free(list);
        return found;
    }

    void handleEvents()
    {
        bool rang = false;
        while (xcb_generic_event_t* event = xcb_poll_for_event(mX)) {
            if ((event->response_type & 0x7f) == mAlarmEvent)
                rang = rang || reinterpret_cast<xcb_sync_alarm_notify_event_t*>(event)->alarm == mAlarm;
            std::free(event);
        }
        const bool lost = xcb_connection_has_error(mX);
        if (lost || rang)
            endWatch(!lost);
    }

    xcb_connection_t* mX = nullptr;
    xcb_sync_alarm_t mAlarm = XCB_NONE;
    uint8_t mAlarmEvent = 0;
    QSocketNotifier mNotifier{QSocketNotifier::Read};
};

}  // namespace

std::unique_ptr<IdleSource> x11IdleSource()
{
    // Under Xwayland the X server sees only the input of X11 programs: the compositor tells the rest.
    if (QGuiApplication::platformName() != QLatin1String("xcb") || onXwayland())
        return nullptr;
    return std::make_unique<X11Idle>();
}

}  // namespace platform
