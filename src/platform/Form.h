// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OnScreen.h"

#include <QAnyStringView>
#include <QFont>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>

namespace platform {

// Layout positions are given in twips (1/1440 inch); 15 twips make one logical pixel.
constexpr int twipsToPixels(int twips)
{
    return (twips + 7) / 15;
}
QRect twips(int x, int y, int width, int height);

// Gives a control made for a form its name and its place (see twips) and, when one is given, its font.
template <class Control>
Control* placed(Control* control, QAnyStringView name, const QRect& geometry, const std::optional<QFont>& font = {})
{
    control->setObjectName(name);
    control->setGeometry(geometry);
    if (font)
        control->setFont(*font);
    return control;
}

// Sets one colour of a widget's palette.
inline void setColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

// Has Tab go through the controls in the order given.
inline void setTabOrder(std::initializer_list<QWidget*> controls)
{
    for (auto control = controls.begin(); control + 1 < controls.end(); ++control)
        QWidget::setTabOrder(*control, *(control + 1));
}

// The top-level widget of a loaded form: fixed size, minimise but no maximise button.
// A close through the title bar is passed to the owning form, which unloads.
class FormWindow : public QWidget {
    Q_OBJECT
public:
    explicit FormWindow(QWidget* parent = nullptr);

    // Lets go of the hidden window's native window and makes a new one, with the flags and attributes the
    // widget has now (window managers take some of them only from a window they have not managed yet).
    void renewNativeWindow();

signals:
    void closedByUser();

protected:
    void closeEvent(QCloseEvent* event) override;
};

// A window that lives for the whole run while its widgets exist only while it is loaded.
// Loading creates the widgets and runs Form_Load, unless prepareLoad declines; unloading hides the window,
// closes the windows it owns and deletes its widgets once control is back in the event loop, so a handler of
// the window may still be running. A handler that waits defers that deletion until its wait's event loop
// returns.
class Form : public QObject {
    Q_OBJECT
public:
    enum State { vbNormal = 0, vbMinimized = 1 };

    bool isLoaded() const { return !mWindow.isNull(); }
    // Counts the loads of the form. A handler that waited compares it with the count it began in: the
    // window may have been unloaded and loaded afresh meanwhile.
    quint64 loadCount() const { return mLoadCount; }
    // Whether the window is still loaded from the load counted `load`.
    bool isLoadedAs(quint64 load) const { return isLoaded() && mLoadCount == load; }
    // The loaded window, or nullptr.
    QWidget* window() const { return mWindow.data(); }

    void Load();
    void Unload();
    // Loads the form when needed and shows it modeless; a minimised window stays minimised.
    void Show();
    // Touching the state loads the form, as any use of an unloaded form does. Where the desktop does not
    // keep minimised windows (desktopMinimises), a minimised window is kept out of sight instead: hidden,
    // still loaded, and shown again when it is restored.
    int WindowState();
    void setWindowState(int state);
    // Brings the loaded window to the front, restoring it when it is minimised, and gives it the keyboard
    // (with the desktop's activation token, where the user's request came with one: bringToFront).
    void bringForward(const QString& activationToken = QString());
    // Brings the window back (loading it when needed) on top without taking the keyboard from the user's
    // other work, until the user turns to it (OnScreen.h): the window came by itself, as `arrival` says.
    void comeUpUnasked(Arrival arrival = Arrival::Quiet);

    // Whether any form of the program is loaded.
    static bool anyLoaded();

signals:
    // The window was loaded and has its controls; its start-up runs next.
    void controlsCreated(QWidget* window);
    // The user closed the window through its title bar or the task bar; it is unloaded now.
    void closedByUser();
    // The window was unloaded (its widgets go once control is back in the event loop).
    void unloaded();

protected:
    explicit Form(QObject* parent = nullptr);
    ~Form() override;

    // Runs first at each load, before the window and its controls are made. A form that hands over to
    // another window instead of appearing (the training window with no items) does so here and returns
    // false: it stays unloaded, and nothing is made for it.
    virtual bool prepareLoad() { return true; }
    // Makes the form's controls in the fresh window and connects their handlers.
    virtual void createControls(FormWindow* window) = 0;
    // Lets go of the controls of the window being unloaded (the window deletes them).
    virtual void releaseControls() = 0;
    virtual void Form_Load() = 0;

private:
    void minimise();
    void restore();

    QPointer<FormWindow> mWindow;
    quint64 mLoadCount = 0;
    int mStateOnLoad = vbNormal;
    // Minimised on a desktop that does not keep minimised windows: hidden until restored.
    bool mOutOfSight = false;
    // The window is coming up unasked, as it says: its start-up's showing must not take the keyboard either.
    std::optional<Arrival> mComingUpUnasked;
};

// A form class F with its one object, made on first use and kept for the whole run
// (class frmX : public platform::SingleForm<frmX>, which makes SingleForm<frmX> its friend).
template <class F>
class SingleForm : public Form {
public:
    static F& instance()
    {
        if (!object())
            object().reset(new F());
        return *object();
    }
    // Drops the object (for tests); the next instance() starts as at program start.
    static void destroyInstance() { object().reset(); }

private:
    static std::unique_ptr<F>& object()
    {
        static std::unique_ptr<F> form;
        return form;
    }
};

}  // namespace platform
