#include "wayland/wayland_client.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>

#include "engine/frame/frame_scaling.hpp"
#include "wayland/mutter_idle.hpp"

WaylandClient client;

namespace {

constexpr uint32_t bytesPerPixel = 4; // XRGB8888: the engine's 32-bit format, blue first in memory

template <typename Interface>
Interface* Bind(uint32_t name, const wl_interface* interface, uint32_t offered, uint32_t wanted)
{
    return static_cast<Interface*>(wl_registry_bind(client.registry, name, interface, std::min(offered, wanted)));
}

// --- shared memory

// A file in memory, mapped: false when the system has no room for it.
bool MakeSharedMemory(size_t size, int& fd, uint8_t*& memory)
{
    fd = memfd_create("aurilo", MFD_CLOEXEC);
    if (fd < 0)
        return false;
    void* mapped = MAP_FAILED;
    if (ftruncate(fd, static_cast<off_t>(size)) == 0)
        mapped = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (mapped == MAP_FAILED) {
        close(fd);
        fd = -1;
        return false;
    }
    memory = static_cast<uint8_t*>(mapped);
    return true;
}

void OnBufferRelease(void* data, wl_buffer* buffer)
{
    auto* view = static_cast<OutputView*>(data);
    for (ShmBuffer& held : view->buffers)
        if (held.buffer == buffer)
            held.busy = false;
    if (view->waitingForBuffer) {
        view->waitingForBuffer = false;
        view->ready = true;
    }
}

const wl_buffer_listener bufferListener { OnBufferRelease };

void ReleaseBuffers(OutputView& view)
{
    for (ShmBuffer& held : view.buffers)
        if (held.buffer != nullptr)
            wl_buffer_destroy(held.buffer);
    if (view.pool != nullptr)
        wl_shm_pool_destroy(view.pool);
    if (view.poolMemory != nullptr) {
        munmap(view.poolMemory, view.poolSize);
        close(view.poolFd);
    }
    std::memset(view.buffers, 0, sizeof view.buffers);
    view.pool = nullptr;
    view.poolMemory = nullptr;
    view.waitingForBuffer = false;
}

// Buffers of the layout's size, black: the image's surroundings stay so.
bool MakeBuffers(OutputView& view)
{
    ReleaseBuffers(view);
    const uint32_t stride = view.layout.bufferWidth * bytesPerPixel;
    const size_t bufferSize = size_t { stride } * view.layout.bufferHeight;
    view.poolSize = bufferSize * buffersPerView;
    if (!MakeSharedMemory(view.poolSize, view.poolFd, view.poolMemory))
        return false;
    view.pool = wl_shm_create_pool(client.shm, view.poolFd, static_cast<int32_t>(view.poolSize));
    for (int i = 0; i < buffersPerView; ++i) {
        ShmBuffer& held = view.buffers[i];
        held.pixels = view.poolMemory + bufferSize * i;
        held.buffer = wl_shm_pool_create_buffer(view.pool, static_cast<int32_t>(bufferSize * i),
            static_cast<int32_t>(view.layout.bufferWidth), static_cast<int32_t>(view.layout.bufferHeight),
            static_cast<int32_t>(stride), WL_SHM_FORMAT_XRGB8888);
        wl_buffer_add_listener(held.buffer, &bufferListener, &view);
    }
    return true;
}

// A black background of the view's size, in shared memory, where the
// compositor has no single pixel to stretch: sway 1.7 stretches a one-pixel
// buffer over an output a little short (its fixed-point step), leaving the
// last rows of the output uncovered. A new file reads as zeros: opaque black.
wl_buffer* MakeBlackBackground(uint32_t width, uint32_t height)
{
    const size_t size = size_t { width } * height * bytesPerPixel;
    int fd;
    uint8_t* memory;
    if (!MakeSharedMemory(size, fd, memory))
        return nullptr;
    munmap(memory, size);
    wl_shm_pool* pool = wl_shm_create_pool(client.shm, fd, static_cast<int32_t>(size));
    wl_buffer* black = wl_shm_pool_create_buffer(pool, 0, static_cast<int32_t>(width), static_cast<int32_t>(height),
        static_cast<int32_t>(width * bytesPerPixel), WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
    return black;
}

// The view's background buffer for this size: the compositor's one black
// pixel, or one of the view's own. The one it replaces goes once replaced.
bool AttachBlack(OutputView& view, uint32_t width, uint32_t height)
{
    wl_buffer* replaced = nullptr;
    if (client.black == nullptr && (view.black == nullptr || view.blackWidth != width || view.blackHeight != height)) {
        replaced = view.black;
        view.black = MakeBlackBackground(width, height);
        view.blackWidth = width;
        view.blackHeight = height;
        if (view.black == nullptr)
            return false;
    }
    wl_surface_attach(view.surface, client.black != nullptr ? client.black : view.black, 0, 0);
    wl_surface_commit(view.surface);
    if (replaced != nullptr)
        wl_buffer_destroy(replaced);
    return true;
}

// --- views

// Everything the view shows through; the output stays, described.
void DestroySurfaces(OutputView& view)
{
    if (client.pointerView == &view)
        client.pointerView = nullptr;
    if (client.pointerSurface != nullptr
        && (client.pointerSurface == view.surface || client.pointerSurface == view.imageSurface))
        client.pointerSurface = nullptr;
    if (view.frameCallback != nullptr)
        wl_callback_destroy(view.frameCallback);
    ReleaseBuffers(view);
    if (view.imageViewport != nullptr)
        wp_viewport_destroy(view.imageViewport);
    if (view.subsurface != nullptr)
        wl_subsurface_destroy(view.subsurface);
    if (view.imageSurface != nullptr)
        wl_surface_destroy(view.imageSurface);
    if (view.backgroundViewport != nullptr)
        wp_viewport_destroy(view.backgroundViewport);
    if (view.surface != nullptr)
        client.role->takeAway(view);
    if (view.surface != nullptr)
        wl_surface_destroy(view.surface);
    if (view.black != nullptr)
        wl_buffer_destroy(view.black);
    const Output output = view.output;
    view = OutputView {};
    view.used = true;
    view.output = output;
}

} // namespace

// The background fills the size, the image goes where the layout puts it, and
// the next frame is shown at once. 0 x 0: the output's size, or the image's.
void ApplyConfigure(OutputView& view, uint32_t width, uint32_t height)
{
    view.logicalWidth = width;
    view.logicalHeight = height;
    if (width == 0 || height == 0) {
        width = view.output.deviceWidth != 0 ? view.output.deviceWidth : imageWidth;
        height = view.output.deviceHeight != 0 ? view.output.deviceHeight : imageHeight;
    }
    // A window's device pixels are its logical ones; an output's are its mode.
    const uint32_t deviceWidth = view.output.deviceWidth != 0 ? view.output.deviceWidth : width;
    const uint32_t deviceHeight = view.output.deviceHeight != 0 ? view.output.deviceHeight : height;
    const OutputLayout layout = LayOutImage(deviceWidth, deviceHeight, width, height, client.options.maxScale,
        client.options.compositorScaling);
    const bool resized = !view.configured || layout.bufferWidth != view.layout.bufferWidth
        || layout.bufferHeight != view.layout.bufferHeight;
    view.layout = layout;
    wp_viewport_set_destination(view.backgroundViewport, static_cast<int32_t>(width), static_cast<int32_t>(height));
    wl_surface_damage_buffer(view.surface, 0, 0, INT32_MAX, INT32_MAX);
    wl_subsurface_set_position(view.subsurface, layout.x, layout.y);
    wl_surface_set_buffer_scale(view.imageSurface, layout.bufferScale);
    if (layout.viewport)
        wp_viewport_set_destination(view.imageViewport, static_cast<int32_t>(layout.width),
            static_cast<int32_t>(layout.height));
    else
        wp_viewport_set_destination(view.imageViewport, -1, -1);
    view.configured = true;
    // Without its buffers the view would wait for ever: the program ends instead.
    if (!AttachBlack(view, width, height) || (resized && !MakeBuffers(view))) {
        client.failure = "cannot make the shared memory for an output's buffers";
        return;
    }
    view.shownFrame = 0;
    view.ready = view.frameCallback == nullptr;
}

namespace {

// The background and the image above it; the role makes them what they are.
void CreateSurfaces(OutputView& view)
{
    view.surface = wl_compositor_create_surface(client.compositor);
    view.backgroundViewport = wp_viewporter_get_viewport(client.viewporter, view.surface);
    view.imageSurface = wl_compositor_create_surface(client.compositor);
    view.imageViewport = wp_viewporter_get_viewport(client.viewporter, view.imageSurface);
    view.subsurface = wl_subcompositor_get_subsurface(client.subcompositor, view.imageSurface, view.surface);
    // The image shows its frames as they come, not with the background's commits.
    wl_subsurface_set_desync(view.subsurface);
    client.role->give(view);
}

// --- outputs

void OnOutputGeometry(void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*, const char*, int32_t)
{
}

void OnOutputMode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t)
{
    auto* view = static_cast<OutputView*>(data);
    if ((flags & WL_OUTPUT_MODE_CURRENT) == 0)
        return;
    view->output.deviceWidth = static_cast<uint32_t>(width);
    view->output.deviceHeight = static_cast<uint32_t>(height);
}

// The output is described: it gets its toplevel while the saver shows, or a
// new layout for its new mode.
void OnOutputDone(void* data, wl_output*)
{
    auto* view = static_cast<OutputView*>(data);
    view->output.described = true;
    if (view->surface == nullptr && client.saverShown)
        CreateSurfaces(*view);
    else if (view->configured)
        ApplyConfigure(*view, view->logicalWidth, view->logicalHeight);
}

void OnOutputScale(void*, wl_output*, int32_t)
{
}

const wl_output_listener outputListener { .geometry = OnOutputGeometry, .mode = OnOutputMode, .done = OnOutputDone,
    .scale = OnOutputScale };

void AddOutput(uint32_t name, uint32_t version)
{
    if (client.options.window)
        return;
    for (OutputView& view : client.views) {
        if (view.used)
            continue;
        view = OutputView {};
        view.used = true;
        view.output.name = name;
        // Version 3 for release; before 2 there is no done event to wait for.
        view.output.proxy = Bind<wl_output>(name, &wl_output_interface, version, 3);
        wl_output_add_listener(view.output.proxy, &outputListener, &view);
        return;
    }
}

// --- input

// A role without listeners takes no input: the wallpaper leaves it all to the windows above it.
void OnSeatCapabilities(void*, wl_seat* seat, uint32_t capabilities)
{
    const bool hasKeyboard = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0 && client.role->keyboard != nullptr;
    const bool hasPointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0 && client.role->pointer != nullptr;
    if (hasKeyboard && client.keyboard == nullptr) {
        client.keyboard = wl_seat_get_keyboard(seat);
        wl_keyboard_add_listener(client.keyboard, client.role->keyboard, nullptr);
    } else if (!hasKeyboard && client.keyboard != nullptr) {
        wl_keyboard_release(client.keyboard);
        client.keyboard = nullptr;
    }
    if (hasPointer && client.pointer == nullptr) {
        client.pointer = wl_seat_get_pointer(seat);
        wl_pointer_add_listener(client.pointer, client.role->pointer, nullptr);
    } else if (!hasPointer && client.pointer != nullptr) {
        wl_pointer_release(client.pointer);
        client.pointer = nullptr;
    }
}

void OnSeatName(void*, wl_seat*, const char*) { }

const wl_seat_listener seatListener { OnSeatCapabilities, OnSeatName };

// --- idle sources: either one's events, as flags the main loop follows

void OnIdled(void*, ext_idle_notification_v1*)
{
    client.idleBegan = true;
}

void OnResumed(void*, ext_idle_notification_v1*)
{
    client.idleBegan = false;
}

const ext_idle_notification_v1_listener idleListener { OnIdled, OnResumed };

void OnKdeIdle(void*, org_kde_kwin_idle_timeout*)
{
    client.idleBegan = true;
}

void OnKdeResumed(void*, org_kde_kwin_idle_timeout*)
{
    client.idleBegan = false;
}

const org_kde_kwin_idle_timeout_listener kdeIdleListener { OnKdeIdle, OnKdeResumed };

// The first idle source the session offers: the compositor's, on the seat,
// else GNOME's on the session bus; false with a one-line reason when there is none.
bool WatchIdle(std::string& error)
{
    const uint32_t milliseconds = client.options.idleSeconds * 1000;
    if (client.idleNotifier != nullptr && client.seat != nullptr) {
        client.idleNotification
            = ext_idle_notifier_v1_get_idle_notification(client.idleNotifier, milliseconds, client.seat);
        ext_idle_notification_v1_add_listener(client.idleNotification, &idleListener, nullptr);
    } else if (client.kdeIdle != nullptr && client.seat != nullptr) {
        client.kdeIdleTimeout = org_kde_kwin_idle_get_idle_timeout(client.kdeIdle, client.seat, milliseconds);
        org_kde_kwin_idle_timeout_add_listener(client.kdeIdleTimeout, &kdeIdleListener, nullptr);
    } else if (client.idleNotifier != nullptr || client.kdeIdle != nullptr) {
        error = "-idle needs a seat, which this compositor lacks";
    } else if (!WatchMutterIdle(milliseconds)) {
        error = "-idle needs ext_idle_notifier_v1, org_kde_kwin_idle or org.gnome.Mutter.IdleMonitor, "
                "which this session lacks";
    }
    return error.empty();
}

void StopWatchingIdle()
{
    if (client.idleNotification != nullptr)
        ext_idle_notification_v1_destroy(client.idleNotification);
    if (client.kdeIdleTimeout != nullptr)
        org_kde_kwin_idle_timeout_release(client.kdeIdleTimeout);
    if (client.idleNotifier != nullptr)
        ext_idle_notifier_v1_destroy(client.idleNotifier);
    if (client.kdeIdle != nullptr)
        org_kde_kwin_idle_destroy(client.kdeIdle);
    StopWatchingMutterIdle();
}

// --- globals

void OnGlobal(void*, wl_registry*, uint32_t name, const char* interface, uint32_t version)
{
    const std::string_view offered(interface);
    if (offered == wl_compositor_interface.name)
        client.compositor = Bind<wl_compositor>(name, &wl_compositor_interface, version, 4);
    else if (offered == wl_subcompositor_interface.name)
        client.subcompositor = Bind<wl_subcompositor>(name, &wl_subcompositor_interface, version, 1);
    else if (offered == wl_shm_interface.name)
        client.shm = Bind<wl_shm>(name, &wl_shm_interface, version, 1);
    else if (offered == wp_viewporter_interface.name)
        client.viewporter = Bind<wp_viewporter>(name, &wp_viewporter_interface, version, 1);
    else if (offered == wp_single_pixel_buffer_manager_v1_interface.name)
        client.singlePixel = Bind<wp_single_pixel_buffer_manager_v1>(name,
            &wp_single_pixel_buffer_manager_v1_interface, version, 1);
    else if (offered == wl_seat_interface.name && client.seat == nullptr) {
        client.seat = Bind<wl_seat>(name, &wl_seat_interface, version, 5);
        wl_seat_add_listener(client.seat, &seatListener, nullptr);
    } else if (offered == wl_output_interface.name)
        AddOutput(name, version);
    else if (offered == ext_idle_notifier_v1_interface.name && client.options.idleSeconds != 0)
        client.idleNotifier = Bind<ext_idle_notifier_v1>(name, &ext_idle_notifier_v1_interface, version, 1);
    else if (offered == org_kde_kwin_idle_interface.name && client.options.idleSeconds != 0)
        client.kdeIdle = Bind<org_kde_kwin_idle>(name, &org_kde_kwin_idle_interface, version, 1);
    else if (client.role->bindGlobal != nullptr)
        client.role->bindGlobal(client.registry, name, offered, version);
}

// An output that goes takes its view with it; the others go on.
void OnGlobalRemove(void*, wl_registry*, uint32_t name)
{
    for (OutputView& view : client.views)
        if (view.used && view.output.name == name)
            DestroyView(view);
}

const wl_registry_listener registryListener { OnGlobal, OnGlobalRemove };

// The core's own, and the one the role may lack, in the order the protocols build on each other.
std::string MissingGlobals()
{
    std::string missing;
    const char* lackedByRole = client.role->lackedGlobal != nullptr ? client.role->lackedGlobal() : nullptr;
    const std::pair<bool, const char*> needed[] = {
        { client.compositor != nullptr, wl_compositor_interface.name },
        { client.subcompositor != nullptr, wl_subcompositor_interface.name },
        { client.shm != nullptr, wl_shm_interface.name },
        { lackedByRole == nullptr, lackedByRole },
        { client.viewporter != nullptr, wp_viewporter_interface.name },
    };
    for (const auto& [bound, name] : needed)
        if (!bound)
            missing += (missing.empty() ? "" : ", ") + std::string(name);
    return missing;
}

} // namespace

