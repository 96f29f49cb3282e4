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

template <class Control>
Control* placed(Control* control, QAnyStringView name, const QRect& geometry, const std::optional<QFont>& font = {})
{
    control->setObjectName(name);
    control->setGeometry(geometry);
    if (font)
        control->setFont(*font);
    return control;
}

inline void setColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

inline void setTabOrder(std::initializer_list<QWidget*> controls)
{
    for (auto control = controls.begin(); control + 1 < controls.end(); ++control)
        QWidget::setTabOrder(*control, *(control + 1));
}

// The top-level widget of a loaded form: fixed size, no maximise button; a close by the title bar unloads the form.
class FormWindow : public QWidget {
    Q_OBJECT
public:
    explicit FormWindow(QWidget* parent = nullptr);

    // Makes the hidden window a new native window: window managers take some flags only from a new window.
    void renewNativeWindow();

signals:
    void closedByUser();

protected:
    void closeEvent(QCloseEvent* event) override;
};

// A window that lives for the whole run while its widgets exist only while it is loaded. Unloading closes the
// windows it owns and deletes the widgets once control is back in the event loop (after a waiting handler's own
// loop), as a handler may still run.
class Form : public QObject {
    Q_OBJECT
public:
    enum State { vbNormal = 0, vbMinimized = 1 };

    bool isLoaded() const { return !mWindow.isNull(); }
    // A handler that waited compares it with the count it began in: the window may have been loaded afresh.
    quint64 loadCount() const { return mLoadCount; }
    bool isLoadedAs(quint64 load) const { return isLoaded() && mLoadCount == load; }
    QWidget* window() const { return mWindow.data(); }

    void Load();
    void Unload();
    // Loads the form when needed and shows it modeless; a minimised window stays minimised.
    void Show();
    // Loads the form, as any use does. Where the desktop keeps no minimised windows, minimised means hidden.
    int WindowState();
    void setWindowState(int state);
    // Restores the loaded window and brings it to the front with the keyboard (see bringToFront).
    void bringForward(const QString& activationToken = QString());
    // Loads and shows the window without taking the keyboard (showWithoutTakingKeys).
    void comeUpUnasked(Arrival arrival = Arrival::Quiet);

    static bool anyLoaded();

signals:
    // The window was loaded and has its controls; Form_Load runs next.
    void controlsCreated(QWidget* window);
    // Through the title bar or the task bar; the form is unloaded now.
    void closedByUser();
    void unloaded();

protected:
    explicit Form(QObject* parent = nullptr);
    ~Form() override;

    // Runs first at each load. A form that hands over to another window instead (the training window with no
    // items) does so here and returns false: it stays unloaded.
    virtual bool prepareLoad() { return true; }
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
    bool mOutOfSight = false;
    // Coming up unasked: the start-up's showing must not take the keyboard either.
    std::optional<Arrival> mComingUpUnasked;
};

// A form class F with its one object, made on first use
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
    // For tests: the next instance() starts as at program start.
    static void destroyInstance() { object().reset(); }

private:
    static std::unique_ptr<F>& object()
    {
        static std::unique_ptr<F> form;
        return form;
    }
};

}  // namespace platform
