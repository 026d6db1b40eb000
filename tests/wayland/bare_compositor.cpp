// A compositor that offers shared memory and nothing else, so that the
// client's words for a compositor it cannot use can be seen. Prints the name
// of its socket in $XDG_RUNTIME_DIR, then serves until it is ended.
#include <cstdio>

#include <wayland-server.h>

int main()
{
    wl_display* display = wl_display_create();
    const char* socket = display != nullptr ? wl_display_add_socket_auto(display) : nullptr;
    if (socket == nullptr || wl_display_init_shm(display) != 0)
        return 1;
    std::printf("%s\n", socket);
    std::fflush(stdout);
    wl_display_run(display);
    return 0;
}