void DestroyView(OutputView& view)
{
    DestroySurfaces(view);
    if (view.output.proxy != nullptr)
        wl_output_release(view.output.proxy);
    view = OutputView {};
}

size_t ViewIndex(const OutputView& view)
{
    return static_cast<size_t>(&view - client.views);
}

OutputView* ViewOf(wl_surface* surface)
{
    for (OutputView& view : client.views)
        if (surface != nullptr && view.used && (view.surface == surface || view.imageSurface == surface))
            return &view;
    return nullptr;
}

bool ConnectToCompositor(std::string& error)
{
    // libwayland would say this in a line of its own before ours.
    const char* name = getenv("WAYLAND_DISPLAY");
    const char* runtime = getenv("XDG_RUNTIME_DIR");
    if (getenv("WAYLAND_SOCKET") == nullptr && (name == nullptr || name[0] != '/')
        && (runtime == nullptr || runtime[0] != '/')) {
        error = "cannot connect to a Wayland compositor: XDG_RUNTIME_DIR is not set to an absolute path";
        return false;
    }
    client.display = wl_display_connect(nullptr);
    if (client.display == nullptr) {
        error = std::string("cannot connect to a Wayland compositor (WAYLAND_DISPLAY=") + (name ? name : "unset") + ")";
        return false;
    }
    client.saverShown = client.options.idleSeconds == 0;
    client.registry = wl_display_get_registry(client.display);
    wl_registry_add_listener(client.registry, &registryListener, nullptr);
    if (wl_display_roundtrip(client.display) < 0) {
        error = "lost the connection to the compositor";
        return false;
    }
    if (client.role->hasWhatItNeeds != nullptr && !client.role->hasWhatItNeeds(error))
        return false;
    if (client.options.idleSeconds != 0 && !WatchIdle(error))
        return false;
    const std::string missing = MissingGlobals();
    if (!missing.empty()) {
        error = "the compositor does not offer " + missing;
        return false;
    }
    if (client.singlePixel != nullptr)
        client.black
            = wp_single_pixel_buffer_manager_v1_create_u32_rgba_buffer(client.singlePixel, 0, 0, 0, UINT32_MAX);
    // Shown at once: the role hears of it before any output has its surface.
    if (client.saverShown && client.role->onShow != nullptr)
        client.role->onShow();
    return true;
}

