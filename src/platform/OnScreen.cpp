// SPDX-License-Identifier: GPL-3.0-or-later
#include "OnScreen.h"

#include "Desktop.h"
#include "Form.h"

#include "shared/Clock.h"
#include "shared/Seams.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHash>
#include <QKeyEvent>
#include <QMargins>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <iterator>

namespace platform {
namespace {

QMargins shownFrame(const QWidget* window)
{
    const QWindow* handle = window->windowHandle();
    return window->isVisible() && handle ? handle->frameMargins() : QMargins();
}

// Qt gives a frameless window docked into an X11 tray the icon's place in the tray as its "frame".
bool framedByWindowManager(const QWidget* window)
{
    const Qt::WindowType type = window->windowType();
    const Qt::WindowFlags unframed =
        Qt::FramelessWindowHint | Qt::BypassWindowManagerHint | Qt::X11BypassWindowManagerHint;
    return (type == Qt::Window || type == Qt::Dialog) && !(window->windowFlags() & unframed);
}

// Unknown before the window is first shown: another shown framed window has the same, else the style's stands in.
QMargins expectedFrame(const QWidget* window)
{
    QMargins frame = shownFrame(window);
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        if (!frame.isNull())
            break;
        if (other != window && framedByWindowManager(other))
            frame = shownFrame(other);
    }
    if (frame.isNull()) {
        const int border = window->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, window);
        frame =
            QMargins(border, window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window), border, border);
    }
    // Scaled, the frame is rounded to logical pixels: one more on each side keeps the window on the area.
    if (window->devicePixelRatioF() > 1)
        frame += QMargins(1, 1, 1, 1);
    return frame;
}

const char* const kPinnedProperty = "quillmoraPinnedToCorner";
const char* const kLeadProperty = "quillmoraLeadControl";

// What does not fit goes over the right and bottom edges.
QRect keptOn(QRect placed, const QRect& area)
{
    placed.moveLeft(std::max(area.left(), std::min(placed.left(), area.right() + 1 - placed.width())));
    placed.moveTop(std::max(area.top(), std::min(placed.top(), area.bottom() + 1 - placed.height())));
    return placed;
}

