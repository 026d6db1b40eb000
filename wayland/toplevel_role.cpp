// The saver as xdg-shell toplevels: full screen on an output, or one
// ordinary window. The compositor's configure gives the logical size.
#include <algorithm>

#include "wayland/wayland_client.hpp"

namespace {

void OnSurfaceConfigure(void* data, xdg_surface* surface, uint32_t serial)
{
    auto* view = static_cast<OutputView*>(data);
    xdg_surface_ack_configure(surface, serial);
    ApplyConfigure(*view, view->pendingWidth, view->pendingHeight);
}

const xdg_surface_listener surfaceListener { OnSurfaceConfigure };

void OnToplevelConfigure(void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*)
{
    auto* view = static_cast<OutputView*>(data);
    view->pendingWidth = static_cast<uint32_t>(std::max(width, 0));
    view->pendingHeight = static_cast<uint32_t>(std::max(height, 0));
}

void OnToplevelClose(void*, xdg_toplevel*)
{
    client.closeRequested = true;
}

const xdg_toplevel_listener toplevelListener { .configure = OnToplevelConfigure, .close = OnToplevelClose };

} // namespace

void GiveToplevelRole(OutputView& view)
{
    view.xdgSurface = xdg_wm_base_get_xdg_surface(client.wmBase, view.surface);
    xdg_surface_add_listener(view.xdgSurface, &surfaceListener, &view);
    view.toplevel = xdg_surface_get_toplevel(view.xdgSurface);
    xdg_toplevel_add_listener(view.toplevel, &toplevelListener, &view);
    xdg_toplevel_set_title(view.toplevel, "Aurilo");
    xdg_toplevel_set_app_id(view.toplevel, "aurilo");
    if (view.output.proxy != nullptr)
        xdg_toplevel_set_fullscreen(view.toplevel, view.output.proxy);
    // The first commit, without a buffer, asks for the first configure.
    wl_surface_commit(view.surface);
}

void DestroyToplevel(OutputView& view)
{
    if (view.toplevel != nullptr)
        xdg_toplevel_destroy(view.toplevel);
    if (view.xdgSurface != nullptr)
        xdg_surface_destroy(view.xdgSurface);
    view.toplevel = nullptr;
    view.xdgSurface = nullptr;
}
