// The saver as a live wallpaper on every output's background layer.
#pragma once

#include "wayland/view_role.hpp"

extern const ViewRole backgroundRole;
