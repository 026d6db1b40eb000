// The saver as a live wallpaper: a surface on each output's background layer
// (wlr-layer-shell), under every window, taking no input, so that clicks and
// keys go to the windows above it. A layer the compositor closes takes that
// output's view along.
#include "wayland/background_role.hpp"

#include <utility>

#include "wayland/wayland_client.hpp"
#include "wlr-layer-shell-unstable-v1-client.h"

namespace {

zwlr_layer_shell_v1* layerShell;
zwlr_layer_surface_v1* layers[maxViews]; // each view's, by its place

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

void BindLayerShell(wl_registry* registry, uint32_t name, std::string_view interface, uint32_t)
{
    if (interface != zwlr_layer_shell_v1_interface.name)
        return;
    layerShell = static_cast<zwlr_layer_shell_v1*>(wl_registry_bind(registry, name, &zwlr_layer_shell_v1_interface, 1));
}

bool HasLayerShell(std::string& error)
{
    if (layerShell == nullptr)
        error = "-background needs zwlr_layer_shell_v1, which this compositor lacks";
    return layerShell != nullptr;
}

void GiveBackgroundRole(OutputView& view)
{
    zwlr_layer_surface_v1*& layer = layers[ViewIndex(view)];
    layer = zwlr_layer_shell_v1_get_layer_surface(layerShell, view.surface, view.output.proxy,
        ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND, "aurilo");
    zwlr_layer_surface_v1_add_listener(layer, &layerListener, &view);
    zwlr_layer_surface_v1_set_anchor(layer, allEdges);
    zwlr_layer_surface_v1_set_exclusive_zone(layer, underPanels);
    zwlr_layer_surface_v1_set_keyboard_interactivity(layer, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
    TakeNoInput(view.surface);
    TakeNoInput(view.imageSurface);
    // The first commit, without a buffer, asks for the first configure.
    wl_surface_commit(view.surface);
}

// Every view has a layer surface: giving this role never skips one.
void DestroyLayerSurface(OutputView& view)
{
    zwlr_layer_surface_v1_destroy(std::exchange(layers[ViewIndex(view)], nullptr));
}

} // namespace

// No listeners: it takes no input, leaving it all to the windows above it.
const ViewRole backgroundRole { .bindGlobal = BindLayerShell, .hasWhatItNeeds = HasLayerShell,
    .give = GiveBackgroundRole, .takeAway = DestroyLayerSurface, .commitsBackgroundWithEachFrame = true };
