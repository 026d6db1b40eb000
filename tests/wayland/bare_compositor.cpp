// A compositor that offers shared memory and nothing else, so that the
// client's words for a compositor it cannot use can be seen. With --output it
// also offers what the client needs to show full screen on one 1920x1080
// output, presents each commit at once but releases its buffer only 20 ms
// later, so that the client waits for a buffer, and on SIGUSR1 gives the output a new
// mode, 3840x2160 at scale 2, with no configure: the same logical size, which
// compositors may leave at that. With --lock-then-finish it offers that and
// a session lock, which it says is locked and then ends by its own means at
// once; with --lock-never, a lock it never answers; with --keys-before-locked,
// a keyboard that does not repeat, on which "secret" and Return are typed into
// the lock surface before the lock is said to be locked, 1 s later, and again
// after that, its "s" held for 1 s; the lock is ended 1 s later, or, unlocked,
// the compositor goes;
// --garbled-keymap does the same with a keymap that is none. With --layers it offers two outputs and a
// layer shell, and closes the first layer surface 1 s after the second is
// made. Prints the name of its socket in
// $XDG_RUNTIME_DIR, then serves until it is ended.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

#include <wayland-server.h>
#include <xkbcommon/xkbcommon.h>

#include "ext-session-lock-v1-server.h"
#include "viewporter-server.h"
#include "wlr-layer-shell-unstable-v1-server.h"
#include "xdg-shell-server.h"

