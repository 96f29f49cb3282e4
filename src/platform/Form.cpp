// SPDX-License-Identifier: GPL-3.0-or-later
#include "Form.h"

#include "Desktop.h"
#include "Guard.h"

#include <QCloseEvent>
#include <QScopeGuard>

#include <algorithm>
#include <utility>

namespace platform {
namespace {
QList<Form*> gForms;
}  // namespace

QRect twips(int x, int y, int width, int height)
{
    return QRect(twipsToPixels(x), twipsToPixels(y), twipsToPixels(width), twipsToPixels(height));
}

FormWindow::FormWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
}

void FormWindow::renewNativeWindow()
{
    destroy(true, true);
    create();
}

void FormWindow::closeEvent(QCloseEvent* event)
{
    // The program never closes a form's window (unloading hides and deletes it): a close comes from the user.
    event->accept();
    emit closedByUser();
}

Form::Form(QObject* parent) : QObject(parent)
{
    gForms.append(this);
}

Form::~Form()
{
    gForms.removeAll(this);
    delete mWindow.data();
}

bool Form::anyLoaded()
{
    return std::any_of(gForms.begin(), gForms.end(), [](const Form* form) { return form->isLoaded(); });
}

void Form::Load()
{
    if (isLoaded() || !prepareLoad())
        return;
    auto* window = new FormWindow();
    mWindow = window;
    mOutOfSight = false;
    ++mLoadCount;
    createControls(window);
    // Placed before it takes a state: under X11, moving a minimised window before it is first shown restores it.
    placeOnScreen(window);
    if (mStateOnLoad == vbMinimized)
        minimise();
    // A close through the title bar runs no handler of the form: the window just unloads.
    connect(window, &FormWindow::closedByUser, this, [this] {
        Unload();
        emit closedByUser();
    });
    // A held Enter presses a button once, wherever the window's keys go.
    dropHeldKeyRepeats(window);
    emit controlsCreated(window);
    Form_Load();
}

void Form::Unload()
{
    if (!isLoaded())
        return;
    FormWindow* window = mWindow.data();
    mWindow.clear();
    releaseControls();
    // Nothing of the old widgets may reach a handler any more, even before they are deleted.
    for (QObject* child : window->findChildren<QObject*>())
        QObject::disconnect(child, nullptr, this, nullptr);
    QObject::disconnect(window, nullptr, this, nullptr);
    // Its owned windows (the settings' chart, an open box) go now: the window may outlive this call by a wait.
    for (QWidget* owned : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (owned->isWindow())
            owned->close();
    }
    window->hide();
    window->deleteLater();
    emit unloaded();
}

void Form::Show()
{
    Load();
    if (!mWindow || mOutOfSight)
        return;  // the form's start-up unloaded it again, or it waits out of sight
    if (mWindow->isMinimized())
        mWindow->showMinimized();
    else if (mComingUpUnasked)
        showWithoutTakingKeys(mWindow.data(), *mComingUpUnasked);
    else
        bringToFront(mWindow.data());
}

void Form::comeUpUnasked(Arrival arrival)
{
    mComingUpUnasked = arrival;
    const auto done = qScopeGuard([this] { mComingUpUnasked.reset(); });
    setWindowState(vbNormal);
    Show();
}

void Form::bringForward(const QString& activationToken)
{
    if (!mWindow)
        return;
    if (mWindow->isMinimized() || mOutOfSight)
        setWindowState(vbNormal);
    bringToFront(mWindow.data(), activationToken);
}

int Form::WindowState()
{
    Load();
    return mWindow && (mOutOfSight || mWindow->isMinimized()) ? vbMinimized : vbNormal;
}

void Form::setWindowState(int state)
{
    if (!isLoaded()) {
        // The state is taken before start-up shows the window: loaded minimised, it goes straight to the task bar.
        mStateOnLoad = state;
        Load();
        mStateOnLoad = vbNormal;
    }
    if (!mWindow)
        return;
    if (state == vbMinimized)
        minimise();
    else
        restore();
}

void Form::minimise()
{
    if (!desktopMinimises()) {
        // Unmapped, the window is nowhere on screen; a window that was never shown maps only when restored.
        mOutOfSight = true;
        mWindow->hide();
        return;
    }
    mWindow->setWindowState(mWindow->windowState() | Qt::WindowMinimized);
}

void Form::restore()
{
    const bool wasOutOfSight = std::exchange(mOutOfSight, false);
    if (mComingUpUnasked) {
        showWithoutTakingKeys(mWindow.data(), *mComingUpUnasked);
        return;
    }
    mWindow->setWindowState(mWindow->windowState() & ~Qt::WindowMinimized);
    if (wasOutOfSight)
        mWindow->show();
}

}  // namespace platform
