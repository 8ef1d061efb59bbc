// SPDX-License-Identifier: MIT
// Gives a Wayland compositor without input devices one pointer, kept until this process
// ends, so that the compositor's own commands (swaymsg seat seat0 cursor ...) move and
// press it; the compositor lists it among its inputs.
#include <cstring>

#include "virtual-pointer.h"

static zwlr_virtual_pointer_manager_v1* manager = nullptr;

int main()
{
    static const wl_registry_listener listener{
        [](void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
            if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
                manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
                    wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
        },
        [](void*, wl_registry*, uint32_t) {}};
    wl_display* display = wl_display_connect(nullptr);
    if (!display || wl_registry_add_listener(wl_display_get_registry(display), &listener, nullptr) ||
        wl_display_roundtrip(display) < 0 || !manager)
        return 1;  // no virtual pointer manager
    zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, nullptr);
    while (wl_display_dispatch(display) >= 0) {
    }
}
