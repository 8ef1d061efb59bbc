// SPDX-License-Identifier: MIT
#pragma once

#include "win32/win32_form_services.h"

#include <exception>
#include <utility>

namespace orvane2::win32 {

// Runs a call into the program's behaviour from inside a window procedure. An exception
// must not unwind through the system's frames: it is kept by the services and raised
// again once the message has been dispatched (Win32FormServices::PumpOne).
template <typename Call>
void CallGuarded(Win32FormServices& services, Call&& call)
{
    try {
        std::forward<Call>(call)();
    } catch (...) {
        services.Defer(std::current_exception());
    }
}

}  // namespace orvane2::win32
