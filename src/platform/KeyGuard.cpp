// SPDX-License-Identifier: GPL-3.0-or-later
#include "KeyGuard.h"

#include "Desktop.h"
#include "Form.h"

#include "shared/Clock.h"
#include "shared/Seams.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHash>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <iterator>

namespace platform {
namespace {

// A user who goes on typing into another program while the window comes pauses now and then, but not
// this long once the window has taken the keyboard: after such a pause the next key is meant for it.
constexpr qint64 kTypingPauseMs = 2000;
// A click this soon after the window came was aimed at what was there before.
constexpr qint64 kStrayClickMs = 1000;
// Keys pressed before the window came are handled this soon after it.
constexpr qint64 kEarlyKeyMs = 500;
// A press of a key this soon after its release is the key held down, repeating (some X servers send a
// held key's repeats as fresh presses and releases).
constexpr qint64 kRepeatGapMs = 100;

qint64 now()
{
    return QmrM::inputClock().elapsedMs();
}

bool isKeyInput(QEvent::Type type)
{
    return type == QEvent::KeyPress || type == QEvent::KeyRelease || type == QEvent::ShortcutOverride ||
           type == QEvent::InputMethod;
}

// What points at or presses a control: a click, a double click, the wheel, a pen or a finger.
bool isPointing(QEvent::Type type)
{
    static constexpr QEvent::Type kPointing[] = {
        QEvent::MouseButtonPress, QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease, QEvent::Wheel,
        QEvent::TabletPress,      QEvent::TabletRelease,       QEvent::TouchBegin,         QEvent::TouchUpdate,
        QEvent::TouchEnd,
    };
    return std::find(std::begin(kPointing), std::end(kPointing), type) != std::end(kPointing);
}

// The keys that press a button.
bool pressesButtons(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
}

// Looks at the input of one window's widgets before they get it.
class WindowInputFilter : public QObject {
public:
    explicit WindowInputFilter(QWidget* window) : QObject(window), mWindow(window) { qApp->installEventFilter(this); }

protected:
    bool belongs(QObject* watched) const
    {
        return watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == mWindow;
    }

    QWidget* const mWindow;
};

// Keeps a window that came by itself from taking keys and clicks until the user turns to it.
class ArrivalGuard final : public WindowInputFilter {
    Q_OBJECT
public:
    ArrivalGuard(QWidget* window, bool firstKeyTurns) : WindowInputFilter(window), mFirstKeyTurns(firstKeyTurns) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (!(isKeyInput(type) || isPointing(type)) || !belongs(watched))
            return false;
        if (isPointing(type)) {
            // Only a press of a button after the first second turns to the window; a double click, the
            // wheel or a touch is no sign that the user looked (a wheel meant for a page beneath).
            if (type != QEvent::MouseButtonPress || now() - mCameAt < kStrayClickMs)
                return true;
            turnedTo();  // the click goes on to the control under it
            return false;
        }
        if (type == QEvent::ShortcutOverride)
            event->accept();  // taken as the focused control's own key: no shortcut (F1) fires
        if (type != QEvent::KeyPress)
            return true;
        // Keys reach the window only while it has the keyboard: the desktop gave it that.
        const bool repeat = static_cast<QKeyEvent*>(event)->isAutoRepeat();
        if (mFirstKeyTurns && !repeat) {
            // The desktop hands every new window the keyboard, and the pass came at a long pause: the
            // first key only turns to it, and the focus frame shows where the next one goes.
            turnedTo();
            mWindow->setAttribute(Qt::WA_KeyboardFocusChange);
            mWindow->update();
            return true;
        }
        const bool afterAPause = now() - mLastKeyAt >= kTypingPauseMs;
        if (afterAPause && !repeat) {
            turnedTo();
            return false;
        }
        mLastKeyAt = now();
        return true;
    }

private:
    void turnedTo()
    {
        detail::endKeyGuard(mWindow);  // lets go of this guard once its event is handled
        mWindow->raise();
        mWindow->activateWindow();
    }

    const bool mFirstKeyTurns;
    const qint64 mCameAt = now();
    qint64 mLastKeyAt = now();
};

// Drops the key presses that were made before the window came.
class EarlyKeyFilter final : public WindowInputFilter {
public:
    using WindowInputFilter::WindowInputFilter;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || !belongs(watched))
            return false;
        if (now() - mCameAt < kEarlyKeyMs || static_cast<QKeyEvent*>(event)->isAutoRepeat())
            return true;
        deleteLater();  // a key pressed anew: the window takes keys as usual from now on
        qApp->removeEventFilter(this);
        return false;
    }

private:
    const qint64 mCameAt = now();
};

