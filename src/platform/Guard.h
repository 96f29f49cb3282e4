// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <functional>
#include <type_traits>
#include <utility>

// Every event handler runs inside runGuarded: an unexpected failure stops the handler, is shown in one message box
// naming it, and ends the program. No exception ever reaches the Qt event loop.
namespace platform {

void runGuarded(const std::function<void()>& handler);

// Ends the program at once: no further handler runs.
void endProgram(int exitCode);

// The application object catches, as the last defence, what slips past runGuarded (in Qt's own code called from
// an event). Qt's own dialogs speak Japanese with it, whatever the system's locale (AppSetup.h).
class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Wraps a signal's handler in runGuarded; the handler takes all the arguments the signal passes, or none.
template <class Handler>
auto guardedSlot(Handler handler)
{
    return [handler = std::move(handler)](auto&&... args) {
        runGuarded([&] {
            if constexpr (std::is_invocable_v<const Handler&, decltype(args)...>)
                handler(std::forward<decltype(args)>(args)...);
            else
                handler();
        });
    };
}

// Runs a handler connected to a signal of a widget through the guard.
template <class Object, class Handler>
auto guarded(Object* object, Handler handler)
{
    return guardedSlot([object, handler] { (object->*handler)(); });
}

}  // namespace platform