namespace {

// What a surface has pending until its commit, and its toplevel's first configure.
struct Surface {
    wl_resource* buffer = nullptr;
    std::vector<wl_resource*> callbacks;
    wl_resource* xdgSurface = nullptr;
    wl_resource* toplevel = nullptr;
    wl_resource* layer = nullptr;
    bool configured = false;
};

std::vector<wl_resource*> outputs;
uint32_t serial = 0;

// Buffers presented and not yet released; one the client destroys leaves the list.
struct HeldBuffer {
    wl_listener destroyed;
    wl_resource* buffer;
};
std::vector<HeldBuffer*> held;
wl_event_source* releaseTimer = nullptr;

void Unhold(HeldBuffer* buffer)
{
    wl_list_remove(&buffer->destroyed.link);
    std::erase(held, buffer);
    delete buffer;
}

int ReleaseHeldBuffers(void*)
{
    for (; !held.empty(); Unhold(held.front()))
        wl_buffer_send_release(held.front()->buffer);
    return 0;
}

void ReleaseLater(wl_resource* buffer)
{
    auto* holding = new HeldBuffer { {}, buffer };
    holding->destroyed.notify = [](wl_listener* listener, void*) {
        Unhold(wl_container_of(listener, static_cast<HeldBuffer*>(nullptr), destroyed));
    };
    wl_resource_add_destroy_listener(buffer, &holding->destroyed);
    held.push_back(holding);
    wl_event_source_timer_update(releaseTimer, 20);
}

void DestroyResource(wl_client*, wl_resource* resource)
{
    wl_resource_destroy(resource);
}

template <typename Implementation>
wl_resource* Create(wl_client* client, const wl_interface* interface, int version, uint32_t id,
    const Implementation* implementation, void* data = nullptr, wl_resource_destroy_func_t destroy = nullptr)
{
    wl_resource* resource = wl_resource_create(client, interface, version, id);
    wl_resource_set_implementation(resource, implementation, data, destroy);
    return resource;
}

Surface* SurfaceOf(wl_resource* surface)
{
    return static_cast<Surface*>(wl_resource_get_user_data(surface));
}

// --- surfaces: each commit is presented at once, and its buffer released a little later

void Attach(wl_client*, wl_resource* surface, wl_resource* buffer, int32_t, int32_t)
{
    SurfaceOf(surface)->buffer = buffer;
}

void Frame(wl_client* client, wl_resource* surface, uint32_t id)
{
    SurfaceOf(surface)->callbacks.push_back(wl_resource_create(client, &wl_callback_interface, 1, id));
}

void Commit(wl_client*, wl_resource* resource)
{
    Surface* surface = SurfaceOf(resource);
    if (surface->toplevel != nullptr && !surface->configured) {
        wl_array states;
        wl_array_init(&states);
        *static_cast<uint32_t*>(wl_array_add(&states, sizeof(uint32_t))) = XDG_TOPLEVEL_STATE_FULLSCREEN;
        xdg_toplevel_send_configure(surface->toplevel, 1920, 1080, &states);
        xdg_surface_send_configure(surface->xdgSurface, ++serial);
        wl_array_release(&states);
        surface->configured = true;
    }
    if (surface->layer != nullptr && !surface->configured) {
        zwlr_layer_surface_v1_send_configure(surface->layer, ++serial, 1920, 1080);
        surface->configured = true;
    }
    if (surface->buffer != nullptr)
        ReleaseLater(surface->buffer);
    surface->buffer = nullptr;
    for (wl_resource* callback : surface->callbacks) {
        wl_callback_send_done(callback, 0);
        wl_resource_destroy(callback);
    }
    surface->callbacks.clear();
}

void IgnoreDamage(wl_client*, wl_resource*, int32_t, int32_t, int32_t, int32_t) { }
void IgnoreScale(wl_client*, wl_resource*, int32_t) { }

// Implementations name only the requests the client makes.
void IgnoreRegion(wl_client*, wl_resource*, wl_resource*) { }

const struct wl_surface_interface surfaceImplementation { .destroy = DestroyResource, .attach = Attach,
    .frame = Frame, .set_input_region = IgnoreRegion, .commit = Commit, .set_buffer_scale = IgnoreScale,
    .damage_buffer = IgnoreDamage };

wl_resource* lockedSurface = nullptr; // the lock surface's, to type into

void DeleteSurface(wl_resource* resource)
{
    if (resource == lockedSurface)
        lockedSurface = nullptr;
    delete SurfaceOf(resource);
}

void CreateSurface(wl_client* client, wl_resource* compositor, uint32_t id)
{
    Create(client, &wl_surface_interface, wl_resource_get_version(compositor), id, &surfaceImplementation,
        new Surface, DeleteSurface);
}

void IgnoreRectangle(wl_client*, wl_resource*, int32_t, int32_t, int32_t, int32_t) { }

const struct wl_region_interface regionImplementation { DestroyResource, IgnoreRectangle, IgnoreRectangle };

void CreateRegion(wl_client* client, wl_resource* compositor, uint32_t id)
{
    Create(client, &wl_region_interface, wl_resource_get_version(compositor), id, &regionImplementation);
}

const struct wl_compositor_interface compositorImplementation { .create_surface = CreateSurface,
    .create_region = CreateRegion };

// --- subsurfaces and viewports: their places and sizes do not matter here

void IgnoreDesync(wl_client*, wl_resource*) { }
void IgnorePosition(wl_client*, wl_resource*, int32_t, int32_t) { }

const struct wl_subsurface_interface subsurfaceImplementation { .destroy = DestroyResource,
    .set_position = IgnorePosition, .set_desync = IgnoreDesync };

void GetSubsurface(wl_client* client, wl_resource*, uint32_t id, wl_resource*, wl_resource*)
{
    Create(client, &wl_subsurface_interface, 1, id, &subsurfaceImplementation);
}

const struct wl_subcompositor_interface subcompositorImplementation { DestroyResource, GetSubsurface };

const struct wp_viewport_interface viewportImplementation { .destroy = DestroyResource,
    .set_destination = IgnorePosition };

void GetViewport(wl_client* client, wl_resource*, uint32_t id, wl_resource*)
{
    Create(client, &wp_viewport_interface, 1, id, &viewportImplementation);
}

const struct wp_viewporter_interface viewporterImplementation { DestroyResource, GetViewport };

// --- xdg-shell: one full-screen toplevel a surface, configured at its first commit

void IgnoreString(wl_client*, wl_resource*, const char*) { }
void IgnoreOutput(wl_client*, wl_resource*, wl_resource*) { }
void IgnoreSerial(wl_client*, wl_resource*, uint32_t) { }

const struct xdg_toplevel_interface toplevelImplementation { .destroy = DestroyResource, .set_title = IgnoreString,
    .set_app_id = IgnoreString, .set_fullscreen = IgnoreOutput };

void GetToplevel(wl_client* client, wl_resource* xdgSurface, uint32_t id)
{
    Surface* surface = static_cast<Surface*>(wl_resource_get_user_data(xdgSurface));
    surface->toplevel = Create(client, &xdg_toplevel_interface, 1, id, &toplevelImplementation);
}

const struct xdg_surface_interface xdgSurfaceImplementation { .destroy = DestroyResource,
    .get_toplevel = GetToplevel, .ack_configure = IgnoreSerial };

void GetXdgSurface(wl_client* client, wl_resource*, uint32_t id, wl_resource* surface)
{
    SurfaceOf(surface)->xdgSurface
        = Create(client, &xdg_surface_interface, 1, id, &xdgSurfaceImplementation, SurfaceOf(surface));
}

const struct xdg_wm_base_interface wmBaseImplementation { .destroy = DestroyResource,
    .get_xdg_surface = GetXdgSurface, .pong = IgnoreSerial };

// --- the output

void SendMode(wl_resource* output, int32_t width, int32_t height, int32_t scale)
{
    wl_output_send_mode(output, WL_OUTPUT_MODE_CURRENT, width, height, 60000);
    wl_output_send_scale(output, scale);
    wl_output_send_done(output);
}

void ForgetOutput(wl_resource* output)
{
    std::erase(outputs, output);
}

const struct wl_output_interface outputImplementation { DestroyResource };

void BindOutput(wl_client* client, void*, uint32_t version, uint32_t id)
{
    wl_resource* output = Create(client, &wl_output_interface, static_cast<int>(version), id,
        &outputImplementation, nullptr, ForgetOutput);
    wl_output_send_geometry(output, 0, 0, 0, 0, WL_OUTPUT_SUBPIXEL_UNKNOWN, "bare", "output",
        WL_OUTPUT_TRANSFORM_NORMAL);
    SendMode(output, 1920, 1080, 1);
    outputs.push_back(output);
}

int ChangeMode(int, void*)
{
    for (wl_resource* output : outputs)
        SendMode(output, 3840, 2160, 2);
    return 0;
}

template <const wl_interface* interface, auto implementation>
void Bind(wl_client* client, void*, uint32_t version, uint32_t id)
{
    Create(client, interface, static_cast<int>(version), id, implementation);
}

void OfferOutput(wl_display* display)
{
    wl_global_create(display, &wl_compositor_interface, 4, nullptr,
        Bind<&wl_compositor_interface, &compositorImplementation>);
    wl_global_create(display, &wl_subcompositor_interface, 1, nullptr,
        Bind<&wl_subcompositor_interface, &subcompositorImplementation>);
    wl_global_create(display, &wp_viewporter_interface, 1, nullptr,
        Bind<&wp_viewporter_interface, &viewporterImplementation>);
    wl_global_create(display, &xdg_wm_base_interface, 1, nullptr, Bind<&xdg_wm_base_interface, &wmBaseImplementation>);
    wl_global_create(display, &wl_output_interface, 3, nullptr, BindOutput);
    wl_event_loop_add_signal(wl_display_get_event_loop(display), SIGUSR1, ChangeMode, nullptr);
    releaseTimer = wl_event_loop_add_timer(wl_display_get_event_loop(display), ReleaseHeldBuffers, nullptr);
}

// --- a layer shell, whose first layer surface is closed 1 s after the second is made

std::vector<wl_resource*> layers;
wl_event_source* closeTimer = nullptr;

int CloseFirstLayer(void*)
{
    if (!layers.empty())
        zwlr_layer_surface_v1_send_closed(layers.front());
    return 0;
}

void ForgetLayer(wl_resource* layer)
{
    std::erase(layers, layer);
}

const struct zwlr_layer_surface_v1_interface layerSurfaceImplementation { .set_anchor = IgnoreSerial,
    .set_exclusive_zone = IgnoreScale, .set_keyboard_interactivity = IgnoreSerial, .ack_configure = IgnoreSerial,
    .destroy = DestroyResource };

void GetLayerSurface(wl_client* client, wl_resource*, uint32_t id, wl_resource* surface, wl_resource*, uint32_t,
    const char*)
{
    wl_resource* layer
        = Create(client, &zwlr_layer_surface_v1_interface, 1, id, &layerSurfaceImplementation, nullptr, ForgetLayer);
    SurfaceOf(surface)->layer = layer;
    layers.push_back(layer);
    if (layers.size() == 2)
        wl_event_source_timer_update(closeTimer, 1000);
}

const struct zwlr_layer_shell_v1_interface layerShellImplementation { .get_layer_surface = GetLayerSurface };

// --- a keyboard with the default keymap (us)

wl_resource* keyboard = nullptr;
bool keymapGarbled = false;

const struct wl_keyboard_interface keyboardImplementation { DestroyResource };

// The keymap as the protocol hands it over: a file, its text ending in a NUL.
void GetKeyboard(wl_client* client, wl_resource* seat, uint32_t id)
{
    keyboard = Create(client, &wl_keyboard_interface, wl_resource_get_version(seat), id, &keyboardImplementation,
        nullptr, [](wl_resource*) { keyboard = nullptr; });
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    xkb_keymap* keymap = context != nullptr ? xkb_keymap_new_from_names(context, nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS)
                                            : nullptr;
    char* text = keymap != nullptr ? xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1) : nullptr;
    const int fd = memfd_create("keymap", MFD_CLOEXEC);
    const char* sent = keymapGarbled ? "xkb_keymap { not a keymap" : text;
    const size_t size = sent != nullptr ? std::strlen(sent) + 1 : 0;
    if (size == 0 || fd < 0 || write(fd, sent, size) != static_cast<ssize_t>(size)) {
        std::fprintf(stderr, "bare-compositor: cannot make a keymap\n");
        std::exit(1);
    }
    wl_keyboard_send_keymap(keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd, static_cast<uint32_t>(size));
    wl_keyboard_send_repeat_info(keyboard, 0, 600);
    close(fd);
    std::free(text);
    xkb_keymap_unref(keymap);
    xkb_context_unref(context);
}

