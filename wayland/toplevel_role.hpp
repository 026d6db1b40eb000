// The saver as xdg-shell toplevels: full screen on every output, or one
// ordinary window. Their input's close rules are in saver_input.cpp.
#pragma once

#include "wayland/view_role.hpp"

#include <wayland-client.h>

extern const ViewRole saverRole;
extern const ViewRole windowRole;

extern const wl_keyboard_listener saverKeyboardListener;
extern const wl_pointer_listener saverPointerListener;
void BindRelativePointers(wl_registry* registry, uint32_t name, std::string_view interface, uint32_t version);
