// SPDX-License-Identifier: GPL-3.0-or-later
#include "OnScreen.h"

#include "Desktop.h"
#include "KeyGuard.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMargins>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace platform {
namespace {

QMargins shownFrame(const QWidget* window)
{
    const QWindow* handle = window->windowHandle();
    return window->isVisible() && handle ? handle->frameMargins() : QMargins();
}

// Whether the window manager frames the window. A frameless window tells no frame: Qt gives such a window
// docked into an X11 tray the icon's place inside the tray's panel as its "frame".
bool framedByWindowManager(const QWidget* window)
{
    const Qt::WindowType type = window->windowType();
    const Qt::WindowFlags unframed =
        Qt::FramelessWindowHint | Qt::BypassWindowManagerHint | Qt::X11BypassWindowManagerHint;
    return (type == Qt::Window || type == Qt::Dialog) && !(window->windowFlags() & unframed);
}

// The frame the window manager puts around the window. Before a window is first shown it is not known:
// the program's other shown framed windows have the same, else the style's title bar stands for it.
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
    // Scaled, the frame is told in whole logical pixels, rounded from the manager's: a pixel more on each
    // side keeps the rounding on the area.
    if (window->devicePixelRatioF() > 1)
        frame += QMargins(1, 1, 1, 1);
    return frame;
}

const char* const kPinnedProperty = "quillmoraPinnedToCorner";
const char* const kLeadProperty = "quillmoraLeadControl";

// The rectangle moved onto the area as far as it fits; what does not goes over the right and bottom edges.
QRect keptOn(QRect placed, const QRect& area)
{
    placed.moveLeft(std::max(area.left(), std::min(placed.left(), area.right() + 1 - placed.width())));
    placed.moveTop(std::max(area.top(), std::min(placed.top(), area.bottom() + 1 - placed.height())));
    return placed;
}

// The pane a fixed-size window too large for the screen shows its controls in. It scrolls to the control that
// gets the keyboard focus, keeping the window's lead controls in view as long as some of that control shows,
// and fits the window to the screen again once the window manager's frame is known.
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

    // Makes the window as large as its controls and the scroll bars they need, as far as `room` allows.
    void fitTo(const QSize& room)
    {
        const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
        const QSize content = widget()->size();
        QSize withBars = content;
        if (withBars.height() > room.height())
            withBars.rwidth() += bar;
        // Controls that fit across but for the vertical bar lose the few pixels of margin at their right edge
        // from view, rather than the height of a bar that would scroll them by those pixels.
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
        // The frame the window manager gives is known once it has taken the window on; the window was fitted
        // to an estimate of it.
        if (watched == mWindow && (event->type() == QEvent::Show || event->type() == QEvent::Move))
            fitToShownFrame();
        return QScrollArea::eventFilter(watched, event);
    }

private:
    struct Pinned {
        QPointer<QWidget> control;
        int fromRight;  // from the window's right edge to the control's
    };

    // At the same distance from the right edge of what the pane shows, scroll bar aside, above the pane.
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

    // Along one direction: scrolls as little as it takes to show the lead from `start` to `end` (its start,
    // when the view cannot hold it), as long as some of the focused control stays in view.
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
    detail::endKeyGuard(window);  // the user asked for it
    // On Wayland a window comes to the front only with a token the desktop handed the program (xdg-activation);
    // without one (GNOME 43 sends none with a notice's action, and Qt asks for one only while the program has
    // the keyboard) the request is ignored. A window mapped anew is a new window, which the desktop puts in
    // front with the keyboard.
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
    // Qt's Wayland platform (6.4 and later) takes a token from the environment for the next activation request
    // of a window it has a surface for, and drops it from the environment. Whatever it did not take goes too:
    // a token serves once, and nothing the program starts later is to inherit it.
    qputenv("XDG_ACTIVATION_TOKEN", activationToken.toUtf8());
    if (QWindow* handle = window->windowHandle())
        handle->requestActivate();
    qunsetenv("XDG_ACTIVATION_TOKEN");
}

}  // namespace platform