void IgnorePointer(wl_client*, wl_resource*, uint32_t) { }

const struct wl_seat_interface seatImplementation { .get_pointer = IgnorePointer, .get_keyboard = GetKeyboard,
    .release = DestroyResource };

void BindSeat(wl_client* client, void*, uint32_t version, uint32_t id)
{
    wl_resource* seat = Create(client, &wl_seat_interface, static_cast<int>(version), id, &seatImplementation);
    wl_seat_send_capabilities(seat, WL_SEAT_CAPABILITY_KEYBOARD);
}

const uint32_t keyS = 31;

void SendKey(uint32_t key, uint32_t state)
{
    wl_keyboard_send_key(keyboard, ++serial, 0, key, state);
}

// What follows the "s" of "secret", and Return, as evdev numbers them.
void TypeEcret()
{
    static const uint32_t keys[] { 18, 46, 19, 18, 20, 28 };
    for (uint32_t key : keys)
        for (uint32_t state : { WL_KEYBOARD_KEY_STATE_PRESSED, WL_KEYBOARD_KEY_STATE_RELEASED })
            SendKey(key, state);
}

// --- a session lock: locked and ended at once, never answered, or keys first

enum class LockAnswer { lockedThenFinished, never, keysFirst };
LockAnswer lockAnswer = LockAnswer::lockedThenFinished;
wl_resource* heldLock = nullptr;
wl_event_source* lockTimer = nullptr;

