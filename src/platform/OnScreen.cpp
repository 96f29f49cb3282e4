// SPDX-License-Identifier: GPL-3.0-or-later
#include "OnScreen.h"

#include "KeyGuard.h"

#include <QApplication>
#include <QMargins>
#include <QScreen>
#include <QScrollArea>
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

// The frame the window manager puts around the window. Before a window is first shown it is not known:
// the program's other shown windows have the same, else the style's title bar stands for it.
QMargins expectedFrame(const QWidget* window)
{
    QMargins frame = shownFrame(window);
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        if (!frame.isNull())
            break;
        if (other != window && (other->windowType() == Qt::Window || other->windowType() == Qt::Dialog))
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

bool fixedSize(const QWidget* window)
{
    return window->minimumSize() == window->maximumSize();
}

// Moves the controls of a fixed-size window into a scrolling pane, and makes the window fit `room`.
void scrollContents(QWidget* window, const QSize& room)
{
    auto* pane = new QScrollArea(window);
    pane->setObjectName(QStringLiteral("screenFitPane"));
    pane->setFrameShape(QFrame::NoFrame);
    // The window's own background (the training window's flash) shows through the pane.
    pane->viewport()->setAutoFillBackground(false);
    auto* content = new QWidget;
    content->setFixedSize(window->size());
    pane->setWidget(content);
    // Moved within the same window, the controls keep their places in the tab order.
    for (QObject* child : window->children()) {
        auto* control = qobject_cast<QWidget*>(child);
        if (!control || control == pane || control->isWindow())
            continue;
        const bool hidden = control->isHidden();
        const QRect where = control->geometry();
        control->setParent(content);
        control->setGeometry(where);
        control->setVisible(!hidden);
    }
    // Room for the scroll bars the pane needs, as far as the area has it.
    const int bar = window->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, window);
    QSize withBars = content->size();
    if (withBars.height() > room.height())
        withBars.rwidth() += bar;
    if (withBars.width() > room.width())
        withBars.rheight() += bar;
    window->setFixedSize(withBars.boundedTo(room));
    pane->setGeometry(window->rect());
    pane->show();
    QObject::connect(qApp, &QApplication::focusChanged, pane, [pane](QWidget*, QWidget* now) {
        if (now && pane->widget()->isAncestorOf(now))
            pane->ensureWidgetVisible(now, 0, 0);
    });
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
    if (!window->size().boundedTo(room).isEmpty() && window->size().boundedTo(room) != window->size()) {
        if (!fixedSize(window))
            window->resize(window->size().boundedTo(room).expandedTo(window->minimumSize()));
        else if (!window->findChild<QScrollArea*>(QStringLiteral("screenFitPane"), Qt::FindDirectChildrenOnly))
            scrollContents(window, room);
    }
    QRect placed = QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window->size().grownBy(frame),
                                       overShown ? over->frameGeometry() : area);
    // Whatever does not fit goes over the right and bottom edges: the title bar stays on the area.
    placed.moveLeft(std::max(area.left(), std::min(placed.left(), area.right() + 1 - placed.width())));
    placed.moveTop(std::max(area.top(), std::min(placed.top(), area.bottom() + 1 - placed.height())));
    window->move(placed.topLeft());
}

void bringToFront(QWidget* window)
{
    detail::endKeyGuard(window);  // the user asked for it
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace platform