// Lets Enter and Space press a button once per press of the key: a held key's repeats are dropped, whether
// the system marks them as repeats or sends them as fresh presses right after a release.
class HeldKeyFilter final : public WindowInputFilter {
public:
    using WindowInputFilter::WindowInputFilter;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if ((type != QEvent::KeyPress && type != QEvent::KeyRelease) || !belongs(watched))
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!pressesButtons(key->key()))
            return false;
        if (type == QEvent::KeyRelease) {
            if (!key->isAutoRepeat())
                mReleasedAt.insert(key->key(), now());
            return false;
        }
        const auto released = mReleasedAt.constFind(key->key());
        return key->isAutoRepeat() || (released != mReleasedAt.constEnd() && now() - *released < kRepeatGapMs);
    }

private:
    QHash<int, qint64> mReleasedAt;
};

ArrivalGuard* guardOf(const QWidget* window)
{
    return window->findChild<ArrivalGuard*>(QString(), Qt::FindDirectChildrenOnly);
}

void keepAbove(QWidget* window, bool above)
{
    const Qt::WindowFlags flags = window->windowFlags();
    if (bool(flags & Qt::WindowStaysOnTopHint) == above)
        return;
    // The flags of a window that is up are told to its native window; changed on the widget, they would
    // make a new one.
    window->overrideWindowFlags(flags ^ Qt::WindowStaysOnTopHint);
    if (QWindow* handle = window->windowHandle())
        handle->setFlag(Qt::WindowStaysOnTopHint, above);
}

}  // namespace

void showWithoutTakingKeys(FormWindow* window, Arrival arrival)
{
    const bool overFullScreen = arrival == Arrival::OverFullScreen;
    if (guardOf(window) && window->isVisible() && !window->isMinimized()) {
        window->raise();  // up already, waiting for the user
        return;
    }
    const QPointer<QWidget> focus = window->focusWidget();
    // Mapped again, a minimised or withdrawn window is taken by window managers as one the user asked
    // for; a new native window that comes up with the user time 0 tells them that the user did not.
    window->hide();
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->setAttribute(Qt::WA_ShowWithoutActivating, true);
    // Above the other windows: one that does not get the focus would come up beneath the focused one. Under
    // a floating X11 window manager the window asks for no keyboard at all until the user turns to it: a
    // manager that hands every new window the keyboard (IceWM) leaves it where it is, and a click on the
    // window in its first second, meant for what was there before, leaves it there too, so the keys typed
    // after it reach that program. (A tiling manager, i3, focuses the window it places all the same.)
    Qt::WindowFlags flags = window->windowFlags() | Qt::WindowStaysOnTopHint;
    if (QGuiApplication::platformName() == QLatin1String("xcb") && !onXwayland() && !overFullScreen &&
        detail::x11ManagerMinimises())
        flags |= Qt::WindowDoesNotAcceptFocus;
    window->overrideWindowFlags(flags);
    window->renewNativeWindow();
    window->show();
    window->raise();
    // Window managers keep a full-screen window that has the keyboard above every other: only the
    // keyboard brings the pass above it.
    if (overFullScreen)
        window->activateWindow();
    // A box or dialog the user has open (the help's print dialog) stays in front of the pass, where the
    // user can finish with it; its modality keeps the pass from taking keys meanwhile.
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->window() != window) {
        keepAbove(modal->window(), true);
        modal->window()->raise();
    }
    if (focus)
        focus->setFocus();   // where the keys go once the user turns to the window
    delete guardOf(window);  // came before and was sent away again: it comes anew
    new ArrivalGuard(window, overFullScreen || (arrival == Arrival::AfterALongPause && newWindowsTakeTheKeyboard()));
}

void dropEarlyKeys(QWidget* window)
{
    new EarlyKeyFilter(window);
}

void dropHeldKeyRepeats(QWidget* window)
{
    new HeldKeyFilter(window);
}

namespace detail {

void endKeyGuard(QWidget* window)
{
    ArrivalGuard* guard = guardOf(window);
    if (!guard)
        return;
    // The guard may be the caller: it goes once its event is handled.
    qApp->removeEventFilter(guard);
    guard->setParent(nullptr);
    guard->deleteLater();
    window->setAttribute(Qt::WA_ShowWithoutActivating, false);
    window->overrideWindowFlags(window->windowFlags() & ~Qt::WindowDoesNotAcceptFocus);
    if (QWindow* handle = window->windowHandle()) {
        handle->setProperty("_q_showWithoutActivating", QVariant());
        handle->setFlag(Qt::WindowDoesNotAcceptFocus, false);
    }
    keepAbove(window, false);
}

}  // namespace detail

}  // namespace platform

#include "KeyGuard.moc"