const struct ext_session_lock_surface_v1_interface lockSurfaceImplementation { .destroy = DestroyResource,
    .ack_configure = IgnoreSerial };

// Keys on the lock surface, locked, keys again with the first held, finished: 1 s apart.
int NextLockStep(void*)
{
    static int step = 0;
    if (heldLock == nullptr)
        return 0;
    wl_array none;
    wl_array_init(&none);
    if (step == 1) {
        ext_session_lock_v1_send_locked(heldLock);
    } else if (step == 4) {
        ext_session_lock_v1_send_finished(heldLock);
    } else if (keyboard != nullptr && lockedSurface != nullptr) {
        if (step == 0)
            wl_keyboard_send_enter(keyboard, ++serial, lockedSurface, &none);
        if (step != 3)
            SendKey(keyS, WL_KEYBOARD_KEY_STATE_PRESSED);
        if (step != 2) {
            SendKey(keyS, WL_KEYBOARD_KEY_STATE_RELEASED);
            TypeEcret();
        }
    }
    if (++step < 5)
        wl_event_source_timer_update(lockTimer, 1000);
    return 0;
}

void GetLockSurface(wl_client* client, wl_resource*, uint32_t id, wl_resource* surface, wl_resource*)
{
    wl_resource* lockSurface = Create(client, &ext_session_lock_surface_v1_interface, 1, id, &lockSurfaceImplementation);
    if (lockAnswer != LockAnswer::keysFirst)
        return;
    ext_session_lock_surface_v1_send_configure(lockSurface, ++serial, 1920, 1080);
    lockedSurface = surface;
    wl_event_source_timer_update(lockTimer, 300);
}

