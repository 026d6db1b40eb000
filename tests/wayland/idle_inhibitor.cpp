// A window that holds an idle inhibitor on its surface, as a video player
// does, so that the client's -idle can be seen to wait while it is visible.
// Says "inhibiting" once its window has a buffer, then runs until it is ended.
#include <cstdio>
#include <cstring>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>

#include <wayland-client.h>

#include "idle-inhibit-unstable-v1-client.h"
#include "xdg-shell-client.h"

namespace {

constexpr int side = 64;

wl_compositor* compositor = nullptr;
wl_shm* shm = nullptr;
xdg_wm_base* wmBase = nullptr;
zwp_idle_inhibit_manager_v1* inhibitManager = nullptr;
wl_surface* surface = nullptr;
wl_buffer* buffer = nullptr;
bool configured = false;

void OnPing(void*, xdg_wm_base* base, uint32_t serial)
{
    xdg_wm_base_pong(base, serial);
}

const xdg_wm_base_listener wmBaseListener { OnPing };

void OnGlobal(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t)
{
    const std::string_view offered(interface);
    if (offered == wl_compositor_interface.name)
        compositor = static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 4));
    else if (offered == wl_shm_interface.name)
        shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    else if (offered == xdg_wm_base_interface.name) {
        wmBase = static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
        xdg_wm_base_add_listener(wmBase, &wmBaseListener, nullptr);
    } else if (offered == zwp_idle_inhibit_manager_v1_interface.name)
        inhibitManager = static_cast<zwp_idle_inhibit_manager_v1*>(
            wl_registry_bind(registry, name, &zwp_idle_inhibit_manager_v1_interface, 1));
}

void OnGlobalRemove(void*, wl_registry*, uint32_t) { }

const wl_registry_listener registryListener { OnGlobal, OnGlobalRemove };

void OnSurfaceConfigure(void*, xdg_surface* xdgSurface, uint32_t serial)
{
    xdg_surface_ack_configure(xdgSurface, serial);
    wl_surface_attach(surface, buffer, 0, 0);
    wl_surface_damage_buffer(surface, 0, 0, side, side);
    wl_surface_commit(surface);
    configured = true;
}

const xdg_surface_listener surfaceListener { OnSurfaceConfigure };

// A grey square in shared memory.
wl_buffer* MakeBuffer()
{
    const int size = side * side * 4;
    const int fd = memfd_create("idle-inhibitor", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, size) != 0)
        return nullptr;
    void* pixels = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (pixels == MAP_FAILED)
        return nullptr;
    std::memset(pixels, 0x80, size);
    munmap(pixels, size);
    wl_shm_pool* pool = wl_shm_create_pool(shm, fd, size);
    wl_buffer* made = wl_shm_pool_create_buffer(pool, 0, side, side, side * 4, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
    return made;
}

} // namespace

int main()
{
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "idle-inhibitor: cannot connect to a Wayland compositor\n");
        return 1;
    }
    wl_registry_add_listener(wl_display_get_registry(display), &registryListener, nullptr);
    wl_display_roundtrip(display);
    if (compositor == nullptr || shm == nullptr || wmBase == nullptr || inhibitManager == nullptr) {
        std::fprintf(stderr, "idle-inhibitor: the compositor lacks wl_compositor, wl_shm, xdg_wm_base or "
                             "zwp_idle_inhibit_manager_v1\n");
        return 1;
    }
    buffer = MakeBuffer();
    if (buffer == nullptr) {
        std::fprintf(stderr, "idle-inhibitor: no shared memory for a buffer\n");
        return 1;
    }
    surface = wl_compositor_create_surface(compositor);
    xdg_surface* xdgSurface = xdg_wm_base_get_xdg_surface(wmBase, surface);
    xdg_surface_add_listener(xdgSurface, &surfaceListener, nullptr);
    xdg_toplevel_set_title(xdg_surface_get_toplevel(xdgSurface), "idle inhibitor");
    zwp_idle_inhibit_manager_v1_create_inhibitor(inhibitManager, surface);
    wl_surface_commit(surface);
    while (!configured)
        if (wl_display_dispatch(display) < 0)
            return 1;
    if (wl_display_roundtrip(display) < 0)
        return 1;
    std::printf("inhibiting\n");
    std::fflush(stdout);
    while (wl_display_dispatch(display) >= 0) {
    }
    std::fprintf(stderr, "idle-inhibitor: lost the connection to the compositor\n");
    return 1;
}
