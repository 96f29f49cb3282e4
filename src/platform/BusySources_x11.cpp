// SPDX-License-Identifier: GPL-3.0-or-later
// A full-screen window in front, as an X11 window manager tells it: the active window (_NET_ACTIVE_WINDOW
// on the root) in the full-screen state (_NET_WM_STATE_FULLSCREEN). Followed through property events on a
// connection of its own, so that nothing of Qt's own connection changes.
#include "BusySource.h"
#include "X11Properties.h"

#include <QGuiApplication>
#include <QSocketNotifier>

#include <xcb/xcb.h>

#include <cstdlib>

namespace platform {
namespace {

class X11FullScreen final : public BusySource {
public:
    X11FullScreen() : BusySource(QmrM::BusyReason::FullScreen)
    {
        connect(&mNotifier, &QSocketNotifier::activated, this, [this] { handleEvents(); });
    }
    ~X11FullScreen() override { unfollow(); }

protected:
    void follow() override
    {
        mX = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(mX))
            return giveUp();
        mRoot = xcb_setup_roots_iterator(xcb_get_setup(mX)).data->root;
        mActiveAtom = x11::atom(mX, "_NET_ACTIVE_WINDOW");
        mStateAtom = x11::atom(mX, "_NET_WM_STATE");
        mFullScreenAtom = x11::atom(mX, "_NET_WM_STATE_FULLSCREEN");
        listen(mRoot, true);
        mNotifier.setSocket(xcb_get_file_descriptor(mX));
        mNotifier.setEnabled(true);
        read();
    }

    void unfollow() override
    {
        mNotifier.setEnabled(false);
        if (mX)
            xcb_disconnect(mX);
        mX = nullptr;
        mActive = XCB_WINDOW_NONE;
    }

private:
    void listen(xcb_window_t window, bool on)
    {
        const uint32_t mask = on ? XCB_EVENT_MASK_PROPERTY_CHANGE : XCB_EVENT_MASK_NO_EVENT;
        xcb_change_window_attributes(mX, window, XCB_CW_EVENT_MASK, &mask);
    }

    // Reads the active window and its state, and follows the state of the window that is active now.
    void read()
    {
        const xcb_window_t window = x11::values(mX, mRoot, mActiveAtom, XCB_ATOM_WINDOW).value(0, XCB_WINDOW_NONE);
        if (window != mActive) {
            if (mActive != XCB_WINDOW_NONE)
                listen(mActive, false);  // an error if it has gone, which is of no matter
            mActive = window;
            if (mActive != XCB_WINDOW_NONE)
                listen(mActive, true);
        }
        const bool fullScreen =
            mActive != XCB_WINDOW_NONE && x11::values(mX, mActive, mStateAtom, XCB_ATOM_ATOM).contains(mFullScreenAtom);
        xcb_flush(mX);
        report(fullScreen);
    }

    void handleEvents()
    {
        bool changed = false;
        while (xcb_generic_event_t* event = xcb_poll_for_event(mX)) {
            if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
                const auto* property = reinterpret_cast<xcb_property_notify_event_t*>(event);
                changed = changed || property->atom == mActiveAtom || property->atom == mStateAtom;
            }
            std::free(event);
        }
        if (xcb_connection_has_error(mX))
            return giveUp();  // the X server went: nothing is in front any more
        if (changed)
            read();
    }

    xcb_connection_t* mX = nullptr;
    xcb_window_t mRoot = XCB_WINDOW_NONE;
    xcb_window_t mActive = XCB_WINDOW_NONE;
    xcb_atom_t mActiveAtom = XCB_ATOM_NONE;
    xcb_atom_t mStateAtom = XCB_ATOM_NONE;
    xcb_atom_t mFullScreenAtom = XCB_ATOM_NONE;
    QSocketNotifier mNotifier{QSocketNotifier::Read};
};

}  // namespace

std::unique_ptr<BusySource> x11FullScreenSource()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    return std::make_unique<X11FullScreen>();
}

}  // namespace platform
