// SPDX-License-Identifier: MIT
// Gives a Wayland compositor without input devices one pointer, kept until this process
// ends, so that the compositor's own commands (swaymsg seat seat0 cursor ...) move and
// press it. Prints "ready" once the compositor has the device.
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <cstdio>
#include <cstring>

static zwlr_virtual_pointer_manager_v1* manager = nullptr;

static void Global(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t)
{
    if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
}

int main()
{
    static const wl_registry_listener listener{Global, [](void*, wl_registry*, uint32_t) {}};
    wl_display* display = wl_display_connect(nullptr);
    if (!display || wl_registry_add_listener(wl_display_get_registry(display), &listener, nullptr) ||
        wl_display_roundtrip(display) < 0 || !manager)
        return std::puts("no virtual pointer manager"), 1;
    zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, nullptr);
    if (wl_display_roundtrip(display) < 0 || std::puts("ready") < 0 || std::fflush(stdout) != 0)
        return 1;
    while (wl_display_dispatch(display) >= 0) {
    }
}
