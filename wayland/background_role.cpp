// The saver as a live wallpaper: a surface on each output's background layer
// (wlr-layer-shell), under every window, taking no input, so that clicks and
// keys go to the windows above it. A layer the compositor closes takes that
// output's view along.
#include "wayland/wayland_client.hpp"

namespace {

constexpr uint32_t allEdges = ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM
    | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT;
constexpr int32_t underPanels = -1; // the whole output, whatever panels reserve

void OnLayerConfigure(void* data, zwlr_layer_surface_v1* surface, uint32_t serial, uint32_t width, uint32_t height)
{
    zwlr_layer_surface_v1_ack_configure(surface, serial);
    ApplyConfigure(*static_cast<OutputView*>(data), width, height);
}

void OnLayerClosed(void* data, zwlr_layer_surface_v1*)
{
    DestroyView(*static_cast<OutputView*>(data));
}

const zwlr_layer_surface_v1_listener layerListener { OnLayerConfigure, OnLayerClosed };

void TakeNoInput(wl_surface* surface)
{
    wl_region* nothing = wl_compositor_create_region(client.compositor);
    wl_surface_set_input_region(surface, nothing);
    wl_region_destroy(nothing);
}

} // namespace

void GiveBackgroundRole(OutputView& view)
{
    view.layerSurface = zwlr_layer_shell_v1_get_layer_surface(client.layerShell, view.surface, view.output.proxy,
        ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND, "aurilo");
    zwlr_layer_surface_v1_add_listener(view.layerSurface, &layerListener, &view);
    zwlr_layer_surface_v1_set_anchor(view.layerSurface, allEdges);
    zwlr_layer_surface_v1_set_exclusive_zone(view.layerSurface, underPanels);
    zwlr_layer_surface_v1_set_keyboard_interactivity(view.layerSurface,
        ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
    TakeNoInput(view.surface);
    TakeNoInput(view.imageSurface);
    // The first commit, without a buffer, asks for the first configure.
    wl_surface_commit(view.surface);
}

void DestroyLayerSurface(OutputView& view)
{
    if (view.layerSurface != nullptr)
        zwlr_layer_surface_v1_destroy(view.layerSurface);
    view.layerSurface = nullptr;
}
