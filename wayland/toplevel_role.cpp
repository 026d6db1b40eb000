// The saver as xdg-shell toplevels: full screen on an output, or one
// ordinary window. The compositor's configure gives the logical size.
#include "wayland/toplevel_role.hpp"

#include <algorithm>

#include "wayland/wayland_client.hpp"
#include "xdg-shell-client.h"

namespace {

xdg_wm_base* wmBase;

// What each view's toplevel is made of, by the view's place.
struct Toplevel {
    xdg_surface* surface;
    xdg_toplevel* toplevel;
    uint32_t pendingWidth; // logical, from the toplevel's last configure
    uint32_t pendingHeight;
};
Toplevel toplevels[maxViews];

void OnSurfaceConfigure(void* data, xdg_surface* surface, uint32_t serial)
{
    auto* view = static_cast<OutputView*>(data);
    const Toplevel& made = toplevels[ViewIndex(*view)];
    xdg_surface_ack_configure(surface, serial);
    ApplyConfigure(*view, made.pendingWidth, made.pendingHeight);
}

const xdg_surface_listener surfaceListener { OnSurfaceConfigure };

void OnToplevelConfigure(void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*)
{
    Toplevel& made = toplevels[ViewIndex(*static_cast<OutputView*>(data))];
    made.pendingWidth = static_cast<uint32_t>(std::max(width, 0));
    made.pendingHeight = static_cast<uint32_t>(std::max(height, 0));
}

void OnToplevelClose(void*, xdg_toplevel*)
{
    client.closeRequested = true;
}

const xdg_toplevel_listener toplevelListener { .configure = OnToplevelConfigure, .close = OnToplevelClose };

void OnPing(void*, xdg_wm_base* base, uint32_t serial)
{
    xdg_wm_base_pong(base, serial);
}

const xdg_wm_base_listener wmBaseListener { OnPing };

void BindWmBase(wl_registry* registry, uint32_t name, std::string_view interface, uint32_t)
{
    if (interface != xdg_wm_base_interface.name)
        return;
    wmBase = static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
    xdg_wm_base_add_listener(wmBase, &wmBaseListener, nullptr);
}

// The saver's pointer rule uses relative motion where it is offered.
void BindSaverGlobal(wl_registry* registry, uint32_t name, std::string_view interface, uint32_t version)
{
    BindWmBase(registry, name, interface, version);
    BindRelativePointers(registry, name, interface, version);
}

const char* LackedWmBase()
{
    return wmBase == nullptr ? xdg_wm_base_interface.name : nullptr;
}

void GiveToplevelRole(OutputView& view)
{
    Toplevel& made = toplevels[ViewIndex(view)];
    made = Toplevel {};
    made.surface = xdg_wm_base_get_xdg_surface(wmBase, view.surface);
    xdg_surface_add_listener(made.surface, &surfaceListener, &view);
    made.toplevel = xdg_surface_get_toplevel(made.surface);
    xdg_toplevel_add_listener(made.toplevel, &toplevelListener, &view);
    xdg_toplevel_set_title(made.toplevel, "Aurilo");
    xdg_toplevel_set_app_id(made.toplevel, "aurilo");
    if (view.output.proxy != nullptr)
        xdg_toplevel_set_fullscreen(made.toplevel, view.output.proxy);
    // The first commit, without a buffer, asks for the first configure.
    wl_surface_commit(view.surface);
}

void DestroyToplevel(OutputView& view)
{
    Toplevel& made = toplevels[ViewIndex(view)];
    if (made.toplevel != nullptr)
        xdg_toplevel_destroy(made.toplevel);
    if (made.surface != nullptr)
        xdg_surface_destroy(made.surface);
    made = Toplevel {};
}

} // namespace

const ViewRole saverRole { .bindGlobal = BindSaverGlobal, .lackedGlobal = LackedWmBase, .give = GiveToplevelRole,
    .takeAway = DestroyToplevel, .keyboard = &saverKeyboardListener, .pointer = &saverPointerListener };
// An ordinary window closes only as windows do: its input is not the saver's.
const ViewRole windowRole { .bindGlobal = BindWmBase, .lackedGlobal = LackedWmBase, .give = GiveToplevelRole,
    .takeAway = DestroyToplevel };