void CreateWindowView()
{
    OutputView& view = client.views[0];
    view = OutputView {};
    view.used = true;
    CreateSurfaces(view);
}

void ShowSaver()
{
    if (client.saverShown)
        return;
    client.saverShown = true;
    if (client.role->onShow != nullptr)
        client.role->onShow();
    for (OutputView& view : client.views)
        if (view.used && view.output.described)
            CreateSurfaces(view);
}

// As when an output goes, less the output itself.
void HideSaver()
{
    client.saverShown = false;
    for (OutputView& view : client.views)
        if (view.used)
            DestroySurfaces(view);
}

// A session the role holds is left as it is: the compositor keeps a lock
// whose locker has gone.
void DisconnectFromCompositor()
{
    if (client.display == nullptr)
        return;
    if (client.role->holdsSession != nullptr && client.role->holdsSession()) {
        wl_display_disconnect(client.display);
        client.display = nullptr;
        return;
    }
    for (OutputView& view : client.views)
        if (view.used)
            DestroyView(view);
    StopWatchingIdle();
    wl_display_disconnect(client.display);
    client.display = nullptr;
}

namespace {

void OnFrameDone(void* data, wl_callback* callback, uint32_t)
{
    auto* view = static_cast<OutputView*>(data);
    wl_callback_destroy(callback);
    view->frameCallback = nullptr;
    view->ready = true;
}

const wl_callback_listener frameListener { OnFrameDone };

void BlowUp(const OutputView& view, const FrameBuffer& frame, uint8_t* pixels)
{
    const uint32_t stride = view.layout.bufferWidth * bytesPerPixel;
    uint8_t* at = pixels + size_t { view.layout.imageY } * stride + size_t { view.layout.imageX } * bytesPerPixel;
    if (client.options.compositorScaling)
        ScaleFrame(frame, at, stride, imageWidth, imageHeight);
    else
        ScaleFrame(frame, at, stride, view.layout.fit.width, view.layout.fit.height);
}

} // namespace

