// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Guard.h"

#include <type_traits>
#include <utility>

namespace help {

// Wraps a handler for a signal so that it runs inside platform::runGuarded. The handler
// takes either all the arguments the signal passes or none.
template <class Handler>
auto guardedSlot(Handler handler)
{
    return [handler = std::move(handler)](auto&&... args) {
        platform::runGuarded([&] {
            if constexpr (std::is_invocable_v<const Handler&, decltype(args)...>)
                handler(std::forward<decltype(args)>(args)...);
            else
                handler();
        });
    };
}

}  // namespace help
