// SPDX-License-Identifier: GPL-3.0-or-later
#include "KeyGuard.h"

#include "Form.h"

#include "shared/Clock.h"
#include "shared/Seams.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace platform {
namespace {

// A user who goes on typing into another program while the window comes pauses now and then, but not
// this long once the window has taken the keyboard: after such a pause the next key is meant for it.
constexpr qint64 kTypingPauseMs = 2000;
// A click this soon after the window came was aimed at what was there before.
constexpr qint64 kStrayClickMs = 1000;
// Keys pressed before the window came are handled this soon after it.
constexpr qint64 kEarlyKeyMs = 500;

qint64 now()
{
    return QmrM::inputClock().elapsedMs();
}

bool isKeyInput(QEvent::Type type)
{
    return type == QEvent::KeyPress || type == QEvent::KeyRelease || type == QEvent::ShortcutOverride ||
           type == QEvent::InputMethod;
}

bool isClick(QEvent::Type type)
{
    return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
}

// Looks at the input of one window's widgets before they get it.
class WindowInputFilter : public QObject {
    Q_OBJECT
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
    explicit ArrivalGuard(QWidget* window) : WindowInputFilter(window) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (!(isKeyInput(type) || isClick(type)) || !belongs(watched))
            return false;
        if (isClick(type)) {
            if (now() - mCameAt < kStrayClickMs)
                return true;
            turnedTo();  // the click goes on to the control under it
            return false;
        }
        if (type != QEvent::KeyPress)
            return true;
        // Keys reach the window only while it has the keyboard: the desktop gave it that.
        const bool afterAPause = now() - mLastKeyAt >= kTypingPauseMs;
        if (afterAPause && !static_cast<QKeyEvent*>(event)->isAutoRepeat()) {
            turnedTo();
            return false;
        }
        mLastKeyAt = now();
        return true;
    }

private:
    void turnedTo()
    {
        QWidget* window = mWindow;
        detail::endKeyGuard(window);  // lets go of this guard
        window->raise();
        window->activateWindow();
    }

    const qint64 mCameAt = now();
    qint64 mLastKeyAt = now();
};

// Drops the key presses that were made before the window came.
class EarlyKeyFilter final : public WindowInputFilter {
    Q_OBJECT
public:
    explicit EarlyKeyFilter(QWidget* window) : WindowInputFilter(window) {}

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

void showWithoutTakingKeys(FormWindow* window)
{
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
    // Above the other windows: one that does not get the focus would come up beneath the focused one.
    window->overrideWindowFlags(window->windowFlags() | Qt::WindowStaysOnTopHint);
    window->renewNativeWindow();
    window->show();
    window->raise();
    if (focus)
        focus->setFocus();   // where the keys go once the user turns to the window
    delete guardOf(window);  // came before and was sent away again: it comes anew
    new ArrivalGuard(window);
}

void dropEarlyKeys(QWidget* window)
{
    new EarlyKeyFilter(window);
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
    if (QWindow* handle = window->windowHandle())
        handle->setProperty("_q_showWithoutActivating", QVariant());
    keepAbove(window, false);
}

}  // namespace detail

}  // namespace platform

#include "KeyGuard.moc"