void ShowFrame(OutputView& view, const FrameBuffer& frame, uint64_t frameNumber)
{
    ShmBuffer* spare = nullptr;
    for (ShmBuffer& held : view.buffers)
        if (held.buffer != nullptr && !held.busy)
            spare = &held;
    if (spare == nullptr) {
        view.waitingForBuffer = true;
        return;
    }
    BlowUp(view, frame, spare->pixels);
    if (client.role->drawOver != nullptr)
        client.role->drawOver(view, spare->pixels, view.layout.bufferWidth * bytesPerPixel);
    wl_surface_attach(view.imageSurface, spare->buffer, 0, 0);
    wl_surface_damage_buffer(view.imageSurface, 0, 0, INT32_MAX, INT32_MAX);
    view.frameCallback = wl_surface_frame(view.imageSurface);
    wl_callback_add_listener(view.frameCallback, &frameListener, &view);
    wl_surface_commit(view.imageSurface);
    if (client.role->commitsBackgroundWithEachFrame)
        wl_surface_commit(view.surface);
    spare->busy = true;
    view.shownFrame = frameNumber;
}

void ShowLatestFrameAgain()
{
    for (OutputView& view : client.views) {
        if (!view.used || !view.configured)
            continue;
        view.shownFrame = 0;
        view.ready = view.frameCallback == nullptr && !view.waitingForBuffer;
    }
}

OutputView* TakeReadyView()
{
    for (OutputView& view : client.views) {
        if (view.used && view.ready) {
            view.ready = false;
            return &view;
        }
    }
    return nullptr;
}

bool EveryViewPresented(uint64_t frameNumber)
{
    bool any = false;
    for (const OutputView& view : client.views) {
        if (!view.used)
            continue;
        if (view.shownFrame != frameNumber || view.frameCallback != nullptr || view.waitingForBuffer)
            return false;
        any = true;
    }
    return any;
}