// Unlocked, it goes at once, as a compositor that crashes at that moment would.
void UnlockAndGo(wl_client*, wl_resource*)
{
    std::exit(0);
}

void ForgetLock(wl_resource* lock)
{
    if (lock == heldLock)
        heldLock = nullptr;
}

const struct ext_session_lock_v1_interface lockImplementation { .destroy = DestroyResource,
    .get_lock_surface = GetLockSurface, .unlock_and_destroy = UnlockAndGo };

void Lock(wl_client* client, wl_resource*, uint32_t id)
{
    wl_resource* lock = Create(client, &ext_session_lock_v1_interface, 1, id, &lockImplementation, nullptr, ForgetLock);
    if (lockAnswer == LockAnswer::keysFirst)
        heldLock = lock;
    if (lockAnswer != LockAnswer::lockedThenFinished)
        return;
    ext_session_lock_v1_send_locked(lock);
    ext_session_lock_v1_send_finished(lock);
}

const struct ext_session_lock_manager_v1_interface lockManagerImplementation { .destroy = DestroyResource,
    .lock = Lock };

} // namespace

int main(int argc, char** argv)
{
    wl_display* display = wl_display_create();
    const char* socket = display != nullptr ? wl_display_add_socket_auto(display) : nullptr;
    if (socket == nullptr || wl_display_init_shm(display) != 0)
        return 1;
    const char* mode = argc > 1 ? argv[1] : "";
    if (std::strcmp(mode, "--lock-never") == 0)
        lockAnswer = LockAnswer::never;
    keymapGarbled = std::strcmp(mode, "--garbled-keymap") == 0;
    if (std::strcmp(mode, "--keys-before-locked") == 0 || keymapGarbled)
        lockAnswer = LockAnswer::keysFirst;
    const bool locks = std::strcmp(mode, "--lock-then-finish") == 0 || std::strcmp(mode, "--lock-never") == 0
        || lockAnswer == LockAnswer::keysFirst;
    const bool layered = std::strcmp(mode, "--layers") == 0;
    if (locks || layered || std::strcmp(mode, "--output") == 0)
        OfferOutput(display);
    if (layered) {
        wl_global_create(display, &wl_output_interface, 3, nullptr, BindOutput);
        wl_global_create(display, &zwlr_layer_shell_v1_interface, 1, nullptr,
            Bind<&zwlr_layer_shell_v1_interface, &layerShellImplementation>);
        closeTimer = wl_event_loop_add_timer(wl_display_get_event_loop(display), CloseFirstLayer, nullptr);
    }
    if (locks)
        wl_global_create(display, &ext_session_lock_manager_v1_interface, 1, nullptr,
            Bind<&ext_session_lock_manager_v1_interface, &lockManagerImplementation>);
    if (lockAnswer == LockAnswer::keysFirst) {
        wl_global_create(display, &wl_seat_interface, 5, nullptr, BindSeat);
        lockTimer = wl_event_loop_add_timer(wl_display_get_event_loop(display), NextLockStep, nullptr);
    }
    std::printf("%s\n", socket);
    std::fflush(stdout);
    wl_display_run(display);
    return 0;
}