// The pane a fixed-size window too large for the screen shows its controls in: it scrolls to the focus, and
// fits the window again once the window manager's frame is known.
class ScreenFitPane : public QScrollArea {
public:
    explicit ScreenFitPane(QWidget* window) : QScrollArea(window), mWindow(window)
    {
        setObjectName(QStringLiteral("screenFitPane"));
        setFrameShape(QFrame::NoFrame);
        // The window's own background (the training window's flash) shows through the pane.
        viewport()->setAutoFillBackground(false);
        auto* content = new QWidget;
        content->setFixedSize(window->size());
        setWidget(content);
        // Moved within the same window, the controls keep their places in the tab order.
        for (QObject* child : window->children()) {
            auto* control = qobject_cast<QWidget*>(child);
            if (!control || control == this || control->isWindow())
                continue;
            if (control->property(kPinnedProperty).toBool()) {
                mPinned.append({control, content->width() - control->geometry().right()});
                continue;
            }
            const bool hidden = control->isHidden();
            const QRect where = control->geometry();
            control->setParent(content);
            control->setGeometry(where);
            control->setVisible(!hidden);
        }
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
            if (now && widget()->isAncestorOf(now))
                scrollTo(now);
        });
        window->installEventFilter(this);
    }

    void fitTo(const QSize& room)
    {
        const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
        const QSize content = widget()->size();
        QSize withBars = content;
        if (withBars.height() > room.height())
            withBars.rwidth() += bar;
        // Fitting across but for the vertical bar, the controls lose a few pixels of margin rather than the
        // height of a horizontal bar.
        const bool acrossFits = content.width() <= room.width();
        setHorizontalScrollBarPolicy(acrossFits ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
        if (!acrossFits)
            withBars.rheight() += bar;
        mWindow->setFixedSize(withBars.boundedTo(room));
        setGeometry(mWindow->rect());
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QScrollArea::resizeEvent(event);  // lays out the view and its scroll bars
        placePinned();
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The window was fitted to an estimate of the frame; the real one is known once it is shown.
        if (watched == mWindow && (event->type() == QEvent::Show || event->type() == QEvent::Move))
            fitToShownFrame();
        return QScrollArea::eventFilter(watched, event);
    }

private:
    struct Pinned {
        QPointer<QWidget> control;
        int fromRight;  // from the window's right edge to the control's
    };

    // Same distance from the right edge of the view (scroll bar aside), above the pane.
    void placePinned()
    {
        const int right = geometry().left() + viewport()->geometry().right();
        for (const Pinned& pinned : std::as_const(mPinned)) {
            if (!pinned.control)
                continue;
            pinned.control->move(right - pinned.fromRight - pinned.control->width() + 1, pinned.control->y());
            pinned.control->raise();
        }
    }

    void scrollTo(QWidget* focused)
    {
        ensureWidgetVisible(focused, 0, 0);
        QRect kept;  // where the lead controls are
        for (const QWidget* control : widget()->findChildren<QWidget*>()) {
            if (control->property(kLeadProperty).toBool())
                kept |= QRect(control->mapTo(widget(), QPoint(0, 0)), control->size());
        }
        if (kept.isNull())
            return;
        const QRect focus(focused->mapTo(widget(), QPoint(0, 0)), focused->size());
        keepInView(horizontalScrollBar(), kept.left(), kept.right(), viewport()->width(), focus.left(), focus.right());
        keepInView(verticalScrollBar(), kept.top(), kept.bottom(), viewport()->height(), focus.top(), focus.bottom());
    }

    // Scrolls as little as it takes to show the lead from `start` to `end` (its start, if too long), as long as
    // some of the focused control stays in view.
    static void keepInView(QScrollBar* bar, int start, int end, int view, int focusStart, int focusEnd)
    {
        const int least = end + 1 - view;
        const int wanted = least <= start ? std::clamp(bar->value(), least, start) : start;
        if (focusStart < wanted + view && focusEnd >= wanted)
            bar->setValue(wanted);
    }

    void fitToShownFrame()
    {
        const QMargins shown = shownFrame(mWindow);
        if (shown.isNull() || shown == mFittedFrame || !mWindow->screen())
            return;
        mFittedFrame = shown;
        const QMargins frame = expectedFrame(mWindow);  // the shown one, with what scaling rounds off
        const QRect area = mWindow->screen()->availableGeometry();
        fitTo(area.size().shrunkBy(frame));
        const QRect placed = keptOn(QRect(mWindow->frameGeometry().topLeft(), mWindow->size().grownBy(frame)), area);
        if (placed.topLeft() != mWindow->frameGeometry().topLeft())
            mWindow->move(placed.topLeft());
        if (QWidget* focused = QApplication::focusWidget(); focused && widget()->isAncestorOf(focused))
            scrollTo(focused);
    }

    QWidget* mWindow;
    QMargins mFittedFrame;
    QList<Pinned> mPinned;
};

// Typing into another program has pauses, but not this long: after one, the next key is meant for the window.
constexpr qint64 kTypingPauseMs = 2000;
// A click this soon after the window came was aimed at what was there before.
constexpr qint64 kStrayClickMs = 1000;
// Keys pressed before the window came are handled this soon after it.
constexpr qint64 kEarlyKeyMs = 500;
// A press this soon after the release is a held key repeating (some X servers send repeats as fresh presses).
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

bool isPointing(QEvent::Type type)
{
    static constexpr QEvent::Type kPointing[] = {
        QEvent::MouseButtonPress, QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease, QEvent::Wheel,
        QEvent::TabletPress,      QEvent::TabletRelease,       QEvent::TouchBegin,         QEvent::TouchUpdate,
        QEvent::TouchEnd,
    };
    return std::find(std::begin(kPointing), std::end(kPointing), type) != std::end(kPointing);
}

bool pressesButtons(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
}

void endKeyGuard(QWidget* window);

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
            // Only a press after the first second turns to the window: a double click, wheel (meant for a page
            // beneath) or touch is no sign that the user looked.
            if (type != QEvent::MouseButtonPress || now() - mCameAt < kStrayClickMs)
                return true;
            turnedTo();  // the click goes on to the control under it
            return false;
        }
        if (type == QEvent::ShortcutOverride)
            event->accept();  // taken as the focused control's own key: no shortcut (F1) fires
        if (type != QEvent::KeyPress)
            return true;
        const bool repeat = static_cast<QKeyEvent*>(event)->isAutoRepeat();
        if (mFirstKeyTurns && !repeat) {
            // The desktop gave it the keyboard at a long pause: the first key only turns to it, and the focus
            // frame shows where the next one goes.
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
        endKeyGuard(mWindow);  // lets go of this guard once its event is handled
        mWindow->raise();
        mWindow->activateWindow();
    }

    const bool mFirstKeyTurns;
    const qint64 mCameAt = now();
    qint64 mLastKeyAt = now();
};

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

