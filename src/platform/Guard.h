// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <functional>
#include <type_traits>
#include <utility>

// Every event handler of the program runs inside runGuarded. An unexpected failure stops the handler,
// is shown to the user in one message box naming it, and the program ends. No exception ever reaches
// the Qt event loop.
namespace platform {

void runGuarded(const std::function<void()>& handler);

// Ends the program at once: no further handler runs.
void endProgram(int exitCode);

// The program's application object. Every handler already runs inside runGuarded; this catches
// anything that slips past that (in Qt's own code called from an event) as the last line of defence.
// The toolkit's own dialogs speak Japanese with it, whatever the system's locale (AppSetup.h).
class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Wraps a handler for a signal so that it runs inside runGuarded. The handler takes either all the
// arguments the signal passes or none.
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
