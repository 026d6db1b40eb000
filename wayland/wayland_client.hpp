// The core the saver's ways of appearing share: the compositor's globals, one
// view for each output (a black background, a single pixel stretched by a
// viewport, with the image in a subsurface above it), their buffers and the
// frame path, and the seat. The run's role (view_role.hpp) gives each view's
// background its place and takes the input: a full-screen toplevel or an
// ordinary window (toplevel_role.cpp, with the close rules in
// saver_input.cpp), the session's lock (lock/) or a layer of the desktop's
// background (background_role.cpp). With -idle the views have surfaces only
// while the session is idle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <wayland-client.h>

#include "ext-idle-notify-v1-client.h"
#include "idle-client.h"
#include "single-pixel-buffer-v1-client.h"
#include "viewporter-client.h"

#include "engine/frame/buffer_frame_cycle.hpp"
#include "engine/input/pointer_travel.hpp"
#include "wayland/output_layout.hpp"
#include "wayland/view_role.hpp"
#include "wayland/wayland_options.hpp"

struct ShmBuffer {
    wl_buffer* buffer;
    uint8_t* pixels;
    bool busy; // the compositor still reads it
};

constexpr int buffersPerView = 2;

// An output as the compositor describes it: kept while the saver hides.
struct Output {
    uint32_t name; // the wl_output's registry name
    wl_output* proxy;
    uint32_t deviceWidth; // the current mode
    uint32_t deviceHeight;
    bool described; // its first done came
};

// What shows the saver on an output (or in the window, which has no output).
struct OutputView {
    bool used;
    Output output;
    wl_surface* surface; // black, the size of the output
    wl_buffer* black; // its own black buffer, where the compositor has no single pixel
    uint32_t blackWidth;
    uint32_t blackHeight;
    wp_viewport* backgroundViewport;
    wl_surface* imageSurface;
    wl_subsurface* subsurface;
    wp_viewport* imageViewport;
    uint32_t logicalWidth; // the size laid out last; 0 x 0 for the output's
    uint32_t logicalHeight;
    bool configured;
    OutputLayout layout;
    int poolFd;
    uint8_t* poolMemory;
    size_t poolSize;
    wl_shm_pool* pool;
    ShmBuffer buffers[buffersPerView];
    wl_callback* frameCallback;
    uint64_t shownFrame; // the engine frame it shows; 0 for none yet
    bool waitingForBuffer;
    bool ready; // it may show a frame: configured, and no frame callback or buffer awaited
};

constexpr int maxViews = 16;

struct WaylandClient {
    WaylandOptions options;
    const ViewRole* role;
    wl_display* display;
    wl_registry* registry;
    wl_compositor* compositor;
    wl_subcompositor* subcompositor;
    wl_shm* shm;
    wp_viewporter* viewporter;
    wp_single_pixel_buffer_manager_v1* singlePixel;
    wl_buffer* black; // one opaque black pixel, shared by every background; null where the compositor has none
    ext_idle_notifier_v1* idleNotifier;
    org_kde_kwin_idle* kdeIdle;
    ext_idle_notification_v1* idleNotification;
    org_kde_kwin_idle_timeout* kdeIdleTimeout;
    wl_seat* seat;
    wl_keyboard* keyboard;
    wl_pointer* pointer;
    wl_surface* pointerSurface; // where the pointer is
    OutputView* pointerView; // where the pointer first entered; null until it does
    ScreenPoint pointerReference; // there, in the view's logical pixels
    OutputView views[maxViews];
    bool saverShown; // the outputs have their views' surfaces
    bool closeRequested; // input closed the saver, or its window was closed
    bool idleBegan; // the session became idle and has not resumed since
    const char* failure; // why it cannot go on, when it cannot: the program ends with it
};

extern WaylandClient client;

OutputView* ViewOf(wl_surface* surface);
// Its place in client.views, where a role keeps what it made for it.
size_t ViewIndex(const OutputView& view);
// Its surfaces and its output, all gone: the output went, or its layer was closed.
void DestroyView(OutputView& view);
// A role's configure: the view takes the size (logical) and shows the next frame.
void ApplyConfigure(OutputView& view, uint32_t width, uint32_t height);

// Connects and binds what the saver needs; false with a one-line reason.
bool ConnectToCompositor(std::string& error);
void CreateWindowView();
void DisconnectFromCompositor();

// -idle: the saver on every output, and hidden again with its surfaces and buffers gone.
void ShowSaver();
void HideSaver();

// The next view that may show a frame, no longer ready; null when none is.
OutputView* TakeReadyView();
// Blows the engine's frame up into a free buffer and commits it with a frame
// callback; when no buffer is free it waits for one.
void ShowFrame(OutputView& view, const FrameBuffer& frame, uint64_t frameNumber);
// Every view shows its latest frame again, as soon as it may: something drawn over it changed.
void ShowLatestFrameAgain();
// Every view shows this frame, and the compositor has said it was presented.
bool EveryViewPresented(uint64_t frameNumber);