// Told to the native window of a window that is up: changed on the widget, they would make a new native window.
void setLiveWindowFlag(QWidget* window, Qt::WindowType flag, bool on)
{
    window->overrideWindowFlags(window->windowFlags().setFlag(flag, on));
    if (QWindow* handle = window->windowHandle())
        handle->setFlag(flag, on);
}

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
    setLiveWindowFlag(window, Qt::WindowDoesNotAcceptFocus, false);
    setLiveWindowFlag(window, Qt::WindowStaysOnTopHint, false);
}

}  // namespace

void placeOnScreen(QWidget* window, const QWidget* over)
{
    const bool overShown = over && over->isVisible();
    QScreen* screen = overShown ? over->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QMargins frame = expectedFrame(window);
    const QSize room = area.size().shrunkBy(frame);
    const QSize bounded = window->size().boundedTo(room);
    if (!bounded.isEmpty() && bounded != window->size()) {
        if (window->minimumSize() != window->maximumSize())  // resizable
            window->resize(bounded.expandedTo(window->minimumSize()));
        else if (!window->findChild<QScrollArea*>(QStringLiteral("screenFitPane"), Qt::FindDirectChildrenOnly))
            (new ScreenFitPane(window))->fitTo(room);
    }
    const QRect centred = QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window->size().grownBy(frame),
                                              overShown ? over->frameGeometry() : area);
    window->move(keptOn(centred, area).topLeft());  // the title bar stays on the area
}

void setLeadControls(const QList<QWidget*>& controls)
{
    for (QWidget* control : controls)
        control->setProperty(kLeadProperty, true);
}

void pinToCorner(QWidget* control)
{
    control->setProperty(kPinnedProperty, true);
}

void bringToFront(QWidget* window, const QString& activationToken)
{
    endKeyGuard(window);  // the user asked for it
    // Wayland ignores a raise without an activation token (GNOME 43 sends none with a notice's action, and Qt
    // asks for one only while the program has the keyboard); a window mapped anew comes in front with the keyboard.
    const bool withToken = onWayland() && !activationToken.isEmpty();
    if (!withToken && onWayland() && window->isVisible() && !window->isActiveWindow())
        window->hide();
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    if (!withToken) {
        window->activateWindow();
        return;
    }
    // Qt (6.4 and later) takes the token from the environment for the next activation request. Unused, it goes
    // too: a token serves once, and programs started later must not inherit it.
    qputenv("XDG_ACTIVATION_TOKEN", activationToken.toUtf8());
    if (QWindow* handle = window->windowHandle())
        handle->requestActivate();
    qunsetenv("XDG_ACTIVATION_TOKEN");
}

void showWithoutTakingKeys(FormWindow* window, Arrival arrival)
{
    const bool overFullScreen = arrival == Arrival::OverFullScreen;
    if (guardOf(window) && window->isVisible() && !window->isMinimized()) {
        window->raise();  // up already, waiting for the user
        return;
    }
    const QPointer<QWidget> focus = window->focusWidget();
    // Window managers take a minimised or withdrawn window mapped again as asked for by the user; a new native
    // window with the user time 0 tells them it was not.
    window->hide();
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->setAttribute(Qt::WA_ShowWithoutActivating, true);
    // On top: without the focus it would come beneath the focused window. Under a floating X11 manager it asks
    // for no keyboard until the user turns to it, so neither a manager that focuses new windows (IceWM) nor a
    // stray click in its first second takes the keys from the other program. (A tiling i3 focuses it anyway.)
    Qt::WindowFlags flags = window->windowFlags() | Qt::WindowStaysOnTopHint;
    if (QGuiApplication::platformName() == QLatin1String("xcb") && !overFullScreen && desktopMinimises())
        flags |= Qt::WindowDoesNotAcceptFocus;
    window->overrideWindowFlags(flags);
    window->renewNativeWindow();
    window->show();
    window->raise();
    // A full-screen window with the keyboard stays above all others: only taking the keyboard gets above it.
    if (overFullScreen)
        window->activateWindow();
    // A dialog the user has open (the help's print dialog) stays in front to be finished; its modality keeps
    // keys from the pass meanwhile.
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->window() != window) {
        setLiveWindowFlag(modal->window(), Qt::WindowStaysOnTopHint, true);
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

}  // namespace platform

#include "OnScreen.moc"
