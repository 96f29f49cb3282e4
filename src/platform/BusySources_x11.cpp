// SPDX-License-Identifier: GPL-3.0-or-later
// A full-screen window in front, as an X11 window manager tells it: the active window (_NET_ACTIVE_WINDOW
// on the root) in the full-screen state (_NET_WM_STATE_FULLSCREEN). Followed through property events on a
// connection of its own, so that nothing of Qt's own connection changes.
#include "BusySource.h"

#include <QGuiApplication>
#include <QSocketNotifier>

#include <xcb/xcb.h>

#include <cstdlib>

namespace platform {
namespace {

template <class T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

class X11FullScreen final : public BusySource {
public:
    X11FullScreen() : BusySource(QmrM::BusyReason::FullScreen) {}
    ~X11FullScreen() override { unfollow(); }

protected:
    void follow() override
    {
        mX = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(mX)) {
            unfollow();
            report(false);
            return;
        }
        mRoot = xcb_setup_roots_iterator(xcb_get_setup(mX)).data->root;
        mActiveAtom = atom("_NET_ACTIVE_WINDOW");
        mStateAtom = atom("_NET_WM_STATE");
        mFullScreenAtom = atom("_NET_WM_STATE_FULLSCREEN");
        listen(mRoot, true);
        mNotifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(mX), QSocketNotifier::Read);
        QObject::connect(mNotifier.get(), &QSocketNotifier::activated, this, [this] { handleEvents(); });
        read();
    }

    void unfollow() override
    {
        if (mNotifier) {
            mNotifier->setEnabled(false);
            mNotifier.release()->deleteLater();  // may be the caller
        }
        if (mX)
            xcb_disconnect(mX);
        mX = nullptr;
        mActive = XCB_WINDOW_NONE;
    }

private:
    xcb_atom_t atom(const char* name)
    {
        const Reply<xcb_intern_atom_reply_t> reply(
            xcb_intern_atom_reply(mX, xcb_intern_atom(mX, 0, uint16_t(qstrlen(name)), name), nullptr), &std::free);
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }

    void listen(xcb_window_t window, bool on)
    {
        const uint32_t mask = on ? XCB_EVENT_MASK_PROPERTY_CHANGE : XCB_EVENT_MASK_NO_EVENT;
        xcb_change_window_attributes(mX, window, XCB_CW_EVENT_MASK, &mask);
    }

    QList<uint32_t> values(xcb_window_t window, xcb_atom_t property, xcb_atom_t type)
    {
        const Reply<xcb_get_property_reply_t> reply(
            xcb_get_property_reply(mX, xcb_get_property(mX, 0, window, property, type, 0, 1024), nullptr), &std::free);
        if (!reply || reply->format != 32)
            return {};
        const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
        return QList<uint32_t>(data, data + xcb_get_property_value_length(reply.get()) / 4);
    }

    // Reads the active window and its state, and follows the state of the window that is active now.
    void read()
    {
        const QList<uint32_t> active = values(mRoot, mActiveAtom, XCB_ATOM_WINDOW);
        const xcb_window_t window = active.isEmpty() ? xcb_window_t(XCB_WINDOW_NONE) : active.first();
        if (window != mActive) {
            if (mActive != XCB_WINDOW_NONE)
                listen(mActive, false);  // an error if it has gone, which is of no matter
            mActive = window;
            if (mActive != XCB_WINDOW_NONE)
                listen(mActive, true);
        }
        const bool fullScreen =
            mActive != XCB_WINDOW_NONE && values(mActive, mStateAtom, XCB_ATOM_ATOM).contains(mFullScreenAtom);
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
        if (xcb_connection_has_error(mX)) {
            unfollow();  // the X server went: nothing is in front any more
            report(false);
            return;
        }
        if (changed)
            read();
    }

    xcb_connection_t* mX = nullptr;
    xcb_window_t mRoot = XCB_WINDOW_NONE;
    xcb_window_t mActive = XCB_WINDOW_NONE;
    xcb_atom_t mActiveAtom = XCB_ATOM_NONE;
    xcb_atom_t mStateAtom = XCB_ATOM_NONE;
    xcb_atom_t mFullScreenAtom = XCB_ATOM_NONE;
    std::unique_ptr<QSocketNotifier> mNotifier;
};

}  // namespace

std::unique_ptr<BusySource> x11FullScreenSource()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    return std::make_unique<X11FullScreen>();
}

}  // namespace platform
