// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontend/wayland_decorations.h"

#include <cstdlib>
#include <cstring>

#ifdef ZAPWALL_WAYLAND_PROBE
#include <wayland-client.h>
#endif

namespace ZapModule {

namespace {

// Whether Qt may choose its Wayland plugin: QT_QPA_PLATFORM unset or naming it.
bool MayOpenOnWayland() {
    const char* display = std::getenv("WAYLAND_DISPLAY");
    if (display == nullptr || *display == '\0') return false;
    const char* chosen = std::getenv("QT_QPA_PLATFORM");
    return chosen == nullptr || *chosen == '\0' || std::strstr(chosen, "wayland") != nullptr;
}

}  // namespace

#ifdef ZAPWALL_WAYLAND_PROBE

bool CompositorDrawsTitleBars() {
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) return false;
    bool offered = false;
    wl_registry* registry = wl_display_get_registry(display);
    static const wl_registry_listener listener{
        [](void* data, wl_registry*, uint32_t, const char* interface, uint32_t) {
            if (std::strcmp(interface, "zxdg_decoration_manager_v1") == 0)
                *static_cast<bool*>(data) = true;
        },
        [](void*, wl_registry*, uint32_t) {}};
    wl_registry_add_listener(registry, &listener, &offered);
    // One round trip brings every global the compositor announces.
    if (wl_display_roundtrip(display) < 0) offered = false;
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return offered;
}

#else

bool CompositorDrawsTitleBars() {
    return false;
}

#endif

void LeaveTitleBarsToTheCompositor() {
    if (std::getenv("QT_WAYLAND_DISABLE_WINDOWDECORATION") != nullptr || !MayOpenOnWayland())
        return;
    if (CompositorDrawsTitleBars()) setenv("QT_WAYLAND_DISABLE_WINDOWDECORATION", "1", 0);
}

}  // namespace ZapModule
